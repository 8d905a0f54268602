// TChartNavigation: which stretch of time and which Y range the trend chart
// shows, and the controls that change it: the time span group and its popup
// entries, reset, the delayed shift by one span, the X and Y scroll arrows,
// zoom and its undo, the Y mode box and the Y range edits. The state is read
// by the logger on every sample, which applies it to the axes; the control
// fields hold what the window's controls show, and the window copies them
// over after each handler.
#pragma once
#include <string>

#include "ChartModel.h"

struct TNavigationState {
    bool XAxisLive = true;              // the X window follows the computer's clock
    double XAxisSpan = 0.0069444;       // days: width of the live window, step of the shift
    double XAxisMin = 0, XAxisMax = 0;  // the X window while not live
    bool ChartZoomed = false;           // the user zoomed: samples leave the axes alone
    bool YAxisAuto = false;
    double YAxisMin = 0, YAxisMax = 100;  // the Y range while not automatic
};

class TChartNavigation {
public:
    explicit TChartNavigation(TChartModel& chart) : chart_(chart) {}
    TChartNavigation(const TChartNavigation&) = delete;
    TChartNavigation& operator=(const TChartNavigation&) = delete;

    TNavigationState State;
    double YMaxBeforeEdit = 0, YMinBeforeEdit = 0;

    // What the controls show.
    int TimeSpanIndex = 5;  // the selected entry of "  X-axis Time Span "
    int YModeIndex = 0;     // " Auto OFF", " Auto ON"
    std::wstring PM22Caption;
    bool UndoZoomEnabled = false;  // both undo-zoom buttons
    bool YModeBoxEnabled = true;
    bool ScrlYEnabled = true;
    int XAxisScrlPosition = 0, ScrlXPosition = 0, ScrlYPosition = 0;
    double SSMaxValue = 100, SSMinValue = 0;
    bool SSMaxScientific = false, SSMinScientific = false;
    bool Timer2Enabled = false;

    static constexpr double kSSMaxLowest = -9, kSSMinLowest = -10;
    // The largest Y value the edits take: whole numbers beyond it are no
    // longer exact in a double, and the axis far from overflowing.
    static constexpr double kYAxisLimit = 1e15;

    // Whether the left axis can show min..max: inside the limit and wide
    // enough for at least two labels that read differently.
    bool YRangeCanBeShown(double min, double max) const;

    // Window set-up: the Y mode, live mode with "10 min" (now: the computer's
    // clock), then the start ranges of both axes.
    void SetUpYModeAndSpan();
    void SetUpRanges(double now);

    void XAxisTSClick();              // TimeSpanIndex holds the entry
    void PMTimeSpanClick(int entry);  // PM23 ... PM29: entries 5 ... 11
    void ResetXClick();
    void XAxisScrlChanging();
    void XAxisScrlClick(int position);
    void Timer2Timer();
    void ScrlXChanging();
    void ScrlXClick(int position);
    void ScrlYChanging();
    void ScrlYClick(int position);
    void Chart9Zoom();
    void UndoZoomClick();
    // restored: the chart put back the ranges in force before the zoom.
    void Chart9UndoZoom(bool restored);
    void ComboBox6Change();
    void PM22Click();
    void SSMaxEnter();
    void SSMinEnter();
    void SSMaxValueChanged(double value);
    void SSMinValueChanged(double value);

private:
    void KeepBottomRange();
    // The zoom gives way to the navigation state: the next sample sets the
    // axes, and there is no zoom left to undo.
    void LeaveZoom();

    TChartModel& chart_;
    int rememberedXAxisScrl_ = 0, rememberedScrlX_ = 0, rememberedScrlY_ = 0;
};
