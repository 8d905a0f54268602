#include "server/ServerImpl.h"

#include <olectl.h>

#include <string>
#include <vector>

#include "addrspace/AddressSpace.h"
#include "addrspace/AddressSpaceBrowser.h"
#include "com/ComBoundary.h"
#include "cache/ItemCache.h"
#include "contract/ItemServer.h"
#include "com/ListEnumerator.h"
#include "com/EnumerateCP.h"
#include "server/OpcArgs.h"
#include "host/OpcTime.h"
#include "contract/OpcTypes.h"
#include "host/ServerVersion.h"
#include "host/ClientList.h"
#include "host/ServerWindow.h"

namespace {

constexpr DWORD kPropertyCount = 6;
constexpr DWORD kPropertyIds[kPropertyCount] = {1, 2, 3, 4, 5, 6};
constexpr const wchar_t* kPropertyDescriptions[kPropertyCount] = {
    L"Item Canonical Data Type", L"Item Value", L"Item Quality",
    L"Item Timestamp", L"Item Access Rights", L"Item Server Scan Rate"};
constexpr VARTYPE kPropertyTypes[kPropertyCount] = {VT_I2, VT_EMPTY, VT_I2, VT_DATE, VT_I4, VT_R4};

std::wstring TextOrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace

ComPtr<TServerImpl> TServerImpl::Create()
{
    RequireItemServer();
    ComPtr<TServerImpl> server = AdoptRef(new TServerImpl());
    server->Initialize();
    return server;
}

TServerImpl::TServerImpl() = default;

void TServerImpl::Initialize()
{
    TOpcItemServer& itemServer = RequireItemServer();
    shutdownPoint_ = std::make_unique<TConnectionPoint>(
        *static_cast<IConnectionPointContainer*>(this), __uuidof(IOPCShutdown), [this](IUnknown* sink, bool advised) {
            if (!advised) {
                shutdownSink_.Reset();
                return;
            }
            ComPtr<IOPCShutdown> shutdown;
            const HRESULT hr = sink->QueryInterface(__uuidof(IOPCShutdown), reinterpret_cast<void**>(shutdown.GetAddressOf()));
            if (FAILED(hr)) throw EOpcError(CONNECT_E_CANNOTCONNECT);
            shutdownSink_ = std::move(shutdown);
        });
    LocaleId = LOCALE_SYSTEM_DEFAULT;
    itemServer.ClientList().Add(*this);
    joinedClientList_ = true;
    ServerState = OPC_STATUS_RUNNING;
    SendNotify(TNotifyCode::ClientConnected, *this);
}

TServerImpl::~TServerImpl()
{
    if (TOpcItemServer* itemServer = ItemServer(); itemServer && joinedClientList_)
        itemServer->ClientList().Remove(*this);
    if (ServerState == OPC_STATUS_RUNNING) SendNotify(TNotifyCode::ClientDisconnected, *this);
    shutdownSink_.Reset();
    shutdownPoint_.reset();
}

STDMETHODIMP TServerImpl::QueryInterface(REFIID riid, void** ppv) noexcept
{
    if (riid == __uuidof(IOPCBrowseServerAddressSpace)) {
        TOpcItemServer* itemServer = ItemServer();
        if (itemServer && itemServer->HasOption(TServerOption::NoBrowseInterface)) {
            if (ppv) *ppv = nullptr;
            return E_NOINTERFACE;
        }
    }
    return TComObject::QueryInterface(riid, ppv);
}

// ---- IOPCServer ----

STDMETHODIMP TServerImpl::AddGroup(LPCWSTR, BOOL, DWORD, OPCHANDLE, LONG*, FLOAT*, DWORD, OPCHANDLE* phServerGroup,
                                   DWORD* pRevisedUpdateRate, REFIID, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(phServerGroup, pRevisedUpdateRate, ppUnk);
    return E_NOTIMPL;
}

STDMETHODIMP TServerImpl::GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) noexcept
{
    ClearOutputs(ppString);
    RETURN_HR_IF_NULL(E_POINTER, ppString);
    return ComBoundary([&] {
        std::wstring text;
        RequireItemServer().ErrorText(dwError, LOWORD(dwLocale), text);
        *ppString = TaskWideString(std::wstring_view(text)).release();
    });
}

