#include "registration/ServerRegistration.h"

#include <comcat.h>
#include <wrl/client.h>

#include <cwctype>
#include <optional>
#include <vector>

#include "com/RegistryKey.h"
#include "contract/OpcError.h"
#include "opcda.h"

using Microsoft::WRL::ComPtr;

namespace {

// Creates the key (and its parents) and sets a value (null: its default value); raises on failure.
void SetKeyValue(const std::wstring& path, const wchar_t* name, const std::wstring& value)
{
    LSTATUS rc = ERROR_SUCCESS;
    TRegistryKey key = TRegistryKey::Create(HKEY_CLASSES_ROOT, path, KEY_WRITE, &rc);
    if (rc == ERROR_SUCCESS) rc = key.SetString(name, value);
    if (rc != ERROR_SUCCESS) throw EOpcError(HRESULT_FROM_WIN32(rc));
}

void SetKeyDefault(const std::wstring& path, const std::wstring& value) { SetKeyValue(path, nullptr, value); }

void DeleteKey(const std::wstring& path) { RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str()); }

bool SameText(const std::optional<std::wstring>& a, const std::wstring& b)
{
    return a && CompareStringOrdinal(a->c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::optional<std::wstring> KeyValue(const std::wstring& path, const wchar_t* name = nullptr)
{
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, path);
    if (!key) return std::nullopt;
    return key.GetString(name);
}

std::wstring ExeFileName(const std::wstring& exePath) { return exePath.substr(exePath.find_last_of(L"\\/") + 1); }

// Clients that ask for "the" server by its version-independent ProgID find
// the current version through CurVer.
void RegisterVersionIndependentProgId(const TServerClassInfo& info, const std::wstring& clsidKey)
{
    const std::wstring progId = VersionIndependentProgId(info.ProgId);
    if (progId.empty()) return;
    SetKeyDefault(progId, info.Description);
    SetKeyDefault(progId + L"\\Clsid", GuidToString(info.ClassId));
    SetKeyDefault(progId + L"\\CurVer", info.ProgId);
    SetKeyDefault(clsidKey + L"\\VersionIndependentProgID", progId);
}

// The AppID is the class ID: DCOM's launch and access permissions and the
// identity that an administrator sets for remote clients are stored there.
void RegisterAppId(const TServerClassInfo& info, const std::wstring& clsidKey)
{
    const std::wstring appId = GuidToString(info.ClassId);
    SetKeyValue(clsidKey, L"AppID", appId);
    SetKeyDefault(L"AppID\\" + appId, info.Description);
    SetKeyValue(L"AppID\\" + ExeFileName(info.ExePath), L"AppID", appId);
}

void UnregisterAppIdAndVersionIndependentProgId(const TServerClassInfo& info, const std::wstring& clsidKey)
{
    const std::wstring clsid = GuidToString(info.ClassId);
    const std::wstring exeKey = L"AppID\\" + ExeFileName(info.ExePath);
    if (SameText(KeyValue(exeKey, L"AppID"), clsid)) RegDeleteTreeW(HKEY_CLASSES_ROOT, exeKey.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"AppID\\" + clsid).c_str());
    DeleteKey(clsidKey + L"\\VersionIndependentProgID");
    const std::wstring progId = VersionIndependentProgId(info.ProgId);
    if (!progId.empty() && SameText(KeyValue(progId + L"\\Clsid"), clsid)) {
        DeleteKey(progId + L"\\CurVer");
        DeleteKey(progId + L"\\Clsid");
        DeleteKey(progId);
    }
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
    CATEGORYINFO infos[2] = {CategoryInfo(CATID_OPCDAServer20, CATDESC_OPCDAServer20),
                             CategoryInfo(CATID_OPCDAServer10, CATDESC_OPCDAServer10)};
    RaiseIfFailed(cats->RegisterCategories(1, &infos[0]));
    RaiseIfFailed(cats->RegisterCategories(1, &infos[1]));
    CATID implemented[2] = {CATID_OPCDAServer20, CATID_OPCDAServer10};
    RaiseIfFailed(cats->RegisterClassImplCategories(clsid, 2, implemented));
}

// True also when it cannot be told: a category is kept rather than taken from others.
bool CategoryHasClasses(ICatInformation* information, const CATID& category)
{
    ComPtr<IEnumGUID> classes;
    if (FAILED(information->EnumClassesOfCategories(1, &category, static_cast<ULONG>(-1), nullptr,
                                                    classes.GetAddressOf())) ||
        !classes)
        return true;
    CLSID clsid{};
    ULONG fetched = 0;
    return classes->Next(1, &clsid, &fetched) == S_OK && fetched == 1;
}

void UnregisterCategories(const CLSID& clsid)
{
    ComPtr<ICatRegister> cats;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                reinterpret_cast<void**>(cats.GetAddressOf()))))
        return;
    CATID implemented[2] = {CATID_OPCDAServer20, CATID_OPCDAServer10};
    cats->UnRegisterClassImplCategories(clsid, 2, implemented);
    // Every OPC server shares the categories: the last one implementing a
    // category removes it.
    ComPtr<ICatInformation> information;
    if (FAILED(cats.As(&information))) return;
    for (CATID& category : implemented)
        if (!CategoryHasClasses(information.Get(), category)) cats->UnRegisterCategories(1, &category);
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

std::wstring VersionIndependentProgId(const std::wstring& progId)
{
    const size_t dot = progId.find_last_of(L'.');
    if (dot == std::wstring::npos || dot == 0 || dot + 1 == progId.size()) return {};
    for (size_t i = dot + 1; i < progId.size(); ++i)
        if (!iswdigit(progId[i])) return {};
    return progId.substr(0, dot);
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
    RegisterVersionIndependentProgId(info, clsidKey);
    RegisterAppId(info, clsidKey);
    RegisterCategories(info.ClassId);
    RegisterVendorKey(info.ProgId, info.VendorName);
}

void UnregisterServerClass(const TServerClassInfo& info)
{
    const std::wstring clsidKey = L"CLSID\\" + GuidToString(info.ClassId);
    UnregisterCategories(info.ClassId);
    UnregisterAppIdAndVersionIndependentProgId(info, clsidKey);
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
