#include "PopupMenu.h"

TPopupMenu::TPopupMenu() : menu_(CreatePopupMenu()) {}

TPopupMenu::~TPopupMenu()
{
    if (menu_) DestroyMenu(menu_);
}

int TPopupMenu::AddEntry(const std::wstring& caption, bool radio, bool newColumn)
{
    const int entry = ++entries_;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    info.fType = MFT_STRING | (radio ? MFT_RADIOCHECK : 0) | (newColumn || pendingColumn_ ? MFT_MENUBARBREAK : 0);
    info.wID = static_cast<UINT>(entry);
    info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    InsertMenuItemW(menu_, GetMenuItemCount(menu_), TRUE, &info);
    pendingColumn_ = false;
    return entry;
}

void TPopupMenu::AddSeparator() { AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr); }

std::wstring TPopupMenu::Caption(int entry) const
{
    wchar_t buffer[256]{};
    GetMenuStringW(menu_, static_cast<UINT>(entry), buffer, 256, MF_BYCOMMAND);
    return buffer;
}

void TPopupMenu::SetCaption(int entry, const std::wstring& caption)
{
    if (Caption(entry) == caption) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    SetMenuItemInfoW(menu_, static_cast<UINT>(entry), FALSE, &info);
}

bool TPopupMenu::Checked(int entry) const
{
    return (GetMenuState(menu_, static_cast<UINT>(entry), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TPopupMenu::SetChecked(int entry, bool checked)
{
    CheckMenuItem(menu_, static_cast<UINT>(entry), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TPopupMenu::Popup(HWND owner, POINT screen)
{
    // The owner must be in front, or the menu does not close when the user
    // clicks elsewhere.
    SetForegroundWindow(owner);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen > 0 && OnClick) OnClick(chosen);
}
