#include "Label.h"

#include "GdiOwners.h"

void TLabel::CreateLabel(HWND parent, const std::wstring& text, const TLabelStyle& style)
{
    text_ = text;
    style_ = style;
    CreatePainted(parent, L"QuillmereLabel", style.Background, style.Lowered, 0, 0);
}

void TLabel::SetText(const std::wstring& text)
{
    if (text == text_) return;
    text_ = text;
    Repaint();
}

void TLabel::PaintContent(HDC dc, const RECT& client)
{
    RECT r = client;
    if (Lowered())
        InflateRect(&r, -2, -1);
    else
        InflateRect(&r, -1, 0);
    TSelectObject font(dc, style_.Font ? style_.Font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style_.TextColor);
    const UINT align = style_.Align == TTextAlign::Center  ? DT_CENTER
                       : style_.Align == TTextAlign::Right ? DT_RIGHT
                                                           : DT_LEFT;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}
