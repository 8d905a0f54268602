// The shutdown connection point: a client's IOPCShutdown sink crosses to the
// server through the proxies and is held there.
#include "ConnectedServer.h"
#include "com/ComObject.h"

#include <olectl.h>

namespace {

class TShutdownSink final : public TComObject<IOPCShutdown> {
public:
    STDMETHODIMP ShutdownRequest(LPCWSTR) noexcept override { return S_OK; }
};

class ShutdownPoint : public ConnectedServer {
protected:
    ComPtr<IConnectionPoint> Point()
    {
        auto container = As<IConnectionPointContainer>();
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.GetAddressOf()), S_OK);
        return point;
    }
};

}  // namespace

TEST_F(ShutdownPoint, OneSinkAtATimeAndAnyCookieToUnadvise)
{
    auto point = Point();
    ASSERT_TRUE(point);
    IID iid{};
    ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, IID_IOPCShutdown);

    auto sink = MakeComObject<TShutdownSink>();
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
    EXPECT_EQ(cookie, 1u);
    DWORD second = 0;
    EXPECT_EQ(point->Advise(sink.Get(), &second), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(point->Unadvise(12345), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);

    ComPtr<IEnumConnections> connections;
    EXPECT_EQ(point->EnumConnections(connections.GetAddressOf()), E_NOTIMPL);
}

TEST_F(ShutdownPoint, ContainerOffersOnlyTheShutdownPoint)
{
    auto container = As<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf()), CONNECT_E_NOCONNECTION);

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.GetAddressOf()), S_OK);
    IConnectionPoint* got[1] = {};
    ULONG fetched = 0;
    ASSERT_EQ(points->Next(1, got, &fetched), S_OK);
    ASSERT_EQ(fetched, 1u);
    ComPtr<IConnectionPoint> first = AdoptRef(got[0]);
    IID iid{};
    ASSERT_EQ(first->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, IID_IOPCShutdown);
    EXPECT_EQ(points->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(first->GetConnectionPointContainer(back.GetAddressOf()), S_OK);
    EXPECT_TRUE(back);
}
