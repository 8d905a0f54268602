#include "HandStartedServer.h"

void HandStartedServer::SetUpTestSuite()
{
    WaitForNoServer(20000);
    process_ = TProcess(BesideTest(kServerExe), L"");
    window_ = WaitForServerMainWindow(process_.Id(), 20000);
}

void HandStartedServer::TearDownTestSuite()
{
    if (!window_) {
        process_.Kill();
        return;
    }
    PostMessageW(window_, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100; ++i) {
        if (process_.WaitForExit(100)) break;
        if (HWND question = FindProcessDialog(process_.Id(), L"COM Server Warning")) {
            ADD_FAILURE() << "a client still held objects of the server";
            PostMessageW(question, WM_COMMAND, IDYES, 0);
        }
    }
    EXPECT_TRUE(process_.WaitForExit(20000));
    window_ = nullptr;
}
