#include "com/ConnectionPoint.h"

#include <olectl.h>

#include "com/ComBoundary.h"

TConnectionPoint::TConnectionPoint(IConnectionPointContainer& owner, REFIID connectionIid, TNotify notify)
    : TContainedComObject(owner), owner_(owner), iid_(connectionIid), notify_(std::move(notify))
{
}

TConnectionPoint::~TConnectionPoint() = default;

STDMETHODIMP TConnectionPoint::GetConnectionInterface(IID* piid) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, piid);
    *piid = iid_;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, ppCPC);
    *ppCPC = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, pdwCookie);
    *pdwCookie = 0;
    RETURN_HR_IF_NULL(E_POINTER, pUnkSink);
    if (advised_ || claimed_) return CONNECT_E_CANNOTCONNECT;
    // The notification method calls out (it asks the sink for the connection
    // interface), and another Advise may come in during that call: the point
    // is claimed first, so that one finds it taken. A sink that the
    // notification method refuses (for example one without the connection
    // interface) is not kept, and the claim goes with it.
    claimed_ = true;
    const HRESULT hr = ComBoundary([&] {
        if (notify_) notify_(pUnkSink, true);
    });
    claimed_ = false;
    if (FAILED(hr)) return CONNECT_E_CANNOTCONNECT;
    advised_ = true;
    *pdwCookie = 1;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Unadvise(DWORD /*dwCookie*/) noexcept
{
    if (!advised_) return CONNECT_E_NOCONNECTION;
    advised_ = false;
    return ComBoundary([&] {
        if (notify_) notify_(nullptr, false);
    });
}

STDMETHODIMP TConnectionPoint::EnumConnections(IEnumConnections** ppEnum) noexcept
{
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}
