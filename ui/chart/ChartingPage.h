// The controls of the "Data Charting" page: the readout bar (layer, time and
// value panels, the X scroll arrows, undo zoom and reset), the trend chart
// with the Y scroll arrows in its corner, and the chart's popup menu.
#pragma once
#include "Button.h"
#include "ChartControl.h"
#include "Font.h"
#include "Label.h"
#include "Panel.h"
#include "PopupMenu.h"
#include "ToolTip.h"
#include "UpDown.h"

class TChartingPage {
public:
    explicit TChartingPage(TChartModel& model) : Chart9(model) {}

    void Create(HWND page, HFONT font);
    // Places everything in a page of this size, below its band.
    void Layout(int width, int height, int top);

    TPanel ReadoutBar;
    TLabel LayerLabel, TimeLabel, ValueLabel;
    TLabel Lvalue, Xvalue, YSvalue;
    TUpDown ScrlX;
    TGlyphButton UndoZoomButton, ResetButton;
    TPanel ChartPanel;  // holds the chart, takes the focus on this page
    TChart Chart9;
    TUpDown ScrlY;
    TPopupMenu PopupMenu;  // PM1 ... PM29
    TToolTip Hints;

    static constexpr int kReadoutHeight = 36;
    static constexpr int kAllSeriesEntry = 21, kYModeEntry = 22, kFirstSpanEntry = 23;

private:
    TFont bold_{L"MS Sans Serif", 11, true};
};
