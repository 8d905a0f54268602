// Owners of GDI handles: each deletes what it holds when it ends, so no
// drawing path has to remember a DeleteObject or DeleteDC.
#pragma once
#include <windows.h>

#include <utility>

// A GDI object (brush, pen, font, bitmap) that this code created.
template <class Handle>
class TGdiObject {
public:
    TGdiObject() noexcept = default;
    explicit TGdiObject(Handle handle) noexcept : handle_(handle) {}
    ~TGdiObject() { reset(); }
    TGdiObject(TGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept
    {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) noexcept
    {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using TGdiBrush = TGdiObject<HBRUSH>;
using TGdiPen = TGdiObject<HPEN>;
using TGdiFont = TGdiObject<HFONT>;
using TGdiBitmap = TGdiObject<HBITMAP>;

// A memory device context that this code created.
class TMemoryDC {
public:
    TMemoryDC() noexcept = default;
    explicit TMemoryDC(HDC compatibleWith) noexcept : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~TMemoryDC() { reset(); }
    TMemoryDC(TMemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    TMemoryDC& operator=(TMemoryDC&& other) noexcept
    {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void reset() noexcept
    {
        if (dc_) DeleteDC(dc_);
        dc_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
};

// Selects an object into a DC for a scope and puts the previous one back.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~TSelectObject() { SelectObject(dc_, previous_); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Fills a rectangle with a solid colour.
inline void FillSolidRect(HDC dc, const RECT& area, COLORREF color)
{
    TGdiBrush brush(CreateSolidBrush(color));
    FillRect(dc, &area, brush.get());
}
