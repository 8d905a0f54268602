#include "DeferredRedraw.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The controls waiting for their repaint, and the thread timer that ends the
// wait. The window runs on one thread, so no lock.
std::vector<HWND> g_waiting;
UINT_PTR g_timer = 0;

void CALLBACK RedrawWaiting(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    g_timer = 0;
    for (HWND control : std::exchange(g_waiting, {})) {
        if (!IsWindow(control)) continue;
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

}  // namespace

void DeferRedraw(HWND control)
{
    if (!control || std::find(g_waiting.begin(), g_waiting.end(), control) != g_waiting.end()) return;
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    g_waiting.push_back(control);
    // A timer message comes only when nothing else is queued: after the call.
    if (!g_timer) g_timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, RedrawWaiting);
}
