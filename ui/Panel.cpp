#include "Panel.h"

#include "GdiOwners.h"

void TPanel::CreatePanel(HWND parent, COLORREF color, DWORD exStyle)
{
    color_ = color;
    TWindowCreateArgs args;
    args.ClassName = L"QuillmerePanel";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 10, 10};
    args.ExStyle = exStyle | WS_EX_CONTROLPARENT;
    Create(args);
}

void TPanel::SetColor(COLORREF color)
{
    if (color == color_) return;
    color_ = color;
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TPanel::SetLowered(bool lowered)
{
    lowered_ = lowered;
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TPanel::SetVisible(bool visible)
{
    // The style, not IsWindowVisible: on a page not shown, every child reads as hidden.
    const bool shown = Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    if (Handle() && shown != visible) ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
}

void TPanel::OnPaint(HDC dc, const RECT& client)
{
    FillSolidRect(dc, client, color_);
    if (lowered_) {
        RECT r = client;
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    }
}

bool TPanel::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_LBUTTONDBLCLK && OnDblClick) {
        OnDblClick();
        result = 0;
        return true;
    }
    return TWindow::OnMessage(msg, wp, lp, result);
}
