// An object with one connection point, for the sink interface Sink: it
// answers IConnectionPointContainer with a contained TConnectionPoint and
// passes the advised sink, queried for Sink, to SinkAdvised. By default it
// also keeps it until Unadvise or DropSink; an object whose calls go out on
// another thread keeps none (HoldsSink), so that no release of a client's
// proxy ever waits on the server thread.
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

    // The advised sink, or null (always null when HoldsSink is false).
    Sink* ConnectedSink() const noexcept { return sink_.Get(); }
    // Whether a sink is advised.
    bool SinkConnected() const noexcept { return connected_; }

    // Forgets the sink as Unadvise would (its client is gone, or the object
    // is cutting its clients off); SinkAdvised(nullptr) and SinkChanged run.
    void DropSink()
    {
        if (!connected_) return;
        point_.DropSink();
        sink_.Reset();
        connected_ = false;
        SinkAdvised(nullptr);
        SinkChanged();
    }

    // Whether the object keeps the sink itself (ConnectedSink).
    virtual bool HoldsSink() const noexcept { return true; }
    // Called with the sink during Advise (raising refuses it), and with null
    // when it goes (Unadvise, DropSink).
    virtual void SinkAdvised(Sink* /*sink*/) {}
    // Runs after a sink was advised, unadvised or dropped. Raising from it
    // during Advise refuses the sink.
    virtual void SinkChanged() {}

private:
    // A sink without the Sink interface is refused (CONNECT_E_CANNOTCONNECT).
    void OnAdvise(IUnknown* sink, bool advised)
    {
        sink_.Reset();
        if (!advised) {
            connected_ = false;
            SinkAdvised(nullptr);
            SinkChanged();
            return;
        }
        ComPtr<Sink> queried;
        RaiseIfFailed(sink->QueryInterface(__uuidof(Sink), reinterpret_cast<void**>(queried.GetAddressOf())));
        SinkAdvised(queried.Get());
        if (HoldsSink()) sink_ = queried;
        connected_ = true;
        try {
            SinkChanged();
        } catch (...) {
            sink_.Reset();
            connected_ = false;
            SinkAdvised(nullptr);
            throw;
        }
    }

    ComPtr<Sink> sink_;
    bool connected_ = false;
    TConnectionPoint point_{*this, __uuidof(Sink), [this](IUnknown* sink, bool advised) { OnAdvise(sink, advised); }};
};
