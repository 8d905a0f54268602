// The logging method on prepared value tables: the first-values wait, values
// read from text, samples that end early, the memory cap and its text, and
// the axes by navigation mode.
#include <gtest/gtest.h>

#include "TrendFixture.h"

namespace {

class TTrendLoggerTest : public TTrendFixture {
protected:
    void SetUp() override
    {
        now = kTrendStart + 5 * kOneSecond;
        TTrendFixture::SetUp();
    }
    size_t Points(int series) const { return trend.Chart9.Series(series).Count(); }
    size_t TotalPoints() const
    {
        size_t sum = 0;
        for (int n = 0; n < kTrendSeriesCount; ++n) sum += Points(n);
        return sum;
    }
};

}  // namespace

TEST_F(TTrendLoggerTest, WaitsUntilEveryCellHasAValue)
{
    EXPECT_FALSE(trend.Logger.LogSample());
    FillTrendTable(table, kTrendStart);
    table.SetValue(130, "");
    EXPECT_FALSE(trend.Logger.LogSample());
    EXPECT_EQ(TotalPoints(), 0u);
    EXPECT_EQ(trend.Logger.RamAllocationText, L" ");
    EXPECT_TRUE(trend.Logger.WaitForFirstValues);

    table.SetValue(130, "x");
    EXPECT_TRUE(trend.Logger.LogSample());
    EXPECT_FALSE(trend.Logger.WaitForFirstValues);
    // Once waited, an empty text cell no longer stops anything.
    table.SetValue(130, "");
    table.SetValue(24, "");
    table.SetValue(2, "");
    EXPECT_TRUE(trend.Logger.LogSample());
    EXPECT_EQ(trend.Chart9.Series(16).YValue(1), 0) << "an empty state plots 0";
    EXPECT_EQ(trend.Chart9.Series(kRunSheetSeries).PointLabel(1), L"");
}

TEST_F(TTrendLoggerTest, ReadsEachSeriesFromItsRow)
{
    FillTrendTable(table, kTrendStart, 4);
    table.SetValue(2, std::string(130, 'R'));
    ASSERT_TRUE(trend.Logger.LogSample());
    const TChartModel& chart = trend.Chart9;
    const struct {
        int Series;
        double Value;
    } expected[] = {{0, 5998321},   {1, 5997010}, {2, 6000000}, {3, 6000000},  // halves to even
                    {4, 0.0000025}, {5, 18.5},    {7, 2.5},     {8, 1.25},    {9, 73.25},
                    {13, 41.7},     {16, 1},      {17, 4},      {19, 0}};
    for (const auto& e : expected) {
        ASSERT_EQ(chart.Series(e.Series).Count(), 1u) << e.Series;
        EXPECT_DOUBLE_EQ(chart.Series(e.Series).YValue(0), e.Value) << e.Series;
        EXPECT_NEAR(chart.Series(e.Series).XValue(0), kTrendStart, 1e-9) << e.Series;
    }
    EXPECT_EQ(chart.Series(kCommSeries).Count(), 0u) << "series 19 gets no points";
    EXPECT_EQ(chart.Series(kRunSheetSeries).PointLabel(0), std::wstring(100, L'R'));
    EXPECT_EQ(chart.Series(kRunSheetSeries).PointColor(0), 6200001u);

    table.SetValue(24, "DEPOSIT");  // case matters
    ASSERT_TRUE(trend.Logger.LogSample());
    EXPECT_EQ(chart.Series(16).YValue(1), 0);
}

TEST_F(TTrendLoggerTest, ATextThatIsNoValueEndsTheSampleWithNothingAdded)
{
    FillTrendTable(table, kTrendStart);
    ASSERT_TRUE(trend.Logger.LogSample());
    const double estimate = trend.Logger.RamEstimateKB;
    const struct {
        int Row;
        std::string Text;
    } bad[] = {{13, LocalNumber("2.5")}, {13, "3a"}, {6, "no time"}, {14, "abc"}, {7, ""}, {11, "1e999"}};
    for (const auto& b : bad) {
        FillTrendTable(table, kTrendStart + kOneSecond);
        table.SetValue(b.Row, b.Text);
        EXPECT_FALSE(trend.Logger.LogSample()) << b.Row << " " << b.Text;
        EXPECT_EQ(TotalPoints(), 19u) << b.Row << " " << b.Text;
        EXPECT_EQ(trend.Logger.RamEstimateKB, estimate);
    }
}

