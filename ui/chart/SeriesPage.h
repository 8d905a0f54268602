// The controls of the "Series" page: the series rows on two inner pages, the
// "Options" page (Y axis, undo zoom, all series, memory), the X-axis time
// span group with its shift arrows and reset, and the two notice panels.
#pragma once
#include <array>

#include "Button.h"
#include "ComboBox.h"
#include "Font.h"
#include "Label.h"
#include "NumberEdit.h"
#include "Panel.h"
#include "RadioGroup.h"
#include "TabControl.h"
#include "ToolTip.h"
#include "TrendSeriesTable.h"
#include "UpDown.h"

// One series row: number, name, colour swatch and show/hide button.
struct TSeriesRowControls {
    TPanel PP;
    TLabel SL;   // S1L ... S20L (row 12: S12LL)
    TLabel SSL;  // SS1L ... SS20L
    TPanel CP;   // CP1 ... CP20
    TButton SH;  // SH1 ... SH20
};

class TSeriesPage {
public:
    void Create(HWND page, HFONT font);
    void Layout(int width, int height, int top);
    // Shows the inner page that the inner tabs select.
    void ShowSelectedInnerPage();

    TTabControl SeriesTabs;
    std::array<TPanel, 3> InnerPages;  // "Series 1-10", "Series 11-20", "Options"
    std::array<TSeriesRowControls, kTrendSeriesCount> Rows;

    TLabel YAxisLabel, MaxLabel, MinLabel;
    TComboBox ComboBox6;
    TNumberEdit SSMax, SSMin;
    TButton UndoZoomButton;
    TButton HSAllS;
    TLabel RamLabel, S_Size;

    TPanel TimeSpanPanel;  // holds the time span group, takes the focus on this page
    TRadioGroup XAxisTS;
    TLabel ShiftLabel;
    TUpDown XAxisScrl;
    TButton ResetX;

    TPanel Panel2;  // the line-width notice
    TLabel SerLineWidth;
    TPanel Panel3;  // the reset panel
    TLabel ResetLabel;
    TButton ResetSLW;

    TToolTip Hints;

    static constexpr int kRowWidth = 296, kRowHeight = 26;

private:
    TFont bold_{L"MS Sans Serif", 11, true};
};
