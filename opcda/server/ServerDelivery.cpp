// The server object's side of its delivery thread: handing sinks over and
// the watch that acts, on the server thread, on what the thread reports.
#include "contract/ItemServer.h"
#include "group/GroupImpl.h"
#include "host/ServerWindow.h"
#include "server/ServerImpl.h"

namespace {

constexpr UINT kWatchPeriodMs = 500;

}  // namespace

TSinkRef TServerImpl::ConnectSink(REFIID iid, IUnknown* sink)
{
    if (watchHandle_ == 0) {
        TServerWindow& window = itemServer_.ServerWindow();
        watchHandle_ = window.AddTimerTarget(*this);
        try {
            window.StartTimer(watchHandle_, kWatchPeriodMs);
        } catch (...) {
            window.RemoveTimerTarget(watchHandle_);
            watchHandle_ = 0;
            throw;
        }
        // A failure or the return of an overdue call is acted on at once, not
        // at the next period: the thread posts the watch's own tick.
        delivery_.SetWake(window.Handle(), WM_TIMER, watchHandle_, HungLimitMs);
    }
    return delivery_.ConnectSink(iid, sink);
}

void TServerImpl::SinkAdvised(IOPCShutdown* sink)
{
    delivery_.Revoke(shutdownSink_);
    shutdownSink_.reset();
    if (sink) shutdownSink_ = ConnectSink(__uuidof(IOPCShutdown), sink);
}

void TServerImpl::StopWatch() noexcept
{
    if (watchHandle_ == 0) return;
    delivery_.SetWake(nullptr, 0, 0, HungLimitMs);
    TServerWindow& window = itemServer_.ServerWindow();
    window.StopTimer(watchHandle_);
    window.RemoveTimerTarget(watchHandle_);
    watchHandle_ = 0;
}

void TServerImpl::TimerTick()
{
    for (const TDeliveryFailure& failure : delivery_.TakeFailures()) {
        // The group may have gone since; a handle is looked up, and must be ours.
        TGroupImpl* group = TGroupImpl::FromHandle(failure.GroupHandle);
        if (group && &group->Owner() == this) group->DeliveryFailed(failure);
    }
    const bool hung = delivery_.CallOverdue(HungLimitMs);
    if (hung == Hung) return;
    Hung = hung;
    SendNotify(itemServer_, hung ? TNotifyCode::ClientHung : TNotifyCode::ClientResponding, *this);
}
