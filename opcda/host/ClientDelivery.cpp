#include "host/ClientDelivery.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "contract/OpcError.h"
#include "com/UniqueHandle.h"

// What the server thread and the delivery thread share; the thread holds it
// too, so that it outlives a server object whose thread is stuck in a call.
struct TDeliveryState {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::unique_ptr<TDeliveryMessage>> queue;
    std::vector<TSinkRef> sinks;       // connected and not revoked
    std::vector<TSinkRef> toRelease;   // revoked, for the thread to let go
    std::vector<TDeliveryFailure> failures;
    bool stopping = false;
    std::atomic<ULONGLONG> callStarted{0};  // tick of the call in progress, 0 when idle
    HWND wakeWindow = nullptr;
    UINT wakeMessage = 0;
    WPARAM wakeParam = 0;
    std::atomic<ULONGLONG> overdueMs{0};

    void PostWake() const noexcept
    {
        if (wakeWindow) PostMessageW(wakeWindow, wakeMessage, wakeParam, 0);
    }

    void Run();
    // Releases what was revoked; under no lock (a release may call the client).
    void ReleaseRevoked(std::unique_lock<std::mutex>& held);
};

// ---- TSinkSlot ----

TSinkSlot::~TSinkSlot()
{
    // Normally released on the delivery thread; what is left here never
    // reached it (the thread did not start).
    ReleaseSink();
}

IUnknown* TSinkSlot::Sink() noexcept
{
    if (sink_ || FAILED(unmarshalError_)) return sink_;
    if (!stream_) return nullptr;
    unmarshalError_ = CoGetInterfaceAndReleaseStream(stream_, iid_, reinterpret_cast<void**>(&sink_));
    stream_ = nullptr;  // released by the call, whatever its answer
    if (FAILED(unmarshalError_)) sink_ = nullptr;
    return sink_;
}

void TSinkSlot::ReleaseSink() noexcept
{
    if (stream_) {
        LARGE_INTEGER start{};
        stream_->Seek(start, STREAM_SEEK_SET, nullptr);
        CoReleaseMarshalData(stream_);
        stream_->Release();
        stream_ = nullptr;
    }
    if (sink_) {
        sink_->Release();
        sink_ = nullptr;
    }
}

// ---- The delivery thread ----

void TDeliveryState::ReleaseRevoked(std::unique_lock<std::mutex>& held)
{
    if (toRelease.empty()) return;
    std::vector<TSinkRef> going;
    going.swap(toRelease);
    held.unlock();
    for (auto& sink : going) sink->ReleaseSink();
    going.clear();
    held.lock();
}

void TDeliveryState::Run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        wake.wait(held, [&] { return stopping || !queue.empty() || !toRelease.empty(); });
        ReleaseRevoked(held);
        if (stopping) break;
        if (queue.empty()) continue;
        std::unique_ptr<TDeliveryMessage> message = std::move(queue.front());
        queue.pop_front();
        if (message->Sink()->revoked_) continue;
        held.unlock();

        const ULONGLONG started = GetTickCount64();
        callStarted = started;
        HRESULT hr;
        if (IUnknown* sink = message->Sink()->Sink())
            hr = message->Deliver(sink);
        else
            hr = message->Sink()->UnmarshalError();
        callStarted = 0;
        const bool wasOverdue = GetTickCount64() - started > overdueMs.load();

        held.lock();
        if (FAILED(hr) && !stopping) failures.push_back({message->Sink(), message->GroupHandle(), message->Kind(), hr});
        if (FAILED(hr) || wasOverdue) PostWake();
        // The message's values are freed outside the lock.
        held.unlock();
        message.reset();
        held.lock();
    }
    // The server object has gone: every sink it handed over goes with it.
    std::vector<TSinkRef> going;
    going.swap(sinks);
    going.insert(going.end(), toRelease.begin(), toRelease.end());
    toRelease.clear();
    queue.clear();
    held.unlock();
    for (auto& sink : going) sink->ReleaseSink();
    going.clear();
    CoUninitialize();
}

// ---- TClientDelivery ----

TClientDelivery::TClientDelivery() : state_(std::make_shared<TDeliveryState>()) {}

