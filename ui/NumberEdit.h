// TNumberEdit: a one-line field for a number with a lower bound, shown with
// two decimals in fixed or scientific notation. The value changes when the
// user commits the text (Enter, or leaving the field); a text that is no
// number or lies below the bound is refused and the shown value comes back.
#pragma once
#include <functional>

#include "Control.h"

class TNumberEdit : public TControl {
public:
    void CreateNumberEdit(HWND parent, double lowerBound);

    double Value() const noexcept { return value_; }
    bool Scientific() const noexcept { return scientific_; }
    // Shows a value, no events.
    void SetValue(double value, bool scientific);
    // What the text reads as a number now; none when it is no number.
    bool ReadText(double& value) const;
    // Takes the text as the user's input: OnValueChanged when it is a new,
    // allowed value, else the shown value comes back.
    void Commit();

    std::function<void()> OnEnter;  // the field got the focus
    std::function<void(UINT key)> OnKeyUp;
    std::function<void(double value)> OnValueChanged;

    bool OnCommand(UINT code) override;

protected:
    void OnCreated() override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    void Show();

    double lowerBound_ = 0;
    double value_ = 0;
    bool scientific_ = false;
};
