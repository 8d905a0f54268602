// The heavy load: many clients, each on a thread of its own as separate
// client programs would be, with groups of every item at a fast rate, while
// every item changes every period. It counts the values that reach the
// clients per second and the changes that never reached a group.
//
// Who changes the items: a writer client that writes every item by SyncIO
// Write each period and reads back what the server stored (it formats
// numbers as it stores them), so the expected (group, item, value) are the
// server's own texts. The simulator changes only part of the items once a
// second, too few and too slow for this.
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "BenchCases.h"
#include "HResultText.h"
#include "WatchSinks.h"
#include "com/ComOwners.h"
#include "com/UniqueHandle.h"
#include "com/OpcElementCleanup.h"

namespace {

// Written by the server's own window (writing it shows or hides the window),
// so it is neither written nor counted.
constexpr wchar_t kWindowItem[] = L"Boolean.srvZEV30win";

uint64_t ValueKey(OPCHANDLE item, const wchar_t* text, size_t length)
{
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    auto mix = [&](const void* data, size_t bytes) {
        for (size_t i = 0; i < bytes; ++i) {
            hash ^= static_cast<const unsigned char*>(data)[i];
            hash *= 1099511628211ull;
        }
    };
    mix(&item, sizeof item);
    mix(text, length * sizeof(wchar_t));
    return hash;
}

struct TShared {
    std::atomic<bool> Counting{false};   // values count towards the rate
    std::atomic<bool> Recording{false};  // (item, value) are kept for the lost count
    std::atomic<size_t> Calls{0};        // every OnDataChange, to see deliveries settle
    std::atomic<int> Ready{0};
    TUniqueEvent Stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Keeps the (item, value) keys a group receives; called on its client's thread only.
class THeavySink final : public TDataChangeSink {
public:
    explicit THeavySink(TShared& shared) : shared_(shared) {}

    size_t Values = 0;
    std::vector<uint64_t> Seen;

    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE* clients, VARIANT* values,
                              WORD*, FILETIME*, HRESULT* errors) noexcept override
    {
        ++shared_.Calls;
        if (shared_.Counting) Values += count;
        if (!shared_.Recording || !clients || !values || !errors) return S_OK;
        try {
            for (DWORD i = 0; i < count; ++i) {
                const VARIANT& v = values[i];
                if (SUCCEEDED(errors[i]) && V_VT(&v) == VT_BSTR)
                    Seen.push_back(ValueKey(clients[i], V_BSTR(&v), SysStringLen(V_BSTR(&v))));
            }
        } catch (...) {
            // Out of memory while recording: the values not recorded count as lost.
        }
        return S_OK;
    }

private:
    TShared& shared_;
};

struct TClient {
    std::thread Thread;
    std::vector<ComPtr<THeavySink>> Sinks;
    std::wstring Error;
};

void RunClient(const std::wstring& progId, const std::vector<std::wstring>& ids, int groups, DWORD rateMs,
               TShared& shared, TClient& client)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool counted = false;
    try {
        TOpcConnection connection(progId, L"OpcBench heavy load");
        std::vector<std::unique_ptr<TOpcGroup>> owned;
        std::vector<std::pair<ComPtr<IConnectionPoint>, DWORD>> points;
        for (int g = 0; g < groups; ++g) {
            owned.push_back(std::make_unique<TOpcGroup>(connection, L"", true, rateMs));
            for (const auto& item : owned.back()->AddItems(ids))
                connection.Require(item.Error, L"adding " + item.ItemId);
            auto container = owned.back()->As<IConnectionPointContainer>(L"IConnectionPointContainer");
            ComPtr<IConnectionPoint> point;
            connection.Require(container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf()),
                               L"FindConnectionPoint");
            client.Sinks.push_back(MakeComObject<THeavySink>(shared));
            DWORD cookie = 0;
            connection.Require(point->Advise(client.Sinks.back().Get(), &cookie), L"Advise");
            points.emplace_back(point, cookie);
        }
        ++shared.Ready;
        counted = true;
        const HANDLE stop = shared.Stop.get();
        while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        for (auto& [point, cookie] : points) point->Unadvise(cookie);
    } catch (const EClientError& e) {
        client.Error = e.Message;
        if (!counted) ++shared.Ready;
    }
    CoUninitialize();
}

// The writer's connection: one inactive group of every item it writes.
class TWriter {
public:
    TWriter(const std::wstring& progId, const std::vector<std::wstring>& ids)
        : connection_(progId, L"OpcBench heavy writer"), group_(connection_, L"", false, 1000)
    {
        for (const auto& item : group_.AddItems(ids)) {
            connection_.Require(item.Error, L"adding " + item.ItemId);
            handles_.push_back(item.Server);
            bool_.push_back(item.CanonicalType == VT_BOOL);
        }
        io_ = group_.As<IOPCSyncIO>(L"IOPCSyncIO");
    }

