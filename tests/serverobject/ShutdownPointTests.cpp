// The shutdown connection point: finding it, advising and unadvising a sink,
// and that neither the point nor the sink outlives or leaks what it refers to.
#include <olectl.h>

#include "MessagePump.h"
#include "ServerTestSupport.h"

namespace {

class ShutdownPointTest : public ServerObjectTest {
protected:
    ShutdownPointTest()
    {
        EXPECT_EQ(As<IConnectionPointContainer>(server.Get())
                      ->FindConnectionPoint(__uuidof(IOPCShutdown), point.GetAddressOf()),
                  S_OK);
    }

    bool HoldsSink() { return Impl(server.Get()).HasShutdownSink(); }
    // The delivery thread lets a sink go after Unadvise or the server object's end.
    static bool Released(const TCountingSink& sink)
    {
        return PumpUntil([&] { return sink.Refs() == 1u; });
    }

    ComPtr<IOPCServer> server = Connect();
    ComPtr<IConnectionPoint> point;
};

TEST_F(ShutdownPointTest, OnlyTheShutdownInterfaceHasAPoint)
{
    ASSERT_TRUE(point);
    ComPtr<IConnectionPoint> other;
    *other.GetAddressOf() = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(As<IConnectionPointContainer>(server.Get())
                  ->FindConnectionPoint(__uuidof(IOPCDataCallback), other.GetAddressOf()),
              CONNECT_E_NOCONNECTION);
    EXPECT_EQ(other.Get(), nullptr);
}

TEST_F(ShutdownPointTest, PointNamesItsInterfaceAndItsContainer)
{
    IID iid{};
    ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, __uuidof(IOPCShutdown));

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(point->GetConnectionPointContainer(container.GetAddressOf()), S_OK);
    EXPECT_EQ(As<IUnknown>(container.Get()).Get(), As<IUnknown>(server.Get()).Get());

    EXPECT_TRUE(As<IConnectionPoint>(point.Get()));
    void* unrelated = reinterpret_cast<void*>(1);
    EXPECT_EQ(point->QueryInterface(__uuidof(IOPCServer), &unrelated), E_NOINTERFACE);
    EXPECT_EQ(unrelated, nullptr);

    ComPtr<IEnumConnections> connections;
    *connections.GetAddressOf() = reinterpret_cast<IEnumConnections*>(1);
    EXPECT_EQ(point->EnumConnections(connections.GetAddressOf()), E_NOTIMPL);
    EXPECT_EQ(connections.Get(), nullptr);
}

TEST_F(ShutdownPointTest, OneSinkIsHeldUntilUnadvisedWithAnyCookie)
{
    TCountingSink sink, second;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(cookie, 1u);
    EXPECT_TRUE(HoldsSink());
    EXPECT_GT(sink.Refs(), 1u);

    DWORD refused = 77;
    EXPECT_EQ(point->Advise(&second, &refused), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(refused, 0u);
    EXPECT_EQ(second.Refs(), 1u);
    EXPECT_TRUE(HoldsSink());

    EXPECT_EQ(point->Unadvise(4711), S_OK);
    EXPECT_FALSE(HoldsSink());
    EXPECT_TRUE(Released(sink));
    EXPECT_EQ(point->Unadvise(1), CONNECT_E_NOCONNECTION);

    // Free again for the next sink.
    ASSERT_EQ(point->Advise(&second, &cookie), S_OK);
    EXPECT_TRUE(HoldsSink());
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_TRUE(Released(second));
}

TEST_F(ShutdownPointTest, SinkWithoutTheShutdownInterfaceIsRefusedAndNotKept)
{
    TCountingSink plain(false), sink;
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(plain.Refs(), 1u);
    EXPECT_FALSE(HoldsSink());
    EXPECT_EQ(point->Unadvise(1), CONNECT_E_NOCONNECTION);

    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_TRUE(Released(sink));
}

TEST_F(ShutdownPointTest, ReleasingTheServerObjectLetsGoOfAnAdvisedSink)
{
    TCountingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    point.Reset();
    server.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);
    EXPECT_TRUE(Released(sink));
}

TEST_F(ShutdownPointTest, ThePointAloneKeepsTheServerObjectAlive)
{
    const long before = ServerObjectCount::Value();
    server.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 0);
    EXPECT_EQ(ServerObjectCount::Value(), before);

    // Still a working point of a living container.
    TCountingSink sink;
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(point->GetConnectionPointContainer(container.GetAddressOf()), S_OK);
    ComPtr<IOPCCommon> common = As<IOPCCommon>(container.Get());
    EXPECT_EQ(common->SetClientName(L"still here"), S_OK);
    common.Reset();
    container.Reset();

    point.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);
    EXPECT_EQ(ServerObjectCount::Value(), before - 1);
    EXPECT_TRUE(Released(sink));
}

}  // namespace
