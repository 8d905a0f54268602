// How the program's message loops hand a message on. Tab and Shift+Tab move
// the focus to the next or previous control of the window that can take it,
// as in any dialog, unless the control itself wants the key; everything else
// is translated and dispatched.
#pragma once
#include <windows.h>

// True when msg was a Tab that moved (or tried to move) the focus; it is then
// done with and must not be dispatched.
bool MoveFocusByTab(const MSG& msg);
void DispatchWindowMessage(const MSG& msg);
