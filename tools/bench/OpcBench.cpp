// OpcBench.exe: measures the server against the floor server in one run and
// prints one table, every figure beside its floor, PASS or MISS per target.
//
//   OpcBench [--cycles N] [--load-seconds N] [--heavy-seconds N] [--samples N] [--clients N] [--cycle-items N]
//            [--groups N]
//   OpcBench --profile additems|read|write|cycles|load|heavy   (a profile of the server instead)
//   OpcBench --hung-client NAME   (the hung client of the latency case, started by it)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Activation.h"
#include "BenchCases.h"
#include "BenchTarget.h"
#include "FloorIds.h"
#include "HResultText.h"
#include "ProcessModel.h"
#include "Report.h"
#include "Sampler.h"

namespace {

constexpr wchar_t kServerProgId[] = L"srvZEV30.TZEV30.1";

struct TOptions {
    int Cycles = 1000;
    double LoadSeconds = 30;
    double HeavySeconds = 10;  // each of the three heavy-load windows
    size_t Samples = 200;      // per timed call
    int Clients = 20;
    std::wstring Profile;     // a case to profile instead of the table
    int WineServerPid = 0;    // Linux pid of the prefix's wineserver, from tools/bench.sh
    int CycleItems = -1;      // items added per cycle; all when negative
    int Groups = 2000;        // groups a server object holds when AddGroup is timed
    std::wstring HungClient;  // run as the hung client with these events
};

enum class TVerdict { None, Pass, Miss };

struct TRow {
    std::wstring Measure, Server, Floor, Ratio, Target;
    TVerdict Verdict = TVerdict::None;
};

TVerdict Verdict(bool met) { return met ? TVerdict::Pass : TVerdict::Miss; }

void Say(const std::wstring& text)
{
    const std::string line = WideToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::wstring Ms(double ms) { return Fixed(ms, ms < 10 ? 3 : 1) + L" ms"; }
std::wstring Times(double ratio) { return Fixed(ratio, 2) + L"x"; }

int RunBeside(const wchar_t* exe, const wchar_t* args)
{
    const TUniqueHandle process = StartBeside(exe, args);
    if (!process) return -1;
    WaitForSingleObject(process.get(), 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

ComPtr<IClassFactory> ClassObject(const wchar_t* progId)
{
    CLSID clsid{};
    ComPtr<IClassFactory> factory;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoGetClassObject(clsid, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(factory.GetAddressOf()));
    if (FAILED(hr)) throw EClientError{std::wstring(L"the class object of ") + progId + L": " + DescribeHResult(hr)};
    return factory;
}

// Medians of per-call times, server and floor measured in alternating
// blocks so that drift of the machine touches both alike.
template <class Call>
std::pair<double, double> MedianPair(TBenchTarget& server, TBenchTarget& floor, size_t samples, Call call)
{
    std::vector<double> s, f;
    for (int warm = 0; warm < 10; ++warm) {
        call(server);
        call(floor);
    }
    const size_t block = std::max<size_t>(1, samples / 10);
    while (s.size() < samples) {
        for (size_t i = 0; i < block; ++i) s.push_back(call(server));
        for (size_t i = 0; i < block; ++i) f.push_back(call(floor));
    }
    return {Median(s), Median(f)};
}

TRow CallRow(const std::wstring& measure, std::pair<double, double> times, double targetRatio)
{
    TRow row{measure, Ms(times.first), Ms(times.second), Times(times.first / times.second), L""};
    if (targetRatio > 0) {
        row.Target = L"<= " + Fixed(targetRatio, 1) + L"x floor";
        row.Verdict = Verdict(times.first <= targetRatio * times.second);
    }
    return row;
}

void PrintTable(const std::vector<TRow>& rows)
{
    std::vector<TRecord> records;
    for (const auto& r : rows)
        records.push_back({TextField(L"Measure", r.Measure), TextField(L"Server", r.Server),
                           TextField(L"Floor / reference", r.Floor), TextField(L"Ratio", r.Ratio),
                           TextField(L"Target", r.Target),
                           TextField(L"Result", r.Verdict == TVerdict::Pass   ? L"PASS"
                                                : r.Verdict == TVerdict::Miss ? L"MISS"
                                                                              : L"")});
    const std::string text = TableText(records);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool ParseOptions(int argc, wchar_t** argv, TOptions& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring arg = argv[i];
        if (arg == L"--profile") {
            options.Profile = argv[i + 1];
            continue;
        }
        if (arg == L"--hung-client") {
            options.HungClient = argv[i + 1];
            continue;
        }
        if (arg == L"--wineserver-pid") {
            options.WineServerPid = _wtoi(argv[i + 1]);
            continue;
        }
        const double value = std::wcstod(argv[i + 1], nullptr);
        if (value < 0 || (value == 0 && arg != L"--cycle-items")) return false;
        if (arg == L"--cycles")
            options.Cycles = static_cast<int>(value);
        else if (arg == L"--load-seconds")
            options.LoadSeconds = value;
        else if (arg == L"--heavy-seconds")
            options.HeavySeconds = value;
        else if (arg == L"--samples")
            options.Samples = static_cast<size_t>(value);
        else if (arg == L"--clients")
            options.Clients = static_cast<int>(value);
        else if (arg == L"--cycle-items")
            options.CycleItems = static_cast<int>(value);
        else if (arg == L"--groups")
            options.Groups = static_cast<int>(value);
        else
            return false;
    }
    return argc % 2 == 1;
}

// The items of the Float family, which the server stores as formatted numbers.
std::vector<size_t> FormattedItems(const std::vector<std::wstring>& ids)
{
    std::vector<size_t> formatted;
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i].rfind(L"Float.", 0) == 0) formatted.push_back(i);
    return formatted;
}

// One write of new numbers to the formatted items.
double WriteFormatted(TBenchTarget& t, const std::vector<size_t>& formatted, int round)
{
    std::vector<OPCHANDLE> handles;
    std::vector<std::wstring> texts;
    for (size_t i : formatted) {
        handles.push_back(t.Handles()[i]);
        texts.push_back(std::to_wstring(round % 100) + (round % 2 ? L".25" : L".5"));
    }
    return t.WriteTexts(handles, texts);
}

// Runs one case while sampling the server's busiest thread; prints the profile.
int Profile(const TOptions& options, const std::vector<std::wstring>& ids, TProcessProbe& server)
{
    TBenchTarget real(kServerProgId, ids);
    const std::vector<size_t> formatted = FormattedItems(ids);
    TSampler sampler(server.Id());
    Say(L"profiling " + options.Profile);
    sampler.Start();
    if (options.Profile == L"additems") {
        for (size_t i = 0; i < options.Samples; ++i) real.AddAllItems();
    } else if (options.Profile == L"read") {
        for (size_t i = 0; i < options.Samples; ++i) real.ReadAll(OPC_DS_CACHE);
    } else if (options.Profile == L"write") {
        for (size_t i = 0; i < options.Samples; ++i) WriteFormatted(real, formatted, static_cast<int>(i));
    } else if (options.Profile == L"cycles") {
        MeasureCycles(kServerProgId, ids, server, options.Cycles);
    } else if (options.Profile == L"load") {
        MeasureLoad(kServerProgId, ids, server, options.Clients, 2, 20, options.LoadSeconds, options.WineServerPid);
    } else if (options.Profile == L"heavy") {
        MeasureHeavyLoad(kServerProgId, ids, server, options.Clients, 2, 20, 20, options.HeavySeconds);
    } else {
        sampler.Stop();
        Say(L"OpcBench: no such case to profile: " + options.Profile);
        return 2;
    }
    sampler.Stop();
    const std::string report = sampler.Report(60);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return 0;
}

int Bench(const TOptions& options)
{
    std::vector<TRow> rows;
    // Both servers' class objects stay held for the run. Under Wine, a local
    // server's stub for its class object goes with the last proxy of it, and
    // that unregisters the interface while waiting for its calls to end; now
    // and then the wait misses the end of the activation call that just
    // returned and the server hangs for good (seen here after some thousand
    // activations; stacks in the notes of this benchmark's commit).
    const ComPtr<IClassFactory> serverClass = ClassObject(kServerProgId);
    const ComPtr<IClassFactory> floorClass = ClassObject(kFloorProgId);
    TOpcConnection keeper(kServerProgId, L"OpcBench keeper");  // keeps one server process for the whole run
    OPCSERVERSTATUS* status = nullptr;
    keeper.Require(keeper.Server()->GetStatus(&status), L"GetStatus");
    const FILETIME started = status->ftStartTime;
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
    const TAnsweringProcess answering = FindAnsweringProcess(L"srvZEV30.exe", started);
    const int unixPid = RunningUnderWine() ? UnixProcessOf(L"srvZEV30.exe") : 0;
    TProcessProbe server(answering.Id, unixPid);
    if (!server.Valid()) throw EClientError{L"the server's process could not be found or opened"};
    Say(L"server process " + std::to_wstring(answering.Id) +
        (unixPid ? L", Linux process " + std::to_wstring(unixPid) : std::wstring()));

    const std::vector<std::wstring> ids = BrowseAllItems(keeper);
    // The items hold a run's values, as they do in production.
    {
        std::vector<std::wstring> written, texts;
        for (const auto& v : TProcessModel().Values(L"1/2/2024 10:11:12 AM")) {
            written.push_back(v.ItemId);
            texts.push_back(v.Text);
        }
        for (const auto& id : TProcessModel::InputItemIds()) {
            written.push_back(id);
            texts.push_back(L"0");
        }
        WriteItems(keeper, written, texts);
    }

    if (!options.Profile.empty()) return Profile(options, ids, server);

    TBenchTarget real(kServerProgId, ids);
    TBenchTarget floor(kFloorProgId, ids);
    Say(L"timed calls");
    const auto status2 = MedianPair(real, floor, options.Samples, [](TBenchTarget& t) { return t.GetStatus(); });
    rows.push_back(CallRow(L"GetStatus round trip", status2, 0));
    rows.push_back(
        CallRow(L"SyncIO Read 132 items, cache",
                MedianPair(real, floor, options.Samples, [](TBenchTarget& t) { return t.ReadAll(OPC_DS_CACHE); }),
                1.1));
    rows.push_back(
        CallRow(L"SyncIO Read 132 items, device",
                MedianPair(real, floor, options.Samples, [](TBenchTarget& t) { return t.ReadAll(OPC_DS_DEVICE); }), 0));
    rows.push_back(
        CallRow(L"AddItems 132 items",
                MedianPair(real, floor, options.Samples / 2, [](TBenchTarget& t) { return t.AddAllItems(); }), 1.2));
    {
        const std::vector<size_t> formatted = FormattedItems(ids);
        int round = 0;
        auto write = [&](TBenchTarget& t) { return WriteFormatted(t, formatted, round++); };
        rows.push_back(CallRow(L"SyncIO Write " + std::to_wstring(formatted.size()) + L" formatted items",
                               MedianPair(real, floor, options.Samples, write), 0));
    }

    Say(L"group names");
    const TGroupNames names = MeasureGroupNames(kServerProgId, options.Groups);
    rows.push_back({L"AddGroup without a name at " + std::to_wstring(names.Groups) + L" groups", Ms(names.UnnamedMs),
                    Ms(names.NamedMs) + L" named", Times(names.UnnamedMs / names.NamedMs), L"<= 1.5x named",
                    Verdict(names.UnnamedMs <= 1.5 * names.NamedMs)});

    Say(L"latency, without and with a hung client");
    const THungClient hung = MeasureHungClient(kServerProgId, 20, options.Samples);
    if (!hung.Problem.empty()) Say(L"hung client: " + hung.Problem);
    const TLatency& latency = hung.Without;
    const double bound = 20.0 + 2 * status2.second;
    rows.push_back({L"Write to OnDataChange, median (20 ms group)", Ms(latency.MedianMs),
                    Ms(bound) + L" = 20 ms + 2 round trips", Times(latency.MedianMs / bound), L"<= bound",
                    Verdict(latency.Samples > 0 && latency.MedianMs <= bound)});
    rows.push_back({L"Write to OnDataChange, 95th percentile", Ms(latency.P95Ms), Ms(bound),
                    Times(latency.P95Ms / bound),
                    latency.Missed ? std::to_wstring(latency.Missed) + L" never arrived" : L"", TVerdict::None});
    {
        // The figures without the hung client are the floor; a change that
        // never arrived while it hung is a miss whatever the others show.
        const bool held = hung.Blocks > 0 && hung.Hung == hung.Blocks;
        auto hungRow = [&](const std::wstring& measure, double with, double without) {
            std::wstring figure = hung.With.Samples ? Ms(with) : L"none arrived";
            if (hung.With.Missed) figure += L", " + std::to_wstring(hung.With.Missed) + L" never arrived";
            if (!held) figure += L" (no client hung)";
            return TRow{measure,
                        figure,
                        Ms(without) + L" without it",
                        hung.With.Samples ? Times(with / without) : L"",
                        L"<= 1.2x without",
                        Verdict(held && hung.With.Samples > 0 && hung.With.Missed == 0 && with <= 1.2 * without)};
        };
        rows.push_back(
            hungRow(L"Write to OnDataChange beside a hung client, median", hung.With.MedianMs, latency.MedianMs));
        rows.push_back(
            hungRow(L"Write to OnDataChange beside a hung client, 95th percentile", hung.With.P95Ms, latency.P95Ms));
    }

    Say(L"load");
    const TLoad load =
        MeasureLoad(kServerProgId, ids, server, options.Clients, 2, 20, options.LoadSeconds, options.WineServerPid);
    Say(L"server CPU " + Fixed(load.CpuPercent, 1) + L" % (GetProcessTimes reports " +
        Fixed(load.ReportedCpuPercent, 1) + L" %)");
    const std::wstring loadName =
        std::to_wstring(options.Clients) + L" clients x 2 groups x " + std::to_wstring(ids.size()) + L" items at 20 ms";
    rows.push_back({L"Server CPU, " + loadName, Fixed(load.CpuPercent, 1) + L" %",
                    Fixed(load.IdleCpuPercent, 1) + L" % idle", L"", L"< 30 % of a core",
                    Verdict(load.CpuPercent < 30)});
    if (load.WineServerCpuPercent >= 0)
        rows.push_back({L"Wine's server CPU under that load (platform)", Fixed(load.WineServerCpuPercent, 1) + L" %",
                        L"", L"", L"", TVerdict::None});
    rows.push_back({L"Server working set under that load", Megabytes(load.WorkingSet),
                    Megabytes(load.IdleWorkingSet) + L" idle", Times(double(load.WorkingSet) / load.IdleWorkingSet),
                    L"", TVerdict::None});
    rows.push_back({L"Item changes delivered / expected (" + Fixed(load.Seconds, 0) + L" s)",
                    std::to_wstring(load.Delivered), std::to_wstring(load.Expected) + L" expected",
                    std::to_wstring(load.Lost) + L" lost", L"0 lost", Verdict(load.Lost == 0 && load.Expected > 0)});

    Say(L"heavy load");
    {
        // The floor's CPU under the same load, from its Linux process as the server's.
        TProcessProbe floorProbe(ProcessIdOf(L"FloorServer.exe"),
                                 RunningUnderWine() ? UnixProcessOf(L"FloorServer.exe") : 0);
        const THeavyLoad every =
            MeasureHeavyLoad(kServerProgId, ids, server, options.Clients, 2, 20, 20, options.HeavySeconds);
        const THeavyLoad floorEvery =
            MeasureHeavyLoad(kFloorProgId, ids, floorProbe, options.Clients, 2, 20, 20, options.HeavySeconds);
        const THeavyLoad every50 =
            MeasureHeavyLoad(kServerProgId, ids, server, options.Clients, 2, 20, 50, options.HeavySeconds);
        for (const THeavyLoad* h : {&every, &floorEvery, &every50})
            if (!h->Problem.empty()) Say(L"heavy load: " + h->Problem);
        const std::wstring shape = std::to_wstring(options.Clients) + L" clients x 2 groups x " +
                                   std::to_wstring(ids.size()) + L" items at 20 ms";
        const std::wstring counted = L" (" + std::to_wstring(ids.size() - 1) + L" items by (group, item, value))";
        auto perSecond = [](double v) { return Fixed(v, 0) + L"/s"; };
        auto lost = [](const THeavyLoad& h) { return std::to_wstring(h.Lost) + L" of " + std::to_wstring(h.Expected); };
        rows.push_back(
            {L"Values delivered, " + shape + L", every item changing every 20 ms", perSecond(every.ValuesPerSecond),
             perSecond(floorEvery.ValuesPerSecond) + L" (" + std::to_wstring(options.Clients) + L" threads)",
             Times(every.ValuesPerSecond / floorEvery.ValuesPerSecond), L">= 0.8x floor",
             Verdict(floorEvery.ValuesPerSecond > 0 && every.ValuesPerSecond >= 0.8 * floorEvery.ValuesPerSecond)});
        rows.push_back({L"  changes lost at that load" + counted, lost(every), L"", L"", L"", TVerdict::None});
        rows.push_back({L"  server CPU at that load", Fixed(every.CpuPercent, 1) + L" %",
                        floorProbe.Valid() ? Fixed(floorEvery.CpuPercent, 1) + L" %" : L"?", L"", L"", TVerdict::None});
        rows.push_back({L"  write rounds per second (items changed per round)",
                        Fixed(every.RoundsPerSecond, 1) + L" (" + Fixed(every.ChangedPerRound, 0) + L")",
                        Fixed(floorEvery.RoundsPerSecond, 1), L"", L"", TVerdict::None});
        rows.push_back({L"Changes lost, every item changing every 50 ms" + counted, lost(every50), L"", L"", L"0 lost",
                        Verdict(every50.Lost == 0 && every50.Expected > 0)});
        rows.push_back({L"  values delivered and server CPU at that load",
                        perSecond(every50.ValuesPerSecond) + L", " + Fixed(every50.CpuPercent, 1) + L" %", L"", L"",
                        L"", TVerdict::None});
    }

    Say(L"cycles");
    std::vector<std::wstring> cycleIds = ids;
    if (options.CycleItems >= 0 && static_cast<size_t>(options.CycleItems) < ids.size())
        cycleIds.resize(static_cast<size_t>(options.CycleItems));
    const TCycles cycles = MeasureCycles(kServerProgId, cycleIds, server, options.Cycles);
    TProcessProbe floorProcess(ProcessIdOf(L"FloorServer.exe"), 0);
    const TCycles floorCycles = MeasureCycles(kFloorProgId, cycleIds, floorProcess, options.Cycles);
    std::wstring trace = L"server's committed memory every 100 cycles:";
    for (SIZE_T bytes : cycles.Trace) trace += L" " + Megabytes(bytes);
    Say(trace);
    auto growth = [](const TCycles& c) { return static_cast<double>(c.After) - static_cast<double>(c.Before); };
    auto signedMb = [](double bytes) {
        return (bytes >= 0 ? L"+" : L"-") + Megabytes(static_cast<SIZE_T>(bytes >= 0 ? bytes : -bytes));
    };
    const std::wstring cycleName = L" over " + std::to_wstring(cycles.Cycles) + L" connect/add " +
                                   std::to_wstring(cycleIds.size()) + L" items/remove cycles";
    const std::wstring raw = signedMb(growth(cycles)) + L" (" + Megabytes(cycles.Before) + L" before)";
    if (floorProcess.Valid()) {
        // What a server that does nothing grows by over the same cycles is
        // COM's and the platform's; the rest is the server's own.
        const double own = growth(cycles) - std::max(0.0, growth(floorCycles));
        rows.push_back({L"Committed memory growth" + cycleName + L", the server's own", signedMb(own),
                        L"raw: server " + raw + L", floor " + signedMb(growth(floorCycles)), L"", L"growth < 1 MB",
                        Verdict(own < 1024.0 * 1024.0)});
    } else {
        rows.push_back({L"Committed memory growth" + cycleName + L" (raw, no floor)", raw, L"?", L"", L"growth < 1 MB",
                        Verdict(growth(cycles) < 1024.0 * 1024.0)});
    }
    rows.push_back({L"One connect/add/remove cycle", Ms(cycles.MsPerCycle), Ms(floorCycles.MsPerCycle),
                    Times(cycles.MsPerCycle / floorCycles.MsPerCycle), L"", TVerdict::None});

    PrintTable(rows);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(
            "Usage: OpcBench [--cycles N] [--load-seconds N] [--heavy-seconds N] [--samples N] [--clients N]\n"
            "                [--cycle-items N] [--groups N]\n"
            "       OpcBench --profile additems|read|write|cycles|load|heavy [same options]\n",
            stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    if (!options.HungClient.empty()) {
        const int hungExit = RunHungClient(kServerProgId, options.HungClient);
        CoUninitialize();
        return hungExit;
    }
    if (RunBeside(L"FloorServer.exe", L"/RegServer") != 0) {
        Say(L"OpcBench: the floor server could not be registered");
        return 2;
    }
    int exit = 2;
    try {
        exit = Bench(options);
    } catch (const EClientError& e) {
        Say(L"OpcBench: " + e.Message);
    }
    CoUninitialize();
    RunBeside(L"FloorServer.exe", L"/UnregServer");
    return exit;
}
