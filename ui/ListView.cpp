#include "ListView.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

void TListView::AddColumn(const std::wstring& caption, int width, int format)
{
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, ColumnCount(), reinterpret_cast<LPARAM>(&col));
}

int TListView::ColumnCount() const
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring TListView::ColumnCaption(int index) const
{
    wchar_t buffer[256]{};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buffer;
    col.cchTextMax = 255;
    if (!SendMessageW(Handle(), LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&col))) return {};
    return col.pszText;
}

int TListView::ColumnWidth(int index) const
{
    return static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, index, 0));
}

void TListView::SetRowCount(int rows)
{
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    SendMessageW(Handle(), LVM_SETITEMCOUNT, 0, 0);
    SendMessageW(Handle(), LVM_SETITEMCOUNT, rows, 0);
}

int TListView::RowCount() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)); }

void TListView::RedrawRow(int row) { SendMessageW(Handle(), LVM_REDRAWITEMS, row, row); }

int TListView::SelectedRow() const
{
    return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SelectRow(int row)
{
    LVITEMW item{};
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageW(Handle(), LVM_ENSUREVISIBLE, row, FALSE);
}

std::wstring TListView::CellDisplayText(int row, int column) const
{
    wchar_t buffer[1024]{};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1023;
    SendMessageW(Handle(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void TListView::OnCreated()
{
    const DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_GRIDLINES;
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
}

bool TListView::OnNotify(NMHDR* hdr, LRESULT& result)
{
    if (hdr->code != LVN_GETDISPINFOW) return false;
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(hdr);
    LVITEMW& item = info->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text = CellText ? CellText(item.iItem, item.iSubItem) : std::wstring();
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        wmemcpy(item.pszText, text.data(), n);
        item.pszText[n] = L'\0';
    }
    result = 0;
    return true;
}
