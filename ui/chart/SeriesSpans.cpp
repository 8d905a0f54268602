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

// A point of the line: where it lies in pixels (clamped, for finding its
// column and row) and its values, from which the line between two points is
// worked out before anything is clamped.
struct TLinePoint {
    double X, Y;
    double ValueX, ValueY;
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
    TLinePoint LinePoint(double x, double y) const { return TLinePoint{PixelX(x), PixelY(y), x, y}; }

    // The column of a pixel position; every column left of the plot counts as
    // one, and every column right of it.
    int ColumnOf(double px) const { return std::clamp(Nearest(px), left_ - 1, right_ + 1); }

    void VisitPoint(double x, double y)
    {
        const TLinePoint p = LinePoint(x, y);
        const int c = ColumnOf(p.X);
        if (started_ && c == current_) {
            // The step from the last point lies inside this column as well.
            lo_ = std::min(lo_, p.Y);
            hi_ = std::max(hi_, p.Y);
        } else {
            Enter(c, p, p.Y, p.Y);
        }
        last_ = p;
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

    TLinePoint PointAt(size_t index) const { return LinePoint(points_.X(index), points_.Y(index)); }

    // The row of the line from p to q at pixel column position x (between
    // theirs), from their values: a clamped far end would bend the line.
    double RowOnLine(const TLinePoint& p, const TLinePoint& q, double x) const
    {
        const double px = xOffset_ + p.ValueX * xScale_, qx = xOffset_ + q.ValueX * xScale_;
        if (!(qx != px)) return p.Y;
        const double t = (x - px) / (qx - px);
        // From the nearer end, so that a far one costs no precision here.
        const double y = t <= 0.5 ? p.ValueY + t * (q.ValueY - p.ValueY) : q.ValueY + (1 - t) * (p.ValueY - q.ValueY);
        return PixelY(y);
    }

    // The line comes into column c at `first`; the points there reach from lowY to highY.
    void Enter(int c, TLinePoint first, double lowY, double highY)
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
    void Step(TLinePoint p, TLinePoint q, int c)
    {
        const double xa = std::min(p.X, q.X), xb = std::max(p.X, q.X);
        const int from = std::max(left_, Nearest(xa));
        const int to = std::min(right_, Nearest(xb));
        double nextLo = q.Y, nextHi = q.Y;
        for (int k = from; k <= to; ++k) {
            // The columns lie well inside the clamp, so these edges are exact.
            const double x0 = std::max(xa, k - 0.5), x1 = std::min(xb, k + 0.5);
            const double y0 = RowOnLine(p, q, x0), y1 = RowOnLine(p, q, x1);
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
    TLinePoint last_{};
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
                builder.VisitPoint(b.Extent.MinX, b.Extent.MinY);
                return;
            }
            const double y0 = builder.PixelY(b.Extent.MinY), y1 = builder.PixelY(b.Extent.MaxY);
            builder.VisitBlock(builder.ColumnOf(builder.PixelX(b.Extent.MinX)), b.First, b.Last, std::min(y0, y1),
                               std::max(y0, y1));
        });
    builder.Finish();
}
