// The delivery thread's queue: order, merging while a call is in progress,
// revoking, failures and the overdue mark. The messages record what they
// deliver; the first one holds the thread in its call until the test lets go.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "MessagePump.h"
#include "host/ClientDelivery.h"
#include "com/UniqueHandle.h"

namespace {

// A sink that marshals as itself, so the delivery thread gets it directly.
class TFreeSink final : public TComObject<IUnknown> {
public:
    TFreeSink() { CoCreateFreeThreadedMarshaler(static_cast<IUnknown*>(this), marshaler_.GetAddressOf()); }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override
    {
        if (riid == IID_IMarshal && marshaler_) return marshaler_->QueryInterface(riid, ppv);
        return TComObject::QueryInterface(riid, ppv);
    }

private:
    ComPtr<IUnknown> marshaler_;
};

// What the thread delivered, as "kind:content" lines.
struct TJournal {
    std::mutex lock;
    std::vector<std::string> lines;
    void Add(std::string line)
    {
        std::lock_guard<std::mutex> held(lock);
        lines.push_back(std::move(line));
    }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> held(lock);
        return lines;
    }
};

// A data change: item letters with their values; mergeable like a scan's.
class TChange final : public TDeliveryMessage {
public:
    TChange(TSinkRef sink, TJournal& journal, std::vector<std::pair<char, int>> values)
        : TDeliveryMessage(std::move(sink), 1, TCallbackKind::DataChange), journal_(journal), values_(std::move(values))
    {
    }
    bool Mergeable() const noexcept override { return true; }
    void Merge(TDeliveryMessage& newer) override
    {
        for (auto& [item, value] : static_cast<TChange&>(newer).values_) {
            bool found = false;
            for (auto& own : values_)
                if (own.first == item) own.second = value, found = true;
            if (!found) values_.emplace_back(item, value);
        }
    }
    HRESULT Deliver(IUnknown*) override
    {
        std::string line = "change:";
        for (auto& [item, value] : values_) line += std::string(1, item) + std::to_string(value);
        journal_.Add(line);
        return S_OK;
    }

private:
    TJournal& journal_;
    std::vector<std::pair<char, int>> values_;
};

// A completion (never merged), or the gate that holds the thread in its call,
// answering a given HRESULT.
class TCall final : public TDeliveryMessage {
public:
    TCall(TSinkRef sink, TJournal& journal, std::string name, HRESULT answer = S_OK, HANDLE gate = nullptr)
        : TDeliveryMessage(std::move(sink), 1, TCallbackKind::WriteComplete),
          journal_(journal), name_(std::move(name)), answer_(answer), gate_(gate)
    {
    }
    HRESULT Deliver(IUnknown*) override
    {
        if (gate_) WaitForSingleObject(gate_, 20000);
        journal_.Add(name_);
        return answer_;
    }

private:
    TJournal& journal_;
    std::string name_;
    HRESULT answer_;
    HANDLE gate_;
};


class ClientDelivery : public testing::Test {
protected:
    void SetUp() override
    {
        comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        gate.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
    void TearDown() override
    {
        SetEvent(gate.get());
        gate.reset();
        if (comReady_) CoUninitialize();
    }
    TSinkRef Connect() { return delivery.ConnectSink(IID_IUnknown, sink.Get()); }
    // Holds the thread inside a call until the gate opens.
    void HoldThread(const TSinkRef& on)
    {
        delivery.Post(std::make_unique<TCall>(on, journal, "gate", S_OK, gate.get()));
        ASSERT_TRUE(PumpUntil([&] { return delivery.QueuedCount() == 0; }));
    }

    bool comReady_ = false;
    TUniqueEvent gate;
    TJournal journal;
    ComPtr<TFreeSink> sink = MakeComObject<TFreeSink>();
    TClientDelivery delivery;
};

TEST_F(ClientDelivery, ChangesMergeBehindABusyCallButNeverAcrossACompletion)
{
    TSinkRef a = Connect(), b = Connect();
    HoldThread(a);
    delivery.Post(std::make_unique<TChange>(a, journal, std::vector<std::pair<char, int>>{{'x', 1}, {'y', 1}}));
    delivery.Post(std::make_unique<TChange>(b, journal, std::vector<std::pair<char, int>>{{'q', 1}}));
    delivery.Post(std::make_unique<TChange>(a, journal, std::vector<std::pair<char, int>>{{'x', 2}}));
    delivery.Post(std::make_unique<TCall>(a, journal, "write-complete"));
    delivery.Post(std::make_unique<TChange>(a, journal, std::vector<std::pair<char, int>>{{'y', 3}}));
    delivery.Post(std::make_unique<TChange>(a, journal, std::vector<std::pair<char, int>>{{'z', 3}, {'x', 3}}));
    delivery.Post(std::make_unique<TChange>(b, journal, std::vector<std::pair<char, int>>{{'q', 2}}));
    EXPECT_EQ(delivery.QueuedCount(), 4u) << "a's changes merge per side of the completion, b's into its own";
    SetEvent(gate.get());
    ASSERT_TRUE(PumpUntil([&] { return journal.Lines().size() == 5; }));
    EXPECT_EQ(journal.Lines(), (std::vector<std::string>{"gate", "change:x2y1", "change:q2", "write-complete",
                                                        "change:y3z3x3"}));
}

TEST_F(ClientDelivery, ARevokedSinkGetsNothingMoreAndItsQueueGoes)
{
    TSinkRef a = Connect(), b = Connect();
    HoldThread(a);
    delivery.Post(std::make_unique<TCall>(a, journal, "a-queued"));
    delivery.Post(std::make_unique<TCall>(b, journal, "b-queued"));
    delivery.Revoke(a);
    delivery.Post(std::make_unique<TCall>(a, journal, "a-after"));
    EXPECT_EQ(delivery.QueuedCount(), 1u);
    SetEvent(gate.get());
    ASSERT_TRUE(PumpUntil([&] { return journal.Lines().size() == 2; }));
    EXPECT_EQ(journal.Lines(), (std::vector<std::string>{"gate", "b-queued"})) << "the call in progress finished";
}

TEST_F(ClientDelivery, FailedCallsAreReportedAndALongCallIsOverdue)
{
    TSinkRef a = Connect();
    HoldThread(a);
    EXPECT_TRUE(PumpUntil([&] { return delivery.CallOverdue(50); })) << "a call held longer than the limit";
    EXPECT_FALSE(delivery.CallOverdue(60000));
    delivery.Post(std::make_unique<TCall>(a, journal, "gone", RPC_E_DISCONNECTED));
    SetEvent(gate.get());
    std::vector<TDeliveryFailure> failures;
    ASSERT_TRUE(PumpUntil([&] {
        for (auto& f : delivery.TakeFailures()) failures.push_back(f);
        return !failures.empty();
    }));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].Error, RPC_E_DISCONNECTED);
    EXPECT_EQ(failures[0].Sink, a);
    EXPECT_EQ(failures[0].Kind, TCallbackKind::WriteComplete);
    EXPECT_TRUE(PumpUntil([&] { return !delivery.CallOverdue(50); })) << "no call in progress any more";
}

}  // namespace
