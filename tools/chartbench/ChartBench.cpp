// Fills twenty series to the memory cap of the trend chart (about 125,000
// points each), then measures a full repaint off-screen at 730 x 450 pixels
// at line widths 1, 2 and 3, adding a sample with trimming at the cap, the
// store's memory and a mouse readout, and prints each figure with PASS or
// MISS against its target.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "ChartModel.h"
#include "ChartPainter.h"
#include "GdiOwners.h"
#include "MouseReadout.h"

namespace {

constexpr int kSeries = 20;
constexpr int kPointsPerSeries = 125000;
constexpr int kWidth = 730, kHeight = 450;
constexpr double kStart = 45999.0;
constexpr double kSecond = 1.0 / 86400.0;

class TStopwatch {
public:
    TStopwatch() { QueryPerformanceFrequency(&frequency_); }
    void Start() { QueryPerformanceCounter(&start_); }
    double Ms() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{}, start_{};
};

size_t CommitBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;  // Wine leaves PrivateUsage at 0
}

// A value like the controller's for series s at sample i: slow drifts, steps
// and noise at different scales.
double SampleValue(int s, long long i)
{
    const double t = static_cast<double>(i);
    const double noise = std::sin(t * 12.9898 + s * 78.233) * 43758.5453;
    const double jitter = noise - std::floor(noise) - 0.5;
    switch (s % 4) {
    case 0:
        return 40 + 30 * std::sin(t / (900.0 + 50 * s)) + 5 * jitter;
    case 1:
        return ((i / 120) % 2 ? 80.0 : 20.0) + jitter;
    case 2:
        return 50 + 45 * std::sin(t / 60.0) * std::cos(t / 7000.0);
    default:
        return 10 + 0.002 * static_cast<double>(i % 20000) + 2 * jitter;
    }
}

void AddSample(TChartModel& chart, long long i)
{
    for (int s = 0; s < kSeries; ++s)
        chart.Series(s).AddXY(kStart + static_cast<double>(i) * kSecond, SampleValue(s, i), 0);
}

void Report(const char* what, double value, const char* unit, double target)
{
    std::printf("%-58s %9.3f %-3s (target < %g %s)  %s\n", what, value, unit, target, unit,
                value < target ? "PASS" : "MISS");
}

// Median and worst of repeated timings: the median is the figure (a shared
// machine preempts now and then), the worst is printed beside it.
struct TTimings {
    std::vector<double> Ms;
    double Median()
    {
        std::sort(Ms.begin(), Ms.end());
        return Ms.empty() ? 0 : Ms[Ms.size() / 2];
    }
    double Worst() const { return Ms.empty() ? 0 : *std::max_element(Ms.begin(), Ms.end()); }
};

}  // namespace

