// Write-to-OnDataChange latency: a unique text is written through one group
// and timed until a second group's callback carries it.
#include <random>

#include "BenchCases.h"
#include "BenchTarget.h"
#include "WatchSinks.h"
#include "com/ComBoundary.h"

namespace {

constexpr wchar_t kLatencyItem[] = L"String.Remote State";

class TArrivalSink final : public TDataChangeSink {
public:
    std::wstring Awaited;
    double ArrivedAt = 0;

    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE*, VARIANT* values, WORD*,
                              FILETIME*, HRESULT*) noexcept override
    {
        const double now = NowMs();
        for (DWORD i = 0; i < count && values; ++i) {
            const VARIANT& v = values[i];
            if (V_VT(&v) == VT_BSTR && Awaited == std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)))) ArrivedAt = now;
        }
        return S_OK;
    }
};

}  // namespace

TLatency MeasureLatency(const std::wstring& progId, DWORD rateMs, size_t samples)
{
    TBenchTarget writer(progId, {kLatencyItem});
    TOpcConnection subscriber(progId, L"OpcBench latency");
    TOpcGroup group(subscriber, L"latency", true, rateMs);
    group.AddItems({kLatencyItem});
    auto sink = MakeComObject<TArrivalSink>();
    auto container = group.As<IConnectionPointContainer>(L"IConnectionPointContainer");
    ComPtr<IConnectionPoint> point;
    subscriber.Require(container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf()),
                       L"FindConnectionPoint");
    DWORD cookie = 0;
    subscriber.Require(point->Advise(sink.Get(), &cookie), L"Advise");
    PumpFor(300);  // the refresh after Advise

    std::mt19937 random(7);
    std::uniform_real_distribution<double> pause(0, rateMs * 1.3);
    TLatency result;
    std::vector<double> latencies;
    for (size_t i = 0; i < samples; ++i) {
        sink->Awaited = L"latency " + std::to_wstring(i);
        sink->ArrivedAt = 0;
        const double written = NowMs();
        writer.WriteTexts(writer.Handles(), {sink->Awaited});
        if (PumpUntil([&] { return sink->ArrivedAt != 0; }, 2000))
            latencies.push_back(sink->ArrivedAt - written);
        else
            ++result.Missed;
        // A pause of random length, so writes meet every phase of the group's tick.
        PumpFor(pause(random));
    }
    point->Unadvise(cookie);
    result.Samples = latencies.size();
    result.MedianMs = Median(latencies);
    result.P95Ms = Quantile(latencies, 0.95);
    return result;
}
