// TChartSeries: one line of the chart: its points with their colours and
// labels, and how it is drawn. Every change counts up Revision(), so a painter
// knows when its picture is out of date.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ChartTypes.h"
#include "PointStore.h"
#include "RunList.h"

// First and last index (inclusive) of a stretch of points.
struct TIndexRange {
    size_t First, Last;
};

// Least and greatest value of a set of points.
struct TValueRange {
    double Min, Max;
};

class TChartSeries {
public:
    explicit TChartSeries(std::wstring title = {}, TChartColor color = 0);

    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(std::wstring title);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    TChartColor Color() const noexcept { return color_; }
    void SetColor(TChartColor color);
    int LineWidth() const noexcept { return lineWidth_; }
    void SetLineWidth(int width);  // at least 1

    size_t Count() const noexcept { return points_.Count(); }
    double XValue(size_t index) const noexcept { return points_.X(index); }
    double YValue(size_t index) const noexcept { return points_.Y(index); }
    TChartColor PointColor(size_t index) const { return colors_.At(index); }
    const std::wstring& PointLabel(size_t index) const { return labels_.At(index); }

    void AddXY(double x, double y, TChartColor color, std::wstring_view label = {});
    // Deletes the oldest point; nothing when there is none.
    void DeleteFirst();
    void Clear();

    // The lowest and the highest index of the points whose X lies in
    // [minX, maxX]; none when no point does.
    std::optional<TIndexRange> IndicesWithin(double minX, double maxX) const;
    // The Y range of the points whose X lies in [minX, maxX].
    std::optional<TValueRange> YRangeWithin(double minX, double maxX) const;
    // The X range of all points.
    std::optional<TValueRange> XRange() const;

    const TPointStore& Points() const noexcept { return points_; }
    size_t MemoryBytes() const noexcept;
    unsigned long long Revision() const noexcept { return revision_; }

private:
    std::wstring title_;
    bool visible_ = true;
    TChartColor color_;
    int lineWidth_ = 1;
    TPointStore points_;
    TRunList<TChartColor> colors_;
    TRunList<std::wstring> labels_;
    unsigned long long revision_ = 0;
};
