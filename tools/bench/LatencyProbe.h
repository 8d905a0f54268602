// Write-to-OnDataChange latency of one client: a unique text is written
// through one connection and timed until a second connection's group (at the
// given rate) reports it in OnDataChange.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "opcda.h"

class TBenchTarget;
class TOpcConnection;
class TOpcGroup;
class TArrivalSink;

// The item both sides use: a text item that nothing else writes.
constexpr wchar_t kLatencyItem[] = L"String.Remote State";

struct TLatencySamples {
    std::vector<double> Ms;
    size_t Missed = 0;  // writes whose change never arrived within the wait
};

class TLatencyProbe {
public:
    TLatencyProbe(const std::wstring& progId, DWORD rateMs);
    ~TLatencyProbe();
    TLatencyProbe(const TLatencyProbe&) = delete;
    TLatencyProbe& operator=(const TLatencyProbe&) = delete;

    // Appends up to `samples` latencies. A write whose change has not arrived
    // after waitMs counts as missed; after three in a row the block ends
    // early, since the server is not delivering at all.
    void Measure(size_t samples, double waitMs, TLatencySamples& into);

private:
    DWORD rateMs_;
    std::unique_ptr<TBenchTarget> writer_;
    std::unique_ptr<TOpcConnection> subscriber_;
    std::unique_ptr<TOpcGroup> group_;
    ComPtr<TArrivalSink> sink_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
    unsigned written_ = 0;  // makes every written text unique
    unsigned seed_ = 7;
};
