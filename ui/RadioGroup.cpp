#include "RadioGroup.h"

#include <commctrl.h>

bool TRadioGroup::TRadioButton::OnCommand(UINT code)
{
    if (code != BN_CLICKED) return false;
    if (OnClicked) OnClicked();
    return true;
}

void TRadioGroup::CreateRadioGroup(HWND parent, const std::wstring& caption, const std::vector<std::wstring>& items,
                                   int columns)
{
    TWindowCreateArgs args;
    args.ClassName = L"QuillmereRadioGroup";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    args.ExStyle = WS_EX_CONTROLPARENT;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 100, 100};
    Create(args);
    columns_ = columns > 0 ? columns : 1;

    for (size_t i = 0; i < items.size(); ++i) {
        auto button = std::make_unique<TRadioButton>();
        TControlCreateArgs radio;
        radio.Parent = Handle();
        radio.ClassName = WC_BUTTONW;
        radio.Style = BS_RADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
        radio.Text = items[i];
        button->Create(radio);
        const int index = static_cast<int>(i);
        button->OnClicked = [this, index] {
            Select(index);
            if (OnClick) OnClick();
        };
        buttons_.push_back(std::move(button));
    }
    // The frame lies under the buttons, so its painting never covers them.
    TControlCreateArgs frame;
    frame.Parent = Handle();
    frame.ClassName = WC_BUTTONW;
    frame.Style = BS_GROUPBOX;
    frame.Text = caption;
    frame_.Create(frame);
    SetWindowPos(frame_.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Layout();
}

void TRadioGroup::SetFont(HFONT font)
{
    frame_.SetFont(font);
    for (auto& b : buttons_) b->SetFont(font);
}

void TRadioGroup::Select(int index)
{
    selected_ = index;
    for (size_t i = 0; i < buttons_.size(); ++i)
        SendMessageW(buttons_[i]->Handle(), BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioGroup::OnSize(int, int) { Layout(); }

void TRadioGroup::Layout()
{
    if (!frame_.Handle()) return;
    const RECT r = ClientRect();
    frame_.SetBounds(0, 0, r.right, r.bottom);
    const int rows = (static_cast<int>(buttons_.size()) + columns_ - 1) / columns_;
    const int left = 10, top = 18, bottom = 6;
    const int cellWidth = (r.right - 2 * left) / columns_;
    const int cellHeight = rows > 0 ? (r.bottom - top - bottom) / rows : 0;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const int column = static_cast<int>(i) / rows, row = static_cast<int>(i) % rows;
        buttons_[i]->SetBounds(left + column * cellWidth, top + row * cellHeight, cellWidth - 4, cellHeight);
    }
}

void TRadioGroup::OnPaint(HDC dc, const RECT& client) { FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE)); }
