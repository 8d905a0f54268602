// The calls into one client: its callback and advise sinks are called on a
// thread of their own, never on the server thread, so a client that hangs in
// its callback holds up nobody but itself.
//
// The server thread hands each sink over once (TClientDelivery::ConnectSink)
// and then posts self-contained messages: values already copied out of the
// cache and converted. One delivery thread per server object takes them in
// order and makes the calls in the free-threaded apartment. While a call is
// in progress, a newer mergeable message (a scan's data change) for a sink
// merges into the newest queued message for that sink when that one is
// mergeable too; anything else (completions, refreshes) queues behind it.
// So per sink at most one merged data change waits behind each completion.
//
// Threading: Post, ConnectSink, Revoke, TakeFailures and CallOverdue on the
// server thread; the messages' Deliver and the sinks' proxies on the
// delivery thread only.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

#include "contract/ItemServer.h"

struct TDeliveryState;

// One sink handed to the delivery thread. Until its first call it is a
// marshalled stream; from then on a proxy that lives in the delivery thread's
// apartment.
class TSinkSlot {
public:
    TSinkSlot(REFIID iid, IStream* marshalled) noexcept : iid_(iid), stream_(marshalled) {}
    ~TSinkSlot();
    TSinkSlot(const TSinkSlot&) = delete;
    TSinkSlot& operator=(const TSinkSlot&) = delete;

    // Delivery thread: the sink, unmarshalled at first use; null when the
    // stream cannot be unmarshalled (its client is gone).
    IUnknown* Sink() noexcept;
    HRESULT UnmarshalError() const noexcept { return unmarshalError_; }
    // Lets the sink go: the proxy, or the marshalled stream if never used.
    void ReleaseSink() noexcept;

    // Delivery thread: the tick of the last DA 1.0 liveness question.
    ULONGLONG CheckedTick = 0;

private:
    friend class TClientDelivery;
    friend struct TDeliveryState;
    IID iid_;
    IStream* stream_ = nullptr;
    IUnknown* sink_ = nullptr;
    HRESULT unmarshalError_ = S_OK;
    bool revoked_ = false;  // guarded by the delivery lock
};
using TSinkRef = std::shared_ptr<TSinkSlot>;

// A call to make: which sink, for which group and what kind of call.
class TDeliveryMessage {
public:
    TDeliveryMessage(TSinkRef sink, OPCHANDLE groupHandle, TCallbackKind kind)
        : sink_(std::move(sink)), groupHandle_(groupHandle), kind_(kind)
    {
    }
    virtual ~TDeliveryMessage() = default;

    const TSinkRef& Sink() const noexcept { return sink_; }
    OPCHANDLE GroupHandle() const noexcept { return groupHandle_; }
    TCallbackKind Kind() const noexcept { return kind_; }

    // A message that a newer one of the same sink may fold into.
    virtual bool Mergeable() const noexcept { return false; }
    // Takes the newer message's content; only called when both are mergeable.
    virtual void Merge(TDeliveryMessage& /*newer*/) {}
    // Makes the call on the delivery thread; its HRESULT.
    virtual HRESULT Deliver(IUnknown* sink) = 0;

private:
    TSinkRef sink_;
    OPCHANDLE groupHandle_;
    TCallbackKind kind_;
};

// A call that failed, for the server thread to act on.
struct TDeliveryFailure {
    TSinkRef Sink;
    OPCHANDLE GroupHandle = 0;
    TCallbackKind Kind = TCallbackKind::DataChange;
    HRESULT Error = S_OK;
};

class TClientDelivery {
public:
    TClientDelivery();
    // Drops what is queued and lets the thread go without waiting: it may be
    // inside a call to a client that never returns.
    ~TClientDelivery();
    TClientDelivery(const TClientDelivery&) = delete;
    TClientDelivery& operator=(const TClientDelivery&) = delete;

    // Hands a sink over (marshalled for the delivery thread); raises EOpcError
    // when COM cannot marshal it.
    TSinkRef ConnectSink(REFIID iid, IUnknown* sink);
    // No call starts on the sink from now on; its queued messages go.
    void Revoke(const TSinkRef& sink) noexcept;
    // Queues a call (or merges it); nothing for a revoked sink.
    void Post(std::unique_ptr<TDeliveryMessage> message);

    // Failed calls since the last time, oldest first.
    std::vector<TDeliveryFailure> TakeFailures();
    // True while a call has been in progress longer than limitMs.
    bool CallOverdue(ULONGLONG limitMs) const noexcept;
    // After a failure, and when a call longer than overdueMs returns, the
    // delivery thread posts message(wParam) to window.
    void SetWake(HWND window, UINT message, WPARAM wParam, ULONGLONG overdueMs) noexcept;
    // Messages waiting (for tests and the benchmark's memory figures).
    size_t QueuedCount() const;

private:
    void StartThread();

    std::shared_ptr<TDeliveryState> state_;
    bool threadStarted_ = false;
};
