// The registration checks of "diagnose" against a registration laid out in a
// key of its own, complete and then broken one way at a time: each fault is
// named by its own check, with the command that repairs it, and by no other.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "Diagnose.h"
#include "ProxiedInterfaces.h"
#include "opcda.h"
#include "com/ModulePath.h"
#include "com/RegistryKey.h"

namespace {

constexpr wchar_t kProgId[] = L"Test.Server.1";
constexpr wchar_t kClassId[] = L"{0DF01D1E-7A53-4E0E-9C39-5D3D2D6C0A11}";

std::wstring Guid(const GUID& g)
{
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

class DiagnoseRegistration : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        LSTATUS created = ERROR_SUCCESS;
        root_ = TRegistryKey::Create(HKEY_CURRENT_USER, kRoot, KEY_ALL_ACCESS, &created);
        ASSERT_EQ(created, ERROR_SUCCESS);
        // A whole registration. Every file it names exists: this program stands
        // in for the server and the proxy DLL.
        const std::wstring server = ModuleFilePath();
        Set(std::wstring(kProgId) + L"\\CLSID", kClassId);
        Set(std::wstring(kProgId) + L"\\OPC\\Vendor", L"Vornhalt");
        Set(ClassKey(), L"Test server");
        Set(ClassKey() + L"\\LocalServer32", server);
        Set(ClassKey() + L"\\ProgID", kProgId);
        for (const GUID* cat : {&CATID_OPCDAServer10, &CATID_OPCDAServer20}) {
            Set(ClassKey() + L"\\Implemented Categories\\" + Guid(*cat), L"");
            Set(L"Component Categories\\" + Guid(*cat), L"");
        }
        for (const auto& itf : OpcInterfaces())
            Set(L"Interface\\" + Guid(itf.Id) + L"\\ProxyStubClsid32", kProxyClassId);
        Set(std::wstring(L"CLSID\\") + kProxyClassId + L"\\InprocServer32", server);
    }
    void TearDown() override
    {
        root_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    }

public:
    static std::wstring ClassKey() { return std::wstring(L"CLSID\\") + kClassId; }
    void Set(const std::wstring& path, const std::wstring& value)
    {
        ASSERT_EQ(RegSetKeyValueW(root_.get(), path.c_str(), nullptr, REG_SZ, value.c_str(),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS)
            << "set " << std::string(path.begin(), path.end());
    }
    void Delete(const std::wstring& path) { ASSERT_EQ(RegDeleteTreeW(root_.get(), path.c_str()), ERROR_SUCCESS); }

protected:
    std::vector<TCheck> Check(TRegistrationFacts& facts)
    {
        return CheckRegistration(TClassesRoot(root_.get()), kProgId, L"C:\\fallback\\Test.exe", facts);
    }

    static constexpr wchar_t kRoot[] = L"Software\\QuillmereToolsTest\\Classes";
    TRegistryKey root_;
};

TEST_F(DiagnoseRegistration, AWholeRegistrationPassesEveryCheck)
{
    TRegistrationFacts facts;
    const std::vector<TCheck> checks = Check(facts);
    EXPECT_EQ(checks.size(), 6u + OpcInterfaces().size());
    for (const auto& c : checks) EXPECT_TRUE(c.Ok) << std::string(c.Name.begin(), c.Name.end());
    ASSERT_TRUE(facts.ClassId.has_value());
    EXPECT_EQ(Guid(*facts.ClassId), kClassId);
    EXPECT_EQ(facts.ServerExe, ModuleFilePath());
}

struct TBreakage {
    const char* Name;
    std::function<void(DiagnoseRegistration&)> Break;
    std::set<std::wstring> Failing;  // the checks that must fail, and only they
    const wchar_t* Detail;           // part of the first failing check's text
    const wchar_t* Fix;              // part of its fix
};

std::set<std::wstring> AllProxies()
{
    std::set<std::wstring> names;
    for (const auto& itf : OpcInterfaces()) names.insert(std::wstring(L"proxy ") + itf.Name);
    return names;
}

class Breakages : public DiagnoseRegistration, public testing::WithParamInterface<TBreakage> {};

TEST_P(Breakages, AreNamedByTheirOwnCheckWithTheirFix)
{
    const TBreakage& b = GetParam();
    b.Break(*this);
    TRegistrationFacts facts;
    std::set<std::wstring> failing;
    const TCheck* first = nullptr;
    const std::vector<TCheck> checks = Check(facts);
    for (const auto& c : checks) {
        if (c.Ok) {
            EXPECT_TRUE(c.Fix.empty());
            continue;
        }
        failing.insert(c.Name);
        if (!first) first = &c;
        EXPECT_FALSE(c.Fix.empty()) << "every problem comes with its fix";
    }
    EXPECT_EQ(failing, b.Failing);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->Detail.find(b.Detail), std::wstring::npos)
        << std::string(first->Detail.begin(), first->Detail.end());
    EXPECT_NE(first->Fix.find(b.Fix), std::wstring::npos) << std::string(first->Fix.begin(), first->Fix.end());
}

