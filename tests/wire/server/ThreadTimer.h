// A timer of the server's thread that calls a function, delivered by the
// thread's message loop (no window needed).
#pragma once
#include <windows.h>
#include <functional>

namespace wire {

class ThreadTimer {
public:
    explicit ThreadTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
    ~ThreadTimer() { Stop(); }
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

    void Start(UINT periodMs);  // restarts a running timer with the new period
    void Stop();
    bool running() const { return id_ != 0; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    std::function<void()> onTick_;
    UINT_PTR id_ = 0;
};

}  // namespace wire
