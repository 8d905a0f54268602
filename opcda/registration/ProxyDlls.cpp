#include "registration/ProxyDlls.h"

#include <windows.h>

#include "contract/OpcError.h"
#include "com/UniqueHandle.h"

namespace {

std::wstring BesideExe(const std::wstring& exePath, const wchar_t* fileName)
{
    return exePath.substr(0, exePath.find_last_of(L"\\/") + 1) + fileName;
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs the command line hidden and returns its exit code.
DWORD RunAndWait(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    TUniqueProcessInformation process;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, process.put()))
        throw EOpcError(HRESULT_FROM_WIN32(GetLastError()));
    WaitForSingleObject(process.process(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.process(), &code);
    return code;
}

}  // namespace

void UpdateProxyRegistration(const std::wstring& exePath, bool registerServer)
{
    TUniqueLibrary module(LoadLibraryW(BesideExe(exePath, ProxyDllName).c_str()));
    if (!module) throw EOpcServer("Interface proxy DLL not found beside the server");
    using TEntry = HRESULT(STDAPICALLTYPE*)();
    auto entry = reinterpret_cast<TEntry>(reinterpret_cast<void*>(
        GetProcAddress(module.get(), registerServer ? "DllRegisterServer" : "DllUnregisterServer")));
    const HRESULT hr = entry ? entry() : E_FAIL;
    module.reset();
    RaiseIfFailed(hr);
}

void UpdateProxyRegistration32(const std::wstring& exePath, bool registerServer)
{
    const std::wstring dll = BesideExe(exePath, ProxyDll32Name);
    wchar_t systemWow64[MAX_PATH] = {};
    if (!FileExists(dll) || GetSystemWow64DirectoryW(systemWow64, MAX_PATH) == 0) return;
    const std::wstring regsvr32 = std::wstring(systemWow64) + L"\\regsvr32.exe";
    // A 64-bit system without its 32-bit part runs no 32-bit clients either.
    if (!FileExists(regsvr32)) return;
    const DWORD code = RunAndWait(regsvr32, std::wstring(registerServer ? L"" : L"/u ") + L"/s \"" + dll + L"\"");
    if (code != 0) throw EOpcError(E_FAIL);
}
