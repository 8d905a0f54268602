// The class factory: what CreateInstance refuses, and that a server object it
// could not hand out does not live on.
#include <objidl.h>

#include "host/ClientList.h"
#include "ServerTestSupport.h"

namespace {

// What the replaced message box was asked to show.
struct TShownBox {
    int count = 0;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};
TShownBox Shown;

int WINAPI RecordingMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    ++Shown.count;
    Shown.text = text ? text : L"<null>";
    Shown.caption = caption ? caption : L"<null>";
    Shown.type = type;
    return IDOK;
}

class FactoryTest : public ServerObjectTest {
protected:
    long objectsBefore = ServerObjectCount::Value();
};

TEST_F(FactoryTest, NullResultPointerIsRefusedBeforeAnythingIsCreated)
{
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IOPCServer), nullptr), E_POINTER);
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientConnected), 0);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore);
}

TEST_F(FactoryTest, AggregationIsRefused)
{
    TCountingSink outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, __uuidof(IOPCServer), &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientConnected), 0);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore);
    EXPECT_EQ(outer.Refs(), 1u);
}

TEST_F(FactoryTest, UnsupportedInterfaceDestroysTheNewObject)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    // It was created, joined and left the client list, and is gone.
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientConnected), 1);
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);
    EXPECT_EQ(items.ClientList().Count(), 0u);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore);
}

TEST_F(FactoryTest, EveryCallMakesAServerObjectOfItsOwnThatCountsInTheProcess)
{
    ComPtr<IOPCServer> first = Connect();
    ComPtr<IOPCCommon> second = Connect<IOPCCommon>();
    ASSERT_TRUE(first && second);
    EXPECT_NE(As<IUnknown>(first.Get()).Get(), As<IUnknown>(second.Get()).Get());
    EXPECT_EQ(items.ClientList().Count(), 2u);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore + 2);

    first.Reset();
    second.Reset();
    EXPECT_EQ(items.ClientList().Count(), 0u);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore);
}

TEST_F(FactoryTest, AnEndingProcessRefusesNewObjectsSoThatComStartsAnotherServer)
{
    static_cast<TOpcServerFactory*>(factory.Get())->RefuseInstances();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IOPCServer), &object), CO_E_SERVER_STOPPING);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientConnected), 0) << "no server object was made";
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore);
}

TEST_F(FactoryTest, LockServerHoldsTheProcessAndAnUnmatchedUnlockIsIgnored)
{
    ComPtr<IOPCServer> server = Connect();
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore + 2);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore + 1);
    // A client's stray unlocks leave the server object counted.
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore + 1);
}

TEST(FactoryWithoutItemServer, ShowsTheFailureOnceAndReturnsUnexpected)
{
    ASSERT_EQ(ItemServer(), nullptr);
    Shown = {};
    const TMessageBoxFn previous = SetFactoryMessageBox(&RecordingMessageBox);
    const long objectsBefore = ServerObjectCount::Value();

    void* object = reinterpret_cast<void*>(1);
    const HRESULT hr = MakeServerFactory()->CreateInstance(nullptr, __uuidof(IOPCServer), &object);
    SetFactoryMessageBox(previous);

    EXPECT_EQ(hr, E_UNEXPECTED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(ServerObjectCount::Value(), objectsBefore);
    EXPECT_EQ(Shown.count, 1);
    EXPECT_EQ(Shown.text, L"OPCSERV: No item server.");
    EXPECT_EQ(Shown.caption, L"VOD Error");
    EXPECT_EQ(Shown.type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_TRUE(Shown.type & MB_SETFOREGROUND);
}

TEST(FactoryErrorText, AddsAFullStopOnlyAfterACharacterThatSortsAboveIt)
{
    EXPECT_EQ(FactoryErrorText("OPCSERV: No item server"), L"OPCSERV: No item server.");
    EXPECT_EQ(FactoryErrorText("Stopped."), L"Stopped.");
    EXPECT_EQ(FactoryErrorText("Stopped!"), L"Stopped!");  // '!' sorts before '.'
    EXPECT_EQ(FactoryErrorText("Code 7"), L"Code 7.");      // digits sort after '.'
    EXPECT_EQ(FactoryErrorText(""), L"");
}

}  // namespace
