// TComboBox: a drop-down list to pick one entry from.
#pragma once
#include <functional>

#include "Control.h"

class TComboBox : public TControl {
public:
    void CreateComboBox(HWND parent, int dropHeight);
    void AddItem(const std::wstring& text);
    int Selected() const;
    void Select(int index);  // no events

    std::function<void()> OnChange;   // the user picked an entry
    std::function<void()> OnCloseUp;  // the list closed

    bool OnCommand(UINT code) override;
};
