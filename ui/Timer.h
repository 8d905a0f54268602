// TTimer: a window timer of the owner window with a fixed interval. Enabling
// a running timer does not restart its interval.
#pragma once
#include <windows.h>

#include <functional>

class TTimer {
public:
    TTimer(UINT_PTR id, UINT intervalMs) : id_(id), interval_(intervalMs) {}
    ~TTimer() { SetEnabled(false); }
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    void Attach(HWND owner) { owner_ = owner; }
    void SetEnabled(bool enabled);
    bool Enabled() const noexcept { return enabled_; }
    UINT_PTR Id() const noexcept { return id_; }
    UINT Interval() const noexcept { return interval_; }
    // The owner calls this for WM_TIMER; true when the id was this timer's.
    bool Dispatch(UINT_PTR id);

    std::function<void()> OnTimer;

private:
    UINT_PTR id_;
    UINT interval_;
    HWND owner_ = nullptr;
    bool enabled_ = false;
};
