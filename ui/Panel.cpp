#include "Panel.h"

#include "GdiOwners.h"

void TPanel::CreatePanel(HWND parent, COLORREF color, DWORD exStyle)
{
    color_ = color;
    TWindowCreateArgs args;
    args.ClassName = L"QuillmerePanel";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 10, 10};
    args.ExStyle = exStyle;
    Create(args);
}

void TPanel::OnPaint(HDC dc, const RECT& client)
{
    FillSolidRect(dc, client, color_);
}
