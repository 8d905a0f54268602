// TPanel: a plain area of one colour that holds other controls, optionally in
// a lowered frame. It takes the keyboard focus when asked, so a page can park
// the focus on it, and reports double-clicks (a colour swatch is a panel).
#pragma once
#include <functional>

#include "Window.h"

class TPanel : public TWindow {
public:
    // exStyle WS_EX_CLIENTEDGE gives the panel a sunken frame.
    void CreatePanel(HWND parent, COLORREF color, DWORD exStyle = 0);

    COLORREF Color() const noexcept { return color_; }
    void SetColor(COLORREF color);
    // A thin lowered edge inside the panel's area.
    void SetLowered(bool lowered);
    void SetVisible(bool visible);

    std::function<void()> OnDblClick;

protected:
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    COLORREF color_ = RGB(240, 240, 240);
    bool lowered_ = false;
};
