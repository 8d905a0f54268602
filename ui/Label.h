// TLabel: a line of text on a background of its own colour, optionally in a
// lowered frame (the readout's value panels, the rows' labels). It paints
// itself, so its colours need nothing from the parent, and it reports
// double-clicks.
#pragma once
#include <functional>
#include <string>

#include "Window.h"

enum class TTextAlign { Left, Center, Right };

struct TLabelStyle {
    COLORREF Background = GetSysColor(COLOR_BTNFACE);
    COLORREF TextColor = GetSysColor(COLOR_BTNTEXT);
    HFONT Font = nullptr;
    TTextAlign Align = TTextAlign::Left;
    bool Lowered = false;
};

class TLabel : public TWindow {
public:
    void CreateLabel(HWND parent, const std::wstring& text, const TLabelStyle& style);

    const std::wstring& Text() const noexcept { return text_; }
    void SetText(const std::wstring& text);
    COLORREF Background() const noexcept { return style_.Background; }
    void SetBackground(COLORREF color);
    void SetVisible(bool visible);

    std::function<void()> OnDblClick;

protected:
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::wstring text_;
    TLabelStyle style_;
};
