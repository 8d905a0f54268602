// TWindow: a top-level or child window of a class of our own, with virtual
// handlers. The window procedure binds `this` at WM_NCCREATE, so no message of
// the creation sequence is lost, and reflects WM_COMMAND, WM_NOTIFY and
// WM_DRAWITEM of child controls back to their TControl objects.
#pragma once
#include <windows.h>
#include <exception>
#include <string>

#include "BufferedPaint.h"

struct TWindowCreateArgs {
    std::wstring ClassName;  // registered on first use
    std::wstring Title;
    DWORD Style = WS_OVERLAPPEDWINDOW;
    DWORD ExStyle = 0;
    HWND Parent = nullptr;
    RECT Bounds{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};  // left, top, right, bottom
    UINT ClassStyle = CS_DBLCLKS;
    HBRUSH Background = nullptr;  // null: the window paints all of its area
    int ControlId = 0;            // for child windows
};

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    // Throws std::runtime_error when the class or the window cannot be created.
    void Create(const TWindowCreateArgs& args);
    void Destroy();

    HWND Handle() const noexcept { return hwnd_; }
    RECT ClientRect() const;
    void SetBounds(int x, int y, int width, int height);

protected:
    // Handlers return true when they handled the message; false falls back to
    // DefWindowProc. `result` is the message's answer when handled.
    virtual bool OnCreate() { return true; }
    virtual void OnSize(int /*width*/, int /*height*/) {}
    virtual void OnPaint(HDC /*dc*/, const RECT& /*client*/) {}
    virtual bool OnClose() { return false; }
    virtual void OnDestroy() {}
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    virtual bool OnActivate(bool /*active*/) { return false; }
    // Any other message. The default reflects control notifications.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Whether OnPaint draws the whole area through an off-screen bitmap.
    virtual bool PaintsBuffered() const { return false; }
    // A handler raised. The message is answered as unhandled (WM_CREATE as
    // failed); nothing unwinds through the system's window code. Default:
    // nothing more, as operator-facing failures are silent.
    virtual void OnUnhandledException(UINT /*msg*/, std::exception_ptr /*error*/) noexcept {}

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();

    HWND hwnd_ = nullptr;
    TBufferedDC paintBuffer_;
};
