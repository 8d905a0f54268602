// TSeriesOptions: the rows of the "Series" page (show or hide a series, its
// colour, its line width), the all-series switch, the line-width notice and
// the reset panel. The fields hold what the rows and panels show; the window
// copies them over after each handler.
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "ChartModel.h"
#include "TrendSeriesTable.h"

constexpr TChartColor kSilver = 12632256;                  // #C0C0C0
constexpr TChartColor kButtonFace = ChartSystemColor(15);  // COLOR_BTNFACE

class TSeriesOptions {
public:
    explicit TSeriesOptions(TChartModel& chart) : chart_(chart) {}
    TSeriesOptions(const TSeriesOptions&) = delete;
    TSeriesOptions& operator=(const TSeriesOptions&) = delete;

    // Row n (0 to 19): the button caption "Show" or "Hide", whether it can be
    // pressed, the swatch colour.
    std::array<std::wstring, kTrendSeriesCount> SHCaption;
    std::array<bool, kTrendSeriesCount> SHEnabled{};
    std::array<TChartColor, kTrendSeriesCount> SwatchColor{};
    // The row panel's and labels' colour: button face while shown, else silver.
    TChartColor RowColor(int n) const { return SHCaption[static_cast<size_t>(n)] == L"Hide" ? kButtonFace : kSilver; }

    std::wstring HSAllSCaption;  // also PM21's
    std::wstring SerLineWidth;
    bool Panel2Visible = false;
    bool Timer3Enabled = false;
    bool AnyWideLine = false;
    bool Panel3Visible = false;

    // Window set-up: the rows' captions, the all-series caption, the colours.
    void SetUpRows();
    void SetUpAllSeriesCaption();
    void SetUpColors();

    void SHClick(int n);
    void HSAllSClick();
    // Opens the colour choice with the swatch's colour; a chosen colour goes to
    // the swatch and the line, none (cancelled) changes nothing.
    void CPDblClick(int n, const std::function<std::optional<TChartColor>(TChartColor current)>& chooseColor);
    void SSLDblClick(int n);
    void Timer3Timer();
    void Timer4Timer();  // the reset panel's step of the companion watch tick
    void ResetSLWClick();

private:
    TChartModel& chart_;
};
