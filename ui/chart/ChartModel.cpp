#include "ChartModel.h"

#include <algorithm>
#include <cmath>

namespace {

// A range of one value gets room around it, so the line lies in the middle.
void WidenSingleValue(double& lo, double& hi)
{
    if (lo < hi) return;
    const double room = lo == 0 ? 1.0 : std::fabs(lo) * 0.1;
    lo -= room;
    hi += room;
}

}  // namespace

// ---- TChartAxis ----

double TChartAxis::Minimum() const
{
    chart_.RefreshAutomaticRanges();
    return minimum_;
}

double TChartAxis::Maximum() const
{
    chart_.RefreshAutomaticRanges();
    return maximum_;
}

void TChartAxis::SetMinimum(double value) { SetRange(value, maximum_); }

void TChartAxis::SetMaximum(double value) { SetRange(minimum_, value); }

void TChartAxis::SetRange(double minimum, double maximum)
{
    if (!automatic_ && minimum_ == minimum && maximum_ == maximum) return;
    minimum_ = minimum;
    maximum_ = maximum;
    Changed();
}

void TChartAxis::SetAutomatic(bool automatic)
{
    if (automatic_ == automatic) return;
    automatic_ = automatic;
    Changed();
}

void TChartAxis::SetIncrement(double increment)
{
    if (increment_ == increment) return;
    increment_ = increment;
    Changed();
}

void TChartAxis::SetLabelFormat(std::wstring format)
{
    if (labelFormat_ == format) return;
    labelFormat_ = std::move(format);
    Changed();
}

void TChartAxis::SetLabelWidth(int pixels)
{
    if (labelWidth_ == pixels) return;
    labelWidth_ = std::max(pixels, 0);
    Changed();
}

void TChartAxis::SetTitle(std::wstring title)
{
    if (title_ == title) return;
    title_ = std::move(title);
    Changed();
}

// ---- TChartModel ----

TChartModel::TChartModel() : bottom_(*this, true), left_(*this, false)
{
    bottom_.labelFormat_ = L"hh:mm:ss";
    left_.labelFormat_ = L"0.000";
}

TChartSeries& TChartModel::AddSeries(std::wstring title, TChartColor color)
{
    series_.push_back(std::make_unique<TChartSeries>(std::move(title), color));
    ++revision_;
    return *series_.back();
}

void TChartModel::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    ++revision_;
}

void TChartModel::SetMetrics(const TChartMetrics& metrics)
{
    metrics_ = metrics;
    ++revision_;
}

TPixelRect TChartModel::PlotRect() const
{
    const TChartMetrics& m = metrics_;
    const int titleColumn = left_.Title().empty() ? 0 : m.TitleHeight + m.LabelGap;
    const int titleRow = bottom_.Title().empty() ? 0 : m.TitleHeight + m.LabelGap;
    TPixelRect r;
    r.Left = m.Margin + titleColumn + left_.LabelWidth();
    r.Top = m.Margin;
    r.Right = width_ - 1 - m.RightMargin;
    r.Bottom = height_ - 1 - (m.TickLength + m.LabelGap + m.LabelHeight + m.LabelGap + titleRow + m.Margin / 2);
    return r;
}

TAxisScale TChartModel::XScale() const
{
    const TPixelRect plot = PlotRect();
    return TAxisScale{bottom_.Minimum(), bottom_.Maximum(), static_cast<double>(plot.Left),
                      static_cast<double>(plot.Right)};
}

TAxisScale TChartModel::YScale() const
{
    const TPixelRect plot = PlotRect();
    return TAxisScale{left_.Minimum(), left_.Maximum(), static_cast<double>(plot.Bottom),
                      static_cast<double>(plot.Top)};
}

TChartPoint TChartModel::AxisValuesAt(int x, int y) const
{
    return TChartPoint{XScale().ToValue(x), YScale().ToValue(y)};
}

void TChartModel::Zoom(const TPixelRect& area)
{
    if (area.Right <= area.Left || area.Bottom <= area.Top) return;
    const TAxisScale xs = XScale(), ys = YScale();
    if (!xs.Valid() || !ys.Valid()) return;
    if (!beforeZoom_)
        beforeZoom_ = TZoomState{{bottom_.Minimum(), bottom_.Maximum(), bottom_.Automatic()},
                                 {left_.Minimum(), left_.Maximum(), left_.Automatic()}};
    bottom_.SetAutomatic(false);
    left_.SetAutomatic(false);
    bottom_.SetRange(xs.ToValue(area.Left), xs.ToValue(area.Right));
    left_.SetRange(ys.ToValue(area.Bottom), ys.ToValue(area.Top));
    if (OnZoom) OnZoom();
}

void TChartModel::UndoZoom()
{
    if (beforeZoom_) {
        const TZoomState state = *beforeZoom_;
        beforeZoom_.reset();
        bottom_.SetRange(state.Bottom.Min, state.Bottom.Max);
        bottom_.SetAutomatic(state.Bottom.Automatic);
        left_.SetRange(state.Left.Min, state.Left.Max);
        left_.SetAutomatic(state.Left.Automatic);
    }
    if (OnUndoZoom) OnUndoZoom();
}

unsigned long long TChartModel::Revision() const noexcept
{
    unsigned long long sum = revision_ + bottom_.Revision() + left_.Revision();
    for (const auto& s : series_) sum += s->Revision();
    return sum;
}

size_t TChartModel::MemoryBytes() const noexcept
{
    size_t sum = 0;
    for (const auto& s : series_) sum += s->MemoryBytes();
    return sum;
}

void TChartModel::RefreshAutomaticRanges() const
{
    if (refreshing_ || (!bottom_.automatic_ && !left_.automatic_)) return;
    const unsigned long long now = Revision();
    if (now == refreshedAt_) return;
    refreshing_ = true;
    if (bottom_.automatic_) {
        double lo = INFINITY, hi = -INFINITY;
        for (const auto& s : series_)
            if (s->Visible())
                if (const auto r = s->XRange()) {
                    lo = std::min(lo, r->Min);
                    hi = std::max(hi, r->Max);
                }
        if (lo <= hi) {
            WidenSingleValue(lo, hi);
            bottom_.minimum_ = lo;
            bottom_.maximum_ = hi;
        }
    }
    if (left_.automatic_) {
        // The values of what can be seen: visible series, inside the X range.
        const double xmin = bottom_.minimum_, xmax = bottom_.maximum_;
        double lo = INFINITY, hi = -INFINITY;
        for (const auto& s : series_)
            if (s->Visible())
                if (const auto r = s->YRangeWithin(xmin, xmax)) {
                    lo = std::min(lo, r->Min);
                    hi = std::max(hi, r->Max);
                }
        if (lo <= hi) {
            WidenSingleValue(lo, hi);
            left_.minimum_ = lo;
            left_.maximum_ = hi;
        }
    }
    refreshedAt_ = now;  // the refreshed ranges change no revision
    refreshing_ = false;
}
