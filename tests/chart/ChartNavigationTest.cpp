// Navigation transitions between live, fixed and zoomed, the time span, the
// delayed shift, the scroll arrows, the Y mode and the Y edit rules.
#include "TrendFixture.h"

using TChartNavigationTest = TTrendFixture;

TEST_F(TChartNavigationTest, StartsLiveOnTenMinutesWithAManualYRange)
{
    EXPECT_TRUE(state.XAxisLive);
    EXPECT_FALSE(state.ChartZoomed);
    EXPECT_DOUBLE_EQ(state.XAxisSpan, 0.0069444);
    EXPECT_EQ(nav.TimeSpanIndex, 5);
    EXPECT_EQ(nav.PM22Caption, L"Y-Axis Auto ON");
    EXPECT_FALSE(nav.UndoZoomEnabled);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), now + 0.000001);
    EXPECT_EQ(left.Minimum(), 0);
    EXPECT_EQ(left.Maximum(), 100);
    EXPECT_EQ(left.Increment(), 10);
    EXPECT_EQ(bottom.Title(), L"Date: " + ShortDateOfDateText(now));
}

TEST_F(TChartNavigationTest, ASpanInLiveModeWidensTheWindowUpToNow)
{
    LogSamples(2);
    nav.PMTimeSpanClick(11);  // "8 hr"
    EXPECT_DOUBLE_EQ(state.XAxisSpan, 0.3333333);
    LogSamples(1);
    EXPECT_DOUBLE_EQ(bottom.Minimum(), now - 0.3333333 + 0.000001);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), now + 0.000001);
}

TEST_F(TChartNavigationTest, ASpanInFixedModeKeepsTheRightEdge)
{
    LogSamples(2);
    nav.ScrlXChanging();
    nav.ScrlXClick(-1);  // fixed now, a tenth back
    LogSamples(1);
    const double right = bottom.Maximum();
    nav.TimeSpanIndex = 6;  // "30 min"
    nav.XAxisTSClick();
    LogSamples(1);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), right);
    EXPECT_DOUBLE_EQ(bottom.Minimum(), right - 0.0208333);
}

TEST_F(TChartNavigationTest, QuickShiftClicksMoveOneSpanInTheLastDirection)
{
    LogSamples(2);
    const double min = bottom.Minimum(), max = bottom.Maximum();
    for (int position : {-1, -2, -3}) {
        nav.XAxisScrlChanging();
        nav.XAxisScrlClick(position);
    }
    EXPECT_TRUE(nav.Timer2Enabled);
    EXPECT_TRUE(state.XAxisLive) << "nothing moves before the timer";
    nav.Timer2Timer();
    EXPECT_FALSE(nav.Timer2Enabled);
    EXPECT_FALSE(state.XAxisLive);
    EXPECT_DOUBLE_EQ(state.XAxisMin, min - state.XAxisSpan);
    EXPECT_DOUBLE_EQ(state.XAxisMax, max - state.XAxisSpan);

    LogSamples(1);
    for (int position : {-2, -1}) {  // back and forth: the last click counts
        nav.XAxisScrlChanging();
        nav.XAxisScrlClick(position);
    }
    nav.Timer2Timer();
    EXPECT_DOUBLE_EQ(state.XAxisMin, min);
    EXPECT_DOUBLE_EQ(state.XAxisMax, max);
}

TEST_F(TChartNavigationTest, ScrollArrowsMoveATenthAndResetGoesLiveAgain)
{
    LogSamples(2);
    const double min = bottom.Minimum(), max = bottom.Maximum();
    nav.ScrlXChanging();
    nav.ScrlXClick(1);
    EXPECT_DOUBLE_EQ(state.XAxisMin, min + (max - min) / 10);
    EXPECT_FALSE(state.XAxisLive);
    nav.ScrlYChanging();
    nav.ScrlYClick(-1);
    EXPECT_DOUBLE_EQ(state.YAxisMin, -10);
    EXPECT_DOUBLE_EQ(state.YAxisMax, 90);
    EXPECT_DOUBLE_EQ(state.XAxisMin, min) << "the Y arrows keep the X range as shown";

    nav.PMTimeSpanClick(8);
    nav.ResetXClick();
    EXPECT_TRUE(state.XAxisLive);
    EXPECT_EQ(nav.TimeSpanIndex, 5);
    EXPECT_DOUBLE_EQ(state.XAxisSpan, 0.0069444);
    EXPECT_EQ(nav.ScrlXPosition, 0);
    EXPECT_EQ(nav.XAxisScrlPosition, 0);
    EXPECT_EQ(nav.ScrlYPosition, -1) << "the Y arrows keep their position";
}

