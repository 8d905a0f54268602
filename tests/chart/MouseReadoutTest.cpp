// The mouse readout: the value format, the index under the mouse with halves
// to even, the gate, the panels in and out of the plot, the layer blank, the
// readout series with its crosshair, and choosing it from the popup menu.
#include <vector>

#include "DateText.h"
#include "MouseReadout.h"
#include "TrendFixture.h"

namespace {

std::wstring Local(const std::wstring& pointText)
{
    std::wstring out;
    for (wchar_t c : pointText)
        if (c == L'.')
            out += TNumberSeparators::User().Decimal;
        else
            out += c;
    return out;
}

struct TXorLine {
    int X0, Y0, X1, Y1;
};

class TMouseReadoutTest : public TTrendFixture {
protected:
    void SetUp() override
    {
        TTrendFixture::SetUp();
        readout.XorLine = [this](int x0, int y0, int x1, int y1, TChartColor color) {
            lines.push_back({x0, y0, x1, y1});
            EXPECT_EQ(color, TMouseReadout::kWhite);
        };
        readout.RepaintChart = [this] {
            ++repaints;
            readout.Chart9AfterDraw();
        };
    }
    // The pixel of a time and a value.
    POINT At(double t, double y) const
    {
        return POINT{static_cast<LONG>(std::lround(trend.Chart9.XScale().ToPixel(t))),
                     static_cast<LONG>(std::lround(trend.Chart9.YScale().ToPixel(y)))};
    }
    void MoveTo(POINT p)
    {
        readout.Timer5Timer();
        readout.Chart9MouseMove(p.x, p.y);
    }

    TMouseReadout& readout = trend.Readout;
    std::vector<TXorLine> lines;
    int repaints = 0;
};

}  // namespace

TEST(ReadoutValueText, ChoosesItsPictureByTheValue)
{
    const struct {
        double Value;
        std::wstring Text;
    } cases[] = {{0, L"0"},
                 {0.0005, Local(L"5.00E-4")},
                 {0.001, Local(L"1.00E-3")},
                 {0.0011, Local(L"0.001")},
                 {0.5, Local(L"0.500")},
                 {100000, Local(L"100000.000")},
                 {100000.4, L"100000"},
                 {-3.4, L"-3"},
                 {-0.0001, L"0"}};
    for (const auto& c : cases) EXPECT_EQ(ReadoutValueText(c.Value), c.Text) << c.Value;
}

