// TLabel: a line of text on a background of its own colour, optionally in a
// lowered frame (the readout's value panels, the rows' labels). It paints
// itself, so its colours need nothing from the parent, and it reports
// double-clicks.
#pragma once
#include <string>

#include "PaintedPanel.h"

enum class TTextAlign { Left, Center, Right };

struct TLabelStyle {
    COLORREF Background = GetSysColor(COLOR_BTNFACE);
    COLORREF TextColor = GetSysColor(COLOR_BTNTEXT);
    HFONT Font = nullptr;
    TTextAlign Align = TTextAlign::Left;
    bool Lowered = false;
};

class TLabel : public TPaintedPanel {
public:
    void CreateLabel(HWND parent, const std::wstring& text, const TLabelStyle& style);

    const std::wstring& Text() const noexcept { return text_; }
    void SetText(const std::wstring& text);

protected:
    void PaintContent(HDC dc, const RECT& client) override;

private:
    std::wstring text_;
    TLabelStyle style_;  // the text's look; background and edge live in the base
};
