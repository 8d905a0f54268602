// Controls that change many times within one message (a client's call that
// adds a hundred items, each with a tree node and a log line) repaint once,
// after that message: every change would otherwise invalidate the control and
// reset its scroll bars, and under Wine each of those is a round trip to the
// window server (a 132-item AddItems spent 90% of its 44 ms there).
#pragma once
#include <windows.h>

#include <functional>

// Turns the control's redraw off until the thread's message loop is idle
// again; then redraw goes back on, afterRedrawOn runs (what must not happen
// while redraw is off, such as scrolling), and the control repaints. Returns
// true when this call began the wait; afterRedrawOn is kept only then.
bool DeferRedraw(HWND control, std::function<void()> afterRedrawOn = {});
// Whether the control waits for the end of a burst to repaint.
bool RedrawDeferred(HWND control);
