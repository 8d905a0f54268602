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
#include "com/OpcArgs.h"
#include "host/OpcTime.h"
#include "contract/OpcTypes.h"
#include "host/ServerVersion.h"
#include "host/ClientList.h"
#include "host/ServerWindow.h"

namespace {

constexpr DWORD kPropertyCount = 6;
constexpr DWORD kPropertyIds[kPropertyCount] = {OPC_PROPERTY_DATATYPE,      OPC_PROPERTY_VALUE,
                                               OPC_PROPERTY_QUALITY,       OPC_PROPERTY_TIMESTAMP,
                                               OPC_PROPERTY_ACCESS_RIGHTS, OPC_PROPERTY_SCAN_RATE};
constexpr const wchar_t* kPropertyDescriptions[kPropertyCount] = {
    L"Item Canonical Data Type", L"Item Value", L"Item Quality",
    L"Item Timestamp", L"Item Access Rights", L"Item Server Scan Rate"};
constexpr VARTYPE kPropertyTypes[kPropertyCount] = {VT_I2, VT_EMPTY, VT_I2, VT_DATE, VT_I4, VT_R4};

std::wstring TextOrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace

ComPtr<TServerImpl> TServerImpl::Create()
{
    ComPtr<TServerImpl> server = AdoptRef(new TServerImpl(RequireItemServer()));
    server->Initialize();
    return server;
}

TServerImpl::TServerImpl(TOpcItemServer& itemServer) : itemServer_(itemServer) {}

void TServerImpl::Initialize()
{
    LocaleId = LOCALE_SYSTEM_DEFAULT;
    itemServer_.ClientList().Add(*this);
    joinedClientList_ = true;
    ServerState = OPC_STATUS_RUNNING;
    SendNotify(itemServer_, TNotifyCode::ClientConnected, *this);
}

TServerImpl::~TServerImpl()
{
    StopWatch();
}

STDMETHODIMP TServerImpl::QueryInterface(REFIID riid, void** ppv) noexcept
{
    if (riid == __uuidof(IOPCBrowseServerAddressSpace)) {
        if (itemServer_.HasOption(TServerOption::NoBrowseInterface)) {
            if (ppv) *ppv = nullptr;
            return E_NOINTERFACE;
        }
    }
    return TBase::QueryInterface(riid, ppv);
}

// ---- IOPCServer ----

STDMETHODIMP TServerImpl::GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) noexcept
{
    ClearOutputs(ppString);
    RETURN_HR_IF_NULL(E_POINTER, ppString);
    return ComBoundary([&] {
        std::wstring text;
        itemServer_.ErrorText(dwError, LOWORD(dwLocale), text);
        *ppString = TaskWideString(std::wstring_view(text)).release();
    });
}

STDMETHODIMP TServerImpl::GetStatus(OPCSERVERSTATUS** ppServerStatus) noexcept
{
    ClearOutputs(ppServerStatus);
    RETURN_HR_IF_NULL(E_POINTER, ppServerStatus);
    return ComBoundary([&] {
        TaskPtr<OPCSERVERSTATUS> status(static_cast<OPCSERVERSTATUS*>(TaskAllocZeroed(sizeof(OPCSERVERSTATUS))));
        status->ftStartTime = itemServer_.StartTime();
        status->ftCurrentTime = itemServer_.CurrentTimestamp();
        status->ftLastUpdateTime = LastUpdateTime;
        status->dwServerState = static_cast<OPCSERVERSTATE>(ServerState);
        status->dwGroupCount = static_cast<DWORD>(GroupCount());
        status->dwBandWidth = 0xFFFFFFFF;
        const TServerVersion version = RunningServerVersion();
        status->wMajorVersion = version.Major;
        status->wMinorVersion = version.Minor;
        status->wBuildNumber = version.Build;
        status->szVendorInfo = TaskWideString(std::wstring_view(itemServer_.VendorInfo())).release();
        *ppServerStatus = status.release();
    });
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
        SendNotify(itemServer_, TNotifyCode::ClientRenamed, *this);
    });
}

// ---- IOPCItemProperties ----

