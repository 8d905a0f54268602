// The interface proxies beside another OPC installation. ForeignOpcPS.dll is
// a real proxy/stub DLL of the same interfaces that registers the way a
// typical vendor's DLL does: unconditionally, under the class of
// IID_IOPCServer. Whatever that installation left must survive this server's
// registration, its starts and its unregistration.
#include <gtest/gtest.h>

#include <algorithm>

#include "ProxiedInterfaces.h"
#include "RegistryProbe.h"
#include "RegistrySnapshot.h"
#include "ServerProcess.h"
#include "registration/ServerRegistration.h"

namespace {

constexpr wchar_t kForeignDll[] = L"ForeignOpcPS.dll";
constexpr wchar_t kProxyDll[] = L"QuillmereOpcPS.dll";
const std::wstring kProxyClassKey = std::wstring(L"CLSID\\") + kProxyClassId;
// An interface of a later OPC version that only the foreign DLL marshals.
const std::wstring kForeignOnlyInterface = L"Interface\\{85C0B427-2893-4CBC-BD78-E5FC5146F08F}";

std::wstring InterfaceKey(const IID& iid) { return L"Interface\\" + GuidToString(iid); }
std::wstring ForeignClassKey() { return L"CLSID\\" + GuidToString(IID_IOPCServer); }

// The foreign installation's keys, with the interfaces it does not carry left out.
TRegistrySnapshot ForeignKeys(const std::vector<const IID*>& lacking = {})
{
    TRegistrySnapshot all = SnapshotRegistry(HKEY_CLASSES_ROOT, ForeignClassKey());
    all.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, kForeignOnlyInterface));
    for (const IID* iid : kProxiedInterfaces)
        if (std::find(lacking.begin(), lacking.end(), iid) == lacking.end())
            all.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, InterfaceKey(*iid)));
    return all;
}

std::optional<std::wstring> ProxyClassOf(const IID& iid)
{
    return ClassesRootDefault(InterfaceKey(iid) + L"\\ProxyStubClsid32");
}

bool SamePathText(const std::optional<std::wstring>& path, const std::wstring& expected)
{
    return path && lstrcmpiW(path->c_str(), expected.c_str()) == 0;
}

bool ServerAnswers()
{
    ComPtr<IOPCServer> server = ConnectServer();
    if (!server) return false;
    OPCSERVERSTATUS* status = nullptr;
    const HRESULT hr = server->GetStatus(&status);
    if (status) {
        CoTaskMemFree(status->szVendorInfo);
        CoTaskMemFree(status);
    }
    return hr == S_OK;
}

class ProxyCoexistence : public testing::Test {
protected:
    void SetUp() override { KillAllServers(); }

    void TearDown() override
    {
        EXPECT_TRUE(WaitForNoServer(20000));
        CoFreeUnusedLibrariesEx(0, 0);
        RunRegsvr32(BesideTest(kForeignDll), true);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kForeignOnlyInterface.c_str());
        for (const auto& folder : folders_) {
            for (const wchar_t* file : {kServerExe, kProxyDll, kForeignDll})
                DeleteFileW((folder + L"\\" + file).c_str());
            RemoveDirectoryW(folder.c_str());
        }
        // The server beside the test is registered again for the tests after this one.
        EXPECT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    }

    // A folder beside the test holding copies of the given files.
    std::wstring Folder(const std::wstring& name, std::initializer_list<const wchar_t*> files)
    {
        const std::wstring folder = BesideTest(name);
        CreateDirectoryW(folder.c_str(), nullptr);
        folders_.push_back(folder);
        for (const wchar_t* file : files)
            EXPECT_TRUE(CopyFileW(BesideTest(file).c_str(), (folder + L"\\" + file).c_str(), FALSE));
        return folder;
    }

    // Another vendor's installation: its DLL registered by regsvr32, and an
    // interface only it knows pointing at its class.
    std::wstring InstallForeignProxy(const std::wstring& name)
    {
        const std::wstring dll = Folder(name, {kForeignDll}) + L"\\" + kForeignDll;
        EXPECT_EQ(RunRegsvr32(dll, false), 0u);
        SetClassesRootDefault(kForeignOnlyInterface, L"IOPCItemIO");
        SetClassesRootDefault(kForeignOnlyInterface + L"\\ProxyStubClsid32", GuidToString(IID_IOPCServer));
        return dll;
    }

    std::vector<std::wstring> folders_;
};

}  // namespace

TEST_F(ProxyCoexistence, WorkingForeignProxyIsLeftAsItWas)
{
    InstallForeignProxy(L"foreign-working");
    const TRegistrySnapshot before = ForeignKeys();

    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    EXPECT_EQ(RegistryChanges(before, ForeignKeys()), std::vector<std::wstring>{});
    EXPECT_TRUE(ServerAnswers()) << "the server is reached through the foreign proxy";
    ASSERT_TRUE(WaitForNoServer(20000));
    EXPECT_EQ(RegistryChanges(before, ForeignKeys()), std::vector<std::wstring>{}) << "after a COM start";

    ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
    EXPECT_EQ(RegistryChanges(before, ForeignKeys()), std::vector<std::wstring>{});
    EXPECT_FALSE(ClassesRootKeyExists(kProxyClassKey));
}

