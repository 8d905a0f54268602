#include "ServerProcess.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <utility>

#include "com/ModulePath.h"

std::wstring BesideTest(const std::wstring& fileName) { return ModuleFolder() + fileName; }

TProcess::TProcess(const std::wstring& exe, const std::wstring& args)
{
    std::wstring commandLine = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    TUniqueProcessInformation pi;
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi.put())) {
        id_ = pi.get().dwProcessId;
        process_ = pi.release_process();
    }
}

TProcess::TProcess(TProcess&& other) noexcept : process_(std::move(other.process_)), id_(std::exchange(other.id_, 0)) {}

TProcess& TProcess::operator=(TProcess&& other) noexcept
{
    if (this != &other) {
        process_ = std::move(other.process_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

bool TProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const
{
    if (!process_) return true;
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(process_.get(), exitCode);
    return true;
}

void TProcess::Kill() const
{
    if (process_) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

DWORD RunToEnd(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs)
{
    TProcess process(exe, args);
    if (!process.Started()) return ~0u;
    DWORD code = ~0u;
    if (!process.WaitForExit(timeoutMs, &code)) {
        process.Kill();
        return ~0u;
    }
    return code;
}

DWORD RunServerToEnd(const std::wstring& args, DWORD timeoutMs)
{
    return RunToEnd(BesideTest(kServerExe), args, timeoutMs);
}

DWORD RunRegsvr32(const std::wstring& dll, bool unregister, bool wow64)
{
    wchar_t dir[MAX_PATH] = {};
    if (wow64 ? GetSystemWow64DirectoryW(dir, MAX_PATH) == 0 : GetSystemDirectoryW(dir, MAX_PATH) == 0) return ~0u;
    return RunToEnd(std::wstring(dir) + L"\\regsvr32.exe",
                    std::wstring(unregister ? L"/u " : L"") + L"/s \"" + dll + L"\"");
}

std::vector<DWORD> ServerProcessIds()
{
    std::vector<DWORD> ids;
    const TUniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (lstrcmpiW(entry.szExeFile, kServerExe) == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

bool WaitForNoServer(DWORD timeoutMs)
{
    return PumpUntil([] { return ServerProcessIds().empty(); }, timeoutMs);
}

void KillAllServers()
{
    for (DWORD id : ServerProcessIds()) {
        if (const TUniqueHandle h{OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)}) {
            TerminateProcess(h.get(), 99);
            WaitForSingleObject(h.get(), 5000);
        }
    }
}

ComPtr<IOPCServer> ConnectServer()
{
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(kServerProgId, &clsid))) return nullptr;
    ComPtr<IOPCServer> server;
    CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                     reinterpret_cast<void**>(server.GetAddressOf()));
    return server;
}

namespace {

struct TWindowSearch {
    DWORD ProcessId;
    const wchar_t* ClassName;
    const wchar_t* Caption;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<TWindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search.ProcessId) return TRUE;
    wchar_t text[256] = {};
    if (search.ClassName) {
        GetClassNameW(window, text, 256);
        if (lstrcmpW(text, search.ClassName) != 0) return TRUE;
    }
    if (search.Caption) {
        GetWindowTextW(window, text, 256);
        if (lstrcmpW(text, search.Caption) != 0) return TRUE;
    }
    search.Found = window;
    return FALSE;
}

}  // namespace

HWND ServerMainWindow(DWORD processId)
{
    TWindowSearch search{processId, kMainWindowClass, nullptr, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND WaitForServerMainWindow(DWORD processId, DWORD timeoutMs)
{
    HWND window = nullptr;
    PumpUntil([&] { return (window = ServerMainWindow(processId)) != nullptr; }, timeoutMs);
    return window;
}

HWND FindProcessDialog(DWORD processId, const wchar_t* caption)
{
    TWindowSearch search{processId, nullptr, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

namespace {

BOOL CALLBACK FindListBox(HWND child, LPARAM param)
{
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, L"ListBox") != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

}  // namespace

std::vector<std::wstring> LogLines(HWND mainWindow)
{
    HWND log = nullptr;
    EnumChildWindows(mainWindow, FindListBox, reinterpret_cast<LPARAM>(&log));
    std::vector<std::wstring> lines;
    if (!log) return lines;
    const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.emplace_back(text);
    }
    return lines;
}

namespace {

BOOL CALLBACK FindTreeView(HWND child, LPARAM param)
{
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, WC_TREEVIEWW) != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

}  // namespace

int ClientTreeNodeCount(HWND mainWindow)
{
    HWND tree = nullptr;
    EnumChildWindows(mainWindow, FindTreeView, reinterpret_cast<LPARAM>(&tree));
    if (!tree) return -1;
    return static_cast<int>(SendMessageW(tree, TVM_GETCOUNT, 0, 0));
}
