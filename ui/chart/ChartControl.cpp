#include "ChartControl.h"

#include <windowsx.h>

#include <algorithm>

#include "GdiOwners.h"

namespace {
// Smaller drags are taken as clicks.
constexpr int kMinZoomPixels = 4;
}  // namespace

void TChart::CreateChart(HWND parent)
{
    TWindowCreateArgs args;
    args.ClassName = L"QuillmereChart";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, 10, 10};
    model_.SetMetrics(painter_.MeasureMetrics());
    model_.SetLabelMeasure(painter_.LabelMeasure());
    Create(args);
}

void TChart::RefreshIfChanged()
{
    if (Handle() && painter_.Stale(model_)) InvalidateRect(Handle(), nullptr, FALSE);
}

void TChart::Repaint()
{
    if (!Handle()) return;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

void TChart::OnSize(int width, int height) { model_.SetSize(width, height); }

void TChart::OnPaint(HDC dc, const RECT& client)
{
    if (painter_.Render(model_)) {
        painter_.CopyTo(dc, 0, 0);
    } else {
        FillSolidRect(dc, client, RGB(255, 255, 255));
    }
    if (dragging_) DrawDragRectangle();
    if (OnAfterDraw) OnAfterDraw();
}

void TChart::DrawXorLine(int x0, int y0, int x1, int y1, COLORREF color, int penStyle)
{
    if (!Handle()) return;
    HDC dc = GetDC(Handle());
    if (!dc) return;
    {
        TGdiPen xorPen(CreatePen(penStyle, 1, color));
        TSelectObject pen(dc, xorPen.get());
        const int mode = SetROP2(dc, R2_XORPEN);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        // LineTo leaves out the last pixel; it belongs to the line.
        SetPixelV(dc, x1, y1, GetPixel(dc, x1, y1) ^ color);
        SetROP2(dc, mode);
    }
    ReleaseDC(Handle(), dc);
}

void TChart::DrawDragRectangle()
{
    HDC dc = GetDC(Handle());
    if (!dc) return;
    RECT r{std::min(dragFrom_.x, dragTo_.x), std::min(dragFrom_.y, dragTo_.y), std::max(dragFrom_.x, dragTo_.x) + 1,
           std::max(dragFrom_.y, dragTo_.y) + 1};
    DrawFocusRect(dc, &r);  // exclusive-or: the second call removes it
    ReleaseDC(Handle(), dc);
}

void TChart::EndDrag(bool zoom)
{
    if (!dragging_) return;
    DrawDragRectangle();
    dragging_ = false;
    if (GetCapture() == Handle()) ReleaseCapture();
    if (!zoom) return;
    const TPixelRect plot = model_.PlotRect();
    const TPixelRect area{std::clamp<int>(std::min(dragFrom_.x, dragTo_.x), plot.Left, plot.Right),
                          std::clamp<int>(std::min(dragFrom_.y, dragTo_.y), plot.Top, plot.Bottom),
                          std::clamp<int>(std::max(dragFrom_.x, dragTo_.x), plot.Left, plot.Right),
                          std::clamp<int>(std::max(dragFrom_.y, dragTo_.y), plot.Top, plot.Bottom)};
    if (area.Right - area.Left < kMinZoomPixels || area.Bottom - area.Top < kMinZoomPixels) return;
    model_.Zoom(area);
    if (OnUserZoom) OnUserZoom();
    RefreshIfChanged();
}

bool TChart::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;  // the paint covers everything
        return true;
    case WM_SETCURSOR:
        if (LOWORD(lp) != HTCLIENT) return false;
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        result = TRUE;
        return true;
    case WM_LBUTTONDOWN:
        SetFocus(Handle());
        if (model_.PlotRect().Contains(at.x, at.y)) {
            dragging_ = true;
            dragFrom_ = dragTo_ = at;
            SetCapture(Handle());
            DrawDragRectangle();
        }
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        if (dragging_) {
            DrawDragRectangle();
            dragTo_ = at;
            DrawDragRectangle();
        }
        if (OnMouseMove) OnMouseMove(wp, at.x, at.y);
        result = 0;
        return true;
    case WM_LBUTTONUP:
        dragTo_ = at;
        EndDrag(true);
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != Handle()) EndDrag(false);
        result = 0;
        return true;
    case WM_RBUTTONUP: {
        POINT screen = at;
        ClientToScreen(Handle(), &screen);
        if (OnContextMenu) OnContextMenu(screen);
        result = 0;
        return true;
    }
    default:
        return TWindow::OnMessage(msg, wp, lp, result);
    }
}
