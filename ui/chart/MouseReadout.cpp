#include "MouseReadout.h"

#include <cmath>

#include "DateText.h"
#include "NumberPicture.h"
#include "NumberText.h"

namespace {

constexpr TNumberPicture kWhole = TNumberPicture::Parse("0");
constexpr TNumberPicture kSmall = TNumberPicture::Parse("0.00E-");
constexpr TNumberPicture kNormal = TNumberPicture::Parse("0.000");

const std::wstring kBlank = L" ";

// Whether t lies strictly between the series' first and last sample.
bool InsideSamples(const TChartSeries& series, double t)
{
    return series.Count() > 0 && t > series.XValue(0) && t < series.XValue(series.Count() - 1);
}

}  // namespace

std::wstring ReadoutValueText(double value)
{
    if (!std::isfinite(value)) return kBlank;  // an axis without a range has no value to show
    if (value == 0) return L"0";
    if (value > 0 && value <= 0.001) return FormatNumberPicture(value, kSmall);
    if (value > 0.001 && value <= 100000) return FormatNumberPicture(value, kNormal);
    return FormatNumberPicture(value, kWhole);
}

std::optional<size_t> IndexUnderTime(const TChartSeries& series, const TIndexRange& visible, double t)
{
    const size_t f = visible.First, l = visible.Last;
    if (f == l) return std::nullopt;
    const double x0 = series.XValue(f), x1 = series.XValue(l);
    if (x0 == x1) return std::nullopt;
    const double offset = (x1 - t) * static_cast<double>(l - f) / (x1 - x0);
    long long steps = 0;
    try {
        steps = RoundToInteger(offset, TRounding::HalfToEven);
    } catch (const std::exception&) {
        return std::nullopt;  // far outside: no sample
    }
    const long long e = static_cast<long long>(l) - steps;
    if (e <= static_cast<long long>(f) || e >= static_cast<long long>(l)) return std::nullopt;
    return static_cast<size_t>(e);
}

void TMouseReadout::SetUp()
{
    CrosshairX = -1;
    CrosshairColor = kWhite;
    ReadoutSeriesSelected = false;
    ReadoutAllowed = false;
}

void TMouseReadout::Chart9MouseMove(int x, int y)
{
    if (!ReadoutAllowed) return;
    Readout(x, y);
}

bool TMouseReadout::SelectReadoutSeries(int index)
{
    if (index < 0 || index >= kTrendSeriesCount) return ReadoutSeriesSelected;
    ReadoutSeriesIndex = index;
    for (int i = 0; i < index; ++i) Checked[static_cast<size_t>(i)] = false;
    Checked[static_cast<size_t>(index)] = !Checked[static_cast<size_t>(index)];
    ReadoutSeriesSelected = Checked[static_cast<size_t>(index)];
    for (int i = index + 1; i < kTrendSeriesCount; ++i) Checked[static_cast<size_t>(i)] = false;
    return ReadoutSeriesSelected;
}

void TMouseReadout::DrawCrosshair(int x, int y)
{
    if (!XorLine) return;
    const TPixelRect plot = chart_.PlotRect();
    XorLine(x, plot.Top, x, plot.Bottom, CrosshairColor);
    XorLine(plot.Left, y, plot.Right, y, CrosshairColor);
}

void TMouseReadout::Readout(int x, int y)
{
    ReadoutAllowed = false;
    if (CrosshairX != -1) {
        DrawCrosshair(CrosshairX, CrosshairY);
        CrosshairX = -1;
    }
    if (RepaintChart) RepaintChart();
    if (kLayerSeries >= chart_.SeriesCount()) return;
    const TChartSeries& layers = chart_.Series(kLayerSeries);
    if (!seriesLogged_[kLayerSeries] || layers.Count() == 0) return;
    if (!chart_.PlotRect().Contains(x, y)) {
        Lvalue = Xvalue = YSvalue = kBlank;
        return;
    }
    const TChartPoint at = chart_.AxisValuesAt(x, y);
    const double t = at.X;
    Xvalue = LongTimeOfDateText(t);
    if (!ReadoutSeriesSelected) {
        YSvalue = ReadoutValueText(at.Y);
    } else if (Checked[static_cast<size_t>(ReadoutSeriesIndex)]) {
        int mouseY = y;
        if (ReadoutSeriesValue(t, mouseY, x) == TPanelStep::Stop) return;
    }
    LayerValue(t);
}

TMouseReadout::TPanelStep TMouseReadout::ReadoutSeriesValue(double t, int& mouseY, int mouseX)
{
    const TChartSeries& series = chart_.Series(ReadoutSeriesIndex);
    // A series without samples (series 19 never gets any) shows nothing.
    if (!InsideSamples(series, t)) {
        YSvalue = kBlank;
        return TPanelStep::GoOn;
    }
    const TAxisScale xs = chart_.XScale();
    const auto visible = series.IndicesWithin(xs.Min, xs.Max);
    if (!visible || visible->First == visible->Last || series.XValue(visible->First) == series.XValue(visible->Last)) {
        YSvalue = kBlank;
        return TPanelStep::Stop;
    }
    const auto e = IndexUnderTime(series, *visible, t);
    if (!e) return TPanelStep::Stop;
    const double value = series.YValue(*e);
    YSvalue = ReadoutValueText(value);
    const TAxisScale ys = chart_.YScale();
    if (!ys.Valid()) return TPanelStep::GoOn;
    mouseY = static_cast<int>(std::lround(ys.ToPixel(value)));
    if (xs.StrictlyInside(t) && ys.StrictlyInside(value)) {
        DrawCrosshair(mouseX, mouseY);
        CrosshairX = mouseX;
        CrosshairY = mouseY;
    }
    return TPanelStep::GoOn;
}

void TMouseReadout::LayerValue(double t)
{
    const TChartSeries& layers = chart_.Series(kLayerSeries);
    if (!InsideSamples(layers, t)) {
        Lvalue = kBlank;
        return;
    }
    const TAxisScale xs = chart_.XScale();
    const auto visible = layers.IndicesWithin(xs.Min, xs.Max);
    if (!visible || visible->First == visible->Last || layers.XValue(visible->First) == layers.XValue(visible->Last)) {
        Lvalue = kBlank;
        return;
    }
    const auto e = IndexUnderTime(layers, *visible, t);
    if (!e) return;
    const double layer = layers.YValue(*e);
    Lvalue = layer == 0 ? kBlank : FormatNumberPicture(layer, kWhole);
}
