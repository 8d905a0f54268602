#include "ComboBox.h"

#include <commctrl.h>

void TComboBox::CreateComboBox(HWND parent, int dropHeight)
{
    TControlCreateArgs args;
    args.Parent = parent;
    args.ClassName = WC_COMBOBOXW;
    args.Style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    args.Bounds = RECT{0, 0, 100, dropHeight};
    Create(args);
}

void TComboBox::AddItem(const std::wstring& text)
{
    SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int TComboBox::Selected() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBox::Select(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

bool TComboBox::OnCommand(UINT code)
{
    if (code == CBN_SELCHANGE) {
        if (OnChange) OnChange();
        return true;
    }
    if (code == CBN_CLOSEUP) {
        if (OnCloseUp) OnCloseUp();
        return true;
    }
    return false;
}
