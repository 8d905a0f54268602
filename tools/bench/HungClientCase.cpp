// A client that hangs in its data callback, and what another client's
// write-to-OnDataChange latency is while it hangs. The hung client runs in a
// process of its own (OpcBench --hung-client), as a hung client program
// would; named events tell when it holds its callback and release it.
#include <algorithm>

#include "BenchCases.h"
#include "HResultText.h"
#include "LatencyProbe.h"
#include "WatchSinks.h"
#include "com/UniqueHandle.h"

namespace {

// Longest a hung client holds, so that a run whose releaser died still ends.
constexpr DWORD kHangCapMs = 120000;

class THangingSink final : public TDataChangeSink {
public:
    THangingSink(HANDLE entered, HANDLE release) : entered_(entered), release_(release) {}

    // Holds the server's call without pumping, as a client stuck in its own
    // work would.
    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                              HRESULT*) noexcept override
    {
        SetEvent(entered_);
        WaitForSingleObject(release_, kHangCapMs);
        return S_OK;
    }

private:
    HANDLE entered_, release_;
};

TLatency Summary(const TLatencySamples& samples)
{
    return {Median(samples.Ms), Quantile(samples.Ms, 0.95), samples.Ms.size(), samples.Missed};
}

// Both events of one hung client, owned by the case.
struct THungEvents {
    TUniqueEvent Entered, Release;
    explicit THungEvents(const std::wstring& name)
        : Entered(CreateEventW(nullptr, TRUE, FALSE, (name + L".entered").c_str())),
          Release(CreateEventW(nullptr, TRUE, FALSE, (name + L".release").c_str()))
    {
    }
};

bool PumpUntilSignalled(HANDLE handle, double timeoutMs)
{
    return PumpUntil([&] { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

}  // namespace

int RunHungClient(const std::wstring& progId, const std::wstring& eventsName)
{
    const TUniqueEvent entered(OpenEventW(EVENT_MODIFY_STATE, FALSE, (eventsName + L".entered").c_str()));
    const TUniqueEvent release(OpenEventW(SYNCHRONIZE, FALSE, (eventsName + L".release").c_str()));
    if (!entered || !release) return 2;
    int exit = 0;
    try {
        TOpcConnection connection(progId, L"OpcBench hung client");
        TOpcGroup group(connection, L"hung", true, 20);
        for (const auto& item : group.AddItems({kLatencyItem})) connection.Require(item.Error, L"adding the item");
        auto sink = MakeComObject<THangingSink>(entered.get(), release.get());
        auto container = group.As<IConnectionPointContainer>(L"IConnectionPointContainer");
        ComPtr<IConnectionPoint> point;
        connection.Require(container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf()),
                           L"FindConnectionPoint");
        DWORD cookie = 0;
        connection.Require(point->Advise(sink.Get(), &cookie), L"Advise");
        // The refresh after Advise arrives here and hangs in the sink.
        PumpUntilSignalled(release.get(), kHangCapMs);
        point->Unadvise(cookie);
    } catch (const EClientError&) {
        exit = 1;
    }
    return exit;
}

THungClient MeasureHungClient(const std::wstring& progId, DWORD rateMs, size_t samples)
{
    // A change that has not arrived after 50 periods is not coming.
    const double waitMs = 50.0 * rateMs;
    TLatencyProbe probe(progId, rateMs);
    TLatencySamples without, with;
    THungClient result;
    // Two rounds of alternating blocks, so that drift of the machine touches both alike.
    const size_t block = std::max<size_t>(1, samples / 2);
    for (int round = 0; round < 2; ++round) {
        probe.Measure(block, waitMs, without);

        const std::wstring name =
            L"QuillmereBench.Hung." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(round);
        THungEvents events(name);
        const TUniqueHandle process = StartBeside(L"OpcBench.exe", L"--hung-client " + name);
        if (!process || !events.Entered || !events.Release) {
            result.Problem = L"the hung client could not be started";
            break;
        }
        ++result.Blocks;
        if (PumpUntilSignalled(events.Entered.get(), 15000)) {
            ++result.Hung;
            probe.Measure(block, waitMs, with);
        } else {
            result.Problem = L"the hung client never entered its callback";
        }
        SetEvent(events.Release.get());
        if (!PumpUntilSignalled(process.get(), 30000)) {
            // A client process, never the server: ending it harms no registration.
            TerminateProcess(process.get(), 1);
            result.Problem = L"the released hung client did not end";
        }
    }
    result.Without = Summary(without);
    result.With = Summary(with);
    return result;
}
