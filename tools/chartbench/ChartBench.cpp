// Fills twenty series to the memory cap of the trend chart (about 125,000
// points each), then measures a full repaint off-screen at 730 x 450 pixels
// at line widths 1, 2 and 3, adding a sample with trimming at the cap, the
// store's memory and a mouse readout, and prints each figure with PASS or
// MISS against its target.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "ChartModel.h"
#include "ChartPainter.h"
#include "SeriesSpans.h"
#include "SpanRaster.h"

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

void Report(const char* what, double value, const char* unit, double target, bool lowerIsBetter = true)
{
    const bool pass = lowerIsBetter ? value < target : value > target;
    std::printf("%-52s %10.3f %-3s (target < %g %s)  %s\n", what, value, unit, target, unit, pass ? "PASS" : "MISS");
}

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
        {
            std::vector<TColumnSpan> spans;
            const TAxisScale xs = chart.XScale(), ys = chart.YScale();
            size_t count = 0;
            clock.Start();
            for (int r = 0; r < 10; ++r)
                for (int s = 0; s < kSeries; ++s) {
                    spans.clear();
                    BuildSeriesSpans(chart.Series(s), xs, ys, chart.PlotRect(), spans);
                    count += spans.size();
                }
            std::printf("PROBE spans only %s: %.3f ms, %zu spans\n", w.Name, clock.Ms() / 10, count / 10);
            std::vector<std::uint32_t> bits(kWidth * kHeight);
            TPixelBuffer buf{bits.data(), kWidth, kHeight, kWidth};
            clock.Start();
            for (int r = 0; r < 10; ++r)
                for (int s = 0; s < kSeries; ++s) RasterSpans(buf, spans, 123, 3, chart.PlotRect());
            std::printf("PROBE raster (last series x20) %s: %.3f ms\n", w.Name, clock.Ms() / 10);
        }
        chart.Bottom().SetIncrement((w.Max - w.Min) / 10);
        for (int width = 1; width <= 3; ++width) {
            for (int s = 0; s < kSeries; ++s) chart.Series(s).SetLineWidth(width);
            double total = 0, worst = 0;
            const int repeats = 20;
            for (int r = 0; r < repeats; ++r) {
                painter.Invalidate();
                clock.Start();
                painter.Render(chart);
                const double ms = clock.Ms();
                total += ms;
                worst = std::max(worst, ms);
            }
            char what[96];
            std::snprintf(what, sizeof what, "Full repaint, %s, line width %d (mean)", w.Name, width);
            Report(what, total / repeats, "ms", 10);
            std::snprintf(what, sizeof what, "Full repaint, %s, line width %d (worst)", w.Name, width);
            Report(what, worst, "ms", 10);
        }
    }
    return 0;
}
