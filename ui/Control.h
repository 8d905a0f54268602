// TControl: a child window of a system or common-control class. Notifications
// that the parent receives are reflected to the control object, which turns
// them into its own events.
#pragma once
#include <windows.h>
#include <string>

struct TControlCreateArgs {
    HWND Parent = nullptr;
    const wchar_t* ClassName = nullptr;  // e.g. WC_TREEVIEWW
    DWORD Style = 0;                     // WS_CHILD is added, WS_VISIBLE unless Hidden
    bool Hidden = false;
    DWORD ExStyle = 0;
    std::wstring Text;
    int Id = 0;
    RECT Bounds{};  // left, top, right, bottom in the parent
};

class TControl {
public:
    TControl() = default;
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    void Create(const TControlCreateArgs& args);
    HWND Handle() const noexcept { return hwnd_; }
    void SetBounds(int x, int y, int width, int height);
    void SetFont(HFONT font);
    void Focus();
    std::wstring Text() const;
    void SetText(const std::wstring& text);  // nothing when the text is the same

    // Called by the parent for WM_COMMAND (notify code), WM_NOTIFY and the
    // WM_DRAWITEM of an owner-drawn control.
    virtual bool OnCommand(UINT /*code*/) { return false; }
    virtual bool OnNotify(NMHDR* /*hdr*/, LRESULT& /*result*/) { return false; }
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }

    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetVisible(bool visible);

    static TControl* FromHandle(HWND hwnd) noexcept;

protected:
    // After the control window exists: styles that need messages.
    virtual void OnCreated() {}

private:
    HWND hwnd_ = nullptr;
};
