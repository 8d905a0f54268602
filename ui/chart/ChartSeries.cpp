#include "ChartSeries.h"

#include <algorithm>
#include <limits>

TChartSeries::TChartSeries(std::wstring title, TChartColor color) : title_(std::move(title)), color_(color) {}

void TChartSeries::SetTitle(std::wstring title)
{
    title_ = std::move(title);
    ++revision_;
}

void TChartSeries::SetVisible(bool visible)
{
    if (visible_ == visible) return;
    visible_ = visible;
    ++revision_;
}

void TChartSeries::SetColor(TChartColor color)
{
    if (color_ == color) return;
    color_ = color;
    ++revision_;
}

void TChartSeries::SetLineWidth(int width)
{
    width = std::max(width, 1);
    if (lineWidth_ == width) return;
    lineWidth_ = width;
    ++revision_;
}

void TChartSeries::AddXY(double x, double y, TChartColor color, std::wstring_view label)
{
    points_.Add(x, y);
    colors_.Add(color);
    labels_.Add(std::wstring(label));
    ++revision_;
}

void TChartSeries::DeleteFirst()
{
    if (points_.Count() == 0) return;
    points_.DeleteFirst();
    colors_.DeleteFirst();
    labels_.DeleteFirst();
    ++revision_;
}

void TChartSeries::Clear()
{
    points_.Clear();
    colors_.Clear();
    labels_.Clear();
    ++revision_;
}

std::optional<TIndexRange> TChartSeries::IndicesWithin(double minX, double maxX) const
{
    const size_t n = points_.Count();
    if (n == 0 || !(minX <= maxX)) return std::nullopt;
    // Blocks wholly inside are taken at once, blocks that cannot hold a point
    // inside are passed by, the rest looked into.
    const auto choose = [&](const TPointExtent& e) {
        if (e.MaxX < minX || e.MinX > maxX) return TBlockChoice::Skip;
        return e.MinX >= minX && e.MaxX <= maxX ? TBlockChoice::Take : TBlockChoice::Descend;
    };
    const auto inside = [&](const TPointBlock& b) {
        return b.First != b.Last || (b.Extent.MinX >= minX && b.Extent.MinX <= maxX);
    };
    std::optional<size_t> first;
    points_.Walk(
        0, n - 1, [&](const TPointExtent& e) { return first ? TBlockChoice::Skip : choose(e); },
        [&](const TPointBlock& b) {
            if (!first && inside(b)) first = b.First;
        });
    if (!first) return std::nullopt;
    // The last one: stretches of a chunk's length from the back, each walked
    // from its front, until one holds a point inside.
    for (size_t end = n; end > *first;) {
        const size_t begin = std::max(*first, end > TPointStore::kChunk ? end - TPointStore::kChunk : size_t{0});
        std::optional<size_t> last;
        points_.Walk(begin, end - 1, choose, [&](const TPointBlock& b) {
            if (inside(b)) last = b.Last;
        });
        if (last) return TIndexRange{*first, *last};
        end = begin;
    }
    return TIndexRange{*first, *first};
}

std::optional<TValueRange> TChartSeries::YRangeWithin(double minX, double maxX) const
{
    const size_t n = points_.Count();
    if (n == 0 || !(minX <= maxX)) return std::nullopt;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    points_.Walk(
        0, n - 1,
        [&](const TPointExtent& e) {
            if (e.MaxX < minX || e.MinX > maxX) return TBlockChoice::Skip;
            return e.MinX >= minX && e.MaxX <= maxX ? TBlockChoice::Take : TBlockChoice::Descend;
        },
        [&](const TPointBlock& b) {
            if (b.First == b.Last && (b.Extent.MinX < minX || b.Extent.MinX > maxX)) return;
            lo = std::min(lo, b.Extent.MinY);
            hi = std::max(hi, b.Extent.MaxY);
        });
    if (lo > hi) return std::nullopt;
    return TValueRange{lo, hi};
}

std::optional<TValueRange> TChartSeries::XRange() const
{
    const size_t n = points_.Count();
    if (n == 0) return std::nullopt;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    points_.Walk(
        0, n - 1, [](const TPointExtent&) { return TBlockChoice::Take; },
        [&](const TPointBlock& b) {
            lo = std::min(lo, b.Extent.MinX);
            hi = std::max(hi, b.Extent.MaxX);
        });
    return TValueRange{lo, hi};
}

size_t TChartSeries::MemoryBytes() const noexcept { return points_.MemoryBytes(); }
