#include "Button.h"

#include <commctrl.h>

void TButton::CreateButton(HWND parent, const std::wstring& caption, bool multiLine)
{
    TControlCreateArgs args;
    args.Parent = parent;
    args.ClassName = WC_BUTTONW;
    args.Style = BS_PUSHBUTTON | WS_TABSTOP | (multiLine ? BS_MULTILINE : 0);
    args.Text = caption;
    Create(args);
}

bool TButton::OnCommand(UINT code)
{
    if (code != BN_CLICKED) return false;
    Click();
    return true;
}

void TGlyphButton::CreateGlyphButton(HWND parent)
{
    TControlCreateArgs args;
    args.Parent = parent;
    args.ClassName = WC_BUTTONW;
    args.Style = BS_OWNERDRAW | WS_TABSTOP;
    Create(args);
}

bool TGlyphButton::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    InflateRect(&r, -4, -4);
    if (pressed) OffsetRect(&r, 1, 1);
    if (DrawGlyph) DrawGlyph(item.hDC, r, (item.itemState & ODS_DISABLED) != 0);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item.hDC, &focus);
    }
    return true;
}
