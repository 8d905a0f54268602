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

TEST_F(TChartModelTest, ValueLabelsOfAnyRangeEndAndStayInsideTheirArea)
{
    const TNumberSeparators point{L".", L","};
    const struct {
        double Min, Max;
        bool TwoOrMore;  // false: too narrow for its values to label at all
    } cases[] = {{0, 1e15, true},      {-10, 9.99e307, true},      {0, 1e8, true},         {5.9999e6, 6.0001e6, true},
                 {1e-30, 3e-30, true}, {1e15, 1e15 + 0.25, false}, {1e15 - 4, 1e15, false}};
    for (const auto& c : cases) {
        const TValueLabelStyle style = ValueLabelStyleFor(c.Max);
        chart.Left().SetLabelFormat(style.Format);
        chart.Left().SetLabelWidth(style.Width);
        chart.Left().SetRange(c.Min, c.Max);
        chart.Left().SetIncrement((c.Max - c.Min) / 10);
        const TLabelRoom room = chart.LeftLabelRoom();
        const TAxisLabels labels = ValueAxisLabels(chart.Left(), chart.YScale(), 15, point, room);
        if (c.TwoOrMore) EXPECT_GE(labels.Labels.size(), 2u) << c.Max;
        for (size_t i = 0; i < labels.Labels.size(); ++i) {
            const TAxisLabel& l = labels.Labels[i];
            EXPECT_LE(room.Measure(l.Text), room.Width) << c.Max << " " << std::string(l.Text.begin(), l.Text.end());
            EXPECT_GE(l.Value, c.Min - labels.Step * 1e-6);
            EXPECT_LE(l.Value, c.Max + labels.Step * 1e-6);
            if (i > 0) EXPECT_NE(l.Text, labels.Labels[i - 1].Text);
        }
    }
}

TEST_F(TChartModelTest, ZoomGoesNoDeeperThanTheAxesCanLabel)
{
    int zooms = 0;
    chart.OnZoom = [&] { ++zooms; };
    const TNumberSeparators point{L".", L","};
    // Eight small drags, one inside the other.
    for (int i = 1; i <= 8; ++i) {
        const TPixelRect plot = chart.PlotRect();
        const int x = (plot.Left + plot.Right) / 2, y = (plot.Top + plot.Bottom) / 2;
        chart.Zoom(TPixelRect{x, y, x + 4, y + 4});
        EXPECT_EQ(zooms, i);
        const double xRange = chart.Bottom().Maximum() - chart.Bottom().Minimum();
        EXPECT_GE(xRange * 86400, 2 - 1e-6) << i;
        const TAxisLabels time = TimeAxisLabels(chart.Bottom(), chart.XScale(), MeasureArial13);
        EXPECT_GE(time.Labels.size(), 2u) << "two time labels in view after zoom " << i;
        const TAxisLabels values = ValueAxisLabels(chart.Left(), chart.YScale(), 15, point, chart.LeftLabelRoom());
        EXPECT_GE(values.Labels.size(), 2u) << "two value labels after zoom " << i;
    }
    // Where doubles cannot tell the rectangle's edges apart there is nothing to zoom into.
    chart.Left().SetRange(1e17, 1e17 + 64);
    const TPixelRect plot = chart.PlotRect();
    chart.Zoom(TPixelRect{plot.Left + 10, plot.Top + 10, plot.Left + 14, plot.Top + 14});
    EXPECT_EQ(zooms, 8);
    EXPECT_EQ(chart.Left().Minimum(), 1e17);
    EXPECT_EQ(chart.Left().Maximum(), 1e17 + 64);
}

TEST_F(TChartModelTest, SettingAnAxisEndsTheZoomSoUndoHasNothingToBringBack)
{
    bool restored = true;
    chart.OnUndoZoom = [&](bool r) { restored = r; };
    const TPixelRect plot = chart.PlotRect();
    const TPixelRect area{plot.Left + 50, plot.Top + 20, plot.Left + 150, plot.Top + 120};
    const struct {
        const char* Name;
        void (*Change)(TChartModel&);
        bool Ends;
    } cases[] = {{"new X range", [](TChartModel& c) { c.Bottom().SetRange(45999.6, 45999.7); }, true},
                 {"Y scaling", [](TChartModel& c) { c.Left().SetAutomatic(true); }, true},
                 {"same Y range", [](TChartModel& c) { c.Left().SetRange(c.Left().Minimum(), c.Left().Maximum()); },
                  false},
                 {"increments and labels",
                  [](TChartModel& c) {
                      c.Left().SetIncrement(1);
                      c.Bottom().SetLabelFormat(L"hh:mm");
                  },
                  false}};
    for (const auto& c : cases) {
        chart.Bottom().SetRange(45999.5, 45999.5 + 600 / 86400.0);
        chart.Left().SetAutomatic(false);
        chart.Left().SetRange(0, 100);
        chart.Zoom(area);
        const double zoomedMax = chart.Left().Maximum();
        c.Change(chart);
        EXPECT_EQ(chart.Zoomed(), !c.Ends) << c.Name;
        chart.UndoZoom();
        EXPECT_EQ(restored, !c.Ends) << c.Name;
        if (c.Ends) EXPECT_NE(chart.Left().Maximum(), 100) << c.Name;
        if (!c.Ends) EXPECT_EQ(chart.Left().Maximum(), 100) << c.Name << " " << zoomedMax;
    }
}
