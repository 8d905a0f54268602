// The end-to-end tests run as an OPC client in a single-threaded apartment.
// The server is registered once up front, as an installer would do it.
//
// Started with kHoldCallbackSwitch the executable is instead a second client
// that subscribes and then waits to be killed (see DeadClientTest.cpp); with
// a hang switch, a client that stops answering (see IsolationTest.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "DeadClient.h"
#include "HungClient.h"
#include "ServerProcess.h"

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kHoldCallbackSwitch) == 0) return RunSubscribedClient();
    if (argc > 1 && std::strcmp(argv[1], kHangInCallbackSwitch) == 0) return RunHungClient(true);
    if (argc > 1 && std::strcmp(argv[1], kStopPumpingSwitch) == 0) return RunHungClient(false);
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    KillAllServers();
    if (RunServerToEnd(L"/RegServer") != 0) {
        std::fprintf(stderr, "srvZEV30.exe /RegServer failed\n");
        return 3;
    }
    const int result = RUN_ALL_TESTS();
    KillAllServers();
    CoUninitialize();
    return result;
}
