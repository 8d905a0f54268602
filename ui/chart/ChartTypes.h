// Small value types of the chart: colours and pixel rectangles.
#pragma once
#include <cstdint>

// A colour with red in the low byte, then green and blue. A top byte 0xFF
// marks a system colour, whose index (COLOR_WINDOWFRAME ...) is the low byte.
using TChartColor = std::uint32_t;

constexpr TChartColor ChartRgb(int r, int g, int b)
{
    return static_cast<TChartColor>(r) | static_cast<TChartColor>(g) << 8 | static_cast<TChartColor>(b) << 16;
}
constexpr TChartColor ChartSystemColor(int index) { return 0xFF000000u | static_cast<TChartColor>(index & 0xFF); }
constexpr bool IsChartSystemColor(TChartColor color) { return (color >> 24) == 0xFF; }

// Pixels of the chart's area; Right and Bottom are the last pixels inside.
struct TPixelRect {
    int Left = 0, Top = 0, Right = -1, Bottom = -1;

    constexpr int Width() const { return Right - Left + 1; }
    constexpr int Height() const { return Bottom - Top + 1; }
    constexpr bool Empty() const { return Right < Left || Bottom < Top; }
    constexpr bool Contains(int x, int y) const { return x >= Left && x <= Right && y >= Top && y <= Bottom; }
    friend constexpr bool operator==(const TPixelRect&, const TPixelRect&) = default;
};
