// The wire test executable plays three roles: the GoogleTest client (no
// arguments), the test server that COM starts, and a second client process.
#include "WireProtocol.h"
#include "client/SinkClient.h"
#include "client/WireEnvironment.h"
#include "server/ServerProcess.h"
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

bool ParseClsid(const wchar_t* text, CLSID* clsid) {
    return text && SUCCEEDED(CLSIDFromString(text, clsid));
}

}  // namespace

int main(int argc, char** argv) {
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    CLSID clsid{};
    if (wargc >= 3 && std::wstring(wargv[1]) == wire::kServerSwitch && ParseClsid(wargv[2], &clsid))
        return wire::RunServerProcess(clsid);
    if (wargc >= 4 && std::wstring(wargv[1]) == wire::kSinkClientSwitch && ParseClsid(wargv[2], &clsid))
        return wire::RunSinkClient(clsid, wargv[3]);
    LocalFree(wargv);

    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    testing::AddGlobalTestEnvironment(new wire::WireEnvironment);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
