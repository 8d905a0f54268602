// The connection log of the real server's window follows a client that
// connects, names itself and leaves.
#include <string>
#include <vector>

#include "ServerProcess.h"

#include <gtest/gtest.h>


TEST(ServerLog, ShowsAClientComingNamingItselfAndGoing)
{
    ASSERT_TRUE(WaitForNoServer(20000));
    TProcess server(BesideTest(kServerExe), L"");
    HWND window = WaitForServerMainWindow(server.Id(), 20000);
    ASSERT_NE(window, nullptr);
    {
        ComPtr<IOPCServer> client = ConnectServer();
        ASSERT_TRUE(client);
        ComPtr<IOPCCommon> common;
        ASSERT_EQ(client.As(&common), S_OK);
        ASSERT_EQ(common->SetClientName(L"Plant A"), S_OK);
    }
    const std::vector<std::wstring> expected = {L"Client connected Ok", L"Client SetName Ok", L"Client disconnected Ok"};
    PumpUntil([&] { return LogLines(window).size() >= expected.size(); });
    EXPECT_EQ(LogLines(window), expected);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(server.WaitForExit(20000));
}
