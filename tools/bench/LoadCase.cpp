// The load case: many clients with groups of every item at a fast rate,
// while a writer plays the run model into the server once a second. It
// measures the server's CPU and memory and checks that every change reached
// every group.
#include <map>
#include <memory>
#include <set>

#include "BenchCases.h"
#include "BenchTarget.h"
#include "ControllerClock.h"
#include "ProcessModel.h"
#include "WatchSinks.h"

namespace {

// Records, while Recording, every (item, text) a group receives.
class TRecordingSink final : public TDataChangeSink {
public:
    explicit TRecordingSink(const bool& recording) : recording_(recording) {}

    size_t Delivered = 0;
    std::map<OPCHANDLE, std::set<std::wstring>> Seen;

    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE* clients, VARIANT* values,
                              WORD*, FILETIME*, HRESULT* errors) noexcept override
    {
        if (!recording_ || !clients || !values || !errors) return S_OK;
        try {
            for (DWORD i = 0; i < count; ++i) {
                ++Delivered;
                const VARIANT& v = values[i];
                if (SUCCEEDED(errors[i]) && V_VT(&v) == VT_BSTR)
                    Seen[clients[i]].insert(std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))));
            }
        } catch (...) {
            // Out of memory while recording: the values not recorded count as lost.
        }
        return S_OK;
    }

private:
    const bool& recording_;
};

struct TSubscribedGroup {
    std::unique_ptr<TOpcGroup> Group;
    ComPtr<IConnectionPoint> Point;
    DWORD Cookie = 0;
    ComPtr<TRecordingSink> Sink;
};

struct TLoadClient {
    std::unique_ptr<TOpcConnection> Connection;
    std::vector<TSubscribedGroup> Groups;
};


}  // namespace

TLoad MeasureLoad(const std::wstring& progId, const std::vector<std::wstring>& ids, TProcessProbe& server, int clients,
                  int groups, DWORD rateMs, double seconds, int wineServerPid)
{
    TLoad load;
    // The server at rest, with only the benchmark's other connections.
    {
        const double cpu0 = server.CpuMs(), t0 = NowMs();
        PumpFor(5000);
        load.IdleCpuPercent = (server.CpuMs() - cpu0) * 100.0 / (NowMs() - t0);
        load.IdleWorkingSet = server.WorkingSet();
    }

    bool recording = false;
    std::vector<TLoadClient> all(static_cast<size_t>(clients));
    for (auto& client : all) {
        client.Connection = std::make_unique<TOpcConnection>(progId, L"OpcBench load");
        for (int g = 0; g < groups; ++g) {
            TSubscribedGroup sub;
            sub.Group = std::make_unique<TOpcGroup>(*client.Connection, L"", true, rateMs);
            for (const auto& item : sub.Group->AddItems(ids))
                client.Connection->Require(item.Error, L"adding " + item.ItemId);
            auto container = sub.Group->As<IConnectionPointContainer>(L"IConnectionPointContainer");
            client.Connection->Require(container->FindConnectionPoint(IID_IOPCDataCallback, sub.Point.GetAddressOf()),
                                       L"FindConnectionPoint");
            sub.Sink = MakeComObject<TRecordingSink>(recording);
            client.Connection->Require(sub.Point->Advise(sub.Sink.Get(), &sub.Cookie), L"Advise");
            client.Groups.push_back(std::move(sub));
        }
    }

    // The writer: the simulator's run model, written once a second; what the
    // server stored is read back, so the expected changes are the server's
    // own texts (it formats numbers as it stores them).
    TBenchTarget writer(progId, ids);
    TProcessModel model(DecimalSeparator(), 11);
    model.Start();
    std::map<std::wstring, size_t> index;
    for (size_t i = 0; i < ids.size(); ++i) index[ids[i]] = i;
    auto writeRound = [&] {
        std::vector<OPCHANDLE> handles;
        std::vector<std::wstring> texts;
        for (const auto& v : model.Values(ControllerDateTime())) {
            handles.push_back(writer.Handles()[index.at(v.ItemId)]);
            texts.push_back(v.Text);
        }
        writer.WriteTexts(handles, texts);
    };
    writeRound();
    PumpFor(2000);  // the refreshes after Advise and the first round settle

    std::vector<std::wstring> stored = writer.ReadTexts();
    // expected[item] = the texts the item took in the window
    std::vector<std::set<std::wstring>> expected(ids.size());
    size_t expectedChanges = 0;
    recording = true;
    const double cpu0 = server.CpuMs(), reported0 = server.ReportedCpuMs(), wine0 = UnixCpuMs(wineServerPid);
    const double t0 = NowMs();
    double nextWrite = t0 + 1000;
    while (NowMs() - t0 < seconds * 1000) {
        PumpFor(std::max(0.0, nextWrite - NowMs()));
        nextWrite += 1000;
        model.Advance(1.0);
        writeRound();
        const std::vector<std::wstring> now = writer.ReadTexts();
        for (size_t i = 0; i < ids.size(); ++i) {
            if (now[i] == stored[i]) continue;
            expected[i].insert(now[i]);
            ++expectedChanges;
        }
        stored = now;
    }
    const double cpu1 = server.CpuMs(), reported1 = server.ReportedCpuMs(), wine1 = UnixCpuMs(wineServerPid);
    const double t1 = NowMs();
    load.WorkingSet = server.WorkingSet();
    load.PeakWorkingSet = server.PeakWorkingSet();
    PumpFor(500);  // the last round's callbacks
    recording = false;

    load.Seconds = (t1 - t0) / 1000.0;
    load.CpuPercent = (cpu1 - cpu0) * 100.0 / (t1 - t0);
    load.ReportedCpuPercent = (reported1 - reported0) * 100.0 / (t1 - t0);
    if (wineServerPid) load.WineServerCpuPercent = (wine1 - wine0) * 100.0 / (t1 - t0);
    const size_t groupCount = static_cast<size_t>(clients) * static_cast<size_t>(groups);
    load.Expected = expectedChanges * groupCount;
    for (auto& client : all) {
        for (auto& sub : client.Groups) {
            load.Delivered += sub.Sink->Delivered;
            for (size_t i = 0; i < ids.size(); ++i) {
                const auto& seen = sub.Sink->Seen[static_cast<OPCHANDLE>(i + 1)];
                for (const auto& text : expected[i]) load.Lost += seen.count(text) ? 0 : 1;
            }
            sub.Point->Unadvise(sub.Cookie);
        }
        client.Groups.clear();
        client.Connection.reset();
    }
    return load;
}
