#include "registration/ServerRegistration.h"

#include <comcat.h>
#include <wrl/client.h>

#include <vector>

#include "com/RegistryKey.h"
#include "contract/OpcError.h"
#include "opcda.h"

using Microsoft::WRL::ComPtr;

namespace {

// Creates the key (and its parents) and sets its default value; raises on failure.
void SetKeyDefault(const std::wstring& path, const std::wstring& value)
{
    LSTATUS rc = ERROR_SUCCESS;
    TRegistryKey key = TRegistryKey::Create(HKEY_CLASSES_ROOT, path, KEY_WRITE, &rc);
    if (rc == ERROR_SUCCESS) rc = key.SetString(nullptr, value);
    if (rc != ERROR_SUCCESS) throw EOpcError(HRESULT_FROM_WIN32(rc));
}

void DeleteKey(const std::wstring& path)
{
    RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

ComPtr<ICatRegister> CategoryManager()
{
    ComPtr<ICatRegister> cats;
    RaiseIfFailed(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                              reinterpret_cast<void**>(cats.GetAddressOf())));
    return cats;
}

CATEGORYINFO CategoryInfo(const GUID& catid, const wchar_t* description)
{
    CATEGORYINFO info{};
    info.catid = catid;
    info.lcid = GetUserDefaultLCID();
    // The category manager keeps at most 127 characters of a description.
    wcsncpy(info.szDescription, description, 127);
    info.szDescription[127] = L'\0';
    return info;
}

void RegisterCategories(const CLSID& clsid)
{
    ComPtr<ICatRegister> cats = CategoryManager();
    CATEGORYINFO infos[2] = {CategoryInfo(CATID_OPCDAServer20, CATDESC_OPCDAServer20), CategoryInfo(CATID_OPCDAServer10, CATDESC_OPCDAServer10)};
    RaiseIfFailed(cats->RegisterCategories(1, &infos[0]));
    RaiseIfFailed(cats->RegisterCategories(1, &infos[1]));
    CATID implemented[2] = {CATID_OPCDAServer20, CATID_OPCDAServer10};
    RaiseIfFailed(cats->RegisterClassImplCategories(clsid, 2, implemented));
}

void UnregisterCategories(const CLSID& clsid)
{
    ComPtr<ICatRegister> cats;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                reinterpret_cast<void**>(cats.GetAddressOf()))))
        return;
    CATID implemented[2] = {CATID_OPCDAServer20, CATID_OPCDAServer10};
    cats->UnRegisterClassImplCategories(clsid, 2, implemented);
}

// A vendor value written once is kept: another installer may have set it.
void RegisterVendorKey(const std::wstring& progId, const std::wstring& vendor)
{
    const std::wstring opcKey = progId + L"\\Opc";
    if (TRegistryKey::Exists(HKEY_CLASSES_ROOT, opcKey)) return;
    try {
        TRegistryKey::Create(HKEY_CLASSES_ROOT, opcKey);
        SetKeyDefault(opcKey + L"\\Vendor", vendor);
    } catch (const EOpcError&) {
        // Registry errors of the vendor key do not stop the registration.
    }
}

}  // namespace

std::wstring GuidToString(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring LocalServerPath(const std::wstring& exePath)
{
    if (exePath.find(L' ') == std::wstring::npos) return exePath;
    const DWORD n = GetShortPathNameW(exePath.c_str(), nullptr, 0);
    if (n == 0) return exePath;
    std::vector<wchar_t> buf(n);
    if (GetShortPathNameW(exePath.c_str(), buf.data(), n) == 0) return exePath;
    return buf.data();
}

void RegisterServerClass(const TServerClassInfo& info)
{
    const std::wstring clsidKey = L"CLSID\\" + GuidToString(info.ClassId);
    SetKeyDefault(clsidKey, info.Description);
    SetKeyDefault(clsidKey + L"\\LocalServer32", LocalServerPath(info.ExePath));
    SetKeyDefault(info.ProgId, info.Description);
    SetKeyDefault(info.ProgId + L"\\Clsid", GuidToString(info.ClassId));
    SetKeyDefault(clsidKey + L"\\ProgID", info.ProgId);
    RegisterCategories(info.ClassId);
    RegisterVendorKey(info.ProgId, info.VendorName);
}

void UnregisterServerClass(const TServerClassInfo& info)
{
    const std::wstring clsidKey = L"CLSID\\" + GuidToString(info.ClassId);
    UnregisterCategories(info.ClassId);
    DeleteKey(info.ProgId + L"\\Opc\\Vendor");
    DeleteKey(info.ProgId + L"\\Opc");
    DeleteKey(clsidKey + L"\\ProgID");
    DeleteKey(info.ProgId + L"\\Clsid");
    DeleteKey(info.ProgId);
    DeleteKey(clsidKey + L"\\LocalServer32");
    // The category manager leaves an empty "Implemented Categories" key behind.
    DeleteKey(clsidKey + L"\\Implemented Categories\\" + GuidToString(CATID_OPCDAServer20));
    DeleteKey(clsidKey + L"\\Implemented Categories\\" + GuidToString(CATID_OPCDAServer10));
    DeleteKey(clsidKey + L"\\Implemented Categories");
    DeleteKey(clsidKey);
}
