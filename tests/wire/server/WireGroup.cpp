#include "server/WireGroup.h"
#include "WireProtocol.h"
#include "opcerror.h"
#include "server/ItemAttributesEnum.h"
#include "server/ItemTable.h"
#include "com/PerItemResults.h"
#include <algorithm>

namespace wire {

void CopyBlob(const std::vector<BYTE>& bytes, BYTE** blob, DWORD* size) {
    if (bytes.empty()) return;
    TaskMemArray<BYTE> copy(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    *size = static_cast<DWORD>(bytes.size());
    *blob = copy.release();
}

WireGroup::WireGroup(std::wstring name, bool active, DWORD updateRate, OPCHANDLE hClientGroup,
                     OPCHANDLE hServerGroup, LONG timeBias, FLOAT deadband, DWORD lcid)
    : name_(std::move(name)), active_(active), updateRate_(updateRate), hClientGroup_(hClientGroup),
      hServerGroup_(hServerGroup), timeBias_(timeBias), deadband_(deadband), lcid_(lcid) {}

void WireGroup::UpdateTimer() {
    const bool wanted = active_ && ConnectedSink() && !items_.empty();
    if (wanted && !timer_.running()) timer_.Start(updateRate_);
    else if (!wanted) timer_.Stop();
}

// Sends every item at each period, changed or not: enough for the wire.
void WireGroup::SendDataChange() {
    if (sending_ || !this->ConnectedSink()) return;  // the outgoing call below may dispatch the next tick
    ComPtr<WireGroup> self(this);
    ComPtr<IOPCDataCallback> sink(this->ConnectedSink());
    sending_ = true;
    const HRESULT hr = ComBoundary([&] {
        const DWORD n = static_cast<DWORD>(items_.size());
        std::vector<OPCHANDLE> handles(n);
        std::vector<UniqueVariant> values(n);
        std::vector<VARIANT> raw(n);
        std::vector<WORD> qualities(n, OPC_QUALITY_GOOD);
        std::vector<FILETIME> stamps(n);
        std::vector<HRESULT> errors(n, S_OK);
        for (DWORD i = 0; i < n; ++i) {
            const TestItem& item = ItemTable::Instance().At(items_[i].table);
            handles[i] = items_[i].hClient;
            values[i] = UniqueVariant::CopyOf(item.value.get());
            raw[i] = values[i].get();  // shallow: values[i] keeps ownership
            stamps[i] = item.stamp;
        }
        return sink->OnDataChange(0, hClientGroup_, S_OK, S_OK, n, handles.data(), raw.data(), qualities.data(),
                                  stamps.data(), errors.data());
    });
    sending_ = false;
    if (FAILED(hr) && this->ConnectedSink() == sink.Get()) DropSink();  // the client is gone
}

std::vector<GroupItem>::iterator WireGroup::ItemOf(OPCHANDLE hServer) {
    return std::find_if(items_.begin(), items_.end(), [&](const GroupItem& i) { return i.hServer == hServer; });
}

STDMETHODIMP WireGroup::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                 HRESULT** ppErrors) noexcept {
    ClearOutputs(ppAddResults, ppErrors);
    if (!ppAddResults || !ppErrors || dwCount == 0 || !pItemArray) return E_INVALIDARG;
    return ComBoundary([&] {
        items_.reserve(items_.size() + dwCount);  // nothing can fail once the results are handed over
        std::vector<GroupItem> added;
        const HRESULT hr = PerItemResults(dwCount, ppAddResults, ppErrors, [&](size_t i, OPCITEMRESULT& r) -> HRESULT {
            const OPCITEMDEF& def = pItemArray[i];
            const int index = ItemTable::Instance().Find(def.szItemID);
            if (index < 0) return OPC_E_UNKNOWNITEMID;
            GroupItem item{static_cast<size_t>(index), def.szAccessPath ? def.szAccessPath : L"", def.hClient,
                           nextItemHandle_++, def.bActive != FALSE, def.vtRequestedDataType,
                           std::vector<BYTE>(def.pBlob, def.pBlob + (def.pBlob ? def.dwBlobSize : 0))};
            r.hServer = item.hServer;
            r.vtCanonicalDataType = ItemTable::Instance().At(item.table).type;
            r.dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
            // The blob comes back reversed, so the client sees both directions.
            CopyBlob(std::vector<BYTE>(item.blob.rbegin(), item.blob.rend()), &r.pBlob, &r.dwBlobSize);
            added.push_back(std::move(item));
            return S_OK;
        });
        items_.insert(items_.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
        UpdateTimer();
        return hr;
    });
}

STDMETHODIMP WireGroup::ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT** ppValidationResults,
                                      HRESULT** ppErrors) noexcept {
    ClearOutputs(ppValidationResults, ppErrors);
    return E_NOTIMPL;
}

STDMETHODIMP WireGroup::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) noexcept {
    ClearOutputs(ppErrors);
    if (!ppErrors || dwCount == 0 || !phServer) return E_INVALIDARG;
    return ComBoundary([&] {
        const HRESULT hr = PerItemErrors(dwCount, ppErrors, [&](size_t i) -> HRESULT {
            const auto it = ItemOf(phServer[i]);
            if (it == items_.end()) return OPC_E_INVALIDHANDLE;
            items_.erase(it);
            return S_OK;
        });
        UpdateTimer();
        return hr;
    });
}

