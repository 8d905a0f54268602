// A client that dies with a connected callback must not stall the server
// for anybody else.
#include "DeadClient.h"

#include "CallbackWaits.h"
#include "GroupClient.h"
#include "com/UniqueHandle.h"

int RunSubscribedClient()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    ComPtr<IOPCServer> server = ConnectServer();
    if (!server) return 3;
    TClientGroup group(server.Get(), L"Doomed", true, 20);
    if (!group || group.Add({kSubscribedItem})[0] == 0) return 4;
    auto sink = MakeComObject<TDataCallbackRecorder>();
    if (FAILED(group.Advise(sink.Get()))) return 5;
    if (!WaitForCallback(*sink.Get(), TCallbackRecord::TKind::DataChange, Reports(1))) return 6;
    {
        const TUniqueEvent ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, kSubscribedEvent));
        if (!ready) return 7;
        SetEvent(ready.get());
    }
    PumpFor(INFINITE);  // serves the callbacks until the test kills the process: there is no end to wait for
    return 0;
}

namespace {

using TKind = TCallbackRecord::TKind;

// Wine keeps a dead client's references for good (no pinging of clients),
// so this test runs against a server started by hand and closes it itself.
TEST(DeadClient, AKilledSubscriberIsDroppedAndOthersAreServedWithoutAStall)
{
    ASSERT_TRUE(WaitForNoServer(20000));
    TProcess serverProcess(BesideTest(kServerExe), L"");
    HWND window = WaitForServerMainWindow(serverProcess.Id(), 20000);
    ASSERT_NE(window, nullptr);
    ComPtr<IOPCServer> server = ConnectServer();
    ASSERT_TRUE(server);

    TUniqueEvent ready(CreateEventW(nullptr, TRUE, FALSE, kSubscribedEvent));
    ASSERT_TRUE(ready);
    TProcess doomed(BesideTest(L"e2e_tests.exe"), kHoldCallbackSwitchW);
    ASSERT_TRUE(doomed.Started());
    const HANDLE readyHandle = ready.get();
    const DWORD waited = MsgWaitForMultipleObjects(1, &readyHandle, FALSE, 30000, 0);
    ready.reset();
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the second client did not subscribe";
    doomed.Kill();
    {
        auto sink = MakeComObject<TDataCallbackRecorder>();
        TClientGroup mine(server.Get(), L"Survivor", true, 20);
        const std::vector<OPCHANDLE> handles = mine.Add({kSubscribedItem});
        ASSERT_EQ(mine.Advise(sink.Get()), S_OK);
        ASSERT_TRUE(WaitForCallback(*sink.Get(), TKind::DataChange, Reports(1))) << "the current value at connecting";
        // Every change makes the server call the dead client too.
        for (int i = 0; i < 5; ++i) {
            const std::wstring text = L"after death " + std::to_wstring(i);
            const ULONGLONG started = GetTickCount64();
            ASSERT_EQ(mine.Write(handles, {text}), (std::vector<HRESULT>{S_OK}));
            EXPECT_TRUE(WaitForDataChange(*sink.Get(), 1, text)) << "change " << i;
            // A stall would be the length of an RPC time-out, tens of seconds.
            EXPECT_LT(GetTickCount64() - started, 5000u) << "change " << i;
        }
        mine.Reset();
        server->RemoveGroup(mine.ServerHandle(), TRUE);
    }
    server.Reset();

    // The dead client's objects are still counted: closing asks first.
    PostMessageW(window, WM_CLOSE, 0, 0);
    HWND question = nullptr;
    PumpUntil([&] { return (question = FindProcessDialog(serverProcess.Id(), L"COM Server Warning")) != nullptr; });
    ASSERT_NE(question, nullptr);
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(serverProcess.WaitForExit(20000));
}

}  // namespace
