#include "server/WireGroup.h"
#include "ComOwners.h"
#include "WireProtocol.h"
#include "opcerror.h"
#include "server/ItemAttributesEnum.h"
#include "server/ItemTable.h"
#include <olectl.h>
#include <algorithm>

namespace wire {

namespace {

template <typename T>
HRESULT NotImplemented(T** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT BatchResult(const HRESULT* errors, DWORD count) {
    return std::all_of(errors, errors + count, [](HRESULT e) { return SUCCEEDED(e); }) ? S_OK : S_FALSE;
}

}  // namespace

WireGroup::WireGroup(std::wstring name, bool active, DWORD updateRate, OPCHANDLE hClientGroup,
                     OPCHANDLE hServerGroup, LONG timeBias, FLOAT deadband, DWORD lcid)
    : name_(std::move(name)), active_(active), updateRate_(updateRate), hClientGroup_(hClientGroup),
      hServerGroup_(hServerGroup), timeBias_(timeBias), deadband_(deadband), lcid_(lcid) {}

HRESULT WireGroup::AdviseSink(REFIID, IUnknown* sink) {
    if (sink_) return CONNECT_E_ADVISELIMIT;
    if (!sink || FAILED(sink->QueryInterface(IID_PPV_ARGS(&sink_)))) return CONNECT_E_CANNOTCONNECT;
    UpdateTimer();
    return S_OK;
}

HRESULT WireGroup::UnadviseSink(REFIID) {
    if (!sink_) return CONNECT_E_NOCONNECTION;
    sink_.Reset();
    UpdateTimer();
    return S_OK;
}

void WireGroup::UpdateTimer() {
    const bool wanted = active_ && sink_ && !items_.empty();
    if (wanted && !timer_.running()) timer_.Start(updateRate_);
    else if (!wanted) timer_.Stop();
}

// Sends every item at each period, changed or not: enough for the wire.
void WireGroup::SendDataChange() {
    if (sending_ || !sink_) return;  // the outgoing call below may dispatch the next tick
    Microsoft::WRL::ComPtr<WireGroup> self(this);
    Microsoft::WRL::ComPtr<IOPCDataCallback> sink = sink_;
    sending_ = true;

    const DWORD n = static_cast<DWORD>(items_.size());
    std::vector<OPCHANDLE> handles(n);
    std::vector<Variant> values(n);
    std::vector<VARIANT> raw(n);
    std::vector<WORD> qualities(n, OPC_QUALITY_GOOD);
    std::vector<FILETIME> stamps(n);
    std::vector<HRESULT> errors(n, S_OK);
    for (DWORD i = 0; i < n; ++i) {
        const TestItem& item = ItemTable::Instance().At(items_[i].table);
        handles[i] = items_[i].hClient;
        values[i] = item.value;
        raw[i] = *values[i];  // shallow: values[i] keeps ownership
        stamps[i] = item.stamp;
    }
    const HRESULT hr = sink->OnDataChange(0, hClientGroup_, S_OK, S_OK, n, handles.data(), raw.data(),
                                          qualities.data(), stamps.data(), errors.data());
    sending_ = false;
    if (FAILED(hr) && sink_ == sink) UnadviseSink(IID_IOPCDataCallback);  // the client is gone
}

const GroupItem* WireGroup::FindItem(OPCHANDLE hServer) const {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const GroupItem& i) { return i.hServer == hServer; });
    return it == items_.end() ? nullptr : &*it;
}

HRESULT WireGroup::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                            HRESULT** ppErrors) {
    if (!ppAddResults || !ppErrors) return E_INVALIDARG;
    *ppAddResults = nullptr;
    *ppErrors = nullptr;
    if (dwCount == 0 || !pItemArray) return E_INVALIDARG;
    TaskMem<OPCITEMRESULT> results(AllocTaskArray<OPCITEMRESULT>(dwCount));
    TaskMem<HRESULT> errors(AllocTaskArray<HRESULT>(dwCount));
    if (!results || !errors) return E_OUTOFMEMORY;

    for (DWORD i = 0; i < dwCount; ++i) {
        const OPCITEMDEF& def = pItemArray[i];
        const int index = def.szItemID ? ItemTable::Instance().Find(def.szItemID) : -1;
        if (index < 0) {
            errors.get()[i] = OPC_E_UNKNOWNITEMID;
            continue;
        }
        GroupItem item{static_cast<size_t>(index), def.szAccessPath ? def.szAccessPath : L"", def.hClient,
                       nextItemHandle_++, def.bActive != FALSE, def.vtRequestedDataType,
                       std::vector<BYTE>(def.pBlob, def.pBlob + (def.pBlob ? def.dwBlobSize : 0))};
        OPCITEMRESULT& r = results.get()[i];
        r.hServer = item.hServer;
        r.vtCanonicalDataType = ItemTable::Instance().At(item.table).type;
        r.dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
        // The blob comes back reversed, so the client sees both directions.
        if (!item.blob.empty() && (r.pBlob = AllocTaskArray<BYTE>(item.blob.size()))) {
            std::reverse_copy(item.blob.begin(), item.blob.end(), r.pBlob);
            r.dwBlobSize = static_cast<DWORD>(item.blob.size());
        }
        items_.push_back(std::move(item));
    }
    UpdateTimer();
    *ppAddResults = results.release();
    *ppErrors = errors.release();
    return BatchResult(*ppErrors, dwCount);
}