STDMETHODIMP WireGroup::SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT** ppErrors) noexcept {
    ClearOutputs(ppErrors);
    return E_NOTIMPL;
}

STDMETHODIMP WireGroup::SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT** ppErrors) noexcept {
    ClearOutputs(ppErrors);
    return E_NOTIMPL;
}

STDMETHODIMP WireGroup::SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT** ppErrors) noexcept {
    ClearOutputs(ppErrors);
    return E_NOTIMPL;
}

STDMETHODIMP WireGroup::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) noexcept {
    ClearOutputs(ppUnk);
    RETURN_HR_IF_NULL(E_INVALIDARG, ppUnk);
    return ComBoundary([&]() -> HRESULT {
        RETURN_IF_FAILED(MakeComObject<ItemAttributesEnum>(items_)->QueryInterface(riid, reinterpret_cast<void**>(ppUnk)));
        return items_.empty() ? S_FALSE : S_OK;
    });
}

STDMETHODIMP WireGroup::Read(OPCDATASOURCE, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                             HRESULT** ppErrors) noexcept {
    ClearOutputs(ppItemValues, ppErrors);
    if (!ppItemValues || !ppErrors || dwCount == 0 || !phServer) return E_INVALIDARG;
    return ComBoundary([&] {
        return PerItemResults(dwCount, ppItemValues, ppErrors, [&](size_t i, OPCITEMSTATE& s) -> HRESULT {
            const auto it = ItemOf(phServer[i]);
            if (it == items_.end()) return OPC_E_INVALIDHANDLE;
            const TestItem& data = ItemTable::Instance().At(it->table);
            s.hClient = it->hClient;
            s.ftTimeStamp = data.stamp;
            s.wQuality = OPC_QUALITY_GOOD;
            s.vDataValue = UniqueVariant::CopyOf(data.value.get()).release();
            return S_OK;
        });
    });
}

STDMETHODIMP WireGroup::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) noexcept {
    ClearOutputs(ppErrors);
    if (!ppErrors || dwCount == 0 || !phServer || !pItemValues) return E_INVALIDARG;
    return ComBoundary([&] {
        return PerItemErrors(dwCount, ppErrors, [&](size_t i) {
            const auto it = ItemOf(phServer[i]);
            return it == items_.end() ? OPC_E_INVALIDHANDLE : ItemTable::Instance().Write(it->table, pItemValues[i]);
        });
    });
}

STDMETHODIMP WireGroup::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                 FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                 OPCHANDLE* phServerGroup) noexcept {
    if (!pUpdateRate || !pActive || !ppName || !pTimeBias || !pPercentDeadband || !pLCID || !phClientGroup ||
        !phServerGroup)
        return E_INVALIDARG;
    return ComBoundary([&] {
        *ppName = TaskWideString(name_).release();
        *pUpdateRate = updateRate_;
        *pActive = active_ ? TRUE : FALSE;
        *pTimeBias = timeBias_;
        *pPercentDeadband = deadband_;
        *pLCID = lcid_;
        *phClientGroup = hClientGroup_;
        *phServerGroup = hServerGroup_;
    });
}

STDMETHODIMP WireGroup::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                 LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                 OPCHANDLE* phClientGroup) noexcept {
    if (!pRevisedUpdateRate) return E_INVALIDARG;
    if (pRequestedUpdateRate) updateRate_ = std::max(*pRequestedUpdateRate, kMinUpdateRate);
    if (pActive) active_ = *pActive != FALSE;
    if (pTimeBias) timeBias_ = *pTimeBias;
    if (pPercentDeadband) deadband_ = *pPercentDeadband;
    if (pLCID) lcid_ = *pLCID;
    if (phClientGroup) hClientGroup_ = *phClientGroup;
    *pRevisedUpdateRate = updateRate_;
    if (timer_.running() && pRequestedUpdateRate) timer_.Start(updateRate_);
    UpdateTimer();
    return pRequestedUpdateRate && *pRequestedUpdateRate != updateRate_ ? OPC_S_UNSUPPORTEDRATE : S_OK;
}

STDMETHODIMP WireGroup::SetName(LPCWSTR szName) noexcept {
    RETURN_HR_IF_NULL(E_INVALIDARG, szName);
    return ComBoundary([&] { name_ = szName; });
}

STDMETHODIMP WireGroup::CloneGroup(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) noexcept {
    ClearOutputs(ppUnk);
    return E_NOTIMPL;
}

}  // namespace wire
