// The companion simulator plays its run into the real server, and a remote
// command that one client writes is what the simulator obeys.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include <functional>

#include "HandStartedServer.h"
#include "ToolProcess.h"
#include "com/UniqueHandle.h"

namespace {

class SimulatorRun : public HandStartedServer {};

// Asks a program without a console to end, as Ctrl-C would: WM_QUIT to its threads.
void AskToQuit(DWORD processId)
{
    const TUniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == processId) PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
}

std::string ReadValue(const std::string& item)
{
    const TToolRun run = RunClient(L"read \"" + std::wstring(item.begin(), item.end()) + L"\" --json");
    return JsonField(run.Output, "item", item, "value");
}

// Reads item until accept(value) holds or timeoutMs passes; the last value.
std::string AwaitValue(const std::string& item, const std::function<bool(const std::string&)>& accept,
                       DWORD timeoutMs = 20000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::string value;
    do {
        value = ReadValue(item);
        if (accept(value)) break;
        Sleep(300);  // between two runs of the client that reads the value waited for
    } while (GetTickCount64() < deadline);
    return value;
}

TEST_F(SimulatorRun, ValuesArriveAndTheRemoteFlagsDriveTheRun)
{
    TProcess simulator(BesideTest(L"SimQuillmere.exe"), L"--seconds 60");
    ASSERT_TRUE(simulator.Started());
    const std::string stamp = AwaitValue("String.Date And Time", [](const std::string& v) { return !v.empty(); });
    ASSERT_FALSE(stamp.empty()) << "the simulator wrote nothing";
    EXPECT_FALSE(ReadValue("Float.Chamber Pressure").empty());
    EXPECT_FALSE(ReadValue("String.Xtal-1 RawFreq").empty());
    EXPECT_EQ(ReadValue("String.Last Process Run Sheet"), "AR-Coating 550nm");
    EXPECT_EQ(ReadValue("Number.Layer Number"), "1");
    EXPECT_NE(AwaitValue("String.Date And Time", [&](const std::string& v) { return v != stamp; }), stamp)
        << "the clock moves once a second";

    // Another client stops the run; the simulator obeys and clears the flag.
    ASSERT_EQ(RunClient(L"write \"Flag.Remote STOP=1\"").ExitCode, 0u);
    EXPECT_EQ(AwaitValue("String.DM-State", [](const std::string& v) { return v == "Stopped"; }), "Stopped");
    EXPECT_EQ(AwaitValue("Flag.Remote STOP", [](const std::string& v) { return v == "0"; }), "0");
    EXPECT_EQ(ReadValue("Flag.Process IS Running"), "0");

    ASSERT_EQ(RunClient(L"write \"Flag.Remote START=True\"").ExitCode, 0u);
    EXPECT_EQ(AwaitValue("Flag.Process IS Running", [](const std::string& v) { return v == "1"; }), "1");
    EXPECT_NE(ReadValue("String.DM-State"), "Stopped");

    ASSERT_EQ(RunClient(L"write \"Flag.Remote RESET=1\"").ExitCode, 0u);
    EXPECT_EQ(AwaitValue("String.DM-State", [](const std::string& v) { return v == "Idle"; }), "Idle");
    EXPECT_EQ(ReadValue("Number.Layer Number"), "0");

    // Asked to end, it releases what it holds (a killed client's objects would
    // stay in the server for good, and closing the server would ask first).
    AskToQuit(simulator.Id());
    DWORD exit = 1;
    EXPECT_TRUE(simulator.WaitForExit(20000, &exit));
    EXPECT_EQ(exit, 0u);
}

}  // namespace
