// TRadioGroup: a framed group of radio buttons in columns, one of them selected.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Control.h"
#include "Window.h"

class TRadioGroup : public TWindow {
public:
    void CreateRadioGroup(HWND parent, const std::wstring& caption, const std::vector<std::wstring>& items,
                          int columns);
    void SetFont(HFONT font);
    // Lays the buttons out in the group's current size.
    void Layout();

    int Selected() const noexcept { return selected_; }
    void Select(int index);  // no events
    int Count() const noexcept { return static_cast<int>(buttons_.size()); }
    HWND ButtonHandle(int index) const { return buttons_.at(static_cast<size_t>(index))->Handle(); }

    // The user selected an entry (also the selected one again).
    std::function<void()> OnClick;

protected:
    void OnSize(int width, int height) override;
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }

private:
    class TRadioButton : public TControl {
    public:
        std::function<void()> OnClicked;
        bool OnCommand(UINT code) override;
    };

    TControl frame_;
    std::vector<std::unique_ptr<TRadioButton>> buttons_;
    int columns_ = 1;
    int selected_ = -1;
};
