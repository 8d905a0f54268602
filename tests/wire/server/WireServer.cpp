#include "server/WireServer.h"
#include "com/ComBoundary.h"
#include "com/ListEnumerator.h"
#include "WireProtocol.h"
#include "opcerror.h"
#include "server/ItemTable.h"
#include "server/WireGroup.h"
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

}  // namespace

WireServer::WireServer() { GetSystemTimeAsFileTime(&startTime_); }

STDMETHODIMP WireServer::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                                  LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                                  DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) noexcept {
    ClearOutputs(phServerGroup, pRevisedUpdateRate, ppUnk);
    if (!ppUnk || !phServerGroup || !pRevisedUpdateRate) return E_INVALIDARG;
    return ComBoundary([&]() -> HRESULT {
        const DWORD rate = std::max(dwRequestedUpdateRate, kMinUpdateRate);
        const OPCHANDLE serverHandle = ++groupCount_;
        auto group = MakeComObject<WireGroup>(szName ? szName : L"", bActive != FALSE, rate, hClientGroup,
                                              serverHandle, pTimeBias ? *pTimeBias : 0,
                                              pPercentDeadband ? *pPercentDeadband : 0.0f, dwLCID);
        RETURN_IF_FAILED(group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk)));
        *phServerGroup = serverHandle;
        *pRevisedUpdateRate = rate;
        return rate == dwRequestedUpdateRate ? S_OK : OPC_S_UNSUPPORTEDRATE;
    });
}

STDMETHODIMP WireServer::GetErrorString(HRESULT dwError, LCID, LPWSTR* ppString) noexcept {
    if (dwError == kExitNowCode) ExitProcess(3);  // test-only: die in the middle of a call
    return GetErrorString(dwError, ppString);
}

STDMETHODIMP WireServer::GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) noexcept {
    ClearOutputs(ppUnk);
    return E_NOTIMPL;
}

STDMETHODIMP WireServer::GetStatus(OPCSERVERSTATUS** ppServerStatus) noexcept {
    ClearOutputs(ppServerStatus);
    RETURN_HR_IF_NULL(E_INVALIDARG, ppServerStatus);
    return ComBoundary([&] {
        TaskString vendor = TaskWideString(L"Quillmere wire test server \u00B5");
        TaskMemArray<OPCSERVERSTATUS> status(1);
        status[0].ftStartTime = startTime_;
        GetSystemTimeAsFileTime(&status[0].ftCurrentTime);
        status[0].ftLastUpdateTime = status[0].ftCurrentTime;
        status[0].dwServerState = OPC_STATUS_RUNNING;
        status[0].dwGroupCount = groupCount_;
        status[0].wMajorVersion = 2;
        status[0].wMinorVersion = 5;
        status[0].wBuildNumber = 0xBEEF;
        status[0].szVendorInfo = vendor.release();
        *ppServerStatus = status.release();
    });
}

STDMETHODIMP WireServer::CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN* ppUnk) noexcept {
    ClearOutputs(ppUnk);
    return E_NOTIMPL;
}

STDMETHODIMP WireServer::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) noexcept {
    RETURN_HR_IF_NULL(E_INVALIDARG, pNameSpaceType);
    *pNameSpaceType = OPC_NS_FLAT;
    return S_OK;
}

STDMETHODIMP WireServer::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                          VARTYPE vtDataTypeFilter, DWORD, LPENUMSTRING* ppIEnumString) noexcept {
    ClearOutputs(ppIEnumString);
    RETURN_HR_IF_NULL(E_INVALIDARG, ppIEnumString);
    return ComBoundary([&] {
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
        *ppIEnumString = MakeComObject<TStringsEnumerator>(std::move(ids)).Detach();
        return found ? S_OK : S_FALSE;
    });
}

STDMETHODIMP WireServer::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) noexcept {
    ClearOutputs(szItemID);
    RETURN_HR_IF_NULL(E_INVALIDARG, szItemID);
    if (ItemTable::Instance().Find(szItemDataID) < 0) return OPC_E_UNKNOWNITEMID;
    return ComBoundary([&] { *szItemID = TaskWideString(szItemDataID).release(); });
}

STDMETHODIMP WireServer::BrowseAccessPaths(LPCWSTR, LPENUMSTRING* ppIEnumString) noexcept {
    ClearOutputs(ppIEnumString);
    return E_NOTIMPL;
}

STDMETHODIMP WireServer::SetLocaleID(LCID dwLcid) noexcept {
    if (std::find(std::begin(kLocales), std::end(kLocales), dwLcid) == std::end(kLocales)) return E_INVALIDARG;
    locale_ = dwLcid;
    return S_OK;
}

STDMETHODIMP WireServer::GetLocaleID(LCID* pdwLcid) noexcept {
    RETURN_HR_IF_NULL(E_INVALIDARG, pdwLcid);
    *pdwLcid = locale_;
    return S_OK;
}

STDMETHODIMP WireServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) noexcept {
    ClearOutputs(pdwCount, pdwLcid);
    if (!pdwCount || !pdwLcid) return E_INVALIDARG;
    return ComBoundary([&] {
        TaskMemArray<LCID> locales(std::size(kLocales));
        std::copy(std::begin(kLocales), std::end(kLocales), locales.begin());
        *pdwCount = static_cast<DWORD>(locales.size());
        *pdwLcid = locales.release();
    });
}

STDMETHODIMP WireServer::GetErrorString(HRESULT dwError, LPWSTR* ppString) noexcept {
    ClearOutputs(ppString);
    RETURN_HR_IF_NULL(E_INVALIDARG, ppString);
    const wchar_t* text = ErrorText(dwError);
    RETURN_HR_IF_NULL(E_INVALIDARG, text);
    return ComBoundary([&] { *ppString = TaskWideString(text).release(); });
}

void WireServer::RequestShutdown() {
    shutdownTimer_.Stop();
    ComPtr<WireServer> self(this);
    if (ComPtr<IOPCShutdown> sink = this->ConnectedSink()) sink->ShutdownRequest(L"Wartung \u2013 maintenance");
}

}  // namespace wire
