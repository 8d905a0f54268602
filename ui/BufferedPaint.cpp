#include "BufferedPaint.h"

TBufferedDC::TBufferedDC(HDC target, const RECT& area) : target_(target), area_(area)
{
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    memory_ = CreateCompatibleDC(target);
    bitmap_ = CreateCompatibleBitmap(target, w, h);
    if (!memory_ || !bitmap_) {  // out of GDI resources: draw straight to the screen
        if (bitmap_) DeleteObject(bitmap_);
        if (memory_) DeleteDC(memory_);
        memory_ = nullptr;
        bitmap_ = nullptr;
        return;
    }
    oldBitmap_ = SelectObject(memory_, bitmap_);
    SetWindowOrgEx(memory_, area.left, area.top, nullptr);
}

TBufferedDC::~TBufferedDC()
{
    if (!memory_) return;
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, memory_, area_.left,
           area_.top, SRCCOPY);
    SelectObject(memory_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
}
