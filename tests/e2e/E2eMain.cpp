// The end-to-end tests run as an OPC client in a single-threaded apartment.
// The server is registered once up front, as an installer would do it.
#include <gtest/gtest.h>
#include <windows.h>

#include "ServerProcess.h"

int main(int argc, char** argv)
{
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
