#include "DeferredRedraw.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct TWaiting {
    HWND Control;
    std::function<void()> AfterRedrawOn;
};

// The controls waiting for their repaint, and the thread timer that ends the
// wait. The window runs on one thread, so no lock.
std::vector<TWaiting> g_waiting;
UINT_PTR g_timer = 0;

void CALLBACK RedrawWaiting(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    g_timer = 0;
    for (TWaiting& w : std::exchange(g_waiting, {})) {
        if (!IsWindow(w.Control)) continue;
        SendMessageW(w.Control, WM_SETREDRAW, TRUE, 0);
        try {
            if (w.AfterRedrawOn) w.AfterRedrawOn();
        } catch (...) {
            // A timer callback has no one to tell; the repaint below still runs.
        }
        RedrawWindow(w.Control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

}  // namespace

bool RedrawDeferred(HWND control)
{
    return std::any_of(g_waiting.begin(), g_waiting.end(), [&](const TWaiting& w) { return w.Control == control; });
}

bool DeferRedraw(HWND control, std::function<void()> afterRedrawOn)
{
    if (!control || RedrawDeferred(control)) return false;
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    g_waiting.push_back({control, std::move(afterRedrawOn)});
    // A timer message comes only when nothing else is queued: after the call.
    if (!g_timer) g_timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, RedrawWaiting);
    return true;
}
