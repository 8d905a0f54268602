// An object with one connection point, for the sink interface Sink: it
// answers IConnectionPointContainer with a contained TConnectionPoint and
// keeps the advised sink, queried for Sink, until Unadvise or DropSink.
//
//   class TServerImpl : public TConnectionPointContainer<IOPCShutdown, IOPCServer, ...> { ... };
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/ConnectionPoint.h"
#include "com/EnumerateCP.h"
#include "contract/OpcError.h"

template <class Sink, class... Interfaces>
class TConnectionPointContainer : public TComObject<Interfaces..., IConnectionPointContainer> {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) noexcept override
    {
        ClearOutputs(ppEnum);
        RETURN_HR_IF_NULL(E_POINTER, ppEnum);
        return ComBoundary([&] { *ppEnum = MakeComObject<TEnumerateCP>(point_).Detach(); });
    }

    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) noexcept override
    {
        ClearOutputs(ppCP);
        RETURN_HR_IF_NULL(E_POINTER, ppCP);
        if (riid != __uuidof(Sink)) return CONNECT_E_NOCONNECTION;
        *ppCP = &point_;
        point_.AddRef();
        return S_OK;
    }

protected:
    using TComObject<Interfaces..., IConnectionPointContainer>::TComObject;

    // The advised sink, or null.
    Sink* ConnectedSink() const noexcept { return sink_.Get(); }

    // Forgets the sink as Unadvise would (its client is gone, or the object
    // is cutting its clients off); SinkChanged runs.
    void DropSink()
    {
        point_.DropSink();
        sink_.Reset();
        SinkChanged();
    }

    // Runs after a sink was advised, unadvised or dropped. Raising from it
    // during Advise refuses the sink.
    virtual void SinkChanged() {}

private:
    // A sink without the Sink interface is refused (CONNECT_E_CANNOTCONNECT).
    void OnAdvise(IUnknown* sink, bool advised)
    {
        sink_.Reset();
        if (advised) RaiseIfFailed(sink->QueryInterface(__uuidof(Sink), reinterpret_cast<void**>(sink_.GetAddressOf())));
        try {
            SinkChanged();
        } catch (...) {
            if (advised) sink_.Reset();
            throw;
        }
    }

    ComPtr<Sink> sink_;
    TConnectionPoint point_{*this, __uuidof(Sink), [this](IUnknown* sink, bool advised) { OnAdvise(sink, advised); }};
};
