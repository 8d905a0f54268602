#include "server/ConnectionPoint.h"
#include <olectl.h>

namespace wire {

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID) {
    if (!pIID) return E_POINTER;
    *pIID = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (!ppCPC) return E_POINTER;
    *ppCPC = Microsoft::WRL::ComPtr<IConnectionPointContainer>(container_).Detach();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
    if (!pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    const HRESULT hr = host_->AdviseSink(iid_, pUnkSink);
    if (SUCCEEDED(hr)) *pdwCookie = kCookie;
    return hr;
}

HRESULT ConnectionPoint::Unadvise(DWORD dwCookie) {
    return dwCookie == kCookie ? host_->UnadviseSink(iid_) : CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}

}  // namespace wire
