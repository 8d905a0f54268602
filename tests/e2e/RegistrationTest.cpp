// Registration through the command-line switches, checked in the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "RegistryProbe.h"
#include "com/RegistryKey.h"
#include "ServerProcess.h"

namespace {

const std::wstring kClsidKey = L"CLSID\\{1282FC28-A5E5-4AB3-A6EB-C2CF4B7F30FA}";
const std::wstring kProgId = L"srvZEV30.TZEV30.1";
const std::wstring kCurrentProgId = L"srvZEV30.TZEV30";
const std::wstring kClsid = L"{1282FC28-A5E5-4AB3-A6EB-C2CF4B7F30FA}";
const std::wstring kCatDa10 = L"{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}";
const std::wstring kCatDa20 = L"{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";
const std::wstring kIOPCServerKey = L"Interface\\{39C13A4D-011E-11D0-9675-0020AFD8ADB3}";
const std::wstring kIOPCShutdownKey = L"Interface\\{F31DFDE1-07B6-11D2-B2D8-0060083BA1FB}";

class Registration : public testing::Test {
protected:
    void SetUp() override { KillAllServers(); }
    // Every test leaves the server registered for the tests after it.
    void TearDown() override { EXPECT_EQ(RunServerToEnd(L"/RegServer"), 0u); }
};

void ExpectRegistered()
{
    EXPECT_EQ(ClassesRootDefault(kClsidKey), L"Quillmere ZEV-30 Server");
    const auto localServer = ClassesRootDefault(kClsidKey + L"\\LocalServer32");
    ASSERT_TRUE(localServer.has_value());
    EXPECT_EQ(localServer->substr(localServer->size() - 12), L"srvZEV30.exe");
    EXPECT_EQ(localServer->find(L' '), std::wstring::npos);
    EXPECT_EQ(ClassesRootDefault(kClsidKey + L"\\ProgID"), kProgId);
    EXPECT_EQ(ClassesRootDefault(kProgId), L"Quillmere ZEV-30 Server");
    EXPECT_EQ(ClassesRootDefault(kProgId + L"\\Clsid"), kClsid);
    EXPECT_EQ(ClassesRootDefault(kProgId + L"\\Opc\\Vendor"), L"Vornhalt");
    EXPECT_TRUE(ClassesRootKeyExists(kClsidKey + L"\\Implemented Categories\\" + kCatDa10));
    EXPECT_TRUE(ClassesRootKeyExists(kClsidKey + L"\\Implemented Categories\\" + kCatDa20));
    EXPECT_TRUE(ClassesRootKeyExists(L"Component Categories\\" + kCatDa10));
    EXPECT_TRUE(ClassesRootKeyExists(L"Component Categories\\" + kCatDa20));
    // Clients that name the server without a version, and DCOM's settings.
    EXPECT_EQ(ClassesRootDefault(kCurrentProgId), L"Quillmere ZEV-30 Server");
    EXPECT_EQ(ClassesRootDefault(kCurrentProgId + L"\\Clsid"), kClsid);
    EXPECT_EQ(ClassesRootDefault(kCurrentProgId + L"\\CurVer"), kProgId);
    EXPECT_FALSE(ClassesRootKeyExists(kCurrentProgId + L"\\Opc")) << "OPC browsers list the server once";
    EXPECT_EQ(ClassesRootDefault(kClsidKey + L"\\VersionIndependentProgID"), kCurrentProgId);
    EXPECT_EQ(ClassesRootValue(kClsidKey, L"AppID"), kClsid);
    EXPECT_EQ(ClassesRootDefault(L"AppID\\" + kClsid), L"Quillmere ZEV-30 Server");
    EXPECT_EQ(ClassesRootValue(L"AppID\\srvZEV30.exe", L"AppID"), kClsid);
    // The interface proxies come with the server.
    EXPECT_TRUE(ClassesRootKeyExists(kIOPCServerKey + L"\\ProxyStubClsid32"));
    EXPECT_TRUE(ClassesRootKeyExists(kIOPCShutdownKey + L"\\ProxyStubClsid32"));
}

void ExpectUnregistered()
{
    EXPECT_FALSE(ClassesRootKeyExists(kClsidKey));
    EXPECT_FALSE(ClassesRootKeyExists(kProgId));
    EXPECT_FALSE(ClassesRootKeyExists(kIOPCServerKey));
    EXPECT_FALSE(ClassesRootKeyExists(kCurrentProgId));
    EXPECT_FALSE(ClassesRootKeyExists(L"AppID\\" + kClsid));
    EXPECT_FALSE(ClassesRootKeyExists(L"AppID\\srvZEV30.exe"));
}

}  // namespace

