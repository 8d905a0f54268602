// Message pumping for tests that wait for window messages or for COM calls
// into a single-threaded apartment.
#pragma once
#include <windows.h>
#include <functional>

// Dispatches every message already queued for this thread.
inline void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Pumps for ms milliseconds, sleeping while no message is queued.
inline void PumpFor(DWORD ms)
{
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        PumpMessages();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

// How long a test waits for the event it checks: long enough for a loaded
// machine running Wine; a test that passes waits only as long as its event takes.
constexpr DWORD kEventTimeoutMs = 20000;

// Pumps until done() holds or the deadline passes; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kEventTimeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}
