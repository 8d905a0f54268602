// The connection log of the real server's window follows a client that
// connects, names itself and leaves.
#include <string>
#include <vector>

#include "ServerProcess.h"

#include <gtest/gtest.h>

namespace {

BOOL CALLBACK FindListBox(HWND child, LPARAM param)
{
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, L"ListBox") != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

std::vector<std::wstring> LogLines(HWND mainWindow)
{
    HWND log = nullptr;
    EnumChildWindows(mainWindow, FindListBox, reinterpret_cast<LPARAM>(&log));
    std::vector<std::wstring> lines;
    if (!log) return lines;
    const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.emplace_back(text);
    }
    return lines;
}

}  // namespace

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
    PumpFor(500);
    const std::vector<std::wstring> expected = {L"Client connected Ok", L"Client SetName Ok", L"Client disconnected Ok"};
    EXPECT_EQ(LogLines(window), expected);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(server.WaitForExit(20000));
}
