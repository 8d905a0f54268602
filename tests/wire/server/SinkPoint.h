// The one connection point of a test server object: the core's contained
// TConnectionPoint, the advised sink as its Sink interface, and the answers
// the owner's IConnectionPointContainer gives for it.
#pragma once
#include "ComBoundary.h"
#include "ConnectionPoint.h"
#include "EnumerateCP.h"
#include <olectl.h>
#include <functional>

namespace wire {

template <class Sink>
class SinkPoint {
public:
    // changed() runs after a sink was advised, unadvised or dropped.
    SinkPoint(IConnectionPointContainer& owner, std::function<void()> changed)
        : changed_(std::move(changed)),
          point_(owner, __uuidof(Sink), [this](IUnknown* sink, bool advised) { OnAdvise(sink, advised); }) {}

    Sink* sink() const noexcept { return sink_.Get(); }

    // Forgets a sink whose client is gone.
    void Drop() {
        point_.DropSink();
        sink_.Reset();
        changed_();
    }

    HRESULT Find(REFIID riid, IConnectionPoint** ppCP) noexcept {
        ClearOutputs(ppCP);
        RETURN_HR_IF_NULL(E_POINTER, ppCP);
        if (riid != __uuidof(Sink)) return CONNECT_E_NOCONNECTION;
        *ppCP = &point_;
        point_.AddRef();
        return S_OK;
    }

    HRESULT Enumerate(IEnumConnectionPoints** ppEnum) noexcept {
        ClearOutputs(ppEnum);
        RETURN_HR_IF_NULL(E_POINTER, ppEnum);
        return ComBoundary([&] { *ppEnum = MakeComObject<TEnumerateCP>(point_).Detach(); });
    }

private:
    // A sink without the Sink interface is refused (CONNECT_E_CANNOTCONNECT).
    void OnAdvise(IUnknown* sink, bool advised) {
        sink_.Reset();
        if (advised) RaiseIfFailed(sink->QueryInterface(IID_PPV_ARGS(&sink_)));
        changed_();
    }

    std::function<void()> changed_;
    ComPtr<Sink> sink_;
    TConnectionPoint point_;
};

}  // namespace wire
