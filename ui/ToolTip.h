// TToolTip: the hints shown when the mouse rests on a control.
#pragma once
#include <windows.h>

#include <string>

class TToolTip {
public:
    TToolTip() = default;
    ~TToolTip();
    TToolTip(const TToolTip&) = delete;
    TToolTip& operator=(const TToolTip&) = delete;

    void CreateToolTip(HWND owner);
    void AddTool(HWND control, const std::wstring& hint);
    std::wstring HintOf(HWND control) const;
    HWND Handle() const noexcept { return tip_; }

private:
    HWND owner_ = nullptr;
    HWND tip_ = nullptr;
};
