// Connect, add a group, add every item, remove the group, disconnect: many
// times over, watching the server's committed memory.
#include "BenchCases.h"
#include "BenchTarget.h"

namespace {

void OneCycle(const std::wstring& progId, const std::vector<std::wstring>& ids)
{
    TOpcConnection connection(progId, L"OpcBench cycle");
    TOpcGroup group(connection, L"cycle", true, 1000);
    if (ids.empty()) return;
    for (const auto& item : group.AddItems(ids)) connection.Require(item.Error, L"adding " + item.ItemId);
}  // the group is removed, then the server object released

}  // namespace

TCycles MeasureCycles(const std::wstring& progId, const std::vector<std::wstring>& ids, TProcessProbe& server,
                      int cycles)
{
    // The first cycles fill the server's caches and heaps once.
    for (int i = 0; i < 20; ++i) OneCycle(progId, ids);
    PumpFor(1500);
    TCycles result;
    result.Cycles = cycles;
    result.Before = server.CommittedBytes();
    const double start = NowMs();
    for (int i = 0; i < cycles; ++i) {
        OneCycle(progId, ids);
        if ((i + 1) % 100 == 0) result.Trace.push_back(server.CommittedBytes());
    }
    result.MsPerCycle = (NowMs() - start) / cycles;
    PumpFor(1500);  // the server ends its last disconnect
    result.After = server.CommittedBytes();
    return result;
}
