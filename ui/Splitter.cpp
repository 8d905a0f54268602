#include "Splitter.h"

#include <windowsx.h>

void TSplitter::CreateSplitter(HWND parent)
{
    TWindowCreateArgs args;
    args.ClassName = L"QuillmereSplitter";
    args.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    args.Parent = parent;
    args.Bounds = RECT{0, 0, Width, 10};
    Create(args);
}

void TSplitter::OnPaint(HDC dc, const RECT& client)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT light{client.left, client.top, client.left + 1, client.bottom};
    FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    RECT shadow{client.right - 1, client.top, client.right, client.bottom};
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
}

bool TSplitter::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        result = TRUE;
        return true;
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(Handle(), &p);
        lastX_ = p.x;
        dragging_ = true;
        SetCapture(Handle());
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(Handle(), &p);
            const int dx = p.x - lastX_;
            lastX_ = p.x;
            if (dx != 0 && OnDrag) OnDrag(dx);
        }
        result = 0;
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (msg == WM_LBUTTONUP) ReleaseCapture();
        }
        result = 0;
        return true;
    default:
        return TWindow::OnMessage(msg, wp, lp, result);
    }
}
