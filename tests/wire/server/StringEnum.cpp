#include "StringEnum.h"
#include "ComOwners.h"
#include <algorithm>

namespace wire {

HRESULT StringEnum::Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) {
    if (pceltFetched) *pceltFetched = 0;
    if (!rgelt || (celt > 1 && !pceltFetched)) return E_POINTER;
    const ULONG n = static_cast<ULONG>(std::min<size_t>(celt, texts_.size() - position_));
    for (ULONG i = 0; i < n; ++i) {
        rgelt[i] = TaskString(texts_[position_ + i]);
        if (!rgelt[i]) {
            for (ULONG j = 0; j < i; ++j) CoTaskMemFree(rgelt[j]), rgelt[j] = nullptr;
            return E_OUTOFMEMORY;
        }
    }
    position_ += n;
    if (pceltFetched) *pceltFetched = n;
    return n == celt ? S_OK : S_FALSE;
}

HRESULT StringEnum::Skip(ULONG celt) {
    const size_t left = texts_.size() - position_;
    position_ += std::min<size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
}

HRESULT StringEnum::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT StringEnum::Clone(IEnumString** ppenum) {
    if (!ppenum) return E_POINTER;
    auto copy = MakeComObject<StringEnum>(texts_);
    copy->position_ = position_;
    *ppenum = copy.Detach();
    return S_OK;
}

}  // namespace wire
