// The benchmark's cases against the real server; each returns its figures.
#pragma once
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "OpcConnection.h"

struct TLatency {
    double MedianMs = 0;
    double P95Ms = 0;
    size_t Samples = 0;
    size_t Missed = 0;  // writes whose change never arrived
};

// Write-to-OnDataChange latency of one client at rateMs, in alternating
// blocks without and with a second client (its own process) whose
// OnDataChange never returns until the case releases it at its end.
struct THungClient {
    TLatency Without, With;
    int Blocks = 0;        // blocks with the hung client present
    int Hung = 0;          // of those, blocks in which it really held its callback
    std::wstring Problem;  // what went wrong with the hung client, if anything
};
THungClient MeasureHungClient(const std::wstring& progId, DWORD rateMs, size_t samples);
// The hung client itself (OpcBench --hung-client NAME): it connects,
// subscribes to the latency item and holds its first callback until the
// event NAME.release is set (or a cap passes); NAME.entered says it holds.
int RunHungClient(const std::wstring& progId, const std::wstring& eventsName);

struct TLoad {
    double CpuPercent = 0;          // of one core, over the window
    double ReportedCpuPercent = 0;  // the same from GetProcessTimes
    double IdleCpuPercent = 0;
    double WineServerCpuPercent = -1;  // Wine's window and message server, when known
    SIZE_T WorkingSet = 0, IdleWorkingSet = 0, PeakWorkingSet = 0;
    size_t Delivered = 0;  // item changes that arrived in the window
    size_t Expected = 0;   // item changes the writes made, times the groups
    size_t Lost = 0;       // expected (group, item, value) that never arrived
    double Seconds = 0;
};
// clients x groups x all items at rateMs while a writer plays the run model
// once a second.
// wineServerPid: Wine's server process (Linux pid) for its share, or 0.
TLoad MeasureLoad(const std::wstring& progId, const std::vector<std::wstring>& ids, TProcessProbe& server, int clients,
                  int groups, DWORD rateMs, double seconds, int wineServerPid = 0);

struct THeavyLoad {
    double Seconds = 0;
    size_t Values = 0;  // values all clients received in the window
    double ValuesPerSecond = 0;
    double CpuPercent = 0;       // of one core
    double RoundsPerSecond = 0;  // write rounds the writer managed
    double ChangedPerRound = 0;  // items that took a new value, per round
    size_t Expected = 0;         // (group, item, value) that the rounds stored
    size_t Lost = 0;             // of those, never received by that group
    std::wstring Problem;
};
// clients, each on a thread (an apartment) of its own, with groups x all
// items at rateMs, while a writer gives every item a new value every changeMs.
THeavyLoad MeasureHeavyLoad(const std::wstring& progId, const std::vector<std::wstring>& ids,
                            const TProcessProbe& server, int clients, int groups, DWORD rateMs, DWORD changeMs,
                            double seconds);

struct TCycles {
    SIZE_T Before = 0, After = 0;
    double MsPerCycle = 0;
    int Cycles = 0;
    std::vector<SIZE_T> Trace;  // committed memory after every 100 cycles
};
// Connect, add group, add items, remove the group, disconnect; committed
// memory of the server before and after.
TCycles MeasureCycles(const std::wstring& progId, const std::vector<std::wstring>& ids, TProcessProbe& server,
                      int cycles);

struct TGroupNames {
    int Groups = 0;
    double UnnamedMs = 0;  // median AddGroup without a name, on a server object holding Groups groups
    double NamedMs = 0;    // the same with the client's names
};
// AddGroup on a server object that already holds that many groups, the last
// hundred calls of each kind.
TGroupNames MeasureGroupNames(const std::wstring& progId, int groups);
