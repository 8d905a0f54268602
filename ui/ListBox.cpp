#include "ListBox.h"

#include <vector>

#include "DeferredRedraw.h"

void TListBox::AddLine(const std::wstring& text)
{
    SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TListBox::KeepLast(int count)
{
    const int total = LineCount();
    const int dropped = total - count;
    if (dropped <= 0) return;
    // Deleting a line at the top moves every line below it, so dropping many
    // that way costs the square; the kept lines are added again instead.
    std::vector<std::wstring> kept;
    kept.reserve(static_cast<size_t>(count));
    for (int i = dropped; i < total; ++i) kept.push_back(Line(i));
    const auto top = static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
    const auto selected = static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
    DeferRedraw(Handle());
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    SendMessageW(Handle(), LB_INITSTORAGE, static_cast<WPARAM>(total), 0);
    for (const auto& text : kept) AddLine(text);
    SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(top > dropped ? top - dropped : 0), 0);
    if (selected >= dropped) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(selected - dropped), 0);
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