TEST_F(TTrendLoggerTest, TheRamTextGroupsThousandsFromOneThousandKilobytes)
{
    FillTrendTable(table, kTrendStart);
    const std::wstring thousands = TNumberSeparators::User().Thousands;
    const struct {
        int Samples;
        std::wstring Text;
    } cases[] = {{1, L"1 KB"}, {1249, L"999 KB"}, {1250, L"1" + thousands + L"000 KB"}};
    int done = 0;
    for (const auto& c : cases) {
        for (; done < c.Samples; ++done) {
            NextTrendSample(table, kTrendStart + done * kOneSecond, done);
            ASSERT_TRUE(trend.Logger.LogSample());
        }
        EXPECT_EQ(trend.Logger.RamAllocationText, c.Text) << c.Samples;
    }
    EXPECT_EQ(Points(0), 1250u);
}

TEST_F(TTrendLoggerTest, AtTheCapEachSampleDropsTheOldestPoint)
{
    FillTrendTable(table, kTrendStart);
    for (int i = 0; i < 3; ++i) {
        NextTrendSample(table, kTrendStart + i * kOneSecond, i);
        ASSERT_TRUE(trend.Logger.LogSample());
    }
    trend.Logger.RamEstimateKB = 100000.5;
    NextTrendSample(table, kTrendStart + 3 * kOneSecond, 3);
    ASSERT_TRUE(trend.Logger.LogSample());
    for (int n = 0; n < kTrendSeriesCount; ++n) EXPECT_EQ(Points(n), n == kCommSeries ? 0u : 3u) << n;
    EXPECT_NEAR(trend.Chart9.Series(0).XValue(0), kTrendStart + kOneSecond, 1e-9);
    EXPECT_NEAR(trend.Logger.RamEstimateKB, 100000.5, 1e-9);
    EXPECT_EQ(trend.Logger.RamAllocationText, L"100" + TNumberSeparators::User().Thousands + L"001 KB");
}

TEST_F(TTrendLoggerTest, AxesFollowTheNavigationMode)
{
    FillTrendTable(table, kTrendStart, 0);
    TNavigationState& state = trend.Navigation.State;
    const TChartAxis& bottom = trend.Chart9.Bottom();
    const TChartAxis& left = trend.Chart9.Left();

    ASSERT_TRUE(trend.Logger.LogSample());  // live
    EXPECT_DOUBLE_EQ(bottom.Maximum(), now + 0.000001);
    EXPECT_DOUBLE_EQ(bottom.Minimum(), now - 0.0069444 + 0.000001);
    EXPECT_DOUBLE_EQ(bottom.Increment(), 0.00069444);
    EXPECT_EQ(bottom.Title(), L"Date: " + ShortDateOfDateText(kTrendStart)) << "layer 0: no run sheet";
    EXPECT_FALSE(left.Automatic());
    EXPECT_EQ(left.Maximum(), 100);
    EXPECT_EQ(bottom.LabelFormat(), L"hh:mm:ss");

    FillTrendTable(table, kTrendStart + kOneSecond, 2);
    state.XAxisLive = false;  // fixed
    state.XAxisMin = kTrendDay - 1;
    state.XAxisMax = kTrendDay - 0.5;
    state.YAxisAuto = true;
    ASSERT_TRUE(trend.Logger.LogSample());
    EXPECT_EQ(bottom.Minimum(), kTrendDay - 1);
    EXPECT_EQ(bottom.Maximum(), kTrendDay - 0.5);
    EXPECT_EQ(bottom.Title(), L"Date: " + ShortDateOfDateText(kTrendDay - 1) + L"  AR-Coating 550nm");
    EXPECT_TRUE(left.Automatic());

    state.ChartZoomed = true;  // zoomed: nothing moves
    trend.Chart9.Bottom().SetRange(1, 2);
    ASSERT_TRUE(trend.Logger.LogSample());
    EXPECT_EQ(bottom.Minimum(), 1);
    EXPECT_EQ(bottom.Maximum(), 2);
}

TEST_F(TTrendLoggerTest, LeftLabelsTakeTheirFormatFromTheAxisMaximum)
{
    FillTrendTable(table, kTrendStart);
    const struct {
        double Max;
        const wchar_t* Format;
        int Width;
    } cases[] = {{0.01, L"0.0E-", 52}, {0.0100001, L"0.000", 58}, {9999.99, L"0.000", 58}, {10000, L"#,##0###", 68}};
    for (const auto& c : cases) {
        trend.Navigation.State.YAxisMin = 0;
        trend.Navigation.State.YAxisMax = c.Max;
        ASSERT_TRUE(trend.Logger.LogSample());
        EXPECT_EQ(trend.Chart9.Left().LabelFormat(), c.Format) << c.Max;
        EXPECT_EQ(trend.Chart9.Left().LabelWidth(), c.Width) << c.Max;
    }
}
