#include "PaintedPanel.h"

#include "GdiOwners.h"

void TPaintedPanel::CreatePainted(HWND parent, const wchar_t* className, COLORREF background, bool lowered, DWORD style,
                                  DWORD exStyle)
{
    background_ = background;
    lowered_ = lowered;
    TWindowCreateArgs args;
    args.ClassName = className;
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 10, 10};
    args.ExStyle = exStyle;
    Create(args);
}

void TPaintedPanel::Repaint()
{
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TPaintedPanel::SetBackground(COLORREF color)
{
    if (color == background_) return;
    background_ = color;
    Repaint();
}

void TPaintedPanel::SetLowered(bool lowered)
{
    lowered_ = lowered;
    Repaint();
}

void TPaintedPanel::SetVisible(bool visible)
{
    // The style, not IsWindowVisible: on a page not shown, every child reads as hidden.
    const bool shown = Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    if (Handle() && shown != visible) ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
}

void TPaintedPanel::OnPaint(HDC dc, const RECT& client)
{
    FillSolidRect(dc, client, background_);
    if (lowered_) {
        RECT r = client;
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    }
    PaintContent(dc, client);
}

bool TPaintedPanel::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_LBUTTONDBLCLK && OnDblClick) {
        OnDblClick();
        result = 0;
        return true;
    }
    return TWindow::OnMessage(msg, wp, lp, result);
}
