#include "ChartNavigation.h"

#include <cmath>

#include "DateText.h"
#include "TimeSpanTable.h"
#include "ValueLabelStyle.h"

void TChartNavigation::SetUpYModeAndSpan()
{
    YModeIndex = 0;
    ComboBox6Change();
    State.XAxisLive = true;
    TimeSpanIndex = kDefaultTimeSpan;
    XAxisTSClick();
}

void TChartNavigation::SetUpRanges(double now)
{
    State.YAxisMin = 0;
    State.YAxisMax = 100;
    SSMinValue = 0;
    SSMaxValue = 100;
    UndoZoomEnabled = false;
    TChartAxis& left = chart_.Left();
    left.SetAutomatic(false);
    left.SetRange(0, 100);
    left.SetIncrement(10);
    TChartAxis& bottom = chart_.Bottom();
    bottom.SetRange(now - State.XAxisSpan + 0.000001, now + 0.000001);
    bottom.SetIncrement(State.XAxisSpan / 10);
    bottom.SetTitle(L"Date: " + ShortDateOfDateText(now));
}

void TChartNavigation::XAxisTSClick()
{
    if (TimeSpanIndex < 0 || TimeSpanIndex >= kTimeSpanCount) return;
    State.XAxisSpan = TimeSpanTable[static_cast<size_t>(TimeSpanIndex)].Days;
    State.XAxisMin = chart_.Bottom().Maximum() - State.XAxisSpan;
    LeaveZoom();
}

void TChartNavigation::PMTimeSpanClick(int entry)
{
    TimeSpanIndex = entry;
    XAxisTSClick();
}

void TChartNavigation::ResetXClick()
{
    chart_.UndoZoom();
    XAxisScrlPosition = 0;
    ScrlXPosition = 0;
    TimeSpanIndex = kDefaultTimeSpan;
    XAxisTSClick();
    State.XAxisLive = true;
}

void TChartNavigation::XAxisScrlChanging() { rememberedXAxisScrl_ = XAxisScrlPosition; }

void TChartNavigation::XAxisScrlClick(int position)
{
    XAxisScrlPosition = position;
    Timer2Enabled = true;  // the shift comes a second later, once for all clicks till then
}

void TChartNavigation::Timer2Timer()
{
    Timer2Enabled = false;
    chart_.UndoZoom();
    State.ChartZoomed = false;
    const double min = chart_.Bottom().Minimum(), max = chart_.Bottom().Maximum();
    if (XAxisScrlPosition < rememberedXAxisScrl_) {
        State.XAxisMin = min - State.XAxisSpan;
        State.XAxisMax = max - State.XAxisSpan;
    } else if (XAxisScrlPosition > rememberedXAxisScrl_) {
        State.XAxisMax = max + State.XAxisSpan;
        State.XAxisMin = min + State.XAxisSpan;
    }
    State.XAxisLive = false;
}

void TChartNavigation::ScrlXChanging() { rememberedScrlX_ = ScrlXPosition; }

void TChartNavigation::ScrlXClick(int position)
{
    ScrlXPosition = position;
    LeaveZoom();
    const double min = chart_.Bottom().Minimum(), max = chart_.Bottom().Maximum();
    const double step = (max - min) / 10;
    if (position < rememberedScrlX_) {
        State.XAxisMin = min - step;
        State.XAxisMax = max - step;
    } else if (position > rememberedScrlX_) {
        State.XAxisMax = max + step;
        State.XAxisMin = min + step;
    }
    // The Y range stays as it is shown.
    State.YAxisMin = chart_.Left().Minimum();
    State.YAxisMax = chart_.Left().Maximum();
    State.XAxisLive = false;
}

void TChartNavigation::ScrlYChanging() { rememberedScrlY_ = ScrlYPosition; }

