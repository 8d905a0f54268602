// TMouseReadout: the readout bar under the mouse: the time, a value (the Y
// value under the mouse, or the sample of the readout series at that time,
// marked by an exclusive-or crosshair) and the layer number. Readouts are let
// through at most once per gate period (Timer5 opens the gate, each readout
// closes it) and run on the user-interface thread.
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "ChartModel.h"
#include "TrendSeriesTable.h"

// The "Y value" text of a value: "0", "0.00E-" up to 0.001, "0.000" up to
// 100000, else "0" (also below zero); " " for infinity and NaN.
std::wstring ReadoutValueText(double value);

// The index of the sample under time t, the samples of `visible` taken as
// evenly spaced in time: e = l - round((x1 - t) * (l - f) / (x1 - x0)), halves
// to even. None unless f < e < l (and x0 != x1).
std::optional<size_t> IndexUnderTime(const TChartSeries& series, const TIndexRange& visible, double t);

class TMouseReadout {
public:
    static constexpr TChartColor kWhite = 16777215;

    TMouseReadout(TChartModel& chart, const std::array<bool, kTrendSeriesCount>& seriesLogged)
        : chart_(chart), seriesLogged_(seriesLogged)
    {
    }
    TMouseReadout(const TMouseReadout&) = delete;
    TMouseReadout& operator=(const TMouseReadout&) = delete;

    bool ReadoutAllowed = false;
    int CrosshairX = -1, CrosshairY = 0;
    TChartColor CrosshairColor = kWhite;
    bool ReadoutSeriesSelected = false;
    int ReadoutSeriesIndex = 0;
    std::array<bool, kTrendSeriesCount> Checked{};  // PM1 ... PM20
    std::wstring Lvalue = L" ", Xvalue = L" ", YSvalue = L" ";

    // The window's part: an exclusive-or line on the chart (both ends drawn),
    // and an immediate repaint of the chart.
    std::function<void(int x0, int y0, int x1, int y1, TChartColor color)> XorLine;
    std::function<void()> RepaintChart;

    void SetUp();
    void Chart9MouseMove(int x, int y);
    void Timer5Timer() { ReadoutAllowed = true; }
    void Chart9AfterDraw() { CrosshairX = -1; }
    // Sets the readout series to `index` (0 to 19), or drops it when its entry
    // was checked; true when a readout series is now selected.
    bool SelectReadoutSeries(int index);
    void ClearChecks() { Checked.fill(false); }

    // The readout for the mouse at (x, y) on the chart.
    void Readout(int x, int y);
    void DrawCrosshair(int x, int y);

private:
    enum class TPanelStep { GoOn, Stop };
    TPanelStep ReadoutSeriesValue(double t, int& mouseY, int mouseX);
    void LayerValue(double t);

    TChartModel& chart_;
    const std::array<bool, kTrendSeriesCount>& seriesLogged_;
};
