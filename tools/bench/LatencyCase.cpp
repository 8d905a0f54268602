// Write-to-OnDataChange latency: a unique text is written through one
// connection and timed until a second connection's callback carries it.
#include <random>

#include "BenchSupport.h"
#include "BenchTarget.h"
#include "LatencyProbe.h"
#include "WatchSinks.h"
#include "com/ComBoundary.h"

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

TLatencyProbe::TLatencyProbe(const std::wstring& progId, DWORD rateMs)
    : rateMs_(rateMs),
      writer_(std::make_unique<TBenchTarget>(progId, std::vector<std::wstring>{kLatencyItem})),
      subscriber_(std::make_unique<TOpcConnection>(progId, L"OpcBench latency")),
      group_(std::make_unique<TOpcGroup>(*subscriber_, L"latency", true, rateMs)),
      sink_(MakeComObject<TArrivalSink>())
{
    group_->AddItems({kLatencyItem});
    auto container = group_->As<IConnectionPointContainer>(L"IConnectionPointContainer");
    subscriber_->Require(container->FindConnectionPoint(IID_IOPCDataCallback, point_.GetAddressOf()),
                         L"FindConnectionPoint");
    subscriber_->Require(point_->Advise(sink_.Get(), &cookie_), L"Advise");
    PumpFor(300);  // the refresh after Advise
}

TLatencyProbe::~TLatencyProbe()
{
    if (point_) point_->Unadvise(cookie_);
}

void TLatencyProbe::Measure(size_t samples, double waitMs, TLatencySamples& into)
{
    std::mt19937 random(seed_++);
    std::uniform_real_distribution<double> pause(0, rateMs_ * 1.3);
    int missedInRow = 0;
    for (size_t i = 0; i < samples && missedInRow < 3; ++i) {
        sink_->Awaited = L"latency " + std::to_wstring(written_++);
        sink_->ArrivedAt = 0;
        const double written = NowMs();
        writer_->WriteTexts(writer_->Handles(), {sink_->Awaited});
        if (PumpUntil([&] { return sink_->ArrivedAt != 0; }, waitMs)) {
            into.Ms.push_back(sink_->ArrivedAt - written);
            missedInRow = 0;
        } else {
            ++into.Missed;
            ++missedInRow;
        }
        // A pause of random length, so writes meet every phase of the group's tick.
        PumpFor(pause(random));
    }
}
