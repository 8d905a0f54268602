#include "OpcConnection.h"

#include "HResultText.h"
#include "com/ComOwners.h"
#include "com/OpcElementCleanup.h"

TOpcConnection::TOpcConnection(const std::wstring& progId, const std::wstring& clientName)
{
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr))
        throw EClientError{L"the ProgID " + progId + L" is not registered on this machine: " + DescribeHResult(hr) +
                           L". Run: OpcClient diagnose"};
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                          reinterpret_cast<void**>(server_.GetAddressOf()));
    if (FAILED(hr))
        throw EClientError{L"the server " + progId + L" could not be started or reached: " + DescribeHResult(hr) +
                           L". Run: OpcClient diagnose"};
    ComPtr<IOPCCommon> common;
    if (SUCCEEDED(server_.As(&common))) common->SetClientName(clientName.c_str());
}

TOpcConnection::~TOpcConnection() = default;

std::wstring TOpcConnection::Describe(HRESULT hr) const { return DescribeHResult(hr, server_.Get()); }

void TOpcConnection::Require(HRESULT hr, const std::wstring& what) const
{
    if (FAILED(hr)) throw EClientError{what + L" failed: " + Describe(hr)};
}

TOpcGroup::TOpcGroup(const TOpcConnection& connection, const wchar_t* name, bool active, DWORD rateMs)
    : connection_(connection)
{
    LONG bias = 0;
    FLOAT deadband = 0.0f;
    const HRESULT hr = connection.Server()->AddGroup(name, active, rateMs, 1, &bias, &deadband, LOCALE_SYSTEM_DEFAULT,
                                                     &handle_, &revisedRate_, IID_IOPCItemMgt,
                                                     reinterpret_cast<IUnknown**>(items_.GetAddressOf()));
    connection.Require(hr, L"AddGroup");
}

TOpcGroup::~TOpcGroup()
{
    items_.Reset();
    if (handle_) connection_.Server()->RemoveGroup(handle_, TRUE);
}

std::vector<TAddedItem> TOpcGroup::AddItems(const std::vector<std::wstring>& ids)
{
    std::vector<OPCITEMDEF> defs(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        defs[i].szAccessPath = const_cast<wchar_t*>(L"");
        defs[i].szItemID = const_cast<wchar_t*>(ids[i].c_str());
        defs[i].bActive = TRUE;
        defs[i].hClient = static_cast<OPCHANDLE>(i + 1);
        defs[i].vtRequestedDataType = VT_EMPTY;
    }
    TaskMemArray<OPCITEMRESULT> results;
    TaskMemArray<HRESULT> errors;
    const HRESULT hr =
        items_->AddItems(static_cast<DWORD>(ids.size()), defs.data(), results.put(ids.size()), errors.put(ids.size()));
    connection_.Require(hr, L"AddItems");
    std::vector<TAddedItem> added(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        added[i].ItemId = ids[i];
        added[i].Error = errors.get() ? errors[i] : hr;
        if (SUCCEEDED(added[i].Error) && results.get()) {
            added[i].Server = results[i].hServer;
            added[i].CanonicalType = results[i].vtCanonicalDataType;
            added[i].AccessRights = results[i].dwAccessRights;
        }
    }
    return added;
}
