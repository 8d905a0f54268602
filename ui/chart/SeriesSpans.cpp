#include "SeriesSpans.h"

#include <algorithm>
#include <cmath>

namespace {

// Far enough outside any plot, near enough for int arithmetic.
constexpr double kFar = 1e7;

double ClampPixel(double p)
{
    if (!(p >= -kFar)) return -kFar;  // NaN too
    return p > kFar ? kFar : p;
}

int RowOf(double y) { return static_cast<int>(std::floor(y + 0.5)); }

struct TPixelPoint {
    double X, Y;
};

class TSpanBuilder {
public:
    TSpanBuilder(const TAxisScale& x, const TAxisScale& y, const TPixelRect& plot, std::vector<TColumnSpan>& out)
        : xs_(x), ys_(y), left_(plot.Left), right_(plot.Right), out_(out)
    {
    }

    double PixelX(double x) const { return ClampPixel(xs_.ToPixel(x)); }
    double PixelY(double y) const { return ClampPixel(ys_.ToPixel(y)); }

    // The column of a pixel position; every column left of the plot counts as
    // one, and every column right of it.
    int ColumnOf(double px) const
    {
        const int c = static_cast<int>(std::floor(px + 0.5));
        return std::clamp(c, left_ - 1, right_ + 1);
    }

    // Points first..last in one column (c), with their rows' extent.
    void Visit(int c, TPixelPoint first, TPixelPoint last, double lowY, double highY)
    {
        if (!started_) {
            started_ = true;
            current_ = c;
            lo_ = lowY;
            hi_ = highY;
        } else if (c == current_) {
            // The step from the last point lies inside this column as well.
            lo_ = std::min(lo_, lowY);
            hi_ = std::max(hi_, highY);
        } else {
            Step(last_, first, c);
            lo_ = std::min(lo_, lowY);
            hi_ = std::max(hi_, highY);
        }
        last_ = last;
    }

    void Finish()
    {
        if (started_) Emit(current_, lo_, hi_);
    }

private:
    // The line from p (in the current column) to q (in column c): its part in
    // every column it crosses; the current column is done, c becomes current.
    void Step(TPixelPoint p, TPixelPoint q, int c)
    {
        const double xa = std::min(p.X, q.X), xb = std::max(p.X, q.X);
        const double slope = xb > xa ? (q.Y - p.Y) / (q.X - p.X) : 0;
        const int from = std::max(left_, static_cast<int>(std::floor(xa + 0.5)));
        const int to = std::min(right_, static_cast<int>(std::floor(xb + 0.5)));
        double nextLo = q.Y, nextHi = q.Y;
        for (int k = from; k <= to; ++k) {
            const double x0 = std::max(xa, k - 0.5), x1 = std::min(xb, k + 0.5);
            const double y0 = p.Y + (x0 - p.X) * slope, y1 = p.Y + (x1 - p.X) * slope;
            const double lo = std::min(y0, y1), hi = std::max(y0, y1);
            if (k == current_) {
                lo_ = std::min(lo_, lo);
                hi_ = std::max(hi_, hi);
            } else if (k == c) {
                nextLo = std::min(nextLo, lo);
                nextHi = std::max(nextHi, hi);
            } else {
                Emit(k, lo, hi);
            }
        }
        Emit(current_, lo_, hi_);
        current_ = c;
        lo_ = nextLo;
        hi_ = nextHi;
    }

    void Emit(int column, double lo, double hi)
    {
        if (column < left_ || column > right_) return;
        out_.push_back(TColumnSpan{column, RowOf(lo), RowOf(hi)});
    }

    const TAxisScale& xs_;
    const TAxisScale& ys_;
    int left_, right_;
    std::vector<TColumnSpan>& out_;
    bool started_ = false;
    int current_ = 0;
    double lo_ = 0, hi_ = 0;
    TPixelPoint last_{};
};

}  // namespace

void BuildSeriesSpans(const TChartSeries& series, const TAxisScale& x, const TAxisScale& y, const TPixelRect& plot,
                      std::vector<TColumnSpan>& out)
{
    const size_t n = series.Count();
    if (n == 0 || !x.Valid() || !y.Valid() || plot.Empty()) return;
    TSpanBuilder builder(x, y, plot, out);
    const TPointStore& points = series.Points();
    points.Walk(
        0, n - 1,
        [&](const TPointExtent& e) {
            const int c = builder.ColumnOf(builder.PixelX(e.MinX));
            return c == builder.ColumnOf(builder.PixelX(e.MaxX)) ? TBlockChoice::Take : TBlockChoice::Descend;
        },
        [&](const TPointBlock& b) {
            const TPixelPoint first{builder.PixelX(points.X(b.First)), builder.PixelY(points.Y(b.First))};
            const TPixelPoint last =
                b.First == b.Last ? first
                                  : TPixelPoint{builder.PixelX(points.X(b.Last)), builder.PixelY(points.Y(b.Last))};
            const double y0 = builder.PixelY(b.Extent.MinY), y1 = builder.PixelY(b.Extent.MaxY);
            builder.Visit(builder.ColumnOf(first.X), first, last, std::min(y0, y1), std::max(y0, y1));
        });
    builder.Finish();
}
