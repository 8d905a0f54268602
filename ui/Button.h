// TButton: a push button with a click event. Click() runs the event as a
// press by the user would, also while the button is disabled (the program
// presses buttons that the user cannot).
#pragma once
#include <functional>

#include "Control.h"

class TButton : public TControl {
public:
    // multiLine: the caption wraps at the button's width.
    void CreateButton(HWND parent, const std::wstring& caption, bool multiLine = false);

    std::function<void()> OnClick;
    void Click()
    {
        if (OnClick) OnClick();
    }

    bool OnCommand(UINT code) override;
};

// TGlyphButton: a small push button that shows a drawn picture instead of a caption.
class TGlyphButton : public TButton {
public:
    // Draws the picture into the given square; disabled says to draw it greyed.
    std::function<void(HDC dc, const RECT& area, bool disabled)> DrawGlyph;
    void CreateGlyphButton(HWND parent);

    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
};
