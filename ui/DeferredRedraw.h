// Controls that change many times within one message (a client's call that
// adds a hundred items, each with a tree node and a log line) repaint once,
// after that message: every change would otherwise invalidate the control and
// reset its scroll bars, and under Wine each of those is a round trip to the
// window server.
#pragma once
#include <windows.h>

// Turns the control's redraw off until the thread's message loop is idle
// again; then it is turned on and the control repainted.
void DeferRedraw(HWND control);
