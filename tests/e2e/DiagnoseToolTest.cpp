// "OpcClient diagnose" against the registration in the prefix: whole, then
// broken the way plant PCs break it, then repaired by the command it names.
#include <gtest/gtest.h>

#include "ProxiedInterfaces.h"
#include "RegistryProbe.h"
#include "ServerProcess.h"
#include "ToolProcess.h"

namespace {

const std::wstring kClsidKey = L"CLSID\\{1282FC28-A5E5-4AB3-A6EB-C2CF4B7F30FA}";
const std::wstring kProxyServerKey = std::wstring(L"CLSID\\") + kProxyClassId + L"\\InprocServer32";
const std::wstring kCatDa10 = L"{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}";

class DiagnoseTool : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForNoServer(20000)); }
    // Whatever a test broke, the next one finds the server registered.
    void TearDown() override
    {
        EXPECT_EQ(RunServerToEnd(L"/RegServer"), 0u);
        WaitForNoServer(20000);
    }
};

TEST_F(DiagnoseTool, AWholeRegistrationHoldsAndNamesTheProcessThatAnswered)
{
    const TToolRun run = RunClient(L"diagnose --seconds 30");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "All 19 checks hold.")) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "OK    proxy IOPCDataCallback: ")) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "srvZEV30.exe, server started")) << run.Output;
}

TEST_F(DiagnoseTool, AMissingCategoryFailsWithAFixThatRepairsIt)
{
    ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, (kClsidKey + L"\\Implemented Categories\\" + kCatDa10).c_str()),
              ERROR_SUCCESS);
    const TToolRun broken = RunClient(L"diagnose --json");
    EXPECT_EQ(broken.ExitCode, 1u) << broken.Output;
    EXPECT_EQ(JsonField(broken.Output, "check", "OPC DA 1.0 category", "ok"), "false") << broken.Output;
    EXPECT_EQ(JsonField(broken.Output, "check", "OPC DA 2.0 category", "ok"), "true");
    EXPECT_EQ(JsonField(broken.Output, "check", "activation", "ok"), "true") << "clients that ask by class still work";
    const std::string fix = JsonField(broken.Output, "check", "OPC DA 1.0 category", "fix");
    EXPECT_TRUE(Contains(fix, "srvZEV30.exe\\\" /RegServer") || Contains(fix, "srvZEV30.exe\" /RegServer")) << fix;

    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);  // the fix it names
    EXPECT_EQ(RunClient(L"diagnose").ExitCode, 0u);
}

TEST_F(DiagnoseTool, AProxyDllThatIsGoneFailsEveryInterfaceAndTheActivation)
{
    const auto dll = ClassesRootDefault(kProxyServerKey);
    ASSERT_TRUE(dll.has_value());
    SetClassesRootDefault(kProxyServerKey, L"C:\\gone\\QuillmereOpcPS.dll");
    const TToolRun broken = RunClient(L"diagnose --json --seconds 20");
    EXPECT_EQ(broken.ExitCode, 1u) << broken.Output;
    for (const char* itf : {"IOPCServer", "IOPCSyncIO", "IOPCDataCallback", "IOPCShutdown"}) {
        const std::string check = std::string("proxy ") + itf;
        EXPECT_EQ(JsonField(broken.Output, "check", check, "ok"), "false") << check << "\n" << broken.Output;
        EXPECT_TRUE(Contains(JsonField(broken.Output, "check", check, "detail"), "C:\\gone\\QuillmereOpcPS.dll"));
        EXPECT_TRUE(Contains(JsonField(broken.Output, "check", check, "fix"), "QuillmereOpcPS.dll")) << check;
    }
    EXPECT_EQ(JsonField(broken.Output, "check", "LocalServer32", "ok"), "true");
}

}  // namespace
