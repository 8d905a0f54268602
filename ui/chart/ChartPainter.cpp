#include "ChartPainter.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "AxisLabels.h"
#include "SpanRaster.h"

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kFrame = RGB(96, 96, 96);
constexpr COLORREF kGrid = RGB(208, 208, 208);
constexpr COLORREF kText = RGB(32, 32, 32);

int TextWidth(HDC dc, std::wstring_view text)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

int FontHeight(HDC dc, HFONT font)
{
    TSelectObject select(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return tm.tmHeight;
}

void Line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void PutText(HDC dc, int x, int y, std::wstring_view text)
{
    TextOutW(dc, x, y, text.data(), static_cast<int>(text.size()));
}

}  // namespace

COLORREF ResolveChartColor(TChartColor color)
{
    return IsChartSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF)) : static_cast<COLORREF>(color);
}

TChartPainter::TChartPainter()
{
    LOGFONTW lf{};
    GetObjectW(titleFont_.Handle(), sizeof(lf), &lf);
    lf.lfEscapement = lf.lfOrientation = 900;  // reads from bottom to top
    upwardTitleFont_.reset(CreateFontIndirectW(&lf));
    measureDc_ = TMemoryDC(nullptr);
    if (measureDc_) measureFont_ = SelectObject(measureDc_.get(), labelFont_.Handle());
}

TChartPainter::~TChartPainter()
{
    // A bitmap still selected into a DC cannot be deleted.
    if (memory_ && originalBitmap_) SelectObject(memory_.get(), originalBitmap_);
    if (measureDc_ && measureFont_) SelectObject(measureDc_.get(), measureFont_);
}

TTextMeasure TChartPainter::LabelMeasure() const
{
    if (!measureDc_) return {};
    return [dc = measureDc_.get()](std::wstring_view text) { return TextWidth(dc, text); };
}

TChartMetrics TChartPainter::MeasureMetrics() const
{
    TMemoryDC dc(nullptr);
    TChartMetrics m;
    if (!dc) return m;
    m.LabelHeight = FontHeight(dc.get(), labelFont_.Handle());
    m.TitleHeight = FontHeight(dc.get(), titleFont_.Handle());
    TSelectObject select(dc.get(), labelFont_.Handle());
    // Half the widest time label, so the last one fits at the right edge.
    m.RightMargin = std::max(m.RightMargin, TextWidth(dc.get(), L"00:00:00") / 2 + 4);
    return m;
}

bool TChartPainter::Stale(const TChartModel& model) const noexcept
{
    return renderedRevision_ != model.Revision() || width_ != model.Width() || height_ != model.Height();
}