TEST_F(Registration, RegServerWritesEveryKeyAndEndsWithoutWindow)
{
    ASSERT_EQ(RunServerToEnd(L"-unregserver"), 0u);
    ExpectUnregistered();
    TProcess server(BesideTest(kServerExe), L"/RegServer");
    ASSERT_TRUE(server.Started());
    DWORD code = 1;
    ASSERT_TRUE(server.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
    ExpectRegistered();
}

TEST_F(Registration, SwitchesIgnoreLetterCaseAndAcceptEitherPrefix)
{
    ASSERT_EQ(RunServerToEnd(L"/UNREGSERVER"), 0u);
    ExpectUnregistered();
    ASSERT_EQ(RunServerToEnd(L"-regserver"), 0u);
    ExpectRegistered();
}

TEST_F(Registration, RegisteringAgainKeepsTheFirstVendorValue)
{
    SetClassesRootDefault(kProgId + L"\\Opc\\Vendor", L"Installer Vendor");
    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    EXPECT_EQ(ClassesRootDefault(kProgId + L"\\Opc\\Vendor"), L"Installer Vendor");
    // Back to the server's own vendor value.
    ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
}

TEST_F(Registration, UnregServerRemovesEveryKeyAndTheProxies)
{
    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    ASSERT_EQ(RunServerToEnd(L"-UnregServer"), 0u);
    ExpectUnregistered();
    EXPECT_FALSE(ClassesRootKeyExists(kClsidKey + L"\\LocalServer32"));
    EXPECT_FALSE(ClassesRootKeyExists(kProgId + L"\\Opc"));
    EXPECT_FALSE(ClassesRootKeyExists(kIOPCShutdownKey));
}

TEST_F(Registration, ArgumentWithoutPrefixOrWithSuffixIsANormalStart)
{
    for (const wchar_t* args : {L"REGSERVER", L"/REGSERVER:x"}) {
        SCOPED_TRACE(std::wstring(args) == L"REGSERVER" ? "REGSERVER" : "/REGSERVER:x");
        TProcess server(BesideTest(kServerExe), args);
        ASSERT_TRUE(server.Started());
        HWND window = WaitForServerMainWindow(server.Id(), 20000);
        ASSERT_NE(window, nullptr) << "a normal start creates the main window";
        EXPECT_FALSE(server.WaitForExit(1000));
        // No client holds an object, so closing needs no confirmation.
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(server.WaitForExit(20000));
    }
}

TEST_F(Registration, MissingProxyDllFailsRegisterAfterWritingTheClassKeys)
{
    // A copy of the server in a folder without the proxy DLL.
    const std::wstring folder = BesideTest(L"no-proxy");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\" + kServerExe;
    ASSERT_TRUE(CopyFileW(BesideTest(kServerExe).c_str(), copy.c_str(), FALSE));

    TProcess server(copy, L"/RegServer");
    ASSERT_TRUE(server.Started());
    DWORD code = 0;
    ASSERT_TRUE(server.WaitForExit(30000, &code));
    EXPECT_NE(code, 0u) << "a register start reports the missing proxy DLL";
    const auto localServer = ClassesRootDefault(kClsidKey + L"\\LocalServer32");
    ASSERT_TRUE(localServer.has_value());
    EXPECT_NE(localServer->find(L"no-proxy"), std::wstring::npos) << "the class keys are written all the same";
    DeleteFileW(copy.c_str());
}

TEST_F(Registration, CurrentProgIdOfAnotherClassIsLeftAtUnregister)
{
    // A later version installed beside this one owns srvZEV30.TZEV30 now.
    const std::wstring later = L"{6B1B0C1E-3A43-4F8B-9E4B-3E9B0A0C2D11}";
    SetClassesRootDefault(kCurrentProgId + L"\\Clsid", later);
    SetClassesRootDefault(kCurrentProgId + L"\\CurVer", L"srvZEV30.TZEV30.2");
    SetClassesRootDefault(L"AppID\\srvZEV30.exe", L"");
    {
        TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, L"AppID\\srvZEV30.exe", KEY_WRITE);
        key.SetString(L"AppID", later);
    }
    ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
    EXPECT_EQ(ClassesRootDefault(kCurrentProgId + L"\\Clsid"), later);
    EXPECT_EQ(ClassesRootValue(L"AppID\\srvZEV30.exe", L"AppID"), later);
    EXPECT_FALSE(ClassesRootKeyExists(kProgId));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kCurrentProgId.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"AppID\\srvZEV30.exe");
}

TEST_F(Registration, ClientsReachTheServerByTheCurrentProgId)
{
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kCurrentProgId.c_str(), &clsid), S_OK);
    ComPtr<IOPCServer> server;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                               reinterpret_cast<void**>(server.GetAddressOf())),
              S_OK);
    server.Reset();
    EXPECT_TRUE(WaitForNoServer(20000));
}

TEST_F(Registration, OpcCategoriesGoWithTheLastServerImplementingThem)
{
    // Another OPC server's class that implements some of the categories.
    const std::wstring other = L"CLSID\\{0E1A9F7C-8D2B-4C55-9A31-5B7D2E6F4C80}";
    struct TCase {
        const char* Name;
        std::vector<std::wstring> OtherImplements;
    };
    for (const TCase& c : {TCase{"no other server", {}}, TCase{"another DA 2.0 server", {kCatDa20}},
                           TCase{"another DA 1.0 and 2.0 server", {kCatDa10, kCatDa20}}}) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
        for (const auto& category : c.OtherImplements)
            SetClassesRootDefault(other + L"\\Implemented Categories\\" + category, L"");
        ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
        for (const auto& category : {kCatDa10, kCatDa20}) {
            const bool used =
                std::find(c.OtherImplements.begin(), c.OtherImplements.end(), category) != c.OtherImplements.end();
            EXPECT_EQ(ClassesRootKeyExists(L"Component Categories\\" + category), used)
                << testing::PrintToString(category);
        }
        RegDeleteTreeW(HKEY_CLASSES_ROOT, other.c_str());
    }
}
