#include "client/DataSink.h"

namespace wire {

HRESULT DataSink::OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                               DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                               FILETIME* pftTimeStamps, HRESULT* pErrors) {
    if (dwCount && (!phClientItems || !pvValues || !pwQualities || !pftTimeStamps || !pErrors)) return E_INVALIDARG;
    try {
        DataChange change{dwTransid, hGroup, hrMasterquality, hrMastererror, {}};
        for (DWORD i = 0; i < dwCount; ++i)
            change.items.push_back({phClientItems[i], Variant(pvValues[i]), pwQualities[i], pftTimeStamps[i], pErrors[i]});
        changes_.push_back(std::move(change));
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace wire
