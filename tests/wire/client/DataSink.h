// The client's IOPCDataCallback sink: keeps a copy of every data change it
// receives.
#pragma once
#include "com/ComObject.h"
#include "com/ComOwners.h"
#include "opcda.h"
#include <vector>

namespace wire {

struct ItemUpdate {
    OPCHANDLE hClient;
    UniqueVariant value;
    WORD quality;
    FILETIME stamp;
    HRESULT error;
};

struct DataChange {
    DWORD transactionId;
    OPCHANDLE hGroup;
    HRESULT masterQuality;
    HRESULT masterError;
    std::vector<ItemUpdate> items;
};

class DataSink final : public TComObject<IOPCDataCallback> {
public:
    const std::vector<DataChange>& changes() const { return changes_; }

    STDMETHODIMP OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                              DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                              FILETIME* pftTimeStamps, HRESULT* pErrors) noexcept override;
    STDMETHODIMP OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                                HRESULT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) noexcept override { return E_NOTIMPL; }

private:
    std::vector<DataChange> changes_;
};

}  // namespace wire
