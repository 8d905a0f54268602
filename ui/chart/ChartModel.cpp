#include "ChartModel.h"

#include <algorithm>
#include <cmath>

#include "AxisLabels.h"

namespace {

// Label widths without a painter, about as Arial 13 pixels writes them.
int EstimatedLabelWidth(std::wstring_view text)
{
    int width = 0;
    for (wchar_t c : text) width += (c >= L'0' && c <= L'9') ? 7 : (c == L'E' || c == L'+') ? 8 : 4;
    return width;
}

// Widens lo..hi about its middle to the narrowest range the axis can label.
void WidenToLabelledRange(const TChartAxis& axis, const TLabelRoom& room, double& lo, double& hi)
{
    const double narrowest = NarrowestLabelledRange(axis, lo, hi, room);
    if (hi - lo >= narrowest) return;
    const double middle = lo / 2 + hi / 2;
    lo = middle - narrowest / 2;
    hi = middle + narrowest / 2;
}

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
    chart_.ForgetZoom();
    Changed();
}

void TChartAxis::SetAutomatic(bool automatic)
{
    if (automatic_ == automatic) return;
    automatic_ = automatic;
    chart_.ForgetZoom();
    Changed();
}

void TChartAxis::Apply(double minimum, double maximum, bool automatic)
{
    if (automatic_ == automatic && minimum_ == minimum && maximum_ == maximum) return;
    minimum_ = minimum;
    maximum_ = maximum;
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
    labelMeasure_ = EstimatedLabelWidth;
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

void TChartModel::SetLabelMeasure(TTextMeasure measure)
{
    if (!measure) return;
    labelMeasure_ = std::move(measure);
    ++revision_;
}

TLabelRoom TChartModel::LeftLabelRoom(int labelWidth) const
{
    return TLabelRoom{labelMeasure_, labelWidth - metrics_.TickLength - metrics_.LabelGap};
}

void TChartModel::Zoom(const TPixelRect& area)
{
    if (area.Right <= area.Left || area.Bottom <= area.Top) return;
    const TAxisScale xs = XScale(), ys = YScale();
    if (!xs.Valid() || !ys.Valid()) return;
    double x0 = xs.ToValue(area.Left), x1 = xs.ToValue(area.Right);
    double y0 = ys.ToValue(area.Bottom), y1 = ys.ToValue(area.Top);
    if (!(x1 > x0) || !(y1 > y0)) return;
    WidenToLabelledRange(bottom_, LeftLabelRoom(), x0, x1);
    WidenToLabelledRange(left_, LeftLabelRoom(), y0, y1);
    if (!beforeZoom_)
        beforeZoom_ = TZoomState{{bottom_.Minimum(), bottom_.Maximum(), bottom_.Automatic()},
                                 {left_.Minimum(), left_.Maximum(), left_.Automatic()}};
    bottom_.Apply(x0, x1, false);
    left_.Apply(y0, y1, false);
    if (OnZoom) OnZoom();
}

void TChartModel::UndoZoom()
{
    const bool restored = beforeZoom_.has_value();
    if (restored) {
        const TZoomState state = *beforeZoom_;
        beforeZoom_.reset();
        bottom_.Apply(state.Bottom.Min, state.Bottom.Max, state.Bottom.Automatic);
        left_.Apply(state.Left.Min, state.Left.Max, state.Left.Automatic);
    }
    if (OnUndoZoom) OnUndoZoom(restored);
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