HRESULT WireGroup::ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT** ppValidationResults,
                                 HRESULT** ppErrors) {
    if (ppErrors) *ppErrors = nullptr;
    return NotImplemented(ppValidationResults);
}

HRESULT WireGroup::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) {
    if (!ppErrors) return E_INVALIDARG;
    *ppErrors = nullptr;
    if (dwCount == 0 || !phServer) return E_INVALIDARG;
    TaskMem<HRESULT> errors(AllocTaskArray<HRESULT>(dwCount));
    if (!errors) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < dwCount; ++i) {
        auto it = std::find_if(items_.begin(), items_.end(), [&](const GroupItem& g) { return g.hServer == phServer[i]; });
        if (it == items_.end()) errors.get()[i] = OPC_E_INVALIDHANDLE;
        else items_.erase(it);
    }
    UpdateTimer();
    *ppErrors = errors.release();
    return BatchResult(*ppErrors, dwCount);
}

HRESULT WireGroup::SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT** ppErrors) { return NotImplemented(ppErrors); }
HRESULT WireGroup::SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT** ppErrors) { return NotImplemented(ppErrors); }
HRESULT WireGroup::SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT** ppErrors) { return NotImplemented(ppErrors); }

HRESULT WireGroup::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) {
    if (!ppUnk) return E_INVALIDARG;
    *ppUnk = nullptr;
    try {
        auto enumerator = MakeComObject<ItemAttributesEnum>(items_);
        const HRESULT hr = enumerator->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
        return FAILED(hr) ? hr : (items_.empty() ? S_FALSE : S_OK);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT WireGroup::Read(OPCDATASOURCE, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                        HRESULT** ppErrors) {
    if (!ppItemValues || !ppErrors) return E_INVALIDARG;
    *ppItemValues = nullptr;
    *ppErrors = nullptr;
    if (dwCount == 0 || !phServer) return E_INVALIDARG;
    TaskMem<OPCITEMSTATE> states(AllocTaskArray<OPCITEMSTATE>(dwCount));
    TaskMem<HRESULT> errors(AllocTaskArray<HRESULT>(dwCount));
    if (!states || !errors) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < dwCount; ++i) {
        const GroupItem* item = FindItem(phServer[i]);
        if (!item) {
            errors.get()[i] = OPC_E_INVALIDHANDLE;
            continue;
        }
        const TestItem& data = ItemTable::Instance().At(item->table);
        OPCITEMSTATE& s = states.get()[i];
        s.hClient = item->hClient;
        s.ftTimeStamp = data.stamp;
        s.wQuality = OPC_QUALITY_GOOD;
        data.value.CopyTo(&s.vDataValue);
    }
    *ppItemValues = states.release();
    *ppErrors = errors.release();
    return BatchResult(*ppErrors, dwCount);
}

HRESULT WireGroup::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) {
    if (!ppErrors) return E_INVALIDARG;
    *ppErrors = nullptr;
    if (dwCount == 0 || !phServer || !pItemValues) return E_INVALIDARG;
    TaskMem<HRESULT> errors(AllocTaskArray<HRESULT>(dwCount));
    if (!errors) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < dwCount; ++i) {
        const GroupItem* item = FindItem(phServer[i]);
        errors.get()[i] = item ? ItemTable::Instance().Write(item->table, pItemValues[i]) : OPC_E_INVALIDHANDLE;
    }
    *ppErrors = errors.release();
    return BatchResult(*ppErrors, dwCount);
}

HRESULT WireGroup::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                            FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                            OPCHANDLE* phServerGroup) {
    if (!pUpdateRate || !pActive || !ppName || !pTimeBias || !pPercentDeadband || !pLCID || !phClientGroup ||
        !phServerGroup)
        return E_INVALIDARG;
    *ppName = TaskString(name_);
    if (!*ppName) return E_OUTOFMEMORY;
    *pUpdateRate = updateRate_;
    *pActive = active_ ? TRUE : FALSE;
    *pTimeBias = timeBias_;
    *pPercentDeadband = deadband_;
    *pLCID = lcid_;
    *phClientGroup = hClientGroup_;
    *phServerGroup = hServerGroup_;
    return S_OK;
}

HRESULT WireGroup::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                            LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) {
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

HRESULT WireGroup::SetName(LPCWSTR szName) {
    if (!szName) return E_INVALIDARG;
    name_ = szName;
    return S_OK;
}

HRESULT WireGroup::CloneGroup(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) { return NotImplemented(ppUnk); }

HRESULT WireGroup::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) { return NotImplemented(ppEnum); }

HRESULT WireGroup::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (riid != IID_IOPCDataCallback) return CONNECT_E_NOCONNECTION;
    *ppCP = MakeComObject<ConnectionPoint>(this, static_cast<SinkHost*>(this), IID_IOPCDataCallback).Detach();
    return S_OK;
}

}  // namespace wire