void TChartNavigation::ScrlYClick(int position)
{
    ScrlYPosition = position;
    LeaveZoom();
    const double min = chart_.Left().Minimum(), max = chart_.Left().Maximum();
    const double step = (max - min) / 10;
    if (position < rememberedScrlY_) {
        State.YAxisMin = min - step;
        State.YAxisMax = max - step;
    } else if (position > rememberedScrlY_) {
        State.YAxisMax = max + step;
        State.YAxisMin = min + step;
    }
    KeepBottomRange();
    State.XAxisLive = false;
}

void TChartNavigation::Chart9Zoom()
{
    State.ChartZoomed = true;
    for (TChartAxis* axis : {&chart_.Bottom(), &chart_.Left()})
        axis->SetIncrement((axis->Maximum() - axis->Minimum()) / 10);
    UndoZoomEnabled = true;
    YModeBoxEnabled = false;
}

void TChartNavigation::UndoZoomClick() { chart_.UndoZoom(); }

void TChartNavigation::Chart9UndoZoom(bool restored)
{
    // With nothing put back the axes show what the state set, unless the
    // state changed since the last sample: then the state is the newer.
    if (restored) {
        State.YAxisMin = chart_.Left().Minimum();
        State.YAxisMax = chart_.Left().Maximum();
        KeepBottomRange();
    }
    State.ChartZoomed = false;
    UndoZoomEnabled = false;
    YModeBoxEnabled = true;
}

void TChartNavigation::ComboBox6Change()
{
    if (YModeIndex == 0) {
        PM22Caption = L"Y-Axis Auto ON";
        State.YAxisAuto = false;
        State.YAxisMax = SSMaxValue;
        State.YAxisMin = SSMinValue;
        ScrlYEnabled = true;
    } else {
        PM22Caption = L"Y-Axis Auto OFF";
        State.YAxisAuto = true;
        ScrlYEnabled = false;
    }
}

void TChartNavigation::PM22Click()
{
    YModeIndex = YModeIndex == 0 ? 1 : 0;
    ComboBox6Change();
}

void TChartNavigation::SSMaxEnter() { YMaxBeforeEdit = SSMaxValue; }

void TChartNavigation::SSMinEnter() { YMinBeforeEdit = SSMinValue; }

bool TChartNavigation::YRangeCanBeShown(double min, double max) const
{
    if (!(std::fabs(min) <= kYAxisLimit && std::fabs(max) <= kYAxisLimit && max > min)) return false;
    const TValueLabelStyle style = ValueLabelStyleFor(max);
    return max - min >= NarrowestLabelledRange(LabelPicture(style.Format), min, max, chart_.LeftLabelRoom(style.Width));
}

void TChartNavigation::SSMaxValueChanged(double value)
{
    const double previous = SSMaxValue;
    SSMaxValue = value;
    if (!YRangeCanBeShown(SSMinValue, SSMaxValue)) SSMaxValue = YMaxBeforeEdit;
    // The value at the focus may break the order too; the last good one does not.
    if (!YRangeCanBeShown(SSMinValue, SSMaxValue)) SSMaxValue = previous;
    SSMaxScientific = SSMinScientific = !(SSMaxValue > 100);
    State.YAxisMax = SSMaxValue;
    State.YAxisMin = SSMinValue;
    KeepBottomRange();
    LeaveZoom();
}

void TChartNavigation::SSMinValueChanged(double value)
{
    SSMinScientific = State.YAxisMax <= 0.01;
    const double previous = SSMinValue;
    SSMinValue = value;
    if (!YRangeCanBeShown(SSMinValue, SSMaxValue)) SSMinValue = YMinBeforeEdit;
    if (!YRangeCanBeShown(SSMinValue, SSMaxValue)) SSMinValue = previous;
    State.YAxisMin = SSMinValue;
    State.YAxisMax = SSMaxValue;
    KeepBottomRange();
    LeaveZoom();
}

void TChartNavigation::KeepBottomRange()
{
    State.XAxisMin = chart_.Bottom().Minimum();
    State.XAxisMax = chart_.Bottom().Maximum();
}

void TChartNavigation::LeaveZoom()
{
    State.ChartZoomed = false;
    chart_.ForgetZoom();
}