TClientDelivery::~TClientDelivery()
{
    std::deque<std::unique_ptr<TDeliveryMessage>> dropped;
    {
        std::lock_guard<std::mutex> held(state_->lock);
        state_->stopping = true;
        state_->wakeWindow = nullptr;
        dropped.swap(state_->queue);
    }
    state_->wake.notify_all();
    if (!threadStarted_) {
        // No thread ever took a sink: the streams are let go here.
        for (auto& sink : state_->sinks) sink->ReleaseSink();
        for (auto& sink : state_->toRelease) sink->ReleaseSink();
    }
}

void TClientDelivery::StartThread()
{
    if (threadStarted_) return;
    auto* owned = new std::shared_ptr<TDeliveryState>(state_);
    // Closed at once: the thread ends by itself once the server object has gone.
    const TUniqueHandle thread(CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            std::unique_ptr<std::shared_ptr<TDeliveryState>> state(static_cast<std::shared_ptr<TDeliveryState>*>(parameter));
            (*state)->Run();
            return 0;
        },
        owned, 0, nullptr));
    if (!thread) {
        delete owned;
        RaiseOpcError(HRESULT_FROM_WIN32(GetLastError()));
    }
    threadStarted_ = true;
}

TSinkRef TClientDelivery::ConnectSink(REFIID iid, IUnknown* sink)
{
    StartThread();
    IStream* stream = nullptr;
    RaiseIfFailed(CoMarshalInterThreadInterfaceInStream(iid, sink, &stream));
    auto slot = std::make_shared<TSinkSlot>(iid, stream);
    std::lock_guard<std::mutex> held(state_->lock);
    state_->sinks.push_back(slot);
    return slot;
}

void TClientDelivery::Revoke(const TSinkRef& sink) noexcept
{
    if (!sink) return;
    std::deque<std::unique_ptr<TDeliveryMessage>> dropped;  // freed outside the lock
    {
        std::lock_guard<std::mutex> held(state_->lock);
        if (sink->revoked_) return;
        sink->revoked_ = true;
        auto& sinks = state_->sinks;
        sinks.erase(std::remove(sinks.begin(), sinks.end(), sink), sinks.end());
        state_->toRelease.push_back(sink);
        auto& queue = state_->queue;
        for (auto it = queue.begin(); it != queue.end();) {
            if ((*it)->Sink() == sink) {
                dropped.push_back(std::move(*it));
                it = queue.erase(it);
            } else {
                ++it;
            }
        }
    }
    state_->wake.notify_all();
}

void TClientDelivery::Post(std::unique_ptr<TDeliveryMessage> message)
{
    {
        std::lock_guard<std::mutex> held(state_->lock);
        if (message->Sink()->revoked_ || state_->stopping) return;
        auto& queue = state_->queue;
        if (message->Mergeable()) {
            // The newest queued message of the same sink, if it may take this one.
            for (auto it = queue.rbegin(); it != queue.rend(); ++it) {
                if ((*it)->Sink() != message->Sink()) continue;
                if ((*it)->Mergeable()) {
                    (*it)->Merge(*message);
                    return;
                }
                break;
            }
        }
        queue.push_back(std::move(message));
    }
    state_->wake.notify_one();
}

std::vector<TDeliveryFailure> TClientDelivery::TakeFailures()
{
    std::vector<TDeliveryFailure> taken;
    std::lock_guard<std::mutex> held(state_->lock);
    taken.swap(state_->failures);
    return taken;
}

bool TClientDelivery::CallOverdue(ULONGLONG limitMs) const noexcept
{
    const ULONGLONG started = state_->callStarted.load();
    return started != 0 && GetTickCount64() - started > limitMs;
}

void TClientDelivery::SetWake(HWND window, UINT message, WPARAM wParam, ULONGLONG overdueMs) noexcept
{
    std::lock_guard<std::mutex> held(state_->lock);
    state_->wakeWindow = window;
    state_->wakeMessage = message;
    state_->wakeParam = wParam;
    state_->overdueMs = overdueMs;
}

size_t TClientDelivery::QueuedCount() const
{
    std::lock_guard<std::mutex> held(state_->lock);
    return state_->queue.size();
}