TEST_F(ProxyCoexistence, ForeignProxyWhoseFileIsGoneIsReplacedThenRemoved)
{
    const std::wstring foreign = InstallForeignProxy(L"foreign-gone");
    ASSERT_TRUE(DeleteFileW(foreign.c_str()));
    const TRegistrySnapshot foreignClass = SnapshotRegistry(HKEY_CLASSES_ROOT, ForeignClassKey());

    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    for (const IID* iid : kProxiedInterfaces) EXPECT_EQ(ProxyClassOf(*iid), kProxyClassId) << GuidToString(*iid);
    EXPECT_TRUE(ServerAnswers());
    ASSERT_TRUE(WaitForNoServer(20000));

    ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
    for (const IID* iid : kProxiedInterfaces) EXPECT_FALSE(ClassesRootKeyExists(InterfaceKey(*iid)));
    EXPECT_EQ(RegistryChanges(foreignClass, SnapshotRegistry(HKEY_CLASSES_ROOT, ForeignClassKey())),
              std::vector<std::wstring>{})
        << "another vendor's class key is never this server's to change";
    EXPECT_EQ(ClassesRootDefault(kForeignOnlyInterface + L"\\ProxyStubClsid32"), GuidToString(IID_IOPCServer));
}

TEST_F(ProxyCoexistence, InterfacesTheForeignProxyLacksAreAddedAndRemovedAlone)
{
    // An older foreign DLL without browsing and item properties.
    InstallForeignProxy(L"foreign-older");
    const std::vector<const IID*> lacking = {&IID_IOPCBrowseServerAddressSpace, &IID_IOPCItemProperties};
    for (const IID* iid : lacking) RegDeleteTreeW(HKEY_CLASSES_ROOT, InterfaceKey(*iid).c_str());
    const TRegistrySnapshot before = ForeignKeys(lacking);

    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    for (const IID* iid : lacking) EXPECT_EQ(ProxyClassOf(*iid), kProxyClassId) << GuidToString(*iid);
    EXPECT_EQ(RegistryChanges(before, ForeignKeys(lacking)), std::vector<std::wstring>{});
    {
        ComPtr<IOPCServer> server = ConnectServer();
        ASSERT_TRUE(server);
        ComPtr<IOPCItemProperties> properties;
        ASSERT_EQ(server.As(&properties), S_OK) << "marshalled by this server's proxy";
        DWORD count = 0;
        DWORD* ids = nullptr;
        LPWSTR* descriptions = nullptr;
        VARTYPE* types = nullptr;
        ASSERT_EQ(properties->QueryAvailableProperties(const_cast<LPWSTR>(L"Float.Chamber Pressure"), &count, &ids,
                                                       &descriptions, &types),
                  S_OK);
        EXPECT_GT(count, 0u);
        for (DWORD i = 0; i < count; ++i) CoTaskMemFree(descriptions[i]);
        CoTaskMemFree(ids);
        CoTaskMemFree(descriptions);
        CoTaskMemFree(types);
    }
    ASSERT_TRUE(WaitForNoServer(20000));

    ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
    for (const IID* iid : lacking) EXPECT_FALSE(ClassesRootKeyExists(InterfaceKey(*iid)));
    EXPECT_EQ(RegistryChanges(before, ForeignKeys(lacking)), std::vector<std::wstring>{});
}

TEST_F(ProxyCoexistence, LastInstallationToUnregisterRemovesTheProxies)
{
    // The copy beside the test leaves first, so that only the two below count.
    ASSERT_EQ(RunServerToEnd(L"/UnregServer"), 0u);
    const std::wstring first = Folder(L"install-first", {kServerExe, kProxyDll});
    const std::wstring second = Folder(L"install-second", {kServerExe, kProxyDll});
    struct TOrder {
        const wchar_t* Name;
        std::wstring LeavesFirst, LeavesLast;
    };
    for (const TOrder& order :
         {TOrder{L"first leaves first", first, second}, TOrder{L"last leaves first", second, first}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(order.Name)));
        ASSERT_EQ(RunToEnd(first + L"\\" + kServerExe, L"/RegServer"), 0u);
        ASSERT_EQ(RunToEnd(second + L"\\" + kServerExe, L"/RegServer"), 0u);
        EXPECT_TRUE(SamePathText(ClassesRootDefault(kProxyClassKey + L"\\InprocServer32"), first + L"\\" + kProxyDll))
            << "the first working copy keeps the class";

        ASSERT_EQ(RunToEnd(order.LeavesFirst + L"\\" + kServerExe, L"/UnregServer"), 0u);
        for (const IID* iid : kProxiedInterfaces) EXPECT_EQ(ProxyClassOf(*iid), kProxyClassId) << GuidToString(*iid);
        EXPECT_TRUE(SamePathText(ClassesRootDefault(kProxyClassKey + L"\\InprocServer32"),
                                 order.LeavesLast + L"\\" + kProxyDll))
            << "the class follows the copy that stays";

        ASSERT_EQ(RunToEnd(order.LeavesLast + L"\\" + kServerExe, L"/UnregServer"), 0u);
        for (const IID* iid : kProxiedInterfaces) EXPECT_FALSE(ClassesRootKeyExists(InterfaceKey(*iid)));
        EXPECT_FALSE(ClassesRootKeyExists(kProxyClassKey));
    }
}

TEST_F(ProxyCoexistence, EarlierBuildsRegistrationUnderIOPCServersClassIsTakenOver)
{
    // Earlier builds of this DLL registered under IID_IOPCServer's class, as
    // widl does by default; the DLL file now answers only its own class.
    InstallForeignProxy(L"earlier-build");
    SetClassesRootDefault(ForeignClassKey() + L"\\InprocServer32", BesideTest(kProxyDll));

    ASSERT_EQ(RunServerToEnd(L"/RegServer"), 0u);
    for (const IID* iid : kProxiedInterfaces) EXPECT_EQ(ProxyClassOf(*iid), kProxyClassId) << GuidToString(*iid);
    EXPECT_FALSE(ClassesRootKeyExists(ForeignClassKey())) << "the earlier registration was this DLL's own";
    EXPECT_TRUE(ServerAnswers());
}
