#include "BenchSupport.h"

#include <psapi.h>

#include <cmath>
#include <cwchar>

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

TProcessProbe::TProcessProbe(DWORD processId)
    : process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)), id_(processId)
{
}

TProcessProbe::~TProcessProbe()
{
    if (process_) CloseHandle(process_);
}

double TProcessProbe::CpuMs() const
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process_ || !GetProcessTimes(process_, &created, &exited, &kernel, &user)) return 0;
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

SIZE_T TProcessProbe::WorkingSet() const { return Counters(process_).WorkingSetSize; }
SIZE_T TProcessProbe::PeakWorkingSet() const { return Counters(process_).PeakWorkingSetSize; }
SIZE_T TProcessProbe::CommittedBytes() const { return Counters(process_).PagefileUsage; }

std::wstring Fixed(double value, int decimals)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%.*f", decimals, value);
    return text;
}

std::wstring Megabytes(SIZE_T bytes) { return Fixed(static_cast<double>(bytes) / (1024.0 * 1024.0), 2) + L" MB"; }
