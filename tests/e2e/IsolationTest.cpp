// One client that stops answering must not hold up any other: the server
// calls each client on a thread of its own.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "CallbackWaits.h"
#include "DeadClient.h"
#include "GroupClient.h"
#include "HungClient.h"
#include "com/UniqueHandle.h"

namespace {

using TKind = TCallbackRecord::TKind;

// What a stall that never ends would exceed; the figures belong to the benchmark.
constexpr DWORD kGenerousMs = 5000;

struct THangCase {
    const char* Name;
    const wchar_t* Switch;
    bool CloseWhileHung;  // close the window (answering "Yes") with the client still hung
};

class HungClient : public testing::TestWithParam<THangCase> {};

// A server started by hand: a hung client keeps its references for as long
// as it lives, so the test closes the server itself.
TEST_P(HungClient, OthersAreServedAndTheHungClientGetsTheNewestValueLater)
{
    const THangCase& c = GetParam();
    ASSERT_TRUE(WaitForNoServer(20000));
    TProcess serverProcess(BesideTest(kServerExe), L"");
    HWND window = WaitForServerMainWindow(serverProcess.Id(), 20000);
    ASSERT_NE(window, nullptr);
    ComPtr<IOPCServer> server = ConnectServer();
    ASSERT_TRUE(server);

    const TUniqueEvent hung(CreateEventW(nullptr, TRUE, FALSE, kHungEvent));
    const TUniqueEvent release(CreateEventW(nullptr, TRUE, FALSE, kReleaseHungEvent));
    ASSERT_TRUE(hung && release);
    TProcess client(BesideTest(L"e2e_tests.exe"), c.Switch);
    ASSERT_TRUE(client.Started());
    const HANDLE hungHandle = hung.get();
    const DWORD waited = MsgWaitForMultipleObjects(1, &hungHandle, FALSE, 30000, 0);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the second client did not subscribe";

    {
        // A bystander on the same item: each of its writes is reported to it
        // while every one of them is also a change for the hung client.
        auto sink = MakeComObject<TDataCallbackRecorder>();
        TClientGroup mine(server.Get(), L"Bystander", true, 20);
        const std::vector<OPCHANDLE> handles = mine.Add({kSubscribedItem});
        ASSERT_EQ(mine.Advise(sink.Get()), S_OK);
        ASSERT_TRUE(WaitForCallback(*sink.Get(), TKind::DataChange, Reports(1)));
        for (int i = 0; i < 30; ++i) {
            const std::wstring text = L"bystander " + std::to_wstring(i);
            ASSERT_EQ(mine.Write(handles, {text}), (std::vector<HRESULT>{S_OK}));
            ASSERT_TRUE(WaitForDataChange(*sink.Get(), 1, text, kGenerousMs)) << "change " << i;
        }
        // A newcomer's first callback comes during the hang.
        auto newcomerSink = MakeComObject<TDataCallbackRecorder>();
        TClientGroup newcomer(server.Get(), L"Newcomer", true, 20);
        newcomer.Add({kSubscribedItem});
        ASSERT_EQ(newcomer.Advise(newcomerSink.Get()), S_OK);
        EXPECT_TRUE(WaitForCallback(*newcomerSink.Get(), TKind::DataChange, Reports(1), kGenerousMs));
        ASSERT_EQ(mine.Write(handles, {kNewestValue}), (std::vector<HRESULT>{S_OK}));
        ASSERT_TRUE(WaitForDataChange(*sink.Get(), 1, kNewestValue, kGenerousMs));
        mine.Reset();
        newcomer.Reset();
        server->RemoveGroup(mine.ServerHandle(), TRUE);
        server->RemoveGroup(newcomer.ServerHandle(), TRUE);
    }
    server.Reset();
    // Past the hung limit the window marks the client.
    EXPECT_TRUE(PumpUntil([&] {
        for (const std::wstring& line : LogLines(window))
            if (line.find(L"Client not responding") != std::wstring::npos) return true;
        return false;
    }));

    if (!c.CloseWhileHung) {
        SetEvent(release.get());
        DWORD exitCode = ~0u;
        EXPECT_TRUE(client.WaitForExit(30000, &exitCode));
        EXPECT_EQ(exitCode, 0u) << "0: the newest value reached the client after its hang";
    }
    // Closing asks first while a client is connected; "Yes" ends the process
    // even with a delivery thread stuck in the hung client.
    PostMessageW(window, WM_CLOSE, 0, 0);
    HWND question = nullptr;
    PumpUntil([&] { return (question = FindProcessDialog(serverProcess.Id(), L"COM Server Warning")) != nullptr ||
                           serverProcess.WaitForExit(0); }, 20000);
    if (question) PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(serverProcess.WaitForExit(20000));
    if (c.CloseWhileHung) {
        client.Kill();
        client.WaitForExit(20000);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Isolation, HungClient,
    testing::Values(THangCase{"HangsInItsCallback", L"--hang-in-callback", false},
                    THangCase{"StopsPumpingMessages", L"--stop-pumping", false},
                    THangCase{"StillHungWhenTheWindowCloses", L"--hang-in-callback", true}),
    [](const testing::TestParamInfo<THangCase>& info) { return std::string(info.param.Name); });

// A sink that runs an action inside its first OnDataChange and can be slow.
class TReenteringSink final : public TComObject<IOPCDataCallback> {
public:
    std::function<void()> action;  // run once, inside the first data change
    DWORD delayMs = 0;             // every callback takes this long
    ComPtr<TDataCallbackRecorder> recorder = MakeComObject<TDataCallbackRecorder>();

    STDMETHODIMP OnDataChange(DWORD transaction, OPCHANDLE group, HRESULT quality, HRESULT error, DWORD count,
                              OPCHANDLE* handles, VARIANT* values, WORD* qualities, FILETIME* stamps,
                              HRESULT* errors) noexcept override
    {
        recorder->OnDataChange(transaction, group, quality, error, count, handles, values, qualities, stamps, errors);
        if (action) std::exchange(action, nullptr)();
        Sleep(delayMs);
        return S_OK;
    }
    STDMETHODIMP OnReadComplete(DWORD transaction, OPCHANDLE group, HRESULT quality, HRESULT error, DWORD count,
                                OPCHANDLE* handles, VARIANT* values, WORD* qualities, FILETIME* stamps,
                                HRESULT* errors) noexcept override
    {
        Sleep(delayMs);
        return recorder->OnReadComplete(transaction, group, quality, error, count, handles, values, qualities, stamps,
                                        errors);
    }
    STDMETHODIMP OnWriteComplete(DWORD transaction, OPCHANDLE group, HRESULT error, DWORD count,
                                 OPCHANDLE* handles, HRESULT* errors) noexcept override
    {
        Sleep(delayMs);
        return recorder->OnWriteComplete(transaction, group, error, count, handles, errors);
    }
    STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) noexcept override { return S_OK; }
};

class Delivery : public ServerWithGroups {};

// A slow client (each callback takes 200 ms) gets every completion in the
// order of its transactions and, at the end, the newest value of every item.
TEST_F(Delivery, ASlowClientGetsEveryCompletionInOrderAndTheNewestValues)
{
    const std::vector<std::wstring> ids = {L"String.Coating Plant Name", L"String.Last Process Run Sheet",
                                           L"String.Last I/O Assignment"};
    auto sink = MakeComObject<TReenteringSink>();
    sink->delayMs = 200;
    TClientGroup group = Group(L"Slow");
    std::vector<OPCHANDLE> handles = group.Add(ids);
    ASSERT_EQ(group.Advise(static_cast<IOPCDataCallback*>(sink.Get())), S_OK);
    ComPtr<IOPCAsyncIO2> io = group.As<IOPCAsyncIO2>();
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < handles.size(); ++i) {
            UniqueVariant value = MakeBstr((L"slow " + std::to_wstring(round) + L"." + std::to_wstring(i)).c_str());
            DWORD cancel = 0;
            TaskMemArray<HRESULT> errors;
            const DWORD transaction = static_cast<DWORD>(100 + round * 10 + i);
            ASSERT_EQ(io->Write(1, &handles[i], &value.get(), transaction, &cancel, errors.put(1)), S_OK);
        }
    }
    const TDataCallbackRecorder& seen = *sink->recorder.Get();
    for (size_t i = 0; i < handles.size(); ++i) {
        const std::wstring newest = L"slow " + std::to_wstring(kRounds - 1) + L"." + std::to_wstring(i);
        EXPECT_TRUE(WaitForDataChange(seen, static_cast<OPCHANDLE>(1 + i), newest)) << "item " << i;
    }
    ASSERT_TRUE(PumpUntil([&] { return seen.Count(TKind::WriteComplete) == kRounds * handles.size(); }));
    std::vector<DWORD> order;
    for (const TCallbackRecord& record : seen.records)
        if (record.kind == TKind::WriteComplete) order.push_back(record.transactionId);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "completions in the order of the writes";
}

