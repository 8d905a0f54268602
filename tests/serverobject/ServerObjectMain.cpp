// The server objects live in a single-threaded apartment, as in the server
// process: COM is initialised that way before any test runs. Their calls into
// sinks go out from a delivery thread in another apartment, so the sinks are
// marshalled: the project's proxy DLL is registered for the run (and
// unregistered after, unless it was registered before).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "opcda.h"
#include "com/RegistryKey.h"

namespace {

bool ProxyRegistered()
{
    wchar_t key[96];
    wchar_t iid[40];
    StringFromGUID2(__uuidof(IOPCDataCallback), iid, 40);
    wsprintfW(key, L"Interface\\%s\\ProxyStubClsid32", iid);
    return TRegistryKey::Exists(HKEY_CLASSES_ROOT, key);
}

using TRegisterFunction = HRESULT(__stdcall*)();

HRESULT CallProxyExport(HMODULE proxy, const char* name)
{
    auto function = reinterpret_cast<TRegisterFunction>(reinterpret_cast<void*>(GetProcAddress(proxy, name)));
    return function ? function() : HRESULT_FROM_WIN32(GetLastError());
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const bool registeredBefore = ProxyRegistered();
    HMODULE proxy = LoadLibraryW(L"QuillmereOpcPS.dll");
    if (!proxy || FAILED(CallProxyExport(proxy, "DllRegisterServer"))) return 3;
    const int result = RUN_ALL_TESTS();
    if (!registeredBefore) CallProxyExport(proxy, "DllUnregisterServer");
    CoUninitialize();
    return result;
}