STDMETHODIMP TServerImpl::GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(ppUnk);
    return E_NOTIMPL;
}

STDMETHODIMP TServerImpl::GetStatus(OPCSERVERSTATUS** ppServerStatus) noexcept
{
    ClearOutputs(ppServerStatus);
    RETURN_HR_IF_NULL(E_POINTER, ppServerStatus);
    return ComBoundary([&] {
        TOpcItemServer& itemServer = RequireItemServer();
        TaskPtr<OPCSERVERSTATUS> status(static_cast<OPCSERVERSTATUS*>(TaskAllocZeroed(sizeof(OPCSERVERSTATUS))));
        status->ftStartTime = itemServer.StartTime();
        status->ftCurrentTime = itemServer.CurrentTimestamp();
        status->ftLastUpdateTime = LastUpdateTime;
        status->dwServerState = static_cast<OPCSERVERSTATE>(ServerState);
        status->dwGroupCount = static_cast<DWORD>(GroupCount());
        status->dwBandWidth = 0xFFFFFFFF;
        const TServerVersion version = RunningServerVersion();
        status->wMajorVersion = version.Major;
        status->wMinorVersion = version.Minor;
        status->wBuildNumber = version.Build;
        status->szVendorInfo = TaskWideString(std::wstring_view(itemServer.VendorInfo())).release();
        *ppServerStatus = status.release();
    });
}

STDMETHODIMP TServerImpl::RemoveGroup(OPCHANDLE, BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP TServerImpl::CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(ppUnk);
    return E_NOTIMPL;
}

// ---- IOPCCommon ----

STDMETHODIMP TServerImpl::SetLocaleID(LCID dwLcid) noexcept
{
    if (dwLcid != LOCALE_SYSTEM_DEFAULT && dwLcid != GetSystemDefaultLCID() && dwLcid != GetUserDefaultLCID())
        return E_INVALIDARG;
    LocaleId = dwLcid;
    return S_OK;
}

STDMETHODIMP TServerImpl::GetLocaleID(LCID* pdwLcid) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, pdwLcid);
    *pdwLcid = LocaleId;
    return S_OK;
}

STDMETHODIMP TServerImpl::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) noexcept
{
    ClearOutputs(pdwCount, pdwLcid);
    RETURN_HR_IF(E_POINTER, pdwCount == nullptr || pdwLcid == nullptr);
    return ComBoundary([&] {
        TaskMemArray<LCID> ids(3);
        ids[0] = LOCALE_SYSTEM_DEFAULT;
        ids[1] = GetSystemDefaultLCID();
        ids[2] = GetUserDefaultLCID();
        *pdwLcid = ids.release();
        *pdwCount = 3;
    });
}

STDMETHODIMP TServerImpl::GetErrorString(HRESULT dwError, LPWSTR* ppString) noexcept
{
    return GetErrorString(dwError, LocaleId, ppString);
}

STDMETHODIMP TServerImpl::SetClientName(LPCWSTR szName) noexcept
{
    return ComBoundary([&] {
        ClientName = TextOrEmpty(szName);
        SendNotify(TNotifyCode::ClientRenamed, *this);
    });
}

// ---- IOPCItemProperties ----

