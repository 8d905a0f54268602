#include "Band.h"

#include "GdiOwners.h"

namespace {
// A deep blue that fades to a lighter steel blue, with a darker bottom edge.
constexpr COLORREF kFrom = RGB(24, 52, 96);
constexpr COLORREF kTo = RGB(96, 140, 190);
constexpr COLORREF kEdge = RGB(16, 36, 70);

BYTE Mix(BYTE a, BYTE b, int pos, int span) { return static_cast<BYTE>(a + (b - a) * pos / (span > 0 ? span : 1)); }
}  // namespace

void TBand::CreateBand(HWND parent)
{
    TWindowCreateArgs args;
    args.ClassName = L"QuillmereBand";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 10, Height};
    Create(args);
}

void TBand::OnPaint(HDC dc, const RECT& client)
{
    const int width = client.right - client.left;
    // Columns of four pixels: smooth enough for a 10-pixel band, cheap to draw.
    for (int x = 0; x < width; x += 4) {
        const COLORREF c =
            RGB(Mix(GetRValue(kFrom), GetRValue(kTo), x, width), Mix(GetGValue(kFrom), GetGValue(kTo), x, width),
                Mix(GetBValue(kFrom), GetBValue(kTo), x, width));
        FillSolidRect(dc, RECT{x, client.top, x + 4, client.bottom - 1}, c);
    }
    FillSolidRect(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, kEdge);
}
