// Starting, finding and stopping srvZEV30.exe processes from a test, and
// connecting to the server through COM.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "opcda.h"
#include "opcerror.h"
#include "com/ComObject.h"
#include "com/UniqueHandle.h"
#include "MessagePump.h"

constexpr wchar_t kServerExe[] = L"srvZEV30.exe";
constexpr wchar_t kServerProgId[] = L"srvZEV30.TZEV30.1";
constexpr wchar_t kMainWindowClass[] = L"TQuillmereZev30MainWindow";

// Full path of a program in the directory of the test executable.
std::wstring BesideTest(const std::wstring& fileName);

// A started process; the destructor closes the handles, it does not end it.
class TProcess {
public:
    TProcess() = default;
    TProcess(const std::wstring& exe, const std::wstring& args);
    TProcess(TProcess&& other) noexcept;
    TProcess& operator=(TProcess&& other) noexcept;

    bool Started() const noexcept { return bool(process_); }
    // True when it ended within timeoutMs; its exit code goes to exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    void Kill() const;
    DWORD Id() const noexcept { return id_; }

private:
    TUniqueHandle process_;
    DWORD id_ = 0;
};

// Runs exe with args and waits for it to end; returns its exit code, or ~0u
// when it did not start or end within timeoutMs (it is killed then).
DWORD RunToEnd(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = 30000);
// The same for the srvZEV30.exe beside the test.
DWORD RunServerToEnd(const std::wstring& args, DWORD timeoutMs = 30000);

// (RunTool in ToolProcess.h also captures what the program prints.)

// regsvr32 of the system's own bitness (wow64: the 32-bit one), silent; /u when unregister.
DWORD RunRegsvr32(const std::wstring& dll, bool unregister, bool wow64 = false);

// Process IDs of every running srvZEV30.exe.
std::vector<DWORD> ServerProcessIds();
// Waits until no srvZEV30.exe runs; false when one is still there.
bool WaitForNoServer(DWORD timeoutMs);
// Ends every srvZEV30.exe, so the next test starts from nothing.
void KillAllServers();

// A new server object through COM activation by ProgID.
ComPtr<IOPCServer> ConnectServer();

// The main window of the srvZEV30.exe process with that ID, or null.
HWND ServerMainWindow(DWORD processId);
// Waits for that window; null when it did not appear within timeoutMs.
HWND WaitForServerMainWindow(DWORD processId, DWORD timeoutMs);
// A top-level dialog of that process with the given caption, or null.
HWND FindProcessDialog(DWORD processId, const wchar_t* caption);

// The lines of the connection log on that main window's server page.
std::vector<std::wstring> LogLines(HWND mainWindow);
// The number of nodes of the client tree on that main window; -1 without a tree.
int ClientTreeNodeCount(HWND mainWindow);
