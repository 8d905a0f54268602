#include "BufferedPaint.h"

TBufferedDC::~TBufferedDC()
{
    // A bitmap still selected into a DC cannot be deleted.
    if (memory_ && originalBitmap_) SelectObject(memory_.get(), originalBitmap_);
}

bool TBufferedDC::Ensure(HDC target, int width, int height)
{
    if (memory_ && bitmap_ && size_.cx == width && size_.cy == height) return true;
    if (memory_ && originalBitmap_) SelectObject(memory_.get(), originalBitmap_);
    bitmap_.reset();
    memory_ = TMemoryDC(target);
    originalBitmap_ = nullptr;
    size_ = SIZE{};
    if (!memory_) return false;
    bitmap_.reset(CreateCompatibleBitmap(target, width, height));
    if (!bitmap_) {
        memory_.reset();
        return false;
    }
    originalBitmap_ = SelectObject(memory_.get(), bitmap_.get());
    size_ = SIZE{width, height};
    return true;
}

HDC TBufferedDC::Begin(HDC target, const RECT& area)
{
    target_ = target;
    area_ = area;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0 || !Ensure(target, width, height)) {
        target_ = nullptr;  // drawn straight to the screen: nothing to copy
        return target;
    }
    SetWindowOrgEx(memory_.get(), area.left, area.top, nullptr);
    return memory_.get();
}

void TBufferedDC::End() noexcept
{
    if (!target_) return;
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, memory_.get(),
           area_.left, area_.top, SRCCOPY);
    target_ = nullptr;
}
