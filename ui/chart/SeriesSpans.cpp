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

// floor(p + 0.5) for clamped pixel positions without a library call: shifted
// to positive numbers, truncation is the floor.
constexpr double kShift = 16777216.0;
int Nearest(double p) { return static_cast<int>(p + 0.5 + kShift) - static_cast<int>(kShift); }

int RowOf(double y) { return Nearest(y); }

struct TPixelPoint {
    double X, Y;
};

class TSpanBuilder {
public:
    TSpanBuilder(const TPointStore& points, const TAxisScale& x, const TAxisScale& y, const TPixelRect& plot,
                 std::vector<TColumnSpan>& out)
        : points_(points),
          xScale_(x.PixelsPerUnit()),
          xOffset_(x.P0 - x.Min * xScale_),
          yScale_(y.PixelsPerUnit()),
          yOffset_(y.P0 - y.Min * yScale_),
          left_(plot.Left),
          right_(plot.Right),
          out_(out)
    {
    }

    double PixelX(double x) const { return ClampPixel(xOffset_ + x * xScale_); }
    double PixelY(double y) const { return ClampPixel(yOffset_ + y * yScale_); }

    // The column of a pixel position; every column left of the plot counts as
    // one, and every column right of it.
    int ColumnOf(double px) const { return std::clamp(Nearest(px), left_ - 1, right_ + 1); }

    void VisitPoint(double px, double py)
    {
        const int c = ColumnOf(px);
        if (started_ && c == current_) {
            // The step from the last point lies inside this column as well.
            lo_ = std::min(lo_, py);
            hi_ = std::max(hi_, py);
        } else {
            Enter(c, TPixelPoint{px, py}, py, py);
        }
        last_ = TPixelPoint{px, py};
        lastIndex_ = kKnown;
    }

    // Points first..last, all in column c, with the extent of their rows.
    void VisitBlock(int c, size_t first, size_t last, double lowY, double highY)
    {
        if (started_ && c == current_) {
            lo_ = std::min(lo_, lowY);
            hi_ = std::max(hi_, highY);
        } else {
            Enter(c, PointAt(first), lowY, highY);
        }
        // Where the block ends matters only when the line leaves the column.
        lastIndex_ = last;
    }

    void Finish()
    {
        if (started_) Emit(current_, lo_, hi_);
    }

private:
    static constexpr size_t kKnown = ~size_t{0};

    TPixelPoint PointAt(size_t index) const { return TPixelPoint{PixelX(points_.X(index)), PixelY(points_.Y(index))}; }

    // The line comes into column c at `first`; the points there reach from lowY to highY.
    void Enter(int c, TPixelPoint first, double lowY, double highY)
    {
        if (!started_) {
            started_ = true;
            current_ = c;
            lo_ = lowY;
            hi_ = highY;
            return;
        }
        if (lastIndex_ != kKnown) last_ = PointAt(lastIndex_);
        Step(last_, first, c);
        lo_ = std::min(lo_, lowY);
        hi_ = std::max(hi_, highY);
    }

    // The line from p (in the current column) to q (in column c): its part in
    // every column it crosses; the current column is done, c becomes current.
    void Step(TPixelPoint p, TPixelPoint q, int c)
    {
        const double xa = std::min(p.X, q.X), xb = std::max(p.X, q.X);
        const double slope = xb > xa ? (q.Y - p.Y) / (q.X - p.X) : 0;
        const int from = std::max(left_, Nearest(xa));
        const int to = std::min(right_, Nearest(xb));
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

    const TPointStore& points_;
    double xScale_, xOffset_, yScale_, yOffset_;
    int left_, right_;
    std::vector<TColumnSpan>& out_;
    bool started_ = false;
    int current_ = 0;
    double lo_ = 0, hi_ = 0;
    TPixelPoint last_{};
    size_t lastIndex_ = kKnown;  // the last point visited, when last_ does not hold it yet
};

}  // namespace

void BuildSeriesSpans(const TChartSeries& series, const TAxisScale& x, const TAxisScale& y, const TPixelRect& plot,
                      std::vector<TColumnSpan>& out)
{
    const size_t n = series.Count();
    if (n == 0 || !x.Valid() || !y.Valid() || plot.Empty()) return;
    const TPointStore& points = series.Points();
    TSpanBuilder builder(points, x, y, plot, out);
    points.Walk(
        0, n - 1,
        [&](const TPointExtent& e) {
            const int c = builder.ColumnOf(builder.PixelX(e.MinX));
            return c == builder.ColumnOf(builder.PixelX(e.MaxX)) ? TBlockChoice::Take : TBlockChoice::Descend;
        },
        // Once for every point looked at: worth inlining into the walk.
        [&](const TPointBlock& b) __attribute__((always_inline)) {
            if (b.First == b.Last) {
                builder.VisitPoint(builder.PixelX(b.Extent.MinX), builder.PixelY(b.Extent.MinY));
                return;
            }
            const double y0 = builder.PixelY(b.Extent.MinY), y1 = builder.PixelY(b.Extent.MaxY);
            builder.VisitBlock(builder.ColumnOf(builder.PixelX(b.Extent.MinX)), b.First, b.Last, std::min(y0, y1),
                               std::max(y0, y1));
        });
    builder.Finish();
}
