// The program's main sequence: modules, single-instance hand-over, COM
// start-up, main window, message loop, and the end in reverse order.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "registration/ComServer.h"
#include "ConnectionView.h"
#include "MainUnit.h"
#include "MessageDispatch.h"
#include "OpcServer.h"
#include "ZEV30.h"
#include "com/ServerObjectCount.h"
#include "registration/StartMode.h"
#include "UStartup.h"

namespace {

constexpr wchar_t kCloseWarningCaption[] = L"COM Server Warning";
constexpr wchar_t kCloseWarningText[] =
    L"There are still active COM objects in this application.  One or more clients may have references to these "
    L"objects, so manually closing this application may cause those client application(s) to fail.\r\n\r\n"
    L"Are you sure you want to close this application?";

// Closing by hand while clients hold objects needs the operator's consent.
bool ConfirmClose()
{
    if (ServerObjectCount::Value() <= 0) return true;
    return MessageBoxW(nullptr, kCloseWarningText, kCloseWarningCaption,
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL) == IDYES;
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchWindowMessage(msg);
    return static_cast<int>(msg.wParam);
}

void ReportStartFailure(const char* what) { std::fprintf(stderr, "srvZEV30: %s\n", what); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Modules: the COM server reads its start mode, the item server comes
    // up with its hidden window and registers the server's class.
    TComServer& com = TComServer::Instance();
    try {
        InitializeOpcServer();
    } catch (const std::exception& e) {
        ReportStartFailure(e.what());
        return 1;
    }

    // Every way out finalises the modules in reverse order.
    auto finish = [&com](int exitCode) {
        com.Stop();
        FinalizeOpcServer();
        return exitCode;
    };

    // A second start without arguments hands over and ends.
    if (!ShouldStart(kMainWindowClassName, ProgramArguments())) return finish(0);

    // COM start-up; a register or unregister start ends here.
    try {
        if (!com.Start()) return finish(0);
    } catch (const std::exception& e) {
        ReportStartFailure(e.what());
        return finish(1);
    }

    // Main window and message loop.
    int exitCode = 0;
    {
        TMF mainForm;
        TConnectionViewEvents connectionView;
        try {
            mainForm.CanClose = ConfirmClose;
            mainForm.CreateForm();
            ZEV30()->AttachValueTable(&mainForm.ItemValueTable);
            ZEV30()->AttachConnectionEvents(&connectionView);
            mainForm.Show();
            exitCode = RunMessageLoop();
        } catch (const std::exception& e) {
            ReportStartFailure(e.what());
            exitCode = 1;
        }
        ZEV30()->AttachConnectionEvents(nullptr);
        ZEV30()->AttachValueTable(nullptr);
    }

    // The end: class objects and COM first, then the item server (window and caches).
    return finish(exitCode);
}
