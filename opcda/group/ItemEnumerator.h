// IEnumOPCItemAttributes over the items of one group. It holds the group
// (a reference, so the group outlives it) and reads the live item list at
// every call: items added or removed between calls shift what later calls
// return.
#pragma once
#include <windows.h>

#include "com/ComObject.h"
#include "opcda.h"

class TGroupImpl;

class TItemEnumerator final : public TComObject<IEnumOPCItemAttributes> {
public:
    explicit TItemEnumerator(TGroupImpl& group);

    STDMETHODIMP Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) noexcept override;
    STDMETHODIMP Skip(ULONG celt) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) noexcept override;

private:
    ComPtr<TGroupImpl> group_;
    size_t position_ = 0;
};
