// The command-line client that checks installations, x64 and x86 (through the
// 32-bit proxy DLL), against what this test reads from the server itself. The
// x86 cases run where the machine runs 32-bit programs.
#include <gtest/gtest.h>

#include <sstream>

#include "ConnectedServer.h"
#include "ProxiedInterfaces.h"
#include "RegistryProbe.h"
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

std::string Utf8(const std::wstring& text)
{
    std::string result(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), static_cast<int>(result.size()), nullptr, nullptr);
    result.pop_back();
    return result;
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
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return std::nullopt;
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    const LSTATUS rc = RegGetValueW(key, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::optional<std::wstring>(value) : std::nullopt;
}

// What the server tells this test directly, in the client's output format.
struct TExpected {
    std::vector<std::string> Status, Browse, Read;
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

    std::vector<std::string> Run(const std::wstring& args)
    {
        std::string output;
        EXPECT_EQ(RunToEnd(BesideTest(GetParam().Exe), args, output), 0u) << output;
        return Lines(output);
    }

    TExpected Expected()
    {
        TExpected expected;
        OPCSERVERSTATUS* status = nullptr;
        EXPECT_EQ(server_->GetStatus(&status), S_OK);
        expected.Status = {"state=" + std::to_string(status->dwServerState),
                           "vendor=" + Utf8(TakeString(status->szVendorInfo)),
                           "version=" + std::to_string(status->wMajorVersion) + "." +
                               std::to_string(status->wMinorVersion) + "." + std::to_string(status->wBuildNumber)};
        CoTaskMemFree(status);

        ComPtr<IEnumString> names;
        EXPECT_EQ(As<IOPCBrowseServerAddressSpace>()->BrowseOPCItemIDs(OPC_FLAT, const_cast<LPWSTR>(L""), VT_EMPTY, 0,
                                                                       names.GetAddressOf()),
                  S_OK);
        LPWSTR name = nullptr;
        ULONG fetched = 0;
        while (names->Next(1, &name, &fetched) == S_OK) expected.Browse.push_back(Utf8(TakeString(name)));

        DWORD property = 2;
        VARIANT* values = nullptr;
        HRESULT* errors = nullptr;
        EXPECT_EQ(As<IOPCItemProperties>()->GetItemProperties(const_cast<LPWSTR>(kValueItem), 1, &property, &values,
                                                              &errors),
                  S_OK);
        expected.Read = {
            Utf8(std::wstring(kValueItem) + L"=" + (V_VT(&values[0]) == VT_BSTR ? V_BSTR(&values[0]) : L"?"))};
        VariantClear(&values[0]);
        CoTaskMemFree(values);
        CoTaskMemFree(errors);
        return expected;
    }

    static inline bool registered32_ = false;
};

}  // namespace

TEST_P(CommandLineClient, StatusBrowseAndValueAreWhatTheServerSays)
{
    const TExpected expected = Expected();
    EXPECT_EQ(Run(L"status"), expected.Status);
    const std::vector<std::string> browsed = Run(L"browse");
    EXPECT_EQ(browsed.size(), 132u);
    EXPECT_EQ(browsed, expected.Browse);
    EXPECT_EQ(Run(L"read \"Float.Chamber Pressure\""), expected.Read);
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
