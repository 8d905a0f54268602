// The chart without a window: plot rectangle, pixels and values, automatic
// scaling, the rectangle zoom and its undo, and the labels of both axes.
#include <gtest/gtest.h>

#include <cmath>

#include "AxisLabels.h"
#include "ChartModel.h"
#include "ValueLabelStyle.h"

namespace {

class TChartModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.SetSize(726, 440);
        chart.Bottom().SetRange(45999.5, 45999.5 + 600 / 86400.0);
        chart.Left().SetRange(0, 100);
        a = &chart.AddSeries(L"a", 0);
        b = &chart.AddSeries(L"b", 255);
    }
    TChartModel chart;
    TChartSeries* a = nullptr;
    TChartSeries* b = nullptr;
};

// Arial 13 pixels draws a digit about 7 pixels wide and a colon about 4.
int MeasureArial13(std::wstring_view text)
{
    int width = 0;
    for (wchar_t c : text) width += c >= L'0' && c <= L'9' ? 7 : 4;
    return width;
}

}  // namespace

TEST_F(TChartModelTest, PlotLeavesRoomForLabelsAndTitlesAndMapsBothWays)
{
    const TPixelRect plain = chart.PlotRect();
    chart.Left().SetTitle(L" ");
    chart.Bottom().SetTitle(L"Date: 12/8/2025");
    const TPixelRect titled = chart.PlotRect();
    EXPECT_GT(titled.Left, plain.Left);
    EXPECT_LT(titled.Bottom, plain.Bottom);
    chart.Left().SetLabelWidth(68);
    EXPECT_EQ(chart.PlotRect().Left, titled.Left + 10) << "the label area comes from 58 to 68";
    EXPECT_EQ(chart.PlotRect().Right, 726 - 1 - chart.Metrics().RightMargin);

    const TPixelRect plot = chart.PlotRect();
    const TChartPoint corner = chart.AxisValuesAt(plot.Left, plot.Bottom);
    EXPECT_DOUBLE_EQ(corner.X, 45999.5);
    EXPECT_DOUBLE_EQ(corner.Y, 0);
    const TChartPoint top = chart.AxisValuesAt(plot.Right, plot.Top);
    EXPECT_DOUBLE_EQ(top.Y, 100);
    EXPECT_NEAR(chart.XScale().ToPixel(chart.AxisValuesAt(300, 200).X), 300, 1e-6);
}

TEST_F(TChartModelTest, AutomaticScalingFollowsTheVisibleDataInsideTheWindow)
{
    for (int i = 0; i < 1200; ++i) {
        const double t = 45999.5 - 600 / 86400.0 + i / 86400.0;
        a->AddXY(t, i < 600 ? 1000.0 : 20.0 + i % 10, 0);  // the 1000s lie before the window
        b->AddXY(t, -5.0, 0);
    }
    chart.Left().SetAutomatic(true);
    EXPECT_EQ(chart.Left().Minimum(), -5);
    EXPECT_EQ(chart.Left().Maximum(), 29);
    b->SetVisible(false);
    EXPECT_EQ(chart.Left().Minimum(), 20);
    chart.Bottom().SetRange(45999.5 - 600 / 86400.0, 45999.5);
    EXPECT_EQ(chart.Left().Maximum(), 1000);
    // A flat line gets room around it; no data in the window keeps the range.
    a->SetVisible(false);
    b->SetVisible(true);
    EXPECT_LT(chart.Left().Minimum(), -5);
    EXPECT_GT(chart.Left().Maximum(), -5);
    chart.Bottom().SetRange(1, 2);
    EXPECT_LT(chart.Left().Minimum(), -5);
    chart.Left().SetAutomatic(false);
    chart.Left().SetRange(0, 100);
    EXPECT_EQ(chart.Left().Maximum(), 100);
}

