#include "MessageDispatch.h"

bool MoveFocusByTab(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !msg.hwnd) return false;
    // Ctrl+Tab and Alt+Tab are other keys.
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    const LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || root == msg.hwnd) return false;
    const HWND next = GetNextDlgTabItem(root, msg.hwnd, GetKeyState(VK_SHIFT) < 0);
    if (next && next != msg.hwnd) {
        SetFocus(next);
        // A field entered by Tab has its text selected, ready to be typed over.
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    }
    return true;
}

void DispatchWindowMessage(const MSG& msg)
{
    if (MoveFocusByTab(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}
