// A series as pixel spans: whatever blocks the walk takes whole, the pixels
// covered are exactly those of the line drawn point by point; and the spans
// land in a pixel buffer widened by the line width.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "ChartSeries.h"
#include "SeriesSpans.h"
#include "SpanRaster.h"

namespace {

using TPixels = std::set<std::pair<int, int>>;

const TPixelRect kPlot{60, 10, 699, 409};

// Rows far above or below the plot are never drawn; the sets keep a margin.
void AddRows(TPixels& out, int x, int top, int bottom)
{
    for (int y = std::max(top, kPlot.Top - 3); y <= std::min(bottom, kPlot.Bottom + 3); ++y) out.emplace(x, y);
}

TPixels PixelsOf(const std::vector<TColumnSpan>& spans)
{
    TPixels out;
    for (const TColumnSpan& s : spans) {
        EXPECT_LE(s.Top, s.Bottom);
        EXPECT_GE(s.X, kPlot.Left);
        EXPECT_LE(s.X, kPlot.Right);
        AddRows(out, s.X, s.Top, s.Bottom);
    }
    return out;
}

double Clamp(double p) { return p < -1e7 ? -1e7 : p > 1e7 ? 1e7 : p; }
int Round(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// The line drawn segment by segment: in each column a segment crosses, the
// rows between where it enters and leaves that column, each worked out from
// the two points' values before it is clamped.
TPixels ReferencePixels(const TChartSeries& s, const TAxisScale& xs, const TAxisScale& ys)
{
    TPixels out;
    const auto px = [&](size_t i) { return Clamp(xs.ToPixel(s.XValue(i))); };
    const auto py = [&](size_t i) { return Clamp(ys.ToPixel(s.YValue(i))); };
    if (s.Count() == 1) {
        const int c = Round(px(0));
        if (c >= kPlot.Left && c <= kPlot.Right) AddRows(out, c, Round(py(0)), Round(py(0)));
    }
    for (size_t i = 1; i < s.Count(); ++i) {
        const double x0 = px(i - 1), x1 = px(i);
        const double exact0 = xs.ToPixel(s.XValue(i - 1)), exact1 = xs.ToPixel(s.XValue(i));
        const auto rowAt = [&](double x) {
            const double t = (x - exact0) / (exact1 - exact0);
            const double a = s.YValue(i - 1), b = s.YValue(i);
            return Clamp(ys.ToPixel(t <= 0.5 ? a + t * (b - a) : b + (1 - t) * (a - b)));
        };
        const double xa = std::min(x0, x1), xb = std::max(x0, x1);
        for (int k = std::max(kPlot.Left, Round(xa)); k <= std::min(kPlot.Right, Round(xb)); ++k) {
            if (xb == xa) {  // both in one pixel column
                AddRows(out, k, Round(std::min(py(i - 1), py(i))), Round(std::max(py(i - 1), py(i))));
                continue;
            }
            const double ya = rowAt(std::max(xa, k - 0.5)), yb = rowAt(std::min(xb, k + 0.5));
            AddRows(out, k, Round(std::min(ya, yb)), Round(std::max(ya, yb)));
        }
    }
    return out;
}

struct TShape {
    const char* Name;
    int Points;
    double (*X)(int i, std::mt19937& r);
    double (*Y)(int i, std::mt19937& r);
};

double Noise(std::mt19937& r) { return std::uniform_real_distribution<double>(-1, 1)(r); }

const TShape kShapes[] = {
    {"dense noisy", 120000, [](int i, std::mt19937&) { return i / 86400.0; },
     [](int i, std::mt19937& r) { return std::sin(i / 5000.0) * 40 + Noise(r) * 5; }},
    {"sparse", 40, [](int i, std::mt19937&) { return i * 60 / 86400.0; },
     [](int i, std::mt19937& r) { return i % 2 ? 90 : 10 + Noise(r); }},
    {"clock jumps back", 20000, [](int i, std::mt19937&) { return (i < 12000 ? i : i - 7000) / 86400.0; },
     [](int i, std::mt19937& r) { return i * 0.004 + Noise(r); }},
    {"random order", 3000, [](int, std::mt19937& r) { return (Noise(r) + 1) * 0.6; },
     [](int, std::mt19937& r) { return Noise(r) * 100; }},
    {"flat", 50000, [](int i, std::mt19937&) { return i / 86400.0; }, [](int, std::mt19937&) { return 42.0; }},
    {"far outside", 9000, [](int i, std::mt19937&) { return i % 3 == 0 ? -1e9 : i / 86400.0; },
     [](int i, std::mt19937&) { return i % 5 == 0 ? 1e300 : -20.0 + i % 40; }},
};

}  // namespace

TEST(SeriesSpans, CoverExactlyThePixelsOfTheLineDrawnPointByPoint)
{
    for (const TShape& shape : kShapes) {
        std::mt19937 random(11);
        TChartSeries series(L"s", 0);
        for (int i = 0; i < shape.Points; ++i) series.AddXY(shape.X(i, random), shape.Y(i, random), 0);
        const TAxisScale ys{-50, 100, double(kPlot.Bottom), double(kPlot.Top)};
        for (const TAxisScale& xs : {TAxisScale{0, 1.4, double(kPlot.Left), double(kPlot.Right)},
                                     TAxisScale{0.05, 0.06, double(kPlot.Left), double(kPlot.Right)}}) {
            std::vector<TColumnSpan> spans;
            BuildSeriesSpans(series, xs, ys, kPlot, spans);
            EXPECT_EQ(PixelsOf(spans), ReferencePixels(series, xs, ys)) << shape.Name << " over " << xs.Max - xs.Min;
        }
    }
}

TEST(SeriesSpans, ASteepSegmentCrossesThePlotWhereItsValuesSay)
{
    // A step from 0 to 100 within one second, zoomed so far into Y 10 that
    // both points lie millions of rows outside: the line reaches 10 a tenth
    // of the way, so it crosses the plot in column 100 + 600 / 10 alone.
    TChartSeries series(L"s", 0);
    series.AddXY(0, 0, 0);
    series.AddXY(1 / 86400.0, 100, 0);
    const TAxisScale xs{0, 1 / 86400.0, 100, 700};
    const TAxisScale ys{10 - 0.0001, 10 + 0.0001, double(kPlot.Bottom), double(kPlot.Top)};
    std::vector<TColumnSpan> spans;
    BuildSeriesSpans(series, xs, ys, kPlot, spans);
    std::set<int> crossing;
    for (const TColumnSpan& s : spans)
        if (s.Top <= kPlot.Bottom && s.Bottom >= kPlot.Top) crossing.insert(s.X);
    EXPECT_EQ(crossing, std::set<int>{160});
}

TEST(SeriesSpans, DenseDataGiveAboutOneSpanPerColumn)
{
    TChartSeries series(L"s", 0);
    for (int i = 0; i < 125000; ++i) series.AddXY(i / 86400.0, std::sin(i / 300.0), 0);
    std::vector<TColumnSpan> spans;
    BuildSeriesSpans(series, TAxisScale{0, 125000 / 86400.0, double(kPlot.Left), double(kPlot.Right)},
                     TAxisScale{-1, 1, double(kPlot.Bottom), double(kPlot.Top)}, kPlot, spans);
    EXPECT_GE(spans.size(), static_cast<size_t>(kPlot.Width()) - 2);
    EXPECT_LE(spans.size(), static_cast<size_t>(kPlot.Width()) + 2);
}

TEST(SpanRaster, WidensSpansByTheLineWidthInsideTheClip)
{
    std::vector<std::uint32_t> bits(20 * 10, 0);
    TPixelBuffer buffer{bits.data(), 20, 10, 20};
    const std::vector<TColumnSpan> spans{{5, 4, 4}, {19, -3, 30}};
    const auto count = [&] { return std::count(bits.begin(), bits.end(), 0xABCDEFu); };
    const struct {
        int Width;
        long Pixels;  // the flat span grows to w x w, the tall one is clipped to the buffer and the clip
    } cases[] = {{1, 1 + 8}, {2, 4 + 8}, {3, 9 + 16}};
    for (const auto& c : cases) {
        std::fill(bits.begin(), bits.end(), 0u);
        RasterSpans(buffer, spans, 0xABCDEF, c.Width, TPixelRect{0, 1, 19, 8});
        EXPECT_EQ(count(), c.Pixels) << c.Width;
        EXPECT_EQ(bits[4 * 20 + 5], 0xABCDEFu);
        EXPECT_EQ(bits[0 * 20 + 19], 0u) << "outside the clip";
    }
    EXPECT_EQ(PixelOf(ChartRgb(0x12, 0x34, 0x56)), 0x123456u);
}
