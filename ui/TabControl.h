// TTabControl: the page selector. Only the tab strip is its own area; the
// pages are separate windows that the owner places below it.
#pragma once
#include <functional>

#include "Control.h"

class TTabControl : public TControl {
public:
    void AddTab(const std::wstring& caption);
    int TabCount() const;
    std::wstring TabCaption(int index) const;
    int Selected() const;
    void Select(int index);   // raises no OnChange, like a program-made switch
    int StripHeight() const;  // height the tabs need

    std::function<void()> OnChange;  // the user picked another tab

    bool OnNotify(NMHDR* hdr, LRESULT& result) override;
};
