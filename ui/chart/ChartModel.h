// TChartModel: a two-dimensional line chart without a window: a date-time
// bottom axis, a value left axis, the series, the chart's size and plot
// rectangle, the mapping between pixels and values, and the rectangle zoom
// with its undo. The window (TChart) shows it; the trend logic and the tests
// work on it directly.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "AxisLabels.h"
#include "AxisScale.h"
#include "ChartAxis.h"
#include "ChartSeries.h"
#include "ChartTypes.h"

// The fixed sizes around the plot, in pixels. The painter measures its fonts
// into them; tests use the defaults.
struct TChartMetrics {
    int LabelHeight = 15;  // a line of label text
    int TitleHeight = 18;  // a line of title text
    int TickLength = 4;
    int Margin = 10;       // above the plot, and left and below the titles
    int RightMargin = 28;  // room for half the last time label
    int LabelGap = 4;      // between ticks and labels, labels and titles
};

struct TChartPoint {
    double X, Y;
};

class TChartModel {
public:
    TChartModel();
    TChartModel(const TChartModel&) = delete;
    TChartModel& operator=(const TChartModel&) = delete;

    TChartAxis& Bottom() noexcept { return bottom_; }
    const TChartAxis& Bottom() const noexcept { return bottom_; }
    TChartAxis& Left() noexcept { return left_; }
    const TChartAxis& Left() const noexcept { return left_; }

    TChartSeries& AddSeries(std::wstring title, TChartColor color);
    int SeriesCount() const noexcept { return static_cast<int>(series_.size()); }
    TChartSeries& Series(int index) { return *series_.at(static_cast<size_t>(index)); }
    const TChartSeries& Series(int index) const { return *series_.at(static_cast<size_t>(index)); }

    // The chart's whole area and the plot inside it.
    void SetSize(int width, int height);
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetMetrics(const TChartMetrics& metrics);
    const TChartMetrics& Metrics() const noexcept { return metrics_; }
    TPixelRect PlotRect() const;
    TAxisScale XScale() const;
    TAxisScale YScale() const;
    // The axis values under a pixel of the chart's area.
    TChartPoint AxisValuesAt(int x, int y) const;
    // How the painter's label font measures texts; without one, an estimate.
    void SetLabelMeasure(TTextMeasure measure);
    // The room of the left axis' labels at a label area of `labelWidth` pixels.
    TLabelRoom LeftLabelRoom(int labelWidth) const;
    TLabelRoom LeftLabelRoom() const { return LeftLabelRoom(left_.LabelWidth()); }

    // Rectangle zoom: the axes take the values under the rectangle's corners
    // (both become manual), then OnZoom runs. A range narrower than its axis
    // can label is widened about its middle to the narrowest it can
    // (NarrowestLabelledRange). The ranges in force before the first zoom are
    // kept while the zoom is in force: until it is undone, forgotten, or an
    // axis' range or scaling is set otherwise. Nothing for a rectangle without
    // width or height, or one whose values rounding makes equal.
    void Zoom(const TPixelRect& area);
    // Puts back the ranges (and automatic scaling) in force before the first
    // zoom, if one is in force, then runs OnUndoZoom in every case, telling
    // whether anything was put back.
    void UndoZoom();
    // The zoom stays as shown, but there is nothing left to go back to.
    void ForgetZoom() noexcept { beforeZoom_.reset(); }
    bool Zoomed() const noexcept { return beforeZoom_.has_value(); }
    std::function<void()> OnZoom;
    std::function<void(bool restored)> OnUndoZoom;

    // Counts up with every change that alters the picture.
    unsigned long long Revision() const noexcept;

    // Total bytes that the series hold for their points.
    size_t MemoryBytes() const noexcept;

private:
    friend class TChartAxis;
    // Brings automatic axes up to date with the data; cheap when nothing changed.
    void RefreshAutomaticRanges() const;

    struct TAxisState {
        double Min, Max;
        bool Automatic;
    };
    struct TZoomState {
        TAxisState Bottom, Left;
    };

    TChartAxis bottom_;
    TChartAxis left_;
    std::vector<std::unique_ptr<TChartSeries>> series_;
    int width_ = 0, height_ = 0;
    TChartMetrics metrics_;
    TTextMeasure labelMeasure_;
    std::optional<TZoomState> beforeZoom_;
    unsigned long long revision_ = 0;
    mutable unsigned long long refreshedAt_ = ~0ull;
    mutable bool refreshing_ = false;
};
