#include "TabControl.h"

#include <commctrl.h>

void TTabControl::AddTab(const std::wstring& caption)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(Handle(), TCM_INSERTITEMW, TabCount(), reinterpret_cast<LPARAM>(&item));
}

int TTabControl::TabCount() const { return static_cast<int>(SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0)); }

std::wstring TTabControl::TabCaption(int index) const
{
    wchar_t buffer[128]{};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 127;
    if (!SendMessageW(Handle(), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return {};
    return item.pszText;
}

int TTabControl::Selected() const { return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0)); }

void TTabControl::Select(int index) { SendMessageW(Handle(), TCM_SETCURSEL, index, 0); }

int TTabControl::StripHeight() const
{
    RECT r{};
    if (TabCount() == 0 || !SendMessageW(Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return 0;
    const int rows = static_cast<int>(SendMessageW(Handle(), TCM_GETROWCOUNT, 0, 0));
    return r.bottom + (rows - 1) * (r.bottom - r.top) + 3;
}

bool TTabControl::OnNotify(NMHDR* hdr, LRESULT& result)
{
    if (hdr->code != TCN_SELCHANGE) return false;
    if (OnChange) OnChange();
    result = 0;
    return true;
}