const std::wstring kRegister = L"\" /RegServer";

INSTANTIATE_TEST_SUITE_P(
    Diagnose, Breakages,
    testing::Values(TBreakage{"proxy_dll_missing",
                              [](auto& t) {
                                  t.Set(std::wstring(L"CLSID\\") + kProxyClassId + L"\\InprocServer32",
                                        ModuleFolder() + L"gone\\QuillmereOpcPS.dll");
                              },
                              AllProxies(), L"gone\\QuillmereOpcPS.dll does not exist", L"regsvr32 \""},
                    TBreakage{"one_interface_without_proxy",
                              [](auto& t) { t.Delete(L"Interface\\" + Guid(IID_IOPCShutdown)); },
                              {L"proxy IOPCShutdown"},
                              L"ProxyStubClsid32 is missing",
                              L"QuillmereOpcPS.dll"},
                    TBreakage{"da10_category_not_implemented",
                              [](auto& t) {
                                  t.Delete(DiagnoseRegistration::ClassKey() + L"\\Implemented Categories\\" +
                                           Guid(CATID_OPCDAServer10));
                              },
                              {L"OPC DA 1.0 category"},
                              L"does not list",
                              kRegister.c_str()},
                    TBreakage{"da20_category_unknown",
                              [](auto& t) { t.Delete(L"Component Categories\\" + Guid(CATID_OPCDAServer20)); },
                              {L"OPC DA 2.0 category"},
                              L"Component Categories",
                              kRegister.c_str()},
                    TBreakage{"server_file_gone",
                              [](auto& t) {
                                  t.Set(DiagnoseRegistration::ClassKey() + L"\\LocalServer32", L"C:\\nowhere\\srv.exe");
                              },
                              {L"LocalServer32"},
                              L"C:\\nowhere\\srv.exe, which does not exist",
                              L"\"C:\\fallback\\Test.exe\" /RegServer"},
                    TBreakage{"progid_missing",
                              [](auto& t) { t.Delete(kProgId); },
                              {std::wstring(L"ProgID ") + kProgId, L"LocalServer32", L"ProgID of the class",
                               L"OPC DA 1.0 category", L"OPC DA 2.0 category", L"OPC vendor key"},
                              L"cannot find the server by name",
                              L"/RegServer"},
                    TBreakage{"progid_not_named_back",
                              [](auto& t) { t.Set(DiagnoseRegistration::ClassKey() + L"\\ProgID", L"Other.Server.1"); },
                              {L"ProgID of the class"},
                              L"\"Other.Server.1\"",
                              kRegister.c_str()},
                    TBreakage{"vendor_value_missing",
                              [](auto& t) { t.Delete(std::wstring(kProgId) + L"\\OPC\\Vendor"); },
                              {L"OPC vendor key"},
                              L"missing or empty",
                              L"/UnregServer, then"}),
    [](const testing::TestParamInfo<TBreakage>& info) { return std::string(info.param.Name); });

TEST(DiagnosePaths, CommandLinesGiveTheirProgram)
{
    const std::wstring self = ModuleFilePath();
    EXPECT_EQ(CommandPath(L"\"C:\\Program Files\\x.exe\" -Embedding"), L"C:\\Program Files\\x.exe");
    EXPECT_EQ(CommandPath(self + L" -Embedding"), self);
    EXPECT_EQ(CommandPath(self), self);
    EXPECT_FALSE(FileExists(ModuleFolder()));
}

}  // namespace
