#include "Label.h"

#include "GdiOwners.h"

void TLabel::CreateLabel(HWND parent, const std::wstring& text, const TLabelStyle& style)
{
    text_ = text;
    style_ = style;
    TWindowCreateArgs args;
    args.ClassName = L"QuillmereLabel";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 10, 10};
    Create(args);
}

void TLabel::SetText(const std::wstring& text)
{
    if (text == text_) return;
    text_ = text;
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TLabel::SetBackground(COLORREF color)
{
    if (color == style_.Background) return;
    style_.Background = color;
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TLabel::SetVisible(bool visible)
{
    // The style, not IsWindowVisible: on a page not shown, every child reads as hidden.
    const bool shown = Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    if (Handle() && shown != visible) ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
}

void TLabel::OnPaint(HDC dc, const RECT& client)
{
    RECT r = client;
    FillSolidRect(dc, r, style_.Background);
    if (style_.Lowered) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        InflateRect(&r, -2, -1);
    } else {
        InflateRect(&r, -1, 0);
    }
    TSelectObject font(dc, style_.Font ? style_.Font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style_.TextColor);
    const UINT align = style_.Align == TTextAlign::Center  ? DT_CENTER
                       : style_.Align == TTextAlign::Right ? DT_RIGHT
                                                           : DT_LEFT;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

bool TLabel::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_LBUTTONDBLCLK) {
        if (OnDblClick) OnDblClick();
        result = 0;
        return true;
    }
    return TWindow::OnMessage(msg, wp, lp, result);
}
