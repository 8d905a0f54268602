// TBand: the thin decorative colour band along the top of the window and of
// each page.
#pragma once
#include "Window.h"

class TBand : public TWindow {
public:
    static constexpr int Height = 10;
    void CreateBand(HWND parent);

protected:
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }
};
