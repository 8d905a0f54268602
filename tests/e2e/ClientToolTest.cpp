// OpcClient.exe against the real server: what it prints, and its exit status
// for success, failing items and connection or usage errors.
#include <gtest/gtest.h>

#include "GroupClient.h"
#include "HandStartedServer.h"
#include "ToolProcess.h"

namespace {

class ClientTool : public HandStartedServer {};

struct TClientCase {
    const char* Name;
    const wchar_t* Args;
    DWORD Exit;
    std::vector<std::string> Printed;  // parts of what it prints
};

class ClientToolCases : public ClientTool, public testing::WithParamInterface<TClientCase> {};

TEST_P(ClientToolCases, PrintAndExitAsDocumented)
{
    const TClientCase& c = GetParam();
    const TToolRun run = RunClient(c.Args);
    EXPECT_EQ(run.ExitCode, c.Exit) << run.Output;
    for (const auto& part : c.Printed) EXPECT_TRUE(Contains(run.Output, part)) << part << "\nin:\n" << run.Output;
}

INSTANTIATE_TEST_SUITE_P(
    E2e, ClientToolCases,
    testing::Values(
        TClientCase{"status", L"status --json", 0, {"\"state\":\"running\"", "\"vendor\":\"Vornhalt Quillmere"}},
        TClientCase{"browse_mask",
                    L"browse \"Float.*Power*\"",
                    0,
                    {"Float.Source X Power (%)", "Float.MRLD Source Power (%)", "4 items matching"}},
        TClientCase{"props",
                    L"props \"String.DM-State\" --json",
                    0,
                    {"\"description\":\"Item Canonical Data Type\"", "\"value\":\"VT_BSTR\"",
                     "\"value\":\"read/write\""}},
        TClientCase{"props_of_unknown_item",
                    L"props Nope.Item",
                    1,
                    {"The item definition doesn't conform to the server's syntax.", "OPC_E_INVALIDITEMID 0xC0040008"}},
        TClientCase{"read_with_a_bad_item",
                    L"read \"String.Coating Plant Name\" Nope.Item --json",
                    1,
                    {"\"item\":\"String.Coating Plant Name\",\"value\":", "\"code\":\"0xC0040008\""}},
        TClientCase{"write_text_to_a_number",
                    L"write \"Float.Rate Measured (A/s)=abc\"",
                    1,
                    {"OPC_E_BADTYPE 0xC0040004", "failed"}},
        TClientCase{"unknown_server",
                    L"status --progid No.Such.Server.1",
                    2,
                    {"the ProgID No.Such.Server.1 is not registered", "0x800401F3", "OpcClient diagnose"}},
        TClientCase{"usage", L"read --rate 5 A", 2, {"--rate does not apply to read"}},
        TClientCase{"help", L"watch --help", 0, {"Usage: OpcClient watch ITEM...", "--da1"}}),
    [](const testing::TestParamInfo<TClientCase>& info) { return std::string(info.param.Name); });

TEST_F(ClientTool, WrittenValuesReadBackAsTheServerStoresThem)
{
    const TToolRun write = RunClient(L"write \"Float.Chamber Pressure=0.00025\" \"String.Remote State=client test\"");
    ASSERT_EQ(write.ExitCode, 0u) << write.Output;
    for (const wchar_t* source : {L"", L" --device"}) {
        const TToolRun read =
            RunClient(std::wstring(L"read \"Float.Chamber Pressure\" \"String.Remote State\" --json") + source);
        ASSERT_EQ(read.ExitCode, 0u) << read.Output;
        EXPECT_EQ(JsonField(read.Output, "item", "Float.Chamber Pressure", "value"), "0.0002500") << read.Output;
        EXPECT_EQ(JsonField(read.Output, "item", "String.Remote State", "value"), "client test");
        EXPECT_EQ(JsonField(read.Output, "item", "String.Remote State", "quality"), "good");
    }
}

TEST_F(ClientTool, WatchPrintsTheCurrentValuesAndStopsInTime)
{
    ASSERT_EQ(RunClient(L"write \"String.Remote Source=watched\"").ExitCode, 0u);
    const ULONGLONG started = GetTickCount64();
    const TToolRun watch = RunClient(L"watch \"String.Remote Source\" --rate 100 --seconds 2 --json");
    EXPECT_EQ(watch.ExitCode, 0u) << watch.Output;
    EXPECT_EQ(JsonField(watch.Output, "item", "String.Remote Source", "value"), "watched") << watch.Output;
    EXPECT_LT(GetTickCount64() - started, 20000u);
}

TEST_F(ClientTool, WatchThroughTheDa1AdviseDelivers)
{
    ASSERT_EQ(RunClient(L"write \"String.Remote Layer Material=MgF2\"").ExitCode, 0u);
    const TToolRun watch = RunClient(L"watch \"String.Remote Layer Material\" --da1 --seconds 2 --json");
    EXPECT_EQ(watch.ExitCode, 0u) << watch.Output;
    EXPECT_EQ(JsonField(watch.Output, "item", "String.Remote Layer Material", "value"), "MgF2") << watch.Output;
}

}  // namespace