TEST_F(TChartNavigationTest, AZoomHoldsOnlyInFixedModeUntilUndone)
{
    LogSamples(5);
    const TPixelRect plot = trend.Chart9.PlotRect();
    const TPixelRect area{plot.Left + 50, plot.Top + 20, plot.Left + 150, plot.Top + 120};

    trend.Chart9.Zoom(area);  // while live: the next sample sets the axes again
    EXPECT_TRUE(state.ChartZoomed);
    EXPECT_TRUE(nav.UndoZoomEnabled);
    EXPECT_FALSE(nav.YModeBoxEnabled);
    LogSamples(1);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), now + 0.000001);

    nav.ScrlXChanging();
    nav.ScrlXClick(1);
    LogSamples(1);
    const double shownMin = bottom.Minimum(), shownMax = bottom.Maximum();
    trend.Chart9.Zoom(area);
    const double zoomedMin = bottom.Minimum(), zoomedMax = bottom.Maximum();
    EXPECT_NEAR(bottom.Increment(), (zoomedMax - zoomedMin) / 10, 1e-12);
    LogSamples(1);
    EXPECT_EQ(bottom.Minimum(), zoomedMin);
    EXPECT_EQ(bottom.Maximum(), zoomedMax);

    nav.UndoZoomClick();
    EXPECT_FALSE(state.ChartZoomed);
    EXPECT_FALSE(nav.UndoZoomEnabled);
    EXPECT_TRUE(nav.YModeBoxEnabled);
    // Back to the window the scroll showed, not to the live one of the first zoom.
    EXPECT_EQ(bottom.Minimum(), shownMin);
    EXPECT_EQ(state.XAxisMin, shownMin);
    EXPECT_EQ(state.XAxisMax, shownMax);
}

TEST_F(TChartNavigationTest, ShiftAndResetStartFromWhatIsShownNotFromAZoomLongGone)
{
    LogSamples(5);
    const TPixelRect p = trend.Chart9.PlotRect();
    trend.Chart9.Zoom(TPixelRect{p.Left + 50, p.Top + 20, p.Left + 150, p.Top + 120});
    LogSamples(3600);  // an hour live: the samples undid the zoom long ago
    const double min = bottom.Minimum();
    nav.XAxisScrlChanging();
    nav.XAxisScrlClick(-1);
    nav.Timer2Timer();
    EXPECT_DOUBLE_EQ(state.XAxisMin, min - state.XAxisSpan);
    // A Y edit after a zoom, with or without a sample before Reset.
    for (const double max : {50.0, 60.0}) {
        trend.Chart9.Zoom(TPixelRect{p.Left + 50, p.Top + 20, p.Left + 150, p.Top + 120});
        nav.SSMaxEnter();
        nav.SSMaxValueChanged(max);
        if (max == 50) LogSamples(1);
        nav.ResetXClick();
        LogSamples(1);
        EXPECT_EQ(left.Maximum(), max);
    }
}

TEST_F(TChartNavigationTest, YEditsRefuseRangesTheAxisCannotLabel)
{
    const struct {
        bool Max;  // which edit
        double Value, ThenMin, ThenMax;
    } steps[] = {{true, 1e308, 0, 100},         {true, 9.99e307, 0, 100},  // "1e309" as the edit reads it
                 {true, 1e15, 0, 1e15},         {true, 1e15 + 0.25, 0, 1e15},
                 {false, 1e15 - 0.25, 0, 1e15},  // a quarter at 1e15: no two labels differ
                 {false, 5e14, 5e14, 1e15}};
    for (const auto& step : steps) {
        step.Max ? nav.SSMaxEnter() : nav.SSMinEnter();
        step.Max ? nav.SSMaxValueChanged(step.Value) : nav.SSMinValueChanged(step.Value);
        EXPECT_EQ(state.YAxisMin, step.ThenMin) << step.Value;
        EXPECT_EQ(state.YAxisMax, step.ThenMax) << step.Value;
    }
}

TEST_F(TChartNavigationTest, TheYModeBoxAndItsPopupEntrySwitchAutomaticScaling)
{
    nav.YModeIndex = 1;
    nav.ComboBox6Change();
    EXPECT_TRUE(state.YAxisAuto);
    EXPECT_FALSE(nav.ScrlYEnabled);
    EXPECT_EQ(nav.PM22Caption, L"Y-Axis Auto OFF");
    LogSamples(2);
    EXPECT_TRUE(left.Automatic());
    nav.PM22Click();
    EXPECT_EQ(nav.YModeIndex, 0);
    EXPECT_FALSE(state.YAxisAuto);
    EXPECT_TRUE(nav.ScrlYEnabled);
    EXPECT_EQ(state.YAxisMax, nav.SSMaxValue);
    LogSamples(1);
    EXPECT_FALSE(left.Automatic());
}

TEST_F(TChartNavigationTest, YEditsKeepTheOrderAndSwitchTheirNotation)
{
    nav.SSMaxEnter();
    nav.SSMaxValueChanged(50);
    EXPECT_TRUE(nav.SSMaxScientific);
    EXPECT_TRUE(nav.SSMinScientific);
    EXPECT_EQ(state.YAxisMax, 50);
    nav.SSMaxEnter();
    nav.SSMaxValueChanged(150);
    EXPECT_FALSE(nav.SSMaxScientific);
    EXPECT_FALSE(nav.SSMinScientific);

    nav.SSMaxEnter();
    nav.SSMaxValueChanged(0);  // equal to the minimum: the previous maximum comes back
    EXPECT_EQ(nav.SSMaxValue, 150);
    EXPECT_EQ(state.YAxisMax, 150);

    nav.SSMinEnter();
    nav.SSMinValueChanged(150);  // not below the maximum
    EXPECT_EQ(nav.SSMinValue, 0);
    nav.SSMinValueChanged(-5);
    EXPECT_EQ(state.YAxisMin, -5);

    nav.SSMaxEnter();
    nav.SSMaxValueChanged(0.005);
    nav.SSMinEnter();
    nav.SSMinValueChanged(-1);
    EXPECT_TRUE(nav.SSMinScientific) << "the stored maximum is 0.01 or less";
    EXPECT_TRUE(state.XAxisLive) << "the edits leave live mode alone";
}
