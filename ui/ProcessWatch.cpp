#include "ProcessWatch.h"

#include <windows.h>
#include <tlhelp32.h>

#include "com/UniqueHandle.h"

namespace {

std::wstring Upper(std::wstring text)
{
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

bool IsProcessRunning(const std::wstring& name)
{
    const std::wstring wanted = Upper(name);
    const TUniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (Upper(entry.szExeFile).find(wanted) != std::wstring::npos) return true;
    }
    return false;
}
