#include "Window.h"

#include <stdexcept>

#include "BufferedPaint.h"
#include "Control.h"

namespace {

void RegisterClassOnce(const TWindowCreateArgs& args, WNDPROC proc)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, args.ClassName.c_str(), &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = args.ClassStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = args.Background;
    wc.lpszClassName = args.ClassName.c_str();
    if (!RegisterClassExW(&wc)) throw std::runtime_error("window class registration failed");
}

}  // namespace

TWindow::~TWindow() { Destroy(); }

void TWindow::Create(const TWindowCreateArgs& args)
{
    RegisterClassOnce(args, &TWindow::StaticWndProc);
    const RECT& b = args.Bounds;
    const bool useDefault = b.left == CW_USEDEFAULT;
    HWND hwnd =
        CreateWindowExW(args.ExStyle, args.ClassName.c_str(), args.Title.c_str(), args.Style, b.left, b.top,
                        useDefault ? CW_USEDEFAULT : b.right - b.left, useDefault ? CW_USEDEFAULT : b.bottom - b.top,
                        args.Parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.ControlId)),
                        GetModuleHandleW(nullptr), this);
    if (!hwnd) throw std::runtime_error("window creation failed");
}

void TWindow::Destroy()
{
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY unbinds
}

RECT TWindow::ClientRect() const
{
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r;
}

void TWindow::SetBounds(int x, int y, int width, int height)
{
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    // Nothing may unwind through the system's window code.
    try {
        return self->WndProc(msg, wp, lp);
    } catch (...) {
        self->OnUnhandledException(msg, std::current_exception());
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_ERASEBKGND:
        if (PaintsBuffered()) return 1;
        break;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        if (OnClose()) return 0;
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_TIMER:
        if (OnTimer(wp)) return 0;
        break;
    case WM_ACTIVATE:
        if (OnActivate(LOWORD(wp) != WA_INACTIVE)) return 0;
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, result)) return result;
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool TWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_COMMAND && lp) {
        if (TControl* c = TControl::FromHandle(reinterpret_cast<HWND>(lp)))
            if (c->OnCommand(HIWORD(wp))) {
                result = 0;
                return true;
            }
    } else if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (TControl* c = TControl::FromHandle(hdr->hwndFrom)) return c->OnNotify(hdr, result);
    } else if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (TControl* c = item->CtlType == ODT_MENU ? nullptr : TControl::FromHandle(item->hwndItem))
            if (c->OnDrawItem(*item)) {
                result = TRUE;
                return true;
            }
    }
    return false;
}

void TWindow::Paint()
{
    // EndPaint runs whatever OnPaint does, or the window would be asked to
    // paint again and again.
    struct TPaint {
        HWND window;
        PAINTSTRUCT ps{};
        explicit TPaint(HWND w) : window(w) { BeginPaint(window, &ps); }
        ~TPaint() { EndPaint(window, &ps); }
    } paint(hwnd_);
    const RECT client = ClientRect();
    if (!PaintsBuffered()) {
        OnPaint(paint.ps.hdc, client);
        return;
    }
    HDC dc = paintBuffer_.Begin(paint.ps.hdc, client);
    OnPaint(dc, client);
    paintBuffer_.End();
}
