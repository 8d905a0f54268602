// TPaintedPanel: a child window that paints its whole area in one colour of
// its own, optionally inside a thin lowered edge, through the buffered paint,
// and reports double-clicks. TLabel and TPanel add what they draw or hold.
#pragma once
#include <functional>

#include "Window.h"

class TPaintedPanel : public TWindow {
public:
    COLORREF Background() const noexcept { return background_; }
    void SetBackground(COLORREF color);
    // A thin lowered edge inside the window's area.
    void SetLowered(bool lowered);
    void SetVisible(bool visible);

    std::function<void()> OnDblClick;

protected:
    // Style and exStyle are added to a visible child clipped by its siblings.
    void CreatePainted(HWND parent, const wchar_t* className, COLORREF background, bool lowered, DWORD style,
                       DWORD exStyle);
    bool Lowered() const noexcept { return lowered_; }
    void Repaint();

    // What the control draws over its background and edge.
    virtual void PaintContent(HDC, const RECT&) {}

    void OnPaint(HDC dc, const RECT& client) final;
    bool PaintsBuffered() const override { return true; }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    COLORREF background_ = RGB(240, 240, 240);
    bool lowered_ = false;
};
