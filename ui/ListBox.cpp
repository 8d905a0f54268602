#include "ListBox.h"

#include "DeferredRedraw.h"

void TListBox::AddLine(const std::wstring& text)
{
    SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TListBox::DeleteFirst(int count)
{
    DeferRedraw(Handle());
    for (int i = 0; i < count; ++i) SendMessageW(Handle(), LB_DELETESTRING, 0, 0);
}

int TListBox::LineCount() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }

std::wstring TListBox::Line(int index) const
{
    const LRESULT len = SendMessageW(Handle(), LB_GETTEXTLEN, index, 0);
    if (len == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(len), L'\0');
    SendMessageW(Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text;
}

void TListBox::SetRowHeight(int pixels) { SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, pixels); }

int TListBox::RowHeight() const { return static_cast<int>(SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0)); }

bool TListBox::LastLineVisible() const
{
    const int count = LineCount();
    if (count == 0) return true;
    RECT client{}, row{};
    GetClientRect(Handle(), &client);
    if (SendMessageW(Handle(), LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&row)) == LB_ERR) return true;
    return row.top < client.bottom && row.bottom > client.top;
}

void TListBox::ShowLastLine()
{
    const int count = LineCount();
    if (count > 0) SendMessageW(Handle(), LB_SETTOPINDEX, count - 1, 0);
}
