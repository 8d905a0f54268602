// The "Series" page's rows, the all-series switch, colours, line widths and
// the reset panel, and the popup entries that reach them.
#include "TrendFixture.h"

using TSeriesOptionsTest = TTrendFixture;

TEST_F(TSeriesOptionsTest, ShowTurnsARowToHideAndBack)
{
    TSeriesOptions& options = trend.Options;
    const TChartSeries& first = trend.Chart9.Series(0);
    EXPECT_TRUE(first.Visible());
    EXPECT_EQ(options.SHCaption[0], L"Show");
    EXPECT_EQ(options.RowColor(0), kSilver);
    options.SHClick(0);
    EXPECT_TRUE(first.Visible());
    EXPECT_EQ(options.SHCaption[0], L"Hide");
    EXPECT_EQ(options.RowColor(0), kButtonFace);
    options.SHClick(0);
    EXPECT_FALSE(first.Visible());
    EXPECT_EQ(options.SHCaption[0], L"Show");
    EXPECT_FALSE(options.SHEnabled[kRunSheetSeries]);
    EXPECT_FALSE(trend.Chart9.Series(kRunSheetSeries).Visible());
}

TEST_F(TSeriesOptionsTest, AllSeriesSwitchLeavesSeriesTwentyAlone)
{
    TSeriesOptions& options = trend.Options;
    trend.PMSeriesClick(20);  // the readout series: series 20 becomes visible
    ASSERT_TRUE(trend.Chart9.Series(kRunSheetSeries).Visible());
    EXPECT_EQ(options.HSAllSCaption, L"Hide All Series");
    options.HSAllSClick();
    EXPECT_EQ(options.HSAllSCaption, L"Show All Series");
    for (int n = 0; n < kRunSheetSeries; ++n) {
        EXPECT_FALSE(trend.Chart9.Series(n).Visible()) << n;
        EXPECT_EQ(options.SHCaption[static_cast<size_t>(n)], L"Show") << n;
        EXPECT_EQ(options.RowColor(n), kSilver) << n;
    }
    EXPECT_TRUE(trend.Chart9.Series(kRunSheetSeries).Visible());
    options.HSAllSClick();
    for (int n = 0; n < kRunSheetSeries; ++n) EXPECT_TRUE(trend.Chart9.Series(n).Visible()) << n;
    EXPECT_EQ(options.SHCaption[0], L"Hide");
}

TEST_F(TSeriesOptionsTest, ThePopupAllSeriesEntryAlsoDropsTheReadoutChecks)
{
    trend.PMSeriesClick(5);
    EXPECT_EQ(left.Title(), L"Chamber Pressure [Torr]");
    trend.PM21Click();  // hides everything
    EXPECT_EQ(trend.Options.HSAllSCaption, L"Show All Series");
    for (bool checked : trend.Readout.Checked) EXPECT_FALSE(checked);
    EXPECT_TRUE(trend.Readout.ReadoutSeriesSelected) << "kept, as the readout shows";
    EXPECT_EQ(left.Title(), L" ");
    trend.PM21Click();  // shows everything: the checks stay as they are
    EXPECT_EQ(trend.Options.HSAllSCaption, L"Hide All Series");
}

TEST_F(TSeriesOptionsTest, LineWidthStepsTwoThreeOneTwoWithANotice)
{
    TSeriesOptions& options = trend.Options;
    for (int expected : {2, 3, 1, 2}) {
        options.SSLDblClick(3);
        EXPECT_EQ(trend.Chart9.Series(3).LineWidth(), expected);
        EXPECT_EQ(options.SerLineWidth, L"Xtal 4 Frequency [Hz]  -  Line Width = " + std::to_wstring(expected));
        EXPECT_TRUE(options.Panel2Visible);
        EXPECT_TRUE(options.Timer3Enabled);
    }
    options.Timer3Timer();
    EXPECT_FALSE(options.Panel2Visible);
    EXPECT_FALSE(options.Timer3Enabled);

    options.Timer4Timer();
    EXPECT_TRUE(options.AnyWideLine);
    EXPECT_TRUE(options.Panel3Visible);
    options.ResetSLWClick();
    EXPECT_TRUE(options.Panel3Visible) << "until the next tick";
    options.Timer4Timer();
    EXPECT_FALSE(options.Panel3Visible);
    EXPECT_EQ(trend.Chart9.Series(3).LineWidth(), 1);
}

TEST_F(TSeriesOptionsTest, AChosenColourGoesToSwatchAndLineACancelledOneNowhere)
{
    TSeriesOptions& options = trend.Options;
    EXPECT_EQ(options.SwatchColor[13], kWindowFrameColor);
    TChartColor offered = 0;
    options.CPDblClick(13, [&](TChartColor current) -> std::optional<TChartColor> {
        offered = current;
        return ChartRgb(1, 2, 3);
    });
    EXPECT_EQ(offered, kWindowFrameColor);
    EXPECT_EQ(options.SwatchColor[13], ChartRgb(1, 2, 3));
    EXPECT_EQ(trend.Chart9.Series(13).Color(), ChartRgb(1, 2, 3));
    options.CPDblClick(13, [](TChartColor) { return std::optional<TChartColor>(); });
    EXPECT_EQ(trend.Chart9.Series(13).Color(), ChartRgb(1, 2, 3));
}
