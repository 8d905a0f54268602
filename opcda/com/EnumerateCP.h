// IEnumConnectionPoints over the one connection point of a container.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include "com/ComObject.h"

class TEnumerateCP final : public TComObject<IEnumConnectionPoints> {
public:
    TEnumerateCP(IConnectionPoint& point, ULONG position = 0);

    STDMETHODIMP Next(ULONG celt, IConnectionPoint** rgelt, ULONG* pceltFetched) noexcept override;
    STDMETHODIMP Skip(ULONG celt) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumConnectionPoints** ppEnum) noexcept override;

private:
    ComPtr<IConnectionPoint> point_;  // keeps the container alive
    ULONG position_;                  // 0 or 1
};