    // Round k: a new number for every item, or the other state for a
    // Boolean. Returns the items the server refused.
    size_t Write(unsigned k)
    {
        std::vector<UniqueVariant> owned(handles_.size());
        std::vector<VARIANT> values;
        for (size_t i = 0; i < handles_.size(); ++i) {
            V_VT(owned[i].put()) = VT_BSTR;
            V_BSTR(&owned[i].get()) =
                UniqueBstr(bool_[i] ? std::wstring(k % 2 ? L"1" : L"0") : std::to_wstring(1000 + k)).release();
            values.push_back(owned[i].get());
        }
        TaskMemArray<HRESULT> errors;
        connection_.Require(io_->Write(static_cast<DWORD>(handles_.size()), handles_.data(), values.data(),
                                       errors.put(handles_.size())),
                            L"SyncIO Write");
        size_t refused = 0;
        for (size_t i = 0; i < handles_.size(); ++i) refused += FAILED(errors[i]) ? 1 : 0;
        return refused;
    }

    std::vector<std::wstring> Stored()
    {
        TaskMemArray<OPCITEMSTATE> states;
        TaskMemArray<HRESULT> errors;
        connection_.Require(io_->Read(OPC_DS_DEVICE, static_cast<DWORD>(handles_.size()), handles_.data(),
                                      states.put(handles_.size()), errors.put(handles_.size())),
                            L"SyncIO Read");
        std::vector<std::wstring> texts;
        for (size_t i = 0; i < handles_.size(); ++i) {
            const VARIANT& v = states[i].vDataValue;
            texts.push_back(V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"");
        }
        return texts;
    }

private:
    TOpcConnection connection_;
    TOpcGroup group_;
    std::vector<OPCHANDLE> handles_;
    std::vector<bool> bool_;
    ComPtr<IOPCSyncIO> io_;
};

}  // namespace

THeavyLoad MeasureHeavyLoad(const std::wstring& progId, const std::vector<std::wstring>& ids,
                            const TProcessProbe& server, int clients, int groups, DWORD rateMs, DWORD changeMs,
                            double seconds)
{
    THeavyLoad load;
    TShared shared;
    std::vector<TClient> all(static_cast<size_t>(clients));
    for (auto& client : all)
        client.Thread = std::thread(RunClient, std::cref(progId), std::cref(ids), groups, rateMs, std::ref(shared),
                                    std::ref(client));
    // Client handles are positions in ids plus one; the writer's items in the same order, less the window's.
    std::vector<std::wstring> written;
    std::vector<OPCHANDLE> writtenHandles;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == kWindowItem) continue;
        written.push_back(ids[i]);
        writtenHandles.push_back(static_cast<OPCHANDLE>(i + 1));
    }
    TWriter writer(progId, written);
    PumpUntil([&] { return shared.Ready == clients; }, 180000);
    for (const auto& client : all)
        if (!client.Error.empty()) load.Problem = client.Error;

    unsigned round = 0;
    if (const size_t refused = writer.Write(round++))
        load.Problem = std::to_wstring(refused) + L" items refused the written values";
    PumpFor(1000);  // the refreshes after Advise and the first round settle
    std::vector<std::wstring> stored = writer.Stored();

    std::vector<uint64_t> expected;
    size_t changed = 0;
    shared.Recording = true;
    shared.Counting = true;
    const double cpu0 = server.CpuMs(), t0 = NowMs();
    double next = t0;
    size_t rounds = 0;
    while (NowMs() - t0 < seconds * 1000) {
        PumpFor(std::max(0.0, next - NowMs()));
        writer.Write(round++);
        ++rounds;
        const std::vector<std::wstring> now = writer.Stored();
        for (size_t i = 0; i < now.size(); ++i) {
            if (now[i] == stored[i]) continue;
            expected.push_back(ValueKey(writtenHandles[i], now[i].data(), now[i].size()));
            ++changed;
        }
        stored = now;
        // A writer that falls behind drops the periods it missed instead of writing in a burst.
        next = std::max(next + changeMs, NowMs());
    }
    const double cpu1 = server.CpuMs(), t1 = NowMs();
    shared.Counting = false;
    // The last rounds' callbacks: until none has come for ten periods.
    for (double waited = 0; waited < 10000;) {
        const size_t calls = shared.Calls;
        PumpFor(10.0 * rateMs);
        waited += 10.0 * rateMs;
        if (shared.Calls == calls) break;
    }
    shared.Recording = false;
    SetEvent(shared.Stop.get());
    for (auto& client : all) client.Thread.join();

    load.Seconds = (t1 - t0) / 1000.0;
    load.CpuPercent = (cpu1 - cpu0) * 100.0 / (t1 - t0);
    load.RoundsPerSecond = static_cast<double>(rounds) / load.Seconds;
    load.ChangedPerRound = rounds ? static_cast<double>(changed) / static_cast<double>(rounds) : 0;
    // By (group, item, value), as the load case counts: a Boolean's two
    // states count once each, however often it took them.
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    for (auto& client : all) {
        for (auto& sink : client.Sinks) {
            load.Values += sink->Values;
            auto& seen = sink->Seen;
            std::sort(seen.begin(), seen.end());
            for (uint64_t key : expected) load.Lost += std::binary_search(seen.begin(), seen.end(), key) ? 0 : 1;
            load.Expected += expected.size();
        }
    }
    load.ValuesPerSecond = static_cast<double>(load.Values) / load.Seconds;
    return load;
}
