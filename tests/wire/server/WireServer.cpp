#include "server/WireServer.h"
#include "ComOwners.h"
#include "WireProtocol.h"
#include "opcerror.h"
#include "server/ItemTable.h"
#include "server/StringEnum.h"
#include "server/WireGroup.h"
#include <olectl.h>
#include <algorithm>

namespace wire {

namespace {

constexpr LCID kLocales[] = {0x0409, 0x0407, 0x0800};

// The error texts the test server knows; nullptr for any other code.
const wchar_t* ErrorText(HRESULT code) {
    switch (code) {
    case OPC_E_UNKNOWNITEMID: return L"The item ID is not defined in the server address space.";
    case OPC_E_BADTYPE: return L"The server cannot convert the data between the requested data type and the canonical data type.";
    case E_FAIL: return L"Unspecified error";
    default: return nullptr;
    }
}

template <typename T>
HRESULT NotImplemented(T** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace

WireServer::WireServer() { GetSystemTimeAsFileTime(&startTime_); }

HRESULT WireServer::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                             OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID,
                             OPCHANDLE* phServerGroup,
                             DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) {
    if (!ppUnk || !phServerGroup || !pRevisedUpdateRate) return E_INVALIDARG;
    *ppUnk = nullptr;
    try {
        const DWORD rate = std::max(dwRequestedUpdateRate, kMinUpdateRate);
        const OPCHANDLE serverHandle = ++groupCount_;
        auto group = MakeComObject<WireGroup>(szName ? szName : L"", bActive != FALSE, rate, hClientGroup,
                                              serverHandle, pTimeBias ? *pTimeBias : 0,
                                              pPercentDeadband ? *pPercentDeadband : 0.0f, dwLCID);
        const HRESULT hr = group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
        if (FAILED(hr)) return hr;
        *phServerGroup = serverHandle;
        *pRevisedUpdateRate = rate;
        return rate == dwRequestedUpdateRate ? S_OK : OPC_S_UNSUPPORTEDRATE;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT WireServer::GetErrorString(HRESULT dwError, LCID, LPWSTR* ppString) {
    if (dwError == kExitNowCode) ExitProcess(3);  // test-only: die in the middle of a call
    return GetErrorString(dwError, ppString);
}

HRESULT WireServer::GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) { return NotImplemented(ppUnk); }

HRESULT WireServer::GetStatus(OPCSERVERSTATUS** ppServerStatus) {
    if (!ppServerStatus) return E_INVALIDARG;
    *ppServerStatus = nullptr;
    TaskMem<OPCSERVERSTATUS> status(AllocTaskArray<OPCSERVERSTATUS>(1));
    if (!status) return E_OUTOFMEMORY;
    status->ftStartTime = startTime_;
    GetSystemTimeAsFileTime(&status->ftCurrentTime);
    status->ftLastUpdateTime = status->ftCurrentTime;
    status->dwServerState = OPC_STATUS_RUNNING;
    status->dwGroupCount = groupCount_;
    status->wMajorVersion = 2;
    status->wMinorVersion = 5;
    status->wBuildNumber = 0xBEEF;
    status->szVendorInfo = TaskString(L"Quillmere wire test server \u00B5");
    if (!status->szVendorInfo) return E_OUTOFMEMORY;
    *ppServerStatus = status.release();
    return S_OK;
}

HRESULT WireServer::CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN* ppUnk) {
    return NotImplemented(ppUnk);
}

HRESULT WireServer::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) {
    if (!pNameSpaceType) return E_INVALIDARG;
    *pNameSpaceType = OPC_NS_FLAT;
    return S_OK;
}

HRESULT WireServer::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                     VARTYPE vtDataTypeFilter, DWORD, LPENUMSTRING* ppIEnumString) {
    if (!ppIEnumString) return E_INVALIDARG;
    *ppIEnumString = nullptr;
    std::vector<std::wstring> ids;
    if (dwBrowseFilterType != OPC_BRANCH) {
        // The filter is a plain prefix here; real servers match wildcards.
        const std::wstring prefix = szFilterCriteria ? szFilterCriteria : L"";
        const ItemTable& items = ItemTable::Instance();
        for (size_t i = 0; i < items.Count(); ++i) {
            const TestItem& item = items.At(i);
            if (item.id.compare(0, prefix.size(), prefix) != 0) continue;
            if (vtDataTypeFilter != VT_EMPTY && vtDataTypeFilter != item.type) continue;
            ids.push_back(item.id);
        }
    }
    const bool found = !ids.empty();
    *ppIEnumString = MakeComObject<StringEnum>(std::move(ids)).Detach();
    return found ? S_OK : S_FALSE;
}

