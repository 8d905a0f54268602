#include "ProcessWatch.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

std::wstring Upper(std::wstring text)
{
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

struct TSnapshot {
    HANDLE handle = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ~TSnapshot()
    {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

}  // namespace

bool IsProcessRunning(const std::wstring& name)
{
    const std::wstring wanted = Upper(name);
    TSnapshot snapshot;
    if (snapshot.handle == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.handle, &entry); more; more = Process32NextW(snapshot.handle, &entry)) {
        if (Upper(entry.szExeFile).find(wanted) != std::wstring::npos) return true;
    }
    return false;
}