int main()
{
    std::printf("Trend chart benchmark: %d series x %d points, %d x %d pixels\n\n", kSeries, kPointsPerSeries, kWidth,
                kHeight);
    const size_t commitBefore = CommitBytes();
    TChartModel chart;
    const TChartColor colors[kSeries] = {0,      255,     8388608,  2300100, 16711680, 306744,  2503267,
                                         32896,  700100,  16711935, 5238783, 8421376,  8421504, 0xFF000006,
                                         823288, 6100100, 6056456,  6172506, 1143414,  6200001};
    for (int s = 0; s < kSeries; ++s) chart.AddSeries(L"Series " + std::to_wstring(s + 1), colors[s]);

    // Filling: the time of a sample (twenty points) while the store grows.
    TStopwatch clock;
    clock.Start();
    for (long long i = 0; i < 1000; ++i) AddSample(chart, i);
    const double earlyUs = clock.Ms() * 1000 / 1000;
    for (long long i = 1000; i < kPointsPerSeries - 1000; ++i) AddSample(chart, i);
    clock.Start();
    for (long long i = kPointsPerSeries - 1000; i < kPointsPerSeries; ++i) AddSample(chart, i);
    const double lateUs = clock.Ms() * 1000 / 1000;

    // At the cap: one sample in, the oldest out, as the logger does.
    long long next = kPointsPerSeries;
    const int slides = 100000;
    clock.Start();
    for (int k = 0; k < slides; ++k, ++next) {
        AddSample(chart, next);
        for (int s = 0; s < kSeries; ++s) chart.Series(s).DeleteFirst();
    }
    const double slideUs = clock.Ms() * 1000 / slides;

    const size_t storeBytes = chart.MemoryBytes();
    const size_t commitGrowth = CommitBytes() - commitBefore;

    std::printf("Adding a sample (20 points), store nearly empty: %8.3f us\n", earlyUs);
    std::printf("Adding a sample (20 points), store nearly full:  %8.3f us\n", lateUs);
    Report("Adding a sample and trimming the oldest, at the cap", slideUs, "us", 100);
    Report("  ratio to adding at an empty store (constant time)", slideUs / std::max(earlyUs, 1e-9), "x", 3);
    Report("Chart store (points, block extents, labels)", storeBytes / 1048576.0, "MB", 64);
    std::printf("  process commit growth while filling:           %8.1f MB\n\n", commitGrowth / 1048576.0);

    // Repaints off-screen: the whole day and a half on the axis (every point
    // in view), and the default ten-minute window at the newest end.
    chart.SetSize(kWidth, kHeight);
    TChartPainter painter;
    chart.SetMetrics(painter.MeasureMetrics());
    chart.Left().SetTitle(L" ");
    chart.Bottom().SetTitle(L"Date: 08.12.2025");
    chart.Left().SetAutomatic(true);
    const double newest = kStart + static_cast<double>(next - 1) * kSecond;
    const double oldest = newest - (kPointsPerSeries - 1) * kSecond;
    struct TWindowCase {
        const char* Name;
        double Min, Max;
    } windows[] = {{"all points in view", oldest, newest}, {"10-minute window", newest - 600 * kSecond, newest}};
    for (const TWindowCase& w : windows) {
        chart.Bottom().SetRange(w.Min, w.Max);
        chart.Bottom().SetIncrement((w.Max - w.Min) / 10);
        for (int width = 1; width <= 3; ++width) {
            for (int s = 0; s < kSeries; ++s) chart.Series(s).SetLineWidth(width);
            TTimings timings;
            for (int r = 0; r < 25; ++r) {
                painter.Invalidate();
                clock.Start();
                painter.Render(chart);
                timings.Ms.push_back(clock.Ms());
            }
            char what[96];
            std::snprintf(what, sizeof what, "Full repaint, %s, line width %d", w.Name, width);
            Report(what, timings.Median(), "ms", 10);
            std::printf("  worst of %zu: %.3f ms\n", timings.Ms.size(), timings.Worst());
        }
    }

    // Mouse readouts with a readout series, all points in view: the indices
    // under the mouse, the panel texts, the crosshair drawn by exclusive-or
    // into the finished picture and the repaint from the kept picture.
    chart.Bottom().SetRange(oldest, newest);
    for (int s = 0; s < kSeries; ++s) chart.Series(s).SetLineWidth(1);
    painter.Render(chart);
    std::array<bool, kTrendSeriesCount> logged;
    logged.fill(true);
    TMouseReadout readout(chart, logged);
    TMemoryDC screen(nullptr);
    TGdiBitmap screenBitmap(CreateBitmap(kWidth, kHeight, 1, 32, nullptr));
    TSelectObject screenSelect(screen.get(), screenBitmap.get());
    readout.RepaintChart = [&] {
        painter.Render(chart);
        painter.CopyTo(screen.get(), 0, 0);
        readout.Chart9AfterDraw();
    };
    readout.XorLine = [&](int x0, int y0, int x1, int y1, TChartColor) {
        const int mode = SetROP2(screen.get(), R2_NOT);
        MoveToEx(screen.get(), x0, y0, nullptr);
        LineTo(screen.get(), x1, y1);
        SetROP2(screen.get(), mode);
    };
    readout.SelectReadoutSeries(9);
    const TPixelRect plot = chart.PlotRect();
    TTimings readouts;
    int shown = 0;
    for (int k = 0; k < 2000; ++k) {
        const int x = plot.Left + 1 + (k * 37) % (plot.Width() - 2), y = plot.Top + 1 + (k * 53) % (plot.Height() - 2);
        readout.Timer5Timer();
        clock.Start();
        readout.Chart9MouseMove(x, y);
        readouts.Ms.push_back(clock.Ms());
        shown += readout.YSvalue != L" " ? 1 : 0;
    }
    Report("Mouse readout with a readout series and its crosshair", readouts.Median(), "ms", 1);
    std::printf("  worst of %zu: %.3f ms; %d of them showed a value\n", readouts.Ms.size(), readouts.Worst(), shown);
    return 0;
}
