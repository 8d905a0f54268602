#include "server/ThreadTimer.h"
#include <map>

namespace wire {

namespace {
// Thread timers carry no context, only their ID.
std::map<UINT_PTR, ThreadTimer*>& Timers() {
    static std::map<UINT_PTR, ThreadTimer*> timers;
    return timers;
}
}  // namespace

void ThreadTimer::Start(UINT periodMs) {
    Stop();
    id_ = SetTimer(nullptr, 0, periodMs, OnTimer);
    if (id_) Timers()[id_] = this;
}

void ThreadTimer::Stop() {
    if (!id_) return;
    KillTimer(nullptr, id_);
    Timers().erase(id_);
    id_ = 0;
}

void CALLBACK ThreadTimer::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it != Timers().end()) it->second->onTick_();
}

}  // namespace wire