TEST_F(TChartModelTest, ZoomKeepsTheFirstRangesUntilUndone)
{
    int zooms = 0, undos = 0;
    chart.OnZoom = [&] { ++zooms; };
    chart.OnUndoZoom = [&](bool) { ++undos; };
    chart.Left().SetAutomatic(true);
    b->AddXY(45999.5, 10, 0);
    b->AddXY(45999.501, 30, 0);
    const double autoMax = chart.Left().Maximum();
    const TPixelRect plot = chart.PlotRect();
    const int midX = (plot.Left + plot.Right) / 2, midY = (plot.Top + plot.Bottom) / 2;
    const double zoomedMin = chart.AxisValuesAt(0, midY).Y;
    chart.Zoom(TPixelRect{plot.Left, plot.Top, midX, midY});
    EXPECT_EQ(zooms, 1);
    EXPECT_TRUE(chart.Zoomed());
    EXPECT_FALSE(chart.Left().Automatic());
    EXPECT_NEAR(chart.Left().Minimum(), zoomedMin, 1e-9);
    EXPECT_NEAR(chart.Left().Maximum(), autoMax, 1e-9);
    chart.Zoom(TPixelRect{plot.Left + 10, plot.Top + 10, midX, midY});  // a zoom inside the zoom
    chart.Zoom(TPixelRect{5, 5, 5, 50});                                // no width: nothing
    EXPECT_EQ(zooms, 2);

    chart.UndoZoom();
    EXPECT_EQ(undos, 1);
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(chart.Left().Automatic());
    EXPECT_DOUBLE_EQ(chart.Bottom().Minimum(), 45999.5);
    EXPECT_DOUBLE_EQ(chart.Bottom().Maximum(), 45999.5 + 600 / 86400.0);
    chart.UndoZoom();  // nothing to put back, but the event still comes
    EXPECT_EQ(undos, 2);
    EXPECT_DOUBLE_EQ(chart.Bottom().Minimum(), 45999.5);
}

TEST_F(TChartModelTest, RevisionCountsEveryChangeOfThePicture)
{
    auto last = chart.Revision();
    const auto changed = [&] {
        const auto now = chart.Revision();
        const bool differs = now != last;
        last = now;
        return differs;
    };
    a->AddXY(1, 1, 0);
    EXPECT_TRUE(changed());
    a->SetLineWidth(2);
    EXPECT_TRUE(changed());
    a->SetLineWidth(2);
    EXPECT_FALSE(changed());
    chart.Left().SetTitle(L"Layer Number");
    EXPECT_TRUE(changed());
    chart.SetSize(726, 440);
    EXPECT_FALSE(changed());
    chart.Bottom().SetRange(0, 1);
    EXPECT_TRUE(changed());
}

TEST(TidySteps, AreOneTwoFiveAndClockSteps)
{
    const std::pair<double, double> values[] = {{0.7, 1},          {1, 1},       {1.2, 2},      {3, 5}, {6, 10},
                                                {0.00011, 0.0002}, {1100, 2000}, {25000, 50000}};
    for (const auto& [in, out] : values) EXPECT_DOUBLE_EQ(TidyValueStep(in), out) << in;
    const std::pair<double, double> seconds[] = {{0.0001157 * 86400 / 10, 1}, {59.99616, 60}, {12.00096, 15},
                                                 {2879.9997, 3600},           {3, 5},         {200000, 432000}};
    for (const auto& [in, out] : seconds) EXPECT_NEAR(TidyTimeStep(in / 86400) * 86400, out, 1e-6) << in;
}

TEST_F(TChartModelTest, TimeLabelsFallOnWholeMinutesAndLeaveRoomBetweenThem)
{
    chart.Bottom().SetLabelFormat(L"hh:mm:ss");
    const struct {
        double SpanDays;
        double StepSeconds;
    } cases[] = {{0.0001157, 1}, {0.0069444, 60}, {0.0624999, 600}, {0.3333333, 3600}, {0.0013889, 15}};
    for (const auto& c : cases) {
        const double now = 45999.61234;
        chart.Bottom().SetRange(now - c.SpanDays + 0.000001, now + 0.000001);
        chart.Bottom().SetIncrement(c.SpanDays / 10);
        const TAxisLabels labels = TimeAxisLabels(chart.Bottom(), chart.XScale(), MeasureArial13);
        EXPECT_NEAR(labels.Step * 86400, c.StepSeconds, 1e-6) << c.SpanDays;
        ASSERT_GE(labels.Labels.size(), 5u) << c.SpanDays;
        for (size_t i = 1; i < labels.Labels.size(); ++i)
            EXPECT_GE(labels.Labels[i].Pixel - labels.Labels[i - 1].Pixel, 6 * 7 + 2 * 4 + 8) << c.SpanDays;
        for (const TAxisLabel& l : labels.Labels) {
            EXPECT_EQ(l.Text.size(), 8u);
            EXPECT_NEAR(std::fmod(std::round(l.Value * 86400), c.StepSeconds), 0, 1e-6);
        }
    }
    // Half a minute on the whole width: the step grows until the labels fit.
    chart.SetSize(200, 440);
    chart.Bottom().SetRange(45999.5, 45999.5 + 30 / 86400.0);
    chart.Bottom().SetIncrement(1 / 86400.0);
    const TAxisLabels narrow = TimeAxisLabels(chart.Bottom(), chart.XScale(), MeasureArial13);
    EXPECT_GE(narrow.Step * 86400, 10 - 1e-6);
}

