// TChartPainter: draws a chart model into a 32-bit bitmap that it keeps
// between paints and redraws only when the model changed. Background, grid,
// frame, ticks, labels and titles go through GDI; the series are written
// straight into the bitmap's pixels as column spans, which costs the same at
// every line width (wide GDI pens are far too slow for dense lines).
#pragma once
#include <windows.h>

#include <vector>

#include "ChartModel.h"
#include "Font.h"
#include "GdiOwners.h"
#include "SeriesSpans.h"

class TChartPainter {
public:
    TChartPainter();
    ~TChartPainter();
    TChartPainter(const TChartPainter&) = delete;
    TChartPainter& operator=(const TChartPainter&) = delete;

    // The sizes around the plot as this painter's fonts need them.
    TChartMetrics MeasureMetrics() const;
    // The width of a text in the label font; lives as long as the painter.
    TTextMeasure LabelMeasure() const;

    // Brings the bitmap up to date with the model; false when no bitmap can be had.
    bool Render(const TChartModel& model);
    // Forces the next Render to draw even if the model did not change.
    void Invalidate() noexcept { renderedRevision_ = ~0ull; }
    bool Stale(const TChartModel& model) const noexcept;

    // Copies the finished picture to target at (x, y).
    void CopyTo(HDC target, int x, int y) const;
    // The finished picture, for reading it back.
    HDC MemoryDC() const noexcept { return memory_.get(); }

private:
    bool EnsureBitmap(int width, int height);
    void DrawGrid(HDC dc, const TPixelRect& plot, const std::vector<double>& xs, const std::vector<double>& ys) const;
    void DrawSeries(const TChartModel& model, const TPixelRect& plot);

    TFont labelFont_{L"Arial", 13};
    TFont titleFont_{L"Arial", 15, true};
    TGdiFont upwardTitleFont_;
    TMemoryDC measureDc_;
    HGDIOBJ measureFont_ = nullptr;  // the font measureDc_ had before the label font
    TMemoryDC memory_;
    TGdiBitmap bitmap_;
    HGDIOBJ originalBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
    unsigned long long renderedRevision_ = ~0ull;
    std::vector<TColumnSpan> spans_;
};

// The screen colour of a chart colour: system colours resolved.
COLORREF ResolveChartColor(TChartColor color);
