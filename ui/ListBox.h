// TListBox: a list of text lines with a fixed row height.
#pragma once
#include "Control.h"

class TListBox : public TControl {
public:
    void AddLine(const std::wstring& text);
    // Drops all but the newest count lines; the view stays on the lines it showed.
    void KeepLast(int count);
    int LineCount() const;
    std::wstring Line(int index) const;
    void SetRowHeight(int pixels);
    int RowHeight() const;
    bool LastLineVisible() const;
    void ShowLastLine();
};