STDMETHODIMP TServerImpl::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                   LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) noexcept
{
    ClearOutputs(pdwCount, ppPropertyIDs, ppDescriptions, ppvtDataTypes);
    RETURN_HR_IF(E_POINTER, !pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes);
    return ComBoundary([&] {
        TServerItemRefPtr item = LookupItemRef(TextOrEmpty(szItemID));
        TaskMemArray<DWORD> ids(kPropertyCount);
        TaskMemArray<LPWSTR> descriptions(kPropertyCount);
        TaskMemArray<VARTYPE> types(kPropertyCount);
        for (DWORD i = 0; i < kPropertyCount; ++i) {
            ids[i] = kPropertyIds[i];
            descriptions[i] = TaskWideString(kPropertyDescriptions[i]).release();
            types[i] = kPropertyIds[i] == 2 ? item->CanonicalType() : kPropertyTypes[i];
        }
        *pdwCount = kPropertyCount;
        *ppPropertyIDs = ids.release();
        *ppDescriptions = descriptions.release();
        *ppvtDataTypes = types.release();
    });
}

STDMETHODIMP TServerImpl::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                            HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppvData, ppErrors);
    RETURN_HR_IF(E_POINTER, !ppvData || !ppErrors);
    return ComBoundary([&] {
        CheckArrayArgs(dwCount, pdwPropertyIDs);
        TOpcItemServer& itemServer = RequireItemServer();
        TServerItemRefPtr item = LookupItemRef(TextOrEmpty(szItemID));
        TaskMemArray<VARIANT> values(dwCount);
        TaskMemArray<HRESULT> errors(dwCount);

        // Properties 2, 3 and 4 share one read of the item.
        bool read = false;
        UniqueVariant value;
        WORD quality = QualityGood;
        FILETIME stamp{};
        auto readOnce = [&] {
            if (read) return;
            stamp = itemServer.CurrentTimestamp();
            quality = QualityGood;
            itemServer.ReadItemValue(item->Handle(), quality, *value.put());
            read = true;
        };

        for (DWORD i = 0; i < dwCount; ++i) {
            VARIANT& v = values[i];
            errors[i] = S_OK;
            switch (pdwPropertyIDs[i]) {
            case 1:
                V_VT(&v) = VT_I2;
                V_I2(&v) = static_cast<SHORT>(item->CanonicalType());
                break;
            case 2:
                readOnce();
                RaiseIfFailed(VariantCopy(&v, &value.get()));
                break;
            case 3:
                readOnce();
                V_VT(&v) = VT_I2;
                V_I2(&v) = static_cast<SHORT>(quality);
                break;
            case 4:
                readOnce();
                V_VT(&v) = VT_DATE;
                V_DATE(&v) = FileTimeToDateTime(stamp);
                break;
            case 5:
                V_VT(&v) = VT_I4;
                V_I4(&v) = static_cast<LONG>(item->AccessRights());
                break;
            case 6:
                V_VT(&v) = VT_R4;
                V_R4(&v) = static_cast<FLOAT>(itemServer.ServerScanRate());
                break;
            default:
                errors[i] = OPC_E_INVALID_PID;
                break;
            }
        }
        *ppvData = values.release();
        *ppErrors = errors.release();
    });
}

STDMETHODIMP TServerImpl::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                        LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppszNewItemIDs, ppErrors);
    RETURN_HR_IF(E_POINTER, !ppszNewItemIDs || !ppErrors);
    return ComBoundary([&] {
        CheckArrayArgs(dwCount, pdwPropertyIDs);
        TServerItemRefPtr item = LookupItemRef(TextOrEmpty(szItemID));
        TaskMemArray<LPWSTR> ids(dwCount);
        TaskMemArray<HRESULT> errors(dwCount);
        // No property of this server maps to an item ID of its own.
        for (DWORD i = 0; i < dwCount; ++i) errors[i] = OPC_E_INVALID_PID;
        *ppszNewItemIDs = ids.release();
        *ppErrors = errors.release();
        return S_FALSE;
    });
}

// ---- IOPCBrowseServerAddressSpace ----

STDMETHODIMP TServerImpl::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, pNameSpaceType);
    *pNameSpaceType = OPC_NS_FLAT;
    return ComBoundary([&] { *pNameSpaceType = static_cast<OPCNAMESPACETYPE>(::QueryOrganization(RequireItemServer().AddressSpace())); });
}

