// How the server process starts and ends: by COM, by hand, and as a second start.
#include <gtest/gtest.h>

#include "ServerProcess.h"

namespace {

class Startup : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForNoServer(20000)) << "a server from an earlier test still runs"; }
    void TearDown() override
    {
        if (!WaitForNoServer(5000)) KillAllServers();
    }
};

// Closes a hand-started server that no client holds and waits for its end.
void CloseServer(const TProcess& server)
{
    HWND window = ServerMainWindow(server.Id());
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(server.WaitForExit(20000));
}

}  // namespace

TEST_F(Startup, ComStartedServerEndsWhenItsLastClientReleases)
{
    ComPtr<IOPCServer> first = ConnectServer();
    ASSERT_TRUE(first);
    ComPtr<IOPCServer> second = ConnectServer();
    ASSERT_TRUE(second);
    EXPECT_EQ(ServerProcessIds().size(), 1u) << "one process serves both clients";
    first.Reset();
    // That a process does not end has no event to wait for: give a wrong end
    // the time it would take.
    PumpFor(1500);
    EXPECT_EQ(ServerProcessIds().size(), 1u) << "a client is still connected";
    second.Reset();
    EXPECT_TRUE(WaitForNoServer(20000));
}

TEST_F(Startup, ReconnectingRightAfterTheLastReleaseAlwaysSucceeds)
{
    // Scripting clients connect for every single read: an activation that
    // arrives while the previous server ends must reach a live server.
    for (int cycle = 0; cycle < 8; ++cycle) {
        SCOPED_TRACE(cycle);
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(kServerProgId, &clsid), S_OK);
        ComPtr<IOPCServer> client;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                                   reinterpret_cast<void**>(client.GetAddressOf())),
                  S_OK);
        OPCSERVERSTATUS* status = nullptr;
        ASSERT_EQ(client->GetStatus(&status), S_OK);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
        CoTaskMemFree(status->szVendorInfo);
        CoTaskMemFree(status);
    }
    EXPECT_TRUE(WaitForNoServer(20000)) << "every server of the loop ends after its client";
}

TEST_F(Startup, EmbeddingStartServesTheNextClientAndEndsAfterIt)
{
    // What DCOM's launcher does for a remote client: start the registered
    // executable with -Embedding, then hand it the activation.
    TProcess server(BesideTest(kServerExe), L"-Embedding");
    ASSERT_TRUE(server.Started());
    // Its window comes after its class objects are registered.
    ASSERT_NE(WaitForServerMainWindow(server.Id(), 20000), nullptr);
    ComPtr<IOPCServer> client = ConnectServer();
    ASSERT_TRUE(client);
    EXPECT_EQ(ServerProcessIds(), std::vector<DWORD>{server.Id()}) << "the started process serves the client";
    client.Reset();
    EXPECT_TRUE(server.WaitForExit(20000));
}

TEST_F(Startup, HandStartedServerStaysWhenTheLastClientLeaves)
{
    TProcess server(BesideTest(kServerExe), L"");
    ASSERT_NE(WaitForServerMainWindow(server.Id(), 20000), nullptr);
    {
        ComPtr<IOPCServer> client = ConnectServer();
        ASSERT_TRUE(client);
        EXPECT_EQ(ServerProcessIds().size(), 1u) << "the client reaches the running server";
    }
    EXPECT_FALSE(server.WaitForExit(3000));
    CloseServer(server);
}

TEST_F(Startup, SecondStartWithoutArgumentsHandsOverAndEnds)
{
    TProcess first(BesideTest(kServerExe), L"");
    ASSERT_NE(WaitForServerMainWindow(first.Id(), 20000), nullptr);

    TProcess second(BesideTest(kServerExe), L"");
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(20000, &code)) << "the second start must end by itself";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ServerMainWindow(second.Id()), nullptr);
    EXPECT_FALSE(first.WaitForExit(0));
    CloseServer(first);
}

TEST_F(Startup, SecondStartWithAnArgumentBecomesASecondInstance)
{
    TProcess first(BesideTest(kServerExe), L"");
    ASSERT_NE(WaitForServerMainWindow(first.Id(), 20000), nullptr);

    TProcess second(BesideTest(kServerExe), L"recipe.txt");
    ASSERT_NE(WaitForServerMainWindow(second.Id(), 20000), nullptr);
    EXPECT_FALSE(second.WaitForExit(1000));
    CloseServer(second);
    CloseServer(first);
}

TEST_F(Startup, ClosingWhileAClientHoldsObjectsAsksAndNoKeepsRunning)
{
    TProcess server(BesideTest(kServerExe), L"");
    HWND window = WaitForServerMainWindow(server.Id(), 20000);
    ASSERT_NE(window, nullptr);
    ComPtr<IOPCServer> client = ConnectServer();
    ASSERT_TRUE(client);

    PostMessageW(window, WM_CLOSE, 0, 0);
    HWND question = nullptr;
    PumpUntil([&] { return (question = FindProcessDialog(server.Id(), L"COM Server Warning")) != nullptr; });
    ASSERT_NE(question, nullptr) << "closing with a live client asks first";
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(question); })) << "the answer closes the question";
    EXPECT_FALSE(server.WaitForExit(1000)) << "No keeps the server running";

    OPCSERVERSTATUS* status = nullptr;
    EXPECT_EQ(client->GetStatus(&status), S_OK) << "the client is still served";
    if (status) {
        CoTaskMemFree(status->szVendorInfo);
        CoTaskMemFree(status);
    }
    client.Reset();
    // Closing asks again until the server has seen the client go.
    EXPECT_TRUE(PumpUntil([&] {
        const std::vector<std::wstring> log = LogLines(window);
        return !log.empty() && log.back() == L"Client disconnected Ok";
    }));
    CloseServer(server);
}
