// TPopupMenu: a menu that opens where the user right-clicks. Entries are
// numbered from 1 in the order they were added; an entry can carry a radio
// check mark and can start a new column.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class TPopupMenu {
public:
    TPopupMenu();
    ~TPopupMenu();
    TPopupMenu(const TPopupMenu&) = delete;
    TPopupMenu& operator=(const TPopupMenu&) = delete;

    // Returns the entry's number.
    int AddEntry(const std::wstring& caption, bool radio = false, bool newColumn = false);
    void AddSeparator();

    int EntryCount() const noexcept { return entries_; }
    std::wstring Caption(int entry) const;
    void SetCaption(int entry, const std::wstring& caption);
    bool Checked(int entry) const;
    void SetChecked(int entry, bool checked);
    HMENU Handle() const noexcept { return menu_; }

    // Opens the menu at a screen point and runs OnClick for the entry chosen.
    void Popup(HWND owner, POINT screen);
    // The user chose an entry (its number).
    std::function<void(int entry)> OnClick;

private:
    HMENU menu_;
    int entries_ = 0;
    bool pendingColumn_ = false;
};