STDMETHODIMP TServerImpl::ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) noexcept
{
    return ComBoundary([&] {
        TOpcItemServer& itemServer = RequireItemServer();
        TLock lock(itemServer.ClientList().Lock());
        ::ChangeBrowsePosition(itemServer.AddressSpace(), BrowsePosition, static_cast<DWORD>(dwBrowseDirection), szString);
    });
}

STDMETHODIMP TServerImpl::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                           VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                           LPENUMSTRING* ppIEnumString) noexcept
{
    ClearOutputs(ppIEnumString);
    RETURN_HR_IF_NULL(E_POINTER, ppIEnumString);
    return ComBoundary([&] {
        TOpcItemServer& itemServer = RequireItemServer();
        auto match = [&itemServer](std::wstring_view mask, BYTE rightsFilter, VARTYPE typeFilter, std::wstring_view name,
                                   BYTE itemRights, VARTYPE itemType) {
            return itemServer.BrowseFilterMatch(std::wstring(mask), TAccessRights::FromOpc(rightsFilter), typeFilter,
                                                std::wstring(name), TAccessRights::FromOpc(itemRights), itemType);
        };
        std::vector<std::wstring> names =
            BrowseItemIds(itemServer.AddressSpace(), BrowsePosition, static_cast<DWORD>(dwBrowseFilterType),
                          szFilterCriteria, vtDataTypeFilter, dwAccessRightsFilter, match);
        const bool empty = names.empty();
        *ppIEnumString = MakeComObject<TStringsEnumerator>(std::move(names)).Detach();
        return empty ? S_FALSE : S_OK;
    });
}

STDMETHODIMP TServerImpl::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) noexcept
{
    ClearOutputs(szItemID);
    RETURN_HR_IF_NULL(E_POINTER, szItemID);
    return ComBoundary([&] {
        TOpcItemServer& itemServer = RequireItemServer();
        std::optional<std::wstring> id;
        {
            TLock lock(itemServer.ClientList().Lock());
            id = ::GetItemId(itemServer.AddressSpace(), BrowsePosition, szItemDataID);
        }
        if (id) *szItemID = TaskWideString(std::wstring_view(*id)).release();
    });
}

STDMETHODIMP TServerImpl::BrowseAccessPaths(LPCWSTR, LPENUMSTRING* ppIEnumString) noexcept
{
    ClearOutputs(ppIEnumString);
    return E_NOTIMPL;
}

// ---- IConnectionPointContainer ----

STDMETHODIMP TServerImpl::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) noexcept
{
    ClearOutputs(ppEnum);
    RETURN_HR_IF_NULL(E_POINTER, ppEnum);
    return ComBoundary([&] { *ppEnum = MakeComObject<TEnumerateCP>(*shutdownPoint_).Detach(); });
}

STDMETHODIMP TServerImpl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) noexcept
{
    ClearOutputs(ppCP);
    RETURN_HR_IF_NULL(E_POINTER, ppCP);
    if (riid != __uuidof(IOPCShutdown)) return CONNECT_E_NOCONNECTION;
    *ppCP = shutdownPoint_.get();
    (*ppCP)->AddRef();
    return S_OK;
}

// ---- ISupportErrorInfo ----

STDMETHODIMP TServerImpl::InterfaceSupportsErrorInfo(REFIID riid) noexcept
{
    void* probe = nullptr;
    if (FAILED(QueryInterface(riid, &probe))) return S_FALSE;
    static_cast<IUnknown*>(probe)->Release();
    return S_OK;
}

// ---- TClientInfo ----

size_t TServerImpl::GroupCount() const { return 0; }

TGroupInfo* TServerImpl::GroupAt(size_t) const { return nullptr; }

void TServerImpl::Disconnect()
{
    if (shutdownPoint_) shutdownPoint_->DropSink();
    shutdownSink_.Reset();
    CoDisconnectObject(Identity(), 0);
}
