// TUpDown: a pair of arrow buttons with a position in a range. OnChanging
// comes before each change of the position, OnClick with the new one; at an
// end of the range a click keeps the position.
#pragma once
#include <functional>

#include "Control.h"

class TUpDown : public TControl {
public:
    // horizontal: left and right arrows, the right one counting up.
    void CreateUpDown(HWND parent, bool horizontal, int min, int max);

    int Position() const;
    void SetPosition(int position);  // no events

    std::function<void()> OnChanging;
    std::function<void(int position)> OnClick;

    bool OnNotify(NMHDR* hdr, LRESULT& result) override;

private:
    int min_ = 0, max_ = 0;
};
