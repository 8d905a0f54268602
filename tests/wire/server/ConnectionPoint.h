// A connection point for one sink interface. It keeps its container alive;
// the container does not hold the point, so there is no cycle.
#pragma once
#include "ComObject.h"
#include <ocidl.h>

namespace wire {

// What a container does with the single sink of one of its points.
class SinkHost {
public:
    virtual HRESULT AdviseSink(REFIID iid, IUnknown* sink) = 0;  // CONNECT_E_* when refused
    virtual HRESULT UnadviseSink(REFIID iid) = 0;
protected:
    ~SinkHost() = default;
};

class ConnectionPoint final : public ComObject<IConnectionPoint> {
public:
    ConnectionPoint(IConnectionPointContainer* container, SinkHost* host, const IID& iid)
        : container_(container), host_(host), iid_(iid) {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

private:
    static constexpr DWORD kCookie = 1;  // one sink per point
    Microsoft::WRL::ComPtr<IConnectionPointContainer> container_;
    SinkHost* host_;  // the container itself
    IID iid_;
};

}  // namespace wire
