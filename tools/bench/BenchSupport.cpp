#include "BenchSupport.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "com/ModulePath.h"

double NowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

double Quantile(std::vector<double> samples, double q)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t rank = static_cast<size_t>(std::ceil(q * static_cast<double>(samples.size())));
    return samples[std::min(samples.size() - 1, rank == 0 ? 0 : rank - 1)];
}

void PumpFor(double ms)
{
    const double end = NowMs() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        const double left = end - NowMs();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::ceil(left)), QS_ALLINPUT);
    }
}

namespace {

// The contents of a small file, such as one under /proc (read until its end:
// /proc files report no size).
std::string FileText(const std::wstring& path)
{
    const TUniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (text.size() < (1u << 20) && ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        text.append(chunk, read);
    return text;
}

// A Linux process's WINEPREFIX, without trailing slashes; empty when unset.
std::string PrefixOf(const std::string& environment)
{
    static const std::string kName = "WINEPREFIX=";
    for (size_t at = 0; at < environment.size();) {
        const size_t end = std::min(environment.find('\0', at), environment.size());
        if (environment.compare(at, kName.size(), kName) == 0) {
            std::string prefix = environment.substr(at + kName.size(), end - at - kName.size());
            while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
            return prefix;
        }
        at = end + 1;
    }
    return {};
}

}  // namespace

int UnixProcessOf(const std::wstring& exeFileName)
{
    std::string name(exeFileName.begin(), exeFileName.end());
    for (auto& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    // Other Wine prefixes on the machine may run the same program: only this
    // run's prefix counts, as its processes' environments name it.
    const std::string ownPrefix = PrefixOf(FileText(L"Z:\\proc\\self\\environ"));
    WIN32_FIND_DATAW entry{};
    const TUniqueFindHandle find(FindFirstFileW(L"Z:\\proc\\*", &entry));
    if (!find) return 0;
    int found = 0, count = 0;
    do {
        const int pid = _wtoi(entry.cFileName);
        if (pid <= 0) continue;
        std::string command = FileText(L"Z:\\proc\\" + std::wstring(entry.cFileName) + L"\\cmdline");
        command = command.substr(0, command.find('\0'));  // the program, without its arguments
        for (auto& c : command) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        const size_t at = command.rfind(name);
        if (at != std::string::npos && at + name.size() == command.size() &&
            (at == 0 || command[at - 1] == '\\' || command[at - 1] == '/') &&
            PrefixOf(FileText(L"Z:\\proc\\" + std::wstring(entry.cFileName) + L"\\environ")) == ownPrefix) {
            found = pid;
            ++count;
        }
    } while (FindNextFileW(find.get(), &entry));
    return count == 1 ? found : 0;
}

double UnixCpuMs(int unixPid)
{
    if (unixPid <= 0) return 0;
    const std::string stat = FileText(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    // After the command name: state, then fields 4 to 13, then utime and stime (clock ticks of 10 ms).
    unsigned long long values[13] = {};
    if (std::sscanf(stat.c_str() + close + 2, "%*c %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu",
                    &values[0], &values[1], &values[2], &values[3], &values[4], &values[5], &values[6], &values[7],
                    &values[8], &values[9], &values[10], &values[11]) != 12)
        return 0;
    return static_cast<double>(values[10] + values[11]) * 10.0;
}

DWORD ProcessIdOf(const std::wstring& exeFileName)
{
    const TUniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    DWORD found = 0;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, exeFileName.c_str()) != 0) continue;
        found = entry.th32ProcessID;
        ++count;
    }
    return count == 1 ? found : 0;
}

TUniqueHandle StartBeside(const wchar_t* exe, const std::wstring& args)
{
    const std::wstring file = ModuleFolder() + exe;
    std::wstring command = L"\"" + file + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    TUniqueProcessInformation pi;
    if (!CreateProcessW(file.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi.put()))
        return {};
    return pi.release_process();
}

TProcessProbe::TProcessProbe(DWORD processId, int unixPid)
    : process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)),
      id_(processId),
      unixPid_(unixPid)
{
}

double TProcessProbe::CpuMs() const
{
    if (unixPid_) return UnixCpuMs(unixPid_);
    return ReportedCpuMs();
}

double TProcessProbe::ReportedCpuMs() const
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process_ || !GetProcessTimes(process_.get(), &created, &exited, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

namespace {

PROCESS_MEMORY_COUNTERS Counters(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (process) GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters;
}

}  // namespace

SIZE_T TProcessProbe::WorkingSet() const { return Counters(process_.get()).WorkingSetSize; }
SIZE_T TProcessProbe::PeakWorkingSet() const { return Counters(process_.get()).PeakWorkingSetSize; }
SIZE_T TProcessProbe::CommittedBytes() const { return Counters(process_.get()).PagefileUsage; }

std::wstring Fixed(double value, int decimals)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%.*f", decimals, value);
    return text;
}

std::wstring Megabytes(SIZE_T bytes) { return Fixed(static_cast<double>(bytes) / (1024.0 * 1024.0), 2) + L" MB"; }
