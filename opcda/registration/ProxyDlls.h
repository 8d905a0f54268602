// The interface proxy/stub DLLs shipped beside the executable: the 64-bit one
// that the server and 64-bit clients load, and the 32-bit one for 32-bit
// clients. Each registers itself (DllRegisterServer) and leaves other OPC
// installations' proxies alone.
#pragma once
#include <string>

// File names, beside the executable.
constexpr wchar_t ProxyDllName[] = L"QuillmereOpcPS.dll";
constexpr wchar_t ProxyDll32Name[] = L"QuillmereOpcPS32.dll";

// Registers or unregisters the 64-bit proxy DLL through its own entry points;
// raises EOpcServer when it is missing and EOpcError when its entry fails.
void UpdateProxyRegistration(const std::wstring& exePath, bool registerServer);

// The same for the 32-bit proxy DLL, in the 32-bit registry view, through the
// system's 32-bit regsvr32. Nothing to do when the DLL is not beside the
// executable or the machine runs no 32-bit programs; raises EOpcError when
// regsvr32 fails.
void UpdateProxyRegistration32(const std::wstring& exePath, bool registerServer);
