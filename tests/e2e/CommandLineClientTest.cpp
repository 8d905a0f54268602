// The command-line client that checks installations, x64 and x86 (through the
// 32-bit proxy DLL), against what this test reads from the server itself. The
// x86 cases run where the machine runs 32-bit programs.
#include <gtest/gtest.h>

#include <sstream>

#include "ConnectedServer.h"
#include "ProxiedInterfaces.h"
#include "RegistryProbe.h"
#include "com/RegistryKey.h"
#include "com/TextUtil.h"
#include "ToolProcess.h"
#include "registration/ServerRegistration.h"

namespace {

constexpr wchar_t kValueItem[] = L"Float.Chamber Pressure";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool Runs32BitPrograms()
{
    wchar_t dir[MAX_PATH] = {};
    if (GetSystemWow64DirectoryW(dir, MAX_PATH) == 0) return false;
    return GetFileAttributesW((std::wstring(dir) + L"\\regsvr32.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The default value of HKCR\path in a registry view.
std::optional<std::wstring> ViewDefault(REGSAM view, const std::wstring& path)
{
    const TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, path, KEY_READ | view);
    if (!key) return std::nullopt;
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    const LSTATUS rc = RegGetValueW(key.get(), nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    return rc == ERROR_SUCCESS ? std::optional<std::wstring>(value) : std::nullopt;
}

// What the server tells this test directly, in the client's output format.
struct TExpected {
    std::string Vendor, Version;
    std::vector<std::string> Browse;
};

struct TClientCase {
    const char* Name;
    const wchar_t* Exe;
    bool Needs32Bit;
    REGSAM View;           // the registry view the client's COM reads
    const wchar_t* Proxy;  // the proxy DLL registered there
};

class CommandLineClient : public ConnectedServer, public testing::WithParamInterface<TClientCase> {
protected:
    static void SetUpTestSuite()
    {
        ConnectedServer::SetUpTestSuite();
        if (Runs32BitPrograms()) registered32_ = RunRegsvr32(BesideTest(L"QuillmereOpcPS32.dll"), false, true) == 0;
    }
    static void TearDownTestSuite()
    {
        if (registered32_) RunRegsvr32(BesideTest(L"QuillmereOpcPS32.dll"), true, true);
        ConnectedServer::TearDownTestSuite();
    }
    void SetUp() override
    {
        ConnectedServer::SetUp();
        if (!GetParam().Needs32Bit) return;
        if (!Runs32BitPrograms())
            GTEST_SKIP() << "this machine runs no 32-bit Windows programs (no wine32, or a kernel without them)";
        ASSERT_TRUE(registered32_) << "the 32-bit regsvr32 failed on the 32-bit proxy";
    }

    std::string Run(const std::wstring& args)
    {
        const TToolRun run = RunTool(GetParam().Exe, args);
        EXPECT_EQ(run.ExitCode, 0u) << run.Output;
        return run.Output;
    }

    TExpected Expected()
    {
        TExpected expected;
        OPCSERVERSTATUS* status = nullptr;
        EXPECT_EQ(server_->GetStatus(&status), S_OK);
        expected.Vendor = WideToUtf8(TakeString(status->szVendorInfo));
        expected.Version = std::to_string(status->wMajorVersion) + "." + std::to_string(status->wMinorVersion) + "." +
                           std::to_string(status->wBuildNumber);
        CoTaskMemFree(status);

        ComPtr<IEnumString> names;
        EXPECT_EQ(As<IOPCBrowseServerAddressSpace>()->BrowseOPCItemIDs(OPC_FLAT, const_cast<LPWSTR>(L""), VT_EMPTY, 0,
                                                                       names.GetAddressOf()),
                  S_OK);
        LPWSTR name = nullptr;
        ULONG fetched = 0;
        while (names->Next(1, &name, &fetched) == S_OK) expected.Browse.push_back(WideToUtf8(TakeString(name)));
        return expected;
    }

    static inline bool registered32_ = false;
};

}  // namespace

TEST_P(CommandLineClient, StatusAndBrowseAreWhatTheServerSays)
{
    const TExpected expected = Expected();
    const std::string status = Run(L"status --json");
    EXPECT_EQ(JsonField(status, "server", "srvZEV30.TZEV30.1", "vendor"), expected.Vendor) << status;
    EXPECT_EQ(JsonField(status, "server", "srvZEV30.TZEV30.1", "version"), expected.Version) << status;
    std::vector<std::string> browsed;
    for (const std::string& line : Lines(Run(L"browse --json"))) {
        const std::string name = line.substr(0, line.find("\"}"));
        if (name.rfind("{\"item\":\"", 0) == 0) browsed.push_back(name.substr(9));
    }
    EXPECT_EQ(browsed.size(), 132u);
    EXPECT_EQ(browsed, expected.Browse);
}

// Values go both ways through the client's proxies: a write, its read from
// cache and device, and the data changes of a subscription.
TEST_P(CommandLineClient, WritesReadsAndReceivesDataChanges)
{
    const std::string text = std::string("written by ") + GetParam().Name;
    const std::wstring wide(text.begin(), text.end());
    Run(L"write \"String.Remote State=" + wide + L"\"");
    for (const wchar_t* source : {L"", L" --device"}) {
        const std::string read = Run(std::wstring(L"read \"String.Remote State\" --json") + source);
        EXPECT_EQ(JsonField(read, "item", "String.Remote State", "value"), text) << read;
        EXPECT_EQ(JsonField(read, "item", "String.Remote State", "quality"), "good") << read;
    }
    const std::string watched = Run(L"watch \"String.Remote State\" --rate 100 --seconds 2 --json");
    EXPECT_EQ(JsonField(watched, "item", "String.Remote State", "value"), text) << watched;
}

TEST_P(CommandLineClient, ProxyIsRegisteredInTheClientsRegistryView)
{
    for (const IID* iid : kProxiedInterfaces)
        EXPECT_EQ(ViewDefault(GetParam().View, L"Interface\\" + GuidToString(*iid) + L"\\ProxyStubClsid32"),
                  kProxyClassId);
    const auto dll = ViewDefault(GetParam().View, std::wstring(L"CLSID\\") + kProxyClassId + L"\\InprocServer32");
    ASSERT_TRUE(dll.has_value());
    EXPECT_EQ(dll->substr(dll->find_last_of(L'\\') + 1), GetParam().Proxy);
}

INSTANTIATE_TEST_SUITE_P(
    Bitness, CommandLineClient,
    testing::Values(TClientCase{"x64", L"OpcClient.exe", false, KEY_WOW64_64KEY, L"QuillmereOpcPS.dll"},
                    TClientCase{"x86", L"OpcClient32.exe", true, KEY_WOW64_32KEY, L"QuillmereOpcPS32.dll"}),
    [](const testing::TestParamInfo<TClientCase>& info) { return std::string(info.param.Name); });
