// Writes column spans straight into 32-bit pixels (0x00RRGGBB, rows top down),
// widened by the line width: a span becomes `width` columns wide and reaches
// width - 1 rows further, so a flat line is `width` rows thick and a steep one
// `width` columns. Everything outside the clip rectangle stays untouched.
#pragma once
#include <cstdint>
#include <vector>

#include "ChartTypes.h"
#include "SeriesSpans.h"

struct TPixelBuffer {
    std::uint32_t* Bits = nullptr;
    int Width = 0, Height = 0;
    int Stride = 0;  // pixels from one row to the next
};

// The pixel value of a colour (red in the low byte) in a buffer.
constexpr std::uint32_t PixelOf(TChartColor color)
{
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

void RasterSpans(TPixelBuffer& buffer, const std::vector<TColumnSpan>& spans, std::uint32_t pixel, int lineWidth,
                 const TPixelRect& clip);