HRESULT WireServer::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) {
    if (!szItemID) return E_INVALIDARG;
    *szItemID = nullptr;
    if (!szItemDataID || ItemTable::Instance().Find(szItemDataID) < 0) return OPC_E_UNKNOWNITEMID;
    *szItemID = TaskString(szItemDataID);
    return *szItemID ? S_OK : E_OUTOFMEMORY;
}

HRESULT WireServer::BrowseAccessPaths(LPCWSTR, LPENUMSTRING* ppIEnumString) {
    return NotImplemented(ppIEnumString);
}

HRESULT WireServer::SetLocaleID(LCID dwLcid) {
    if (std::find(std::begin(kLocales), std::end(kLocales), dwLcid) == std::end(kLocales)) return E_INVALIDARG;
    locale_ = dwLcid;
    return S_OK;
}

HRESULT WireServer::GetLocaleID(LCID* pdwLcid) {
    if (!pdwLcid) return E_INVALIDARG;
    *pdwLcid = locale_;
    return S_OK;
}

HRESULT WireServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) {
    if (!pdwCount || !pdwLcid) return E_INVALIDARG;
    *pdwCount = 0;
    *pdwLcid = AllocTaskArray<LCID>(std::size(kLocales));
    if (!*pdwLcid) return E_OUTOFMEMORY;
    std::copy(std::begin(kLocales), std::end(kLocales), *pdwLcid);
    *pdwCount = static_cast<DWORD>(std::size(kLocales));
    return S_OK;
}

HRESULT WireServer::GetErrorString(HRESULT dwError, LPWSTR* ppString) {
    if (!ppString) return E_INVALIDARG;
    *ppString = nullptr;
    const wchar_t* text = ErrorText(dwError);
    if (!text) return E_INVALIDARG;
    *ppString = TaskString(text);
    return *ppString ? S_OK : E_OUTOFMEMORY;
}

HRESULT WireServer::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) { return NotImplemented(ppEnum); }

HRESULT WireServer::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (riid != IID_IOPCShutdown) return CONNECT_E_NOCONNECTION;
    *ppCP = MakeComObject<ConnectionPoint>(this, static_cast<SinkHost*>(this), IID_IOPCShutdown).Detach();
    return S_OK;
}

HRESULT WireServer::AdviseSink(REFIID, IUnknown* sink) {
    if (shutdownSink_) return CONNECT_E_ADVISELIMIT;
    if (!sink || FAILED(sink->QueryInterface(IID_PPV_ARGS(&shutdownSink_)))) return CONNECT_E_CANNOTCONNECT;
    shutdownTimer_.Start(0);  // asks for the shutdown once Advise has returned
    return S_OK;
}

HRESULT WireServer::UnadviseSink(REFIID) {
    if (!shutdownSink_) return CONNECT_E_NOCONNECTION;
    shutdownSink_.Reset();
    shutdownTimer_.Stop();
    return S_OK;
}

void WireServer::RequestShutdown() {
    shutdownTimer_.Stop();
    Microsoft::WRL::ComPtr<WireServer> self(this);
    if (auto sink = shutdownSink_) sink->ShutdownRequest(L"Wartung \u2013 maintenance");
}

}  // namespace wire
