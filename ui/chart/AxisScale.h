// TAxisScale: the straight mapping between an axis' values and pixels of the
// plot. On the horizontal axis the minimum is at the plot's left edge, on the
// vertical one at its bottom edge.
#pragma once
#include <cmath>

struct TAxisScale {
    double Min = 0, Max = 1;  // the axis range
    double P0 = 0, P1 = 1;    // the pixels of Min and Max

    // Whether the range can be drawn at all: finite, Max above Min, pixels apart.
    bool Valid() const noexcept
    {
        return std::isfinite(Min) && std::isfinite(Max) && Max > Min && P0 != P1 && std::isfinite(PixelsPerUnit());
    }
    double PixelsPerUnit() const noexcept { return (P1 - P0) / (Max - Min); }
    double ToPixel(double value) const noexcept { return P0 + (value - Min) * PixelsPerUnit(); }
    double ToValue(double pixel) const noexcept { return Min + (pixel - P0) / PixelsPerUnit(); }
    // Whether a value lies strictly inside the range.
    bool StrictlyInside(double value) const noexcept { return value > Min && value < Max; }
};
