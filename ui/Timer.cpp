#include "Timer.h"

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_ || !owner_) return;
    if (enabled) {
        enabled_ = SetTimer(owner_, id_, interval_, nullptr) != 0;
    } else {
        if (IsWindow(owner_)) KillTimer(owner_, id_);
        enabled_ = false;
    }
}

bool TTimer::Dispatch(UINT_PTR id)
{
    if (id != id_) return false;
    if (enabled_ && OnTimer) OnTimer();
    return true;
}
