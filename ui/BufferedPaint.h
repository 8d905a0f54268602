// TBufferedDC: an off-screen bitmap the size of a window's area; drawing goes
// there and is copied to the screen in one go when the object ends, so a
// repaint never shows half-drawn states.
#pragma once
#include <windows.h>

class TBufferedDC {
public:
    TBufferedDC(HDC target, const RECT& area);
    ~TBufferedDC();
    TBufferedDC(const TBufferedDC&) = delete;
    TBufferedDC& operator=(const TBufferedDC&) = delete;
    HDC Dc() const noexcept { return memory_ ? memory_ : target_; }

private:
    HDC target_;
    RECT area_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};
