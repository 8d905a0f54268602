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

// What the screen shows inside the window's outer rectangle.
TCapture CaptureWindow(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    TCapture c;
    c.Width = r.right - r.left;
    c.Height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = c.Width;
    bi.bmiHeader.biHeight = c.Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, c.Width, c.Height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const size_t size = static_cast<size_t>(((c.Width * 3 + 3) & ~3) * c.Height);
    c.Pixels.assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
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
