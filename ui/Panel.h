// TPanel: a plain area of one colour that holds other controls. It takes the
// keyboard focus when asked, so a page can park the focus on it.
#pragma once
#include "Window.h"

class TPanel : public TWindow {
public:
    void CreatePanel(HWND parent, COLORREF color, int id = 0);
    void SetColor(COLORREF color);

protected:
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }

private:
    COLORREF color_ = RGB(240, 240, 240);
};
