#include "com/EnumerateCP.h"

#include "com/ComBoundary.h"

TEnumerateCP::TEnumerateCP(IConnectionPoint& point, ULONG position) : point_(&point), position_(position) {}

STDMETHODIMP TEnumerateCP::Next(ULONG celt, IConnectionPoint** rgelt, ULONG* pceltFetched) noexcept
{
    const ULONG available = position_ == 0 ? 1 : 0;
    if (pceltFetched) *pceltFetched = 0;
    if (celt > 0) {
        RETURN_HR_IF_NULL(E_POINTER, rgelt);
        rgelt[0] = nullptr;
    }
    if (position_ == 0 && celt > 0) {
        rgelt[0] = point_.Get();
        point_->AddRef();
        if (pceltFetched) *pceltFetched = 1;
        position_ = 1;
    }
    return celt == available ? S_OK : S_FALSE;
}

STDMETHODIMP TEnumerateCP::Skip(ULONG celt) noexcept
{
    if (position_ == 0 && celt > 0) {
        position_ = 1;
        return celt == 1 ? S_OK : S_FALSE;
    }
    return celt == 0 ? S_OK : S_FALSE;
}

STDMETHODIMP TEnumerateCP::Reset() noexcept
{
    position_ = 0;
    return S_OK;
}

STDMETHODIMP TEnumerateCP::Clone(IEnumConnectionPoints** ppEnum) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, ppEnum);
    *ppEnum = nullptr;
    return ComBoundary([&] { *ppEnum = MakeComObject<TEnumerateCP>(*point_.Get(), position_).Detach(); });
}
