#include "OpcConnection.h"

#include <cstdio>

using Microsoft::WRL::ComPtr;

namespace {

void Check(HRESULT hr, const wchar_t* call)
{
    if (FAILED(hr)) throw EClientCall{call, hr};
}

std::wstring TakeString(LPWSTR text)
{
    std::wstring result = text ? text : L"";
    CoTaskMemFree(text);
    return result;
}

}  // namespace

void PrintLine(const std::wstring& line)
{
    const std::wstring text = line + L"\n";
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

TOpcConnection::TOpcConnection(const std::wstring& progId)
{
    CLSID clsid{};
    Check(CLSIDFromProgID(progId.c_str(), &clsid), L"CLSIDFromProgID");
    Check(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                           reinterpret_cast<void**>(server_.GetAddressOf())),
          L"CoCreateInstance");
}

TOpcStatus TOpcConnection::Status() const
{
    OPCSERVERSTATUS* status = nullptr;
    Check(server_->GetStatus(&status), L"IOPCServer::GetStatus");
    TOpcStatus result;
    result.State = status->dwServerState;
    result.VendorInfo = TakeString(status->szVendorInfo);
    result.Major = status->wMajorVersion;
    result.Minor = status->wMinorVersion;
    result.Build = status->wBuildNumber;
    CoTaskMemFree(status);
    return result;
}

std::vector<std::wstring> TOpcConnection::BrowseItemIds() const
{
    ComPtr<IOPCBrowseServerAddressSpace> browse;
    Check(server_.As(&browse), L"QueryInterface(IOPCBrowseServerAddressSpace)");
    ComPtr<IEnumString> names;
    Check(browse->BrowseOPCItemIDs(OPC_FLAT, const_cast<LPWSTR>(L""), VT_EMPTY, 0, names.GetAddressOf()),
          L"IOPCBrowseServerAddressSpace::BrowseOPCItemIDs");
    std::vector<std::wstring> ids;
    if (!names) return ids;  // S_FALSE: nothing to browse
    LPWSTR name = nullptr;
    ULONG fetched = 0;
    while (names->Next(1, &name, &fetched) == S_OK && fetched == 1) ids.push_back(TakeString(name));
    return ids;
}

std::wstring TOpcConnection::ReadValueProperty(const std::wstring& itemId) const
{
    ComPtr<IOPCItemProperties> properties;
    Check(server_.As(&properties), L"QueryInterface(IOPCItemProperties)");
    DWORD propertyId = 2;  // the item's value
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    Check(properties->GetItemProperties(const_cast<LPWSTR>(itemId.c_str()), 1, &propertyId, &values, &errors),
          L"IOPCItemProperties::GetItemProperties");
    const HRESULT itemResult = errors[0];
    VARIANT text;
    VariantInit(&text);
    HRESULT hr = itemResult;
    if (SUCCEEDED(hr)) hr = VariantChangeType(&text, &values[0], VARIANT_ALPHABOOL, VT_BSTR);
    std::wstring result = SUCCEEDED(hr) && V_BSTR(&text) ? V_BSTR(&text) : L"";
    VariantClear(&text);
    VariantClear(&values[0]);
    CoTaskMemFree(values);
    CoTaskMemFree(errors);
    Check(hr, L"read of the value property");
    return result;
}
