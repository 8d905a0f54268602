// DllRegisterServer and DllUnregisterServer of the proxy/stub DLL. The OPC
// interface keys are shared by every OPC installation on a plant PC, so they
// are written only where no working proxy is registered and removed only
// where they point at this DLL, and only by the last copy of it to leave.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ProxyFileList.h"
#include "ProxyInstallations.h"
#include "com/ModulePath.h"
#include "com/RegistryKey.h"

extern "C" {
// The proxy factory's own class, so that the class key of another vendor's
// proxy DLL is never written (the generated data names it as PROXY_CLSID).
CLSID CLSID_QuillmereOpcPS = {0x71e208fe, 0xb883, 0x407b, {0x89, 0x6f, 0x84, 0xb8, 0x7c, 0x4f, 0x07, 0xc4}};
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();
}

namespace {

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

const std::wstring kClassKey = L"CLSID\\" + GuidText(CLSID_QuillmereOpcPS);

std::wstring ThisDllPath()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisDllPath), &module);
    return ModuleFilePath(module);
}

std::optional<std::wstring> KeyDefault(const std::wstring& path)
{
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, path);
    if (!key) return std::nullopt;
    return key.GetString();
}

LSTATUS SetKeyValue(const std::wstring& path, const wchar_t* name, const std::wstring& value)
{
    LSTATUS rc = ERROR_SUCCESS;
    TRegistryKey key = TRegistryKey::Create(HKEY_CLASSES_ROOT, path, KEY_WRITE, &rc);
    return rc == ERROR_SUCCESS ? key.SetString(name, value) : rc;
}

struct TProxiedInterface {
    std::wstring Key;  // "Interface\{iid}"
    std::wstring Name;
    unsigned MethodCount;
};

std::vector<TProxiedInterface> ProxiedInterfaces()
{
    std::vector<TProxiedInterfaceInfo> infos(ProxiedInterfaceInfos(nullptr, 0));
    ProxiedInterfaceInfos(infos.data(), static_cast<unsigned>(infos.size()));
    std::vector<TProxiedInterface> result;
    for (const auto& info : infos)
        result.push_back({L"Interface\\" + GuidText(*info.Iid), std::wstring(info.Name, info.Name + strlen(info.Name)),
                          info.MethodCount});
    return result;
}

bool IsProxyClass(const std::wstring& classKey)
{
    return CompareStringOrdinal(classKey.c_str(), -1, kClassKey.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Who serves an interface key today.
struct TInterfaceOwner {
    bool Registered = false;  // a ProxyStubClsid32 value is there
    bool Ours = false;        // it names this DLL's class, or a class served by this very file
    bool Working = false;     // its class names a DLL file that exists
    std::wstring ClassKey;    // "CLSID\{...}" it names
};

TInterfaceOwner OwnerOf(const TProxiedInterface& iface, const std::wstring& dllPath)
{
    TInterfaceOwner owner;
    const auto clsid = KeyDefault(iface.Key + L"\\ProxyStubClsid32");
    if (!clsid || clsid->empty()) return owner;
    owner.Registered = true;
    owner.ClassKey = L"CLSID\\" + *clsid;
    const auto server = KeyDefault(owner.ClassKey + L"\\InprocServer32");
    owner.Working = server && FileExists(*server);
    // An earlier build of this DLL registered under the class of IOPCServer's
    // IID, as widl does by default; that registration is this DLL's as well.
    owner.Ours = IsProxyClass(owner.ClassKey) || (server && SamePath(*server, dllPath));
    return owner;
}

LSTATUS WriteInterface(const TProxiedInterface& iface)
{
    LSTATUS rc = SetKeyValue(iface.Key, nullptr, iface.Name);
    if (rc == ERROR_SUCCESS)
        rc = SetKeyValue(iface.Key + L"\\ProxyStubClsid32", nullptr, GuidText(CLSID_QuillmereOpcPS));
    if (rc == ERROR_SUCCESS) rc = SetKeyValue(iface.Key + L"\\NumMethods", nullptr, std::to_wstring(iface.MethodCount));
    return rc;
}

// Points the proxy class at dllPath unless another copy that still exists serves it.
LSTATUS WriteProxyClass(const std::wstring& dllPath, bool keepWorkingCopy)
{
    const auto server = KeyDefault(kClassKey + L"\\InprocServer32");
    if (keepWorkingCopy && server && FileExists(*server)) return ERROR_SUCCESS;
    LSTATUS rc = SetKeyValue(kClassKey, nullptr, L"PSFactoryBuffer");
    if (rc == ERROR_SUCCESS) rc = SetKeyValue(kClassKey + L"\\InprocServer32", nullptr, dllPath);
    if (rc == ERROR_SUCCESS) rc = SetKeyValue(kClassKey + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return rc;
}

}  // namespace

STDAPI DllRegisterServer()
{
    const std::wstring dll = ThisDllPath();
    const TProxyInstallations installations(kClassKey);
    installations.Prune();
    LSTATUS rc = installations.Add(dll);
    if (rc == ERROR_SUCCESS) rc = WriteProxyClass(dll, true);
    std::vector<std::wstring> earlierClasses;
    for (const auto& iface : ProxiedInterfaces()) {
        if (rc != ERROR_SUCCESS) break;
        const TInterfaceOwner owner = OwnerOf(iface, dll);
        // Another installation's working proxy stays in charge.
        if (owner.Registered && owner.Working && !owner.Ours) continue;
        if (owner.Ours && !IsProxyClass(owner.ClassKey)) earlierClasses.push_back(owner.ClassKey);
        rc = WriteInterface(iface);
    }
    for (const auto& key : earlierClasses) RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return HRESULT_FROM_WIN32(rc);
}

STDAPI DllUnregisterServer()
{
    const std::wstring dll = ThisDllPath();
    const TProxyInstallations installations(kClassKey);
    installations.Remove(dll);
    installations.Prune();
    const std::vector<std::wstring> others = installations.Paths();
    // Other copies still use the registration: hand the class to one of them.
    if (!others.empty()) {
        const auto server = KeyDefault(kClassKey + L"\\InprocServer32");
        if (!server || SamePath(*server, dll) || !FileExists(*server))
            return HRESULT_FROM_WIN32(WriteProxyClass(others.front(), false));
        return S_OK;
    }
    std::vector<std::wstring> earlierClasses;
    for (const auto& iface : ProxiedInterfaces()) {
        const TInterfaceOwner owner = OwnerOf(iface, dll);
        if (!owner.Ours) continue;
        if (!IsProxyClass(owner.ClassKey)) earlierClasses.push_back(owner.ClassKey);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, iface.Key.c_str());
    }
    for (const auto& key : earlierClasses) RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey.c_str());
    return S_OK;
}
