#include "SpanRaster.h"

#include <algorithm>

void RasterSpans(TPixelBuffer& buffer, const std::vector<TColumnSpan>& spans, std::uint32_t pixel, int lineWidth,
                 const TPixelRect& clip)
{
    const int width = std::max(lineWidth, 1);
    const int before = (width - 1) / 2, after = width / 2;
    const TPixelRect area{std::max(clip.Left, 0), std::max(clip.Top, 0), std::min(clip.Right, buffer.Width - 1),
                          std::min(clip.Bottom, buffer.Height - 1)};
    if (area.Empty() || !buffer.Bits) return;
    for (const TColumnSpan& s : spans) {
        const int x0 = std::max(s.X - before, area.Left), x1 = std::min(s.X + after, area.Right);
        const int y0 = std::max(s.Top - before, area.Top), y1 = std::min(s.Bottom + after, area.Bottom);
        if (x0 > x1 || y0 > y1) continue;
        std::uint32_t* row = buffer.Bits + static_cast<ptrdiff_t>(y0) * buffer.Stride;
        for (int y = y0; y <= y1; ++y, row += buffer.Stride)
            for (int x = x0; x <= x1; ++x) row[x] = pixel;
    }
}