TEST_F(TChartModelTest, ValueLabelsReadDifferentlyAndDoNotCrowd)
{
    const TNumberSeparators point{L".", L","};
    const struct {
        double Min, Max;
        const wchar_t* Format;
        const wchar_t* First;
        const wchar_t* Last;
    } cases[] = {{0, 100, L"0.000", L"0.000", L"100.000"},
                 {-10, 10, L"0.000", L"-10.000", L"10.000"},
                 {0, 6000000, L"#,##0###", L"0", L"6,000,000"},
                 {0, 0.005, L"0.0E-", L"0.0E0", L"5.0E-3"},
                 {0.0100, 0.0105, L"0.000", L"0.010", L"0.011"}};  // finer steps would repeat texts
    for (const auto& c : cases) {
        chart.Left().SetRange(c.Min, c.Max);
        chart.Left().SetIncrement((c.Max - c.Min) / 10);
        chart.Left().SetLabelFormat(c.Format);
        const TAxisLabels labels = ValueAxisLabels(chart.Left(), chart.YScale(), 15, point);
        ASSERT_GE(labels.Labels.size(), 2u) << c.Max;
        EXPECT_EQ(labels.Labels.front().Text, c.First);
        EXPECT_EQ(labels.Labels.back().Text, c.Last);
        for (size_t i = 1; i < labels.Labels.size(); ++i) {
            EXPECT_NE(labels.Labels[i].Text, labels.Labels[i - 1].Text);
            EXPECT_GE(labels.Labels[i - 1].Pixel - labels.Labels[i].Pixel, 15) << "rows grow downwards";
        }
    }
}

TEST_F(TChartModelTest, ValueLabelsOfAnyRangeEndAndFitTheirArea)
{
    const struct {
        double Min, Max;
        size_t AtLeast;  // 0: too narrow for values that large to label
    } cases[] = {{0, 1e15, 2},      {-10, 9.99e307, 2},    {0, 1e8, 2}, {5.9999e6, 6.0001e6, 2},
                 {1e-30, 3e-30, 2}, {1e15, 1e15 + 0.25, 0}};
    for (const auto& c : cases) {
        chart.Left().SetLabelFormat(ValueLabelStyleFor(c.Max).Format);
        chart.Left().SetLabelWidth(ValueLabelStyleFor(c.Max).Width);
        chart.Left().SetRange(c.Min, c.Max);
        const TLabelRoom room = chart.LeftLabelRoom();
        const auto labels = ValueAxisLabels(chart.Left(), chart.YScale(), 15, TNumberSeparators{L".", L","}, room);
        EXPECT_GE(labels.Labels.size(), c.AtLeast) << c.Max;
        for (const TAxisLabel& l : labels.Labels) EXPECT_LE(room.Measure(l.Text), room.Width) << c.Max;
    }
}

TEST_F(TChartModelTest, NestedZoomsStopWhereTheAxesStillShowTwoLabels)
{
    for (int i = 0; i < 8; ++i) {
        const TPixelRect p = chart.PlotRect();
        chart.Zoom(TPixelRect{(p.Left + p.Right) / 2, (p.Top + p.Bottom) / 2, (p.Left + p.Right) / 2 + 4,
                              (p.Top + p.Bottom) / 2 + 4});
    }
    EXPECT_GE(TimeAxisLabels(chart.Bottom(), chart.XScale(), MeasureArial13).Labels.size(), 2u);
    EXPECT_GE(ValueAxisLabels(chart.Left(), chart.YScale(), 15, {}, chart.LeftLabelRoom()).Labels.size(), 2u);
    // Edges that doubles cannot tell apart give nothing to zoom into.
    chart.Left().SetRange(1e17, 1e17 + 64);
    chart.Zoom(TPixelRect{100, 100, 104, 104});
    EXPECT_EQ(chart.Left().Maximum(), 1e17 + 64);
}