// A client that calls the server from inside its data-change callback.
struct TReentryCase {
    const char* Name;
    // Runs inside the callback with the group and the server object; the
    // group's calls that follow the action are expected to go on (true) or
    // to stop (false).
    std::function<HRESULT(TClientGroup& group, IOPCServer& server)> Action;
    bool KeepsReporting;
    bool TakesTheServer = false;  // the action releases the test's reference to the server object
};

class Reentry : public ServerWithGroups, public testing::WithParamInterface<TReentryCase> {};

TEST_P(Reentry, TheCallFromInsideTheCallbackWorksAndTheServerGoesOn)
{
    const TReentryCase& c = GetParam();
    const std::wstring item = L"String.Coating Plant Name";
    // A server object of its own, which the action may release entirely.
    ComPtr<IOPCServer> own = ConnectServer();
    ASSERT_TRUE(own);
    TClientGroup group(own.Get(), L"Reentrant", true, 20);
    const OPCHANDLE handle = group.Add({item})[0];
    ASSERT_NE(handle, 0u);
    auto sink = MakeComObject<TReenteringSink>();
    HRESULT answered = E_PENDING;
    IOPCServer* object = own.Get();
    sink->action = [&] { answered = c.Action(group, *object); };
    if (c.TakesTheServer) own.Detach();
    ASSERT_EQ(group.Advise(static_cast<IOPCDataCallback*>(sink.Get())), S_OK);
    const TDataCallbackRecorder& seen = *sink->recorder.Get();
    ASSERT_TRUE(PumpUntil([&] { return answered != E_PENDING; }));
    EXPECT_TRUE(SUCCEEDED(answered)) << std::hex << answered;

    // A witness on another server object sees the next change; the group
    // that was stopped by its action reports nothing of it.
    auto witness = MakeComObject<TDataCallbackRecorder>();
    TClientGroup watch = Group(L"Witness");
    watch.Add({item});
    ASSERT_EQ(watch.Advise(witness.Get()), S_OK);
    const std::wstring text = std::wstring(L"after ") + std::wstring(c.Name, c.Name + strlen(c.Name));
    WriteItem(item, text);
    ASSERT_TRUE(WaitForDataChange(*witness.Get(), 1, text));
    if (c.KeepsReporting)
        EXPECT_TRUE(WaitForDataChange(seen, 1, text));
    else
        EXPECT_EQ(CountCallbacks(seen, TKind::DataChange, Reports(1, text)), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Delivery, Reentry,
    testing::Values(
        TReentryCase{"Refresh2",
                     [](TClientGroup& group, IOPCServer&) {
                         DWORD cancel = 0;
                         return group.As<IOPCAsyncIO2>()->Refresh2(OPC_DS_CACHE, 42, &cancel);
                     },
                     true},
        TReentryCase{"SetState",
                     [](TClientGroup& group, IOPCServer&) {
                         DWORD rate = 50, revised = 0;
                         return group.As<IOPCGroupStateMgt>()->SetState(&rate, &revised, nullptr, nullptr, nullptr,
                                                                        nullptr, nullptr);
                     },
                     true},
        TReentryCase{"Unadvise",
                     [](TClientGroup& group, IOPCServer&) {
                         ComPtr<IConnectionPoint> point;
                         group.As<IConnectionPointContainer>()->FindConnectionPoint(IID_IOPCDataCallback,
                                                                                    point.GetAddressOf());
                         return point->Unadvise(1);
                     },
                     false},
        TReentryCase{"RemoveGroup",
                     [](TClientGroup& group, IOPCServer& server) {
                         const OPCHANDLE handle = group.ServerHandle();
                         group.Reset();
                         return server.RemoveGroup(handle, TRUE);
                     },
                     false},
        TReentryCase{"ReleaseEverything",
                     [](TClientGroup& group, IOPCServer& server) {
                         group.Reset();
                         server.Release();  // the reference the test gave up to the action
                         return S_OK;
                     },
                     false, true}),
    [](const testing::TestParamInfo<TReentryCase>& info) { return std::string(info.param.Name); });

}  // namespace