STDMETHODIMP TServerImpl::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                   LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) noexcept
{
    ClearOutputs(pdwCount, ppPropertyIDs, ppDescriptions, ppvtDataTypes);
    RETURN_HR_IF(E_POINTER, !pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes);
    return ComBoundary([&] {
        TServerItemRefPtr item = LookupItemRef(itemServer_.ItemCache(), TextOrEmpty(szItemID));
        TaskMemArray<DWORD> ids(kPropertyCount);
        TaskMemArray<LPWSTR> descriptions(kPropertyCount);
        TaskMemArray<VARTYPE> types(kPropertyCount);
        for (DWORD i = 0; i < kPropertyCount; ++i) {
            ids[i] = kPropertyIds[i];
            descriptions[i] = TaskWideString(kPropertyDescriptions[i]).release();
            types[i] = kPropertyIds[i] == OPC_PROPERTY_VALUE ? item->CanonicalType() : kPropertyTypes[i];
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
        TServerItemRefPtr item = LookupItemRef(itemServer_.ItemCache(), TextOrEmpty(szItemID));
        TaskMemArray<VARIANT> values(dwCount);
        TaskMemArray<HRESULT> errors(dwCount);

        // Properties 2, 3 and 4 share one read of the item.
        bool read = false;
        UniqueVariant value;
        WORD quality = QualityGood;
        FILETIME stamp{};
        auto readOnce = [&] {
            if (read) return;
            stamp = itemServer_.CurrentTimestamp();
            quality = QualityGood;
            itemServer_.ReadItemValue(item->Handle(), quality, *value.put());
            read = true;
        };

        for (DWORD i = 0; i < dwCount; ++i) {
            VARIANT& v = values[i];
            errors[i] = S_OK;
            switch (pdwPropertyIDs[i]) {
            case OPC_PROPERTY_DATATYPE:
                V_VT(&v) = VT_I2;
                V_I2(&v) = static_cast<SHORT>(item->CanonicalType());
                break;
            case OPC_PROPERTY_VALUE:
                readOnce();
                RaiseIfFailed(VariantCopy(&v, &value.get()));
                break;
            case OPC_PROPERTY_QUALITY:
                readOnce();
                V_VT(&v) = VT_I2;
                V_I2(&v) = static_cast<SHORT>(quality);
                break;
            case OPC_PROPERTY_TIMESTAMP:
                readOnce();
                V_VT(&v) = VT_DATE;
                V_DATE(&v) = FileTimeToDateTime(stamp);
                break;
            case OPC_PROPERTY_ACCESS_RIGHTS:
                V_VT(&v) = VT_I4;
                V_I4(&v) = static_cast<LONG>(item->AccessRights());
                break;
            case OPC_PROPERTY_SCAN_RATE:
                V_VT(&v) = VT_R4;
                V_R4(&v) = static_cast<FLOAT>(itemServer_.ServerScanRate());
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
        TServerItemRefPtr item = LookupItemRef(itemServer_.ItemCache(), TextOrEmpty(szItemID));
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
    return ComBoundary([&] { *pNameSpaceType = static_cast<OPCNAMESPACETYPE>(::QueryOrganization(itemServer_.AddressSpace())); });
}

STDMETHODIMP TServerImpl::ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) noexcept
{
    return ComBoundary([&] {
        TLock lock(itemServer_.ClientList().Lock());
        ::ChangeBrowsePosition(itemServer_.AddressSpace(), BrowsePosition, static_cast<DWORD>(dwBrowseDirection), szString);
    });
}

STDMETHODIMP TServerImpl::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                           VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                           LPENUMSTRING* ppIEnumString) noexcept
{
    ClearOutputs(ppIEnumString);
    RETURN_HR_IF_NULL(E_POINTER, ppIEnumString);
    return ComBoundary([&] {
        auto match = [this](std::wstring_view mask, TAccessRights rightsFilter, VARTYPE typeFilter,
                            std::wstring_view name, TAccessRights itemRights, VARTYPE itemType) {
            return itemServer_.BrowseFilterMatch(std::wstring(mask), rightsFilter, typeFilter, std::wstring(name),
                                                 itemRights, itemType);
        };
        std::vector<std::wstring> names =
            BrowseItemIds(itemServer_.AddressSpace(), BrowsePosition, static_cast<DWORD>(dwBrowseFilterType),
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
        std::optional<std::wstring> id;
        {
            TLock lock(itemServer_.ClientList().Lock());
            id = ::GetItemId(itemServer_.AddressSpace(), BrowsePosition, szItemDataID);
        }
        if (id) *szItemID = TaskWideString(std::wstring_view(*id)).release();
    });
}

STDMETHODIMP TServerImpl::BrowseAccessPaths(LPCWSTR, LPENUMSTRING* ppIEnumString) noexcept
{
    ClearOutputs(ppIEnumString);
    return E_NOTIMPL;
}

// ---- ISupportErrorInfo ----

STDMETHODIMP TServerImpl::InterfaceSupportsErrorInfo(REFIID riid) noexcept
{
    void* probe = nullptr;
    if (FAILED(QueryInterface(riid, &probe))) return S_FALSE;
    static_cast<IUnknown*>(probe)->Release();
    return S_OK;
}
