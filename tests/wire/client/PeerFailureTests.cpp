// A peer that dies must cost the survivor an error code, not its life: the
// server calls the sink of a killed client, and a client calls a server that
// ends in the middle of a call. Both go through the project's proxies.
#include "com/ComObject.h"
#include "MessagePump.h"
#include "com/OpcElementCleanup.h"
#include "WireProtocol.h"
#include "client/ClientCalls.h"
#include "client/ServerConnection.h"
#include "client/SinkClient.h"
#include "client/WireEnvironment.h"
#include <gtest/gtest.h>

namespace wire {
namespace {

// A class of its own with a fresh CLSID: Wine's rpcss keeps the class
// registration of a server that died and hands it to later activations.
class PeerFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoCreateGuid(&clsid_));
        registration_ = std::make_unique<ClassRegistration>(clsid_);
        ASSERT_TRUE(registration_->ok());
    }

    CLSID clsid_{};
    std::unique_ptr<ClassRegistration> registration_;
};

TEST_F(PeerFailureTest, ServerOutlivesAKilledClientAndClientOutlivesADeadServer) {
    ServerConnection connection(clsid_);
    ASSERT_HRESULT_SUCCEEDED(connection.result());
    auto group = AddGroup(connection.server(), L"survivor", false, 1000, 1);
    ASSERT_NE(nullptr, group);
    ComPtr<IOPCItemMgt> items;
    ASSERT_HRESULT_SUCCEEDED(group.As(&items));
    auto handles = AddTestItems(items.Get());
    ASSERT_EQ(4u, handles.size());
    ComPtr<IOPCSyncIO> io;
    ASSERT_HRESULT_SUCCEEDED(group.As(&io));

    const TUniqueHandle client = StartSinkClient(clsid_);
    ASSERT_TRUE(client) << "the sink client did not receive data changes";
    TerminateProcess(client.get(), 9);
    WaitForSingleObject(client.get(), INFINITE);

    // The server keeps calling the dead client's sink every 50 ms meanwhile.
    PumpUntil([] { return false; }, 1000);
    OPCSERVERSTATUS* status = nullptr;
    ASSERT_EQ(S_OK, connection.server()->GetStatus(&status)) << "the server did not survive its dead client";
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);

    LPWSTR text = reinterpret_cast<LPWSTR>(1);
    const HRESULT died = connection.server()->GetErrorString(kExitNowCode, 0x0409, &text);
    EXPECT_TRUE(FAILED(died)) << std::hex << died;
    EXPECT_EQ(nullptr, text);

    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> errors;
    const HRESULT gone = io->Read(OPC_DS_CACHE, 1, handles.data(), states.put(1), errors.put(1));
    EXPECT_TRUE(FAILED(gone)) << std::hex << gone;
    EXPECT_EQ(nullptr, states.get());
    EXPECT_EQ(nullptr, errors.get());

    io.Reset();
    items.Reset();
    group.Reset();
    EXPECT_EQ(static_cast<DWORD>(WAIT_ABANDONED), connection.ReleaseAndWaitForExit(15000));
}

}  // namespace
}  // namespace wire
