// Small pieces the benchmark's cases share: clocks, statistics, a message
// pump and the measurements of another process.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "com/UniqueHandle.h"

// Milliseconds from the performance counter.
double NowMs();

// The q-quantile (0..1) of the samples, by nearest rank; 0 without samples.
double Quantile(std::vector<double> samples, double q);
inline double Median(const std::vector<double>& samples) { return Quantile(samples, 0.5); }

// Dispatches messages for ms milliseconds (callbacks into this apartment).
void PumpFor(double ms);
// Pumps until done() or timeoutMs; returns done().
template <class Done>
bool PumpUntil(Done done, double timeoutMs)
{
    const double end = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() >= end) return false;
        PumpFor(1);
    }
    return true;
}

// Under Wine: the Linux process behind a Windows program (by its executable's
// file name, when exactly one runs in this process's Wine prefix), 0
// otherwise; and the CPU time of a Linux process in milliseconds from /proc
// (user and system, all threads).
int UnixProcessOf(const std::wstring& exeFileName);
double UnixCpuMs(int unixPid);

// The Windows process ID of the one running program with that file name; 0
// when none or several run.
DWORD ProcessIdOf(const std::wstring& exeFileName);

// Starts a program that lies beside this one with the arguments; returns its
// process handle, empty when it could not be started.
TUniqueHandle StartBeside(const wchar_t* exe, const std::wstring& args);

// CPU time and memory of another process.
class TProcessProbe {
public:
    TProcessProbe() = default;
    // unixPid: the process as Linux sees it, for its CPU time under Wine.
    TProcessProbe(DWORD processId, int unixPid);
    TProcessProbe(const TProcessProbe&) = delete;
    TProcessProbe& operator=(const TProcessProbe&) = delete;

    bool Valid() const noexcept { return bool(process_); }
    DWORD Id() const noexcept { return id_; }
    // Kernel plus user time in milliseconds: from /proc under Wine, whose
    // process times of another process fall far short of it.
    double CpuMs() const;
    // What GetProcessTimes reports, for comparison.
    double ReportedCpuMs() const;
    // Bytes.
    SIZE_T WorkingSet() const;
    SIZE_T PeakWorkingSet() const;
    // Committed private memory: PagefileUsage, since Wine leaves PrivateUsage 0.
    SIZE_T CommittedBytes() const;

private:
    TUniqueHandle process_;
    DWORD id_ = 0;
    int unixPid_ = 0;
};

std::wstring Megabytes(SIZE_T bytes);
std::wstring Fixed(double value, int decimals);
