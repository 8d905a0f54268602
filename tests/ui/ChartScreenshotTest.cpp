// Eight minutes of a simulated run on the "Data Charting" and "Series" pages,
// kept as chart-screenshot.bmp and series-screenshot.bmp in the build tree for
// people to look at, with a look at the pixels: lines where the data are,
// clean background where they are not.
#include "ScreenCapture.h"
#include "TrendValues.h"
#include "UiTestUtil.h"

namespace {

class TChartScreenshot : public TFormTest {
protected:
    void LogRun(int seconds)
    {
        TTrendChart& trend = form->Charting.Trend;
        trend.Logger.Now = [this] { return now; };
        FillTrendTable(form->ItemValueTable, now);  // every row written once, as the companion does
        for (int i = 0; i < seconds; ++i) {
            now = kTrendStart + i * kOneSecond;
            SimulatedTrendSample(form->ItemValueTable, now, i);
            form->Timer1Timer();
        }
    }
    void ShowPage(int page)
    {
        form->PageControl1.Select(page);
        for (TPanel* sheet : {&form->TabSheet1, &form->TabSheet2, &form->TabSheet3})
            ShowWindow(sheet->Handle(), sheet == &form->TabSheet1 + page ? SW_SHOW : SW_HIDE);
        SetForegroundWindow(form->Handle());
        ASSERT_TRUE(Settle(*form));
    }
    double now = kTrendStart;
};

}  // namespace

TEST_F(TChartScreenshot, DataChartingPageShowsTheRunWithReadableAxes)
{
    form->Timer1.SetEnabled(false);  // the test logs its own samples
    LogRun(480);
    ShowPage(1);
    TChart& chart = form->Charting.DataPage.Chart9;
    // A readout series with its crosshair, as an operator would have it.
    form->PMClick(10);
    const TPixelRect plot = chart.Model().PlotRect();
    const int x = plot.Left + (plot.Right - plot.Left) * 3 / 4, y = (plot.Top + plot.Bottom) / 2;
    form->Timer5Timer();
    SendMessageW(chart.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));

    // The OM signal's magenta is on the screen where its samples are, and
    // nowhere left of the first sample.
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    POINT origin{0, 0};
    ClientToScreen(chart.Handle(), &origin);
    const int firstSample = static_cast<int>(chart.Model().XScale().ToPixel(kTrendStart));
    int inside = 0, before = 0;
    const auto countMagenta = [&](const TCapture& shot) {
        inside = before = 0;
        for (int py = plot.Top; py <= plot.Bottom; ++py)
            for (int px = plot.Left; px <= plot.Right; ++px)
                if (shot.At(origin.x - outer.left + px, origin.y - outer.top + py) == RGB(255, 0, 255))
                    ++(px < firstSample - 1 ? before : inside);
        return inside > 400;
    };
    ASSERT_TRUE(Settle(*form));
    const TCapture shot = CaptureWhen(form->Handle(), countMagenta);
    shot.SaveBmp(std::wstring(UI_TEST_SCREENSHOT_DIR) + L"\\chart-screenshot.bmp");
    EXPECT_GT(inside, 400);
    EXPECT_EQ(before, 0);
    EXPECT_NE(form->Charting.DataPage.Xvalue.Text(), L" ");
    EXPECT_NE(form->Charting.DataPage.YSvalue.Text(), L" ");
    // The layer of the run at the time under the mouse: a new one every two minutes.
    const double t = chart.Model().AxisValuesAt(x, y).X;
    const int second = static_cast<int>((t - kTrendStart) * 86400);
    EXPECT_EQ(form->Charting.DataPage.Lvalue.Text(), std::to_wstring(1 + second / 120));
}

TEST_F(TChartScreenshot, SeriesPageShowsRowsOptionsAndSpans)
{
    form->Timer1.SetEnabled(false);
    LogRun(60);
    ShowPage(2);
    form->SHClick(1);
    form->SSLDblClick(2);
    // A picture for people to look at; nothing on it is checked.
    ASSERT_TRUE(Settle(*form));
    const TCapture shot = CaptureWindow(form->Handle());
    shot.SaveBmp(std::wstring(UI_TEST_SCREENSHOT_DIR) + L"\\series-screenshot.bmp");
}
