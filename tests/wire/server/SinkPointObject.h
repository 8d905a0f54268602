// A test server object with one connection point, for the sink interface
// Sink: it answers IConnectionPointContainer with the core's contained
// TConnectionPoint and keeps the advised sink as Sink.
#pragma once
#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/ConnectionPoint.h"
#include "com/EnumerateCP.h"
#include <ocidl.h>
#include <olectl.h>

namespace wire {

template <class Sink, class... Interfaces>
class SinkPointObject : public TComObject<Interfaces..., IConnectionPointContainer> {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) noexcept override {
        ClearOutputs(ppEnum);
        RETURN_HR_IF_NULL(E_POINTER, ppEnum);
        return ComBoundary([&] { *ppEnum = MakeComObject<TEnumerateCP>(point_).Detach(); });
    }

    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) noexcept override {
        ClearOutputs(ppCP);
        RETURN_HR_IF_NULL(E_POINTER, ppCP);
        if (riid != __uuidof(Sink)) return CONNECT_E_NOCONNECTION;
        *ppCP = &point_;
        point_.AddRef();
        return S_OK;
    }

protected:
    Sink* sink() const noexcept { return sink_.Get(); }

    // Forgets a sink whose client is gone.
    void DropSink() {
        point_.DropSink();
        sink_.Reset();
        SinkChanged();
    }

    // Runs after a sink was advised, unadvised or dropped.
    virtual void SinkChanged() = 0;

private:
    // A sink without the Sink interface is refused (CONNECT_E_CANNOTCONNECT).
    void OnAdvise(IUnknown* sink, bool advised) {
        sink_.Reset();
        if (advised) RaiseIfFailed(sink->QueryInterface(IID_PPV_ARGS(&sink_)));
        SinkChanged();
    }

    ComPtr<Sink> sink_;
    TConnectionPoint point_{*this, __uuidof(Sink), [this](IUnknown* sink, bool advised) { OnAdvise(sink, advised); }};
};

}  // namespace wire
