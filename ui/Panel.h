// TPanel: a plain area of one colour that holds other controls. It takes the
// keyboard focus when asked, so a page can park the focus on it.
#pragma once
#include "Window.h"

class TPanel : public TWindow {
public:
    // exStyle WS_EX_CLIENTEDGE gives the panel a sunken frame.
    void CreatePanel(HWND parent, COLORREF color, DWORD exStyle = 0);

protected:
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }

private:
    COLORREF color_ = RGB(240, 240, 240);
};
