// TBufferedDC: an off-screen bitmap the size of a window's area; a paint
// draws there and is copied to the screen in one go, so a repaint never shows
// half-drawn states. The bitmap is kept between paints and made again only
// when the area's size changes.
#pragma once
#include <windows.h>

#include "GdiOwners.h"

class TBufferedDC {
public:
    TBufferedDC() = default;
    ~TBufferedDC();
    TBufferedDC(const TBufferedDC&) = delete;
    TBufferedDC& operator=(const TBufferedDC&) = delete;

    // The DC to draw a paint of area on target into: the kept bitmap, or
    // target itself when no bitmap can be had (empty area, no GDI resources).
    HDC Begin(HDC target, const RECT& area);
    // Copies what was drawn since Begin to the target.
    void End() noexcept;

private:
    bool Ensure(HDC target, int width, int height);

    TMemoryDC memory_;
    TGdiBitmap bitmap_;
    HGDIOBJ originalBitmap_ = nullptr;
    SIZE size_{};
    HDC target_ = nullptr;
    RECT area_{};
};
