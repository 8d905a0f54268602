// TPanel: a plain area of one colour that holds other controls, optionally in
// a lowered frame. It takes the keyboard focus when asked, so a page can park
// the focus on it, and reports double-clicks (a colour swatch is a panel).
#pragma once
#include "PaintedPanel.h"

class TPanel : public TPaintedPanel {
public:
    // exStyle WS_EX_CLIENTEDGE gives the panel a sunken frame.
    void CreatePanel(HWND parent, COLORREF color, DWORD exStyle = 0);
};