TEST(IndexUnderTime, TakesSamplesAsEvenlySpacedAndRoundsHalvesToEven)
{
    TChartSeries series(L"s", 0);
    for (int i = 0; i <= 10; ++i) series.AddXY(i, i * i, 0);
    const TIndexRange all{0, 10};
    const struct {
        double T;
        std::optional<size_t> Index;
    } cases[] = {{2.5, 2}, {3.5, 4}, {7.2, 7}, {0.4, std::nullopt}, {9.6, std::nullopt}, {-5, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(IndexUnderTime(series, all, c.T), c.Index) << c.T;
    EXPECT_FALSE(IndexUnderTime(series, TIndexRange{4, 4}, 4));
}

TEST_F(TMouseReadoutTest, TheGateLetsOneReadoutThroughPerTick)
{
    LogSamples(30);
    const POINT p = At(now - 10 * kOneSecond, 50);
    readout.Chart9MouseMove(p.x, p.y);
    EXPECT_EQ(repaints, 0);
    MoveTo(p);
    EXPECT_EQ(repaints, 1);
    EXPECT_FALSE(readout.ReadoutAllowed);
    readout.Chart9MouseMove(p.x, p.y);
    EXPECT_EQ(repaints, 1);
}

TEST_F(TMouseReadoutTest, BeforeTheFirstSampleThePanelsKeepTheirBlank)
{
    MoveTo(At(now - 60 * kOneSecond, 50));
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(readout.Xvalue, L" ");
    EXPECT_EQ(readout.YSvalue, L" ");
    EXPECT_EQ(readout.Lvalue, L" ");
}

TEST_F(TMouseReadoutTest, ShowsTimeValueAndLayerAndBlanksOutsideThePlot)
{
    LogSamples(60);
    const double t = kTrendStart + 20 * kOneSecond;
    const POINT p = At(t, 50);
    MoveTo(p);
    EXPECT_EQ(readout.Xvalue, LongTimeOfDateText(trend.Chart9.AxisValuesAt(p.x, p.y).X));
    EXPECT_EQ(readout.YSvalue, ReadoutValueText(trend.Chart9.AxisValuesAt(p.x, p.y).Y));
    EXPECT_EQ(readout.Lvalue, L"3");

    MoveTo(At(kTrendStart - 30 * kOneSecond, 50));  // left of the first sample
    EXPECT_EQ(readout.Lvalue, L" ");
    EXPECT_NE(readout.Xvalue, L" ");

    const TPixelRect plot = trend.Chart9.PlotRect();
    MoveTo(POINT{plot.Left - 5, plot.Top + 5});
    EXPECT_EQ(readout.Xvalue, L" ");
    EXPECT_EQ(readout.YSvalue, L" ");
    EXPECT_EQ(readout.Lvalue, L" ");
}

TEST_F(TMouseReadoutTest, LayerZeroShowsAsABlank)
{
    LogSamples(60, 0);
    MoveTo(At(kTrendStart + 20 * kOneSecond, 50));
    EXPECT_EQ(readout.Lvalue, L" ");
    EXPECT_NE(readout.Xvalue, L" ");
}

TEST_F(TMouseReadoutTest, AReadoutSeriesShowsItsSampleUnderACrosshair)
{
    LogSamples(60);
    trend.PMSeriesClick(10);  // "OM Signal [%]"
    EXPECT_EQ(left.Title(), L"OM Signal [%]");
    EXPECT_TRUE(readout.Checked[9]);
    const double t = kTrendStart + 20 * kOneSecond;
    const POINT p = At(t, 5);
    MoveTo(p);
    const TChartSeries& om = trend.Chart9.Series(9);
    const auto visible = om.IndicesWithin(bottom.Minimum(), bottom.Maximum());
    ASSERT_TRUE(visible);
    const auto e = IndexUnderTime(om, *visible, trend.Chart9.AxisValuesAt(p.x, p.y).X);
    ASSERT_TRUE(e);
    EXPECT_EQ(readout.YSvalue, ReadoutValueText(om.YValue(*e)));
    ASSERT_EQ(lines.size(), 2u) << "a vertical and a horizontal line";
    const TPixelRect plot = trend.Chart9.PlotRect();
    EXPECT_EQ(lines[0].X0, p.x);
    EXPECT_EQ(lines[0].Y0, plot.Top);
    EXPECT_EQ(lines[0].Y1, plot.Bottom);
    EXPECT_EQ(lines[1].Y0, At(t, om.YValue(*e)).y);
    EXPECT_EQ(readout.CrosshairX, p.x);

    // The next readout first erases it with the same lines, then draws anew.
    readout.RepaintChart = [this] { ++repaints; };  // a repaint that keeps the picture
    MoveTo(At(t + 5 * kOneSecond, 5));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2].X0, lines[0].X0);
    EXPECT_EQ(lines[3].Y0, lines[1].Y0);

    trend.PMSeriesClick(10);  // the same entry again: dropped
    EXPECT_FALSE(readout.ReadoutSeriesSelected);
    EXPECT_FALSE(readout.Checked[9]);
    EXPECT_EQ(left.Title(), L" ");
}

TEST_F(TMouseReadoutTest, ASeriesWithoutSamplesReadsBlank)
{
    LogSamples(60);
    trend.PMSeriesClick(19);  // "COMM-ZEV-30" never gets a point
    MoveTo(At(kTrendStart + 20 * kOneSecond, 5));
    EXPECT_EQ(readout.YSvalue, L" ");
    EXPECT_EQ(readout.Lvalue, L"3");
    EXPECT_TRUE(lines.empty());
}
