#include "client/DataSink.h"
#include "com/ComBoundary.h"

namespace wire {

STDMETHODIMP DataSink::OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                    HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                    VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                    HRESULT* pErrors) noexcept {
    if (dwCount && (!phClientItems || !pvValues || !pwQualities || !pftTimeStamps || !pErrors)) return E_INVALIDARG;
    return ComBoundary([&] {
        DataChange change{dwTransid, hGroup, hrMasterquality, hrMastererror, {}};
        for (DWORD i = 0; i < dwCount; ++i)
            change.items.push_back({phClientItems[i], UniqueVariant::CopyOf(pvValues[i]), pwQualities[i],
                                    pftTimeStamps[i], pErrors[i]});
        changes_.push_back(std::move(change));
    });
}

}  // namespace wire
