#include "FloorDelivery.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "com/ComObject.h"

namespace {

double NowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

TFloorDelivery::TFloorDelivery(const std::vector<std::wstring>& texts)
    : texts_(texts), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

TFloorDelivery::~TFloorDelivery()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    SetEvent(wake_.get());
    if (thread_.joinable()) thread_.join();
}

void TFloorDelivery::Subscribe(DWORD cookie, OPCHANDLE group, DWORD rateMs, const std::vector<OPCHANDLE>& items)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& subscriptions = subscriptions_;
        subscriptions.erase(std::remove_if(subscriptions.begin(), subscriptions.end(),
                                           [&](const TSubscription& s) { return s.Cookie == cookie; }),
                            subscriptions.end());
        subscriptions.push_back({cookie, group, std::max<DWORD>(rateMs, 10), items});
        // Started by the first subscription only: a server object that never
        // delivers (the memory cycles) costs no thread, as it costs the
        // floor nothing else.
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    SetEvent(wake_.get());
}

void TFloorDelivery::Unsubscribe(DWORD cookie)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& subscriptions = subscriptions_;
        subscriptions.erase(std::remove_if(subscriptions.begin(), subscriptions.end(),
                                           [&](const TSubscription& s) { return s.Cookie == cookie; }),
                            subscriptions.end());
    }
    SetEvent(wake_.get());
}

HRESULT TFloorDelivery::Deliver(IOPCDataCallback& sink, const TSubscription& to)
{
    const DWORD count = static_cast<DWORD>(to.Items.size());
    if (count == 0 || texts_.empty()) return S_OK;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    std::vector<VARIANT> values(count);
    std::vector<WORD> qualities(count, OPC_QUALITY_GOOD);
    std::vector<FILETIME> times(count, now);
    std::vector<HRESULT> errors(count, S_OK);
    for (DWORD i = 0; i < count; ++i) {
        V_VT(&values[i]) = VT_BSTR;
        V_BSTR(&values[i]) = SysAllocString(texts_[i % texts_.size()].c_str());
    }
    const HRESULT hr = sink.OnDataChange(0, to.Group, S_OK, S_OK, count, const_cast<OPCHANDLE*>(to.Items.data()),
                                         values.data(), qualities.data(), times.data(), errors.data());
    for (auto& v : values) VariantClear(&v);
    return hr;
}

void TFloorDelivery::Run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ComPtr<IGlobalInterfaceTable> table;
    CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                     reinterpret_cast<void**>(table.GetAddressOf()));
    struct TTarget {
        ComPtr<IOPCDataCallback> Sink;
        double Due = 0;
    };
    std::map<DWORD, TTarget> targets;  // by cookie; the sinks fetched into this thread
    for (;;) {
        std::vector<TSubscription> now;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) break;
            now = subscriptions_;
        }
        for (auto it = targets.begin(); it != targets.end();) {
            const bool kept =
                std::any_of(now.begin(), now.end(), [&](const TSubscription& s) { return s.Cookie == it->first; });
            it = kept ? std::next(it) : targets.erase(it);
        }
        double wait = 1000;
        for (const auto& s : now) {
            auto& target = targets[s.Cookie];
            if (!target.Sink) {
                if (!table ||
                    FAILED(table->GetInterfaceFromGlobal(s.Cookie, IID_IOPCDataCallback,
                                                         reinterpret_cast<void**>(target.Sink.GetAddressOf()))))
                    continue;
                target.Due = NowMs() + s.RateMs;
            }
            if (NowMs() >= target.Due) {
                if (FAILED(Deliver(*target.Sink.Get(), s))) {
                    Unsubscribe(s.Cookie);  // the client is gone
                    continue;
                }
                // A late tick is not made up for, as a group's scan is not.
                target.Due = std::max(target.Due + s.RateMs, NowMs());
            }
            wait = std::min(wait, target.Due - NowMs());
        }
        WaitForSingleObject(wake_.get(), static_cast<DWORD>(std::ceil(std::max(0.0, wait))));
    }
    targets.clear();
    table.Reset();
    CoUninitialize();
}
