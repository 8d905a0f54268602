// TEdit: a single-line text field.
#pragma once
#include <functional>

#include "Control.h"

class TEdit : public TControl {
public:
    std::function<void()> OnChange;  // after every change of the text

    bool OnCommand(UINT code) override;
};
