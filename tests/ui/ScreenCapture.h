// What the screen shows of a window, kept as a bitmap file for people to look at.
#pragma once
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "MessagePump.h"

namespace {

struct TCapture {
    int Width = 0, Height = 0;
    std::vector<BYTE> Pixels;  // BGR rows, bottom-up, each padded to 4 bytes

    COLORREF At(int x, int y) const
    {
        const int stride = (Width * 3 + 3) & ~3;
        const BYTE* p = &Pixels[static_cast<size_t>((Height - 1 - y) * stride + x * 3)];
        return RGB(p[2], p[1], p[0]);
    }
    // Text or lines rather than background.
    bool Dark(int x, int y) const
    {
        const COLORREF c = At(x, y);
        return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
    }
    friend bool operator==(const TCapture&, const TCapture&) = default;
    void SaveBmp(const std::wstring& path) const
    {
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof(info);
        info.biWidth = Width;
        info.biHeight = Height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info);
        file.bfSize = static_cast<DWORD>(file.bfOffBits + Pixels.size());
        std::ofstream out(std::filesystem::path(path), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof(file));
        out.write(reinterpret_cast<const char*>(&info), sizeof(info));
        out.write(reinterpret_cast<const char*>(Pixels.data()), static_cast<std::streamsize>(Pixels.size()));
    }
};

// A width x height copy of source from (x, y).
TCapture Capture(HDC source, int x, int y, int width, int height)
{
    TCapture c;
    c.Width = width;
    c.Height = height;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = c.Width;
    bi.bmiHeader.biHeight = c.Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, c.Width, c.Height, source, x, y, SRCCOPY);
    GdiFlush();
    const size_t size = static_cast<size_t>(((c.Width * 3 + 3) & ~3) * c.Height);
    c.Pixels.assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return c;
}

// What the screen shows inside the window's outer rectangle.
TCapture CaptureWindow(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    HDC screen = GetDC(nullptr);
    TCapture c = Capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return c;
}

// What the window has drawn of itself, frame included, as it stands now:
// no wait for the display to catch up.
TCapture CaptureDrawn(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    HDC dc = GetWindowDC(hwnd);
    TCapture c = Capture(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    ReleaseDC(hwnd, dc);
    return c;
}

// Pumps until what the screen shows of the window satisfies ready, that is
// until the painting a test checks has reached the screen; the last capture.
TCapture CaptureWhen(HWND hwnd, const std::function<bool(const TCapture&)>& ready)
{
    TCapture shot;
    PumpUntil([&] {
        shot = CaptureWindow(hwnd);
        return ready(shot);
    });
    return shot;
}

}  // namespace
