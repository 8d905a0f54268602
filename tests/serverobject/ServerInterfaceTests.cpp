// The interfaces a server object answers, its error-info claims, and the
// group methods that are not offered yet.
#include <objidl.h>

#include "ServerTestSupport.h"

namespace {

using ServerInterfaceTest = ServerObjectTest;

TEST_F(ServerInterfaceTest, AnswersTheOpcInterfacesWithOneIdentity)
{
    ComPtr<IOPCServer> server = Connect();
    const IUnknown* identity = As<IUnknown>(server.Get()).Get();
    EXPECT_EQ(As<IUnknown>(As<IOPCCommon>(server.Get()).Get()).Get(), identity);
    EXPECT_EQ(As<IUnknown>(As<IOPCItemProperties>(server.Get()).Get()).Get(), identity);
    EXPECT_EQ(As<IUnknown>(As<IOPCBrowseServerAddressSpace>(server.Get()).Get()).Get(), identity);
    EXPECT_EQ(As<IUnknown>(As<IConnectionPointContainer>(server.Get()).Get()).Get(), identity);
    EXPECT_EQ(As<IUnknown>(As<ISupportErrorInfo>(server.Get()).Get()).Get(), identity);

    for (REFIID refused : {__uuidof(IOPCServerPublicGroups), IID_IDataObject, __uuidof(IOPCItemMgt)}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(server->QueryInterface(refused, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
    }
}

TEST_F(ServerInterfaceTest, ClaimsErrorInfoForExactlyItsOwnInterfaces)
{
    ComPtr<ISupportErrorInfo> info = Connect<ISupportErrorInfo>();
    for (REFIID own : {__uuidof(IOPCServer), __uuidof(IOPCCommon), __uuidof(IOPCItemProperties),
                       __uuidof(IOPCBrowseServerAddressSpace), __uuidof(IConnectionPointContainer)})
        EXPECT_EQ(info->InterfaceSupportsErrorInfo(own), S_OK);
    EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_IDataObject), S_FALSE);
    EXPECT_EQ(info->InterfaceSupportsErrorInfo(__uuidof(IOPCServerPublicGroups)), S_FALSE);
}

// A group method that fails hands out nothing and leaves no group behind.
TEST_F(ServerInterfaceTest, FailedGroupCallsClearTheirOutputsAndLeaveNoGroup)
{
    ComPtr<IOPCServer> server = Connect();
    OPCHANDLE handle = 7;
    DWORD rate = 7;
    IUnknown* group = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(server->AddGroup(L"G", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &rate, __uuidof(IEnumString), &group),
              E_NOINTERFACE);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(rate, 0u);
    EXPECT_EQ(group, nullptr);
    FLOAT deadband = 100.5f;
    EXPECT_EQ(server->AddGroup(L"G", TRUE, 1000, 1, nullptr, &deadband, 0, &handle, &rate, __uuidof(IOPCItemMgt),
                               &group),
              E_INVALIDARG);
    EXPECT_EQ(group, nullptr);
    EXPECT_EQ(Impl(server.Get()).GroupCount(), 0u);
    EXPECT_EQ(items.HookCalls(TNotifyCode::GroupAdded), items.HookCalls(TNotifyCode::GroupRemoved))
        << "every announced group was also taken back";

    group = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(server->GetGroupByName(L"G", __uuidof(IOPCItemMgt), &group), E_INVALIDARG);
    EXPECT_EQ(group, nullptr);
    EXPECT_EQ(server->RemoveGroup(1, FALSE), E_INVALIDARG);
    EXPECT_EQ(server->RemoveGroup(0xFFFFFFFF, TRUE), E_INVALIDARG);
    EXPECT_EQ(server->AddGroup(L"G", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &rate, __uuidof(IOPCItemMgt),
                               nullptr),
              E_POINTER);
}

}  // namespace