bool TChartPainter::EnsureBitmap(int width, int height)
{
    if (memory_ && bitmap_ && width == width_ && height == height_) return true;
    if (memory_ && originalBitmap_) SelectObject(memory_.get(), originalBitmap_);
    originalBitmap_ = nullptr;
    bitmap_.reset();
    bits_ = nullptr;
    width_ = height_ = 0;
    if (!memory_) memory_ = TMemoryDC(nullptr);
    if (!memory_ || width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(memory_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) return false;
    originalBitmap_ = SelectObject(memory_.get(), bitmap_.get());
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

bool TChartPainter::Render(const TChartModel& model)
{
    if (!EnsureBitmap(model.Width(), model.Height())) return false;
    if (!Stale(model)) return true;
    HDC dc = memory_.get();
    const RECT all{0, 0, width_, height_};
    FillSolidRect(dc, all, kBackground);

    const TPixelRect plot = model.PlotRect();
    const TAxisScale xs = model.XScale(), ys = model.YScale();
    TSelectObject labelFont(dc, labelFont_.Handle());
    const TAxisLabels xLabels =
        TimeAxisLabels(model.Bottom(), xs, [dc](std::wstring_view text) { return TextWidth(dc, text); });
    const TLabelRoom yRoom = model.LeftLabelRoom();
    const TAxisLabels yLabels =
        ValueAxisLabels(model.Left(), ys, model.Metrics().LabelHeight, TNumberSeparators::User(), yRoom);

    if (!plot.Empty()) {
        std::vector<double> gridX, gridY;
        for (const TAxisLabel& l : xLabels.Labels) gridX.push_back(l.Pixel);
        for (const TAxisLabel& l : yLabels.Labels) gridY.push_back(l.Pixel);
        DrawGrid(dc, plot, gridX, gridY);
        TGdiPen framePen(CreatePen(PS_SOLID, 1, kFrame));
        TSelectObject pen(dc, framePen.get());
        TSelectObject brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, plot.Left, plot.Top, plot.Right + 1, plot.Bottom + 1);
        GdiFlush();  // GDI's drawing is in the bits before the series go there
        DrawSeries(model, plot);
    }

    // Ticks and labels outside the plot.
    const TChartMetrics& m = model.Metrics();
    TGdiPen tickPen(CreatePen(PS_SOLID, 1, kFrame));
    TSelectObject pen(dc, tickPen.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    const auto minorTicks = [](const TAxisLabels& labels, const TAxisScale& scale, auto&& draw) {
        if (labels.Labels.empty()) return;
        const double minor = labels.Step / 5;
        const double start = labels.Labels.front().Value - labels.Step;
        for (int k = 0; k <= static_cast<int>(labels.Labels.size()) * 5 + 5; ++k) {
            const double v = start + k * minor;
            if (v > scale.Min && v < scale.Max && k % 5 != 0) draw(static_cast<int>(std::lround(scale.ToPixel(v))));
        }
    };
    if (!plot.Empty()) {
        minorTicks(xLabels, xs, [&](int x) { Line(dc, x, plot.Bottom + 1, x, plot.Bottom + 1 + m.TickLength / 2); });
        minorTicks(yLabels, ys, [&](int y) { Line(dc, plot.Left - m.TickLength / 2, y, plot.Left, y); });
    }
    const int labelTop = plot.Bottom + 1 + m.TickLength + m.LabelGap;
    int lastRight = -1000000;
    for (const TAxisLabel& l : xLabels.Labels) {
        const int x = static_cast<int>(std::lround(l.Pixel));
        Line(dc, x, plot.Bottom + 1, x, plot.Bottom + 1 + m.TickLength);
        const int w = TextWidth(dc, l.Text);
        const int left = x - w / 2;
        if (left < 0 || left + w > width_ || left < lastRight + 4) continue;
        PutText(dc, left, labelTop, l.Text);
        lastRight = left + w;
    }
    const int labelRight = plot.Left - m.TickLength - m.LabelGap;
    for (const TAxisLabel& l : yLabels.Labels) {
        const int y = static_cast<int>(std::lround(l.Pixel));
        Line(dc, plot.Left - m.TickLength, y, plot.Left, y);
        const int top = y - m.LabelHeight / 2;
        // Never over the title or beyond the chart: a label that does not fit stays out.
        if (top < 0 || top + m.LabelHeight > height_ || !yRoom.Fits(l.Text)) continue;
        PutText(dc, labelRight - TextWidth(dc, l.Text), top, l.Text);
    }

    // Titles: the bottom one centred under the plot, the left one upwards.
    TSelectObject titleFont(dc, titleFont_.Handle());
    const std::wstring& bottomTitle = model.Bottom().Title();
    if (!bottomTitle.empty()) {
        const int w = TextWidth(dc, bottomTitle);
        const int x = std::max(0, (plot.Left + plot.Right) / 2 - w / 2);
        PutText(dc, x, labelTop + m.LabelHeight + m.LabelGap, bottomTitle);
    }
    const std::wstring& leftTitle = model.Left().Title();
    if (!leftTitle.empty()) {
        TSelectObject upward(dc, upwardTitleFont_.get());
        const int w = TextWidth(dc, leftTitle);
        const int y = std::min(height_ - 1, (plot.Top + plot.Bottom) / 2 + w / 2);
        PutText(dc, m.Margin, y, leftTitle);
    }
    GdiFlush();
    renderedRevision_ = model.Revision();
    return true;
}

void TChartPainter::DrawGrid(HDC dc, const TPixelRect& plot, const std::vector<double>& xs,
                             const std::vector<double>& ys) const
{
    TGdiPen gridPen(CreatePen(PS_DOT, 1, kGrid));
    TSelectObject pen(dc, gridPen.get());
    SetBkMode(dc, TRANSPARENT);
    for (double px : xs) {
        const int x = static_cast<int>(std::lround(px));
        if (x > plot.Left && x < plot.Right) Line(dc, x, plot.Top + 1, x, plot.Bottom);
    }
    for (double py : ys) {
        const int y = static_cast<int>(std::lround(py));
        if (y > plot.Top && y < plot.Bottom) Line(dc, plot.Left + 1, y, plot.Right, y);
    }
}

void TChartPainter::DrawSeries(const TChartModel& model, const TPixelRect& plot)
{
    const TAxisScale xs = model.XScale(), ys = model.YScale();
    if (!xs.Valid() || !ys.Valid()) return;
    TPixelBuffer buffer{bits_, width_, height_, width_};
    for (int i = 0; i < model.SeriesCount(); ++i) {
        const TChartSeries& series = model.Series(i);
        if (!series.Visible() || series.Count() == 0) continue;
        spans_.clear();
        BuildSeriesSpans(series, xs, ys, plot, spans_);
        const COLORREF c = ResolveChartColor(series.Color());
        RasterSpans(buffer, spans_, PixelOf(ChartRgb(GetRValue(c), GetGValue(c), GetBValue(c))), series.LineWidth(),
                    plot);
    }
}

void TChartPainter::CopyTo(HDC target, int x, int y) const
{
    if (memory_ && bitmap_) BitBlt(target, x, y, width_, height_, memory_.get(), 0, 0, SRCCOPY);
}
