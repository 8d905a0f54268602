// The enumerators a client receives: IEnumString over browse results,
// IEnumUnknown over interface references and IEnumConnectionPoints over the
// shutdown point.
#include "com/ListEnumerator.h"
#include "ServerTestSupport.h"

namespace {

// ---- IEnumString ----

class StringEnumeratorTest : public ServerObjectTest {
protected:
    StringEnumeratorTest()
    {
        EXPECT_EQ(As<IOPCBrowseServerAddressSpace>(server.Get())
                      ->BrowseOPCItemIDs(OPC_FLAT, L"", VT_EMPTY, 0, strings.GetAddressOf()),
                  S_OK);
    }

    // Next(count); the names handed out, after checking the result and the count.
    static TNames Next(IEnumString* e, ULONG count, HRESULT expected)
    {
        std::vector<LPOLESTR> out(count + 1, nullptr);
        ULONG fetched = 12345;
        EXPECT_EQ(e->Next(count, out.data(), &fetched), expected);
        TNames names;
        for (ULONG i = 0; i < fetched && i < count; ++i) {
            names.emplace_back(out[i] ? out[i] : L"<null>");
            CoTaskMemFree(out[i]);
        }
        EXPECT_EQ(out[count], nullptr);  // nothing written past the request
        return names;
    }

    ComPtr<IOPCServer> server = Connect();
    ComPtr<IEnumString> strings;  // Pressure, Rate, Layer, Start, Operator
};

TEST_F(StringEnumeratorTest, NextHandsOutAtMostWhatIsLeft)
{
    EXPECT_EQ(Next(strings.Get(), 2, S_OK), (TNames{Pressure, Rate}));
    EXPECT_EQ(Next(strings.Get(), 5, S_FALSE), (TNames{Layer, Start, Operator}));
    EXPECT_EQ(Next(strings.Get(), 1, S_FALSE), TNames{});
    EXPECT_EQ(Next(strings.Get(), 0, S_OK), TNames{});
}

TEST_F(StringEnumeratorTest, SkipPastTheEndStopsThereAndResetStartsOver)
{
    EXPECT_EQ(strings->Skip(3), S_OK);
    EXPECT_EQ(Next(strings.Get(), 1, S_OK), TNames{Start});
    EXPECT_EQ(strings->Skip(2), S_FALSE);
    EXPECT_EQ(Next(strings.Get(), 1, S_FALSE), TNames{});

    EXPECT_EQ(strings->Reset(), S_OK);
    EXPECT_EQ(strings->Skip(5), S_OK);  // exactly to the end
    EXPECT_EQ(strings->Skip(0), S_OK);
    EXPECT_EQ(strings->Skip(1), S_FALSE);
    EXPECT_EQ(strings->Reset(), S_OK);
    EXPECT_EQ(Next(strings.Get(), 1, S_OK), TNames{Pressure});
}

TEST_F(StringEnumeratorTest, CloneStartsFromTheFirstWhileTheOriginalGoesOn)
{
    Next(strings.Get(), 1, S_OK);
    Next(strings.Get(), 1, S_OK);
    ComPtr<IEnumString> clone;
    ASSERT_EQ(strings->Clone(clone.GetAddressOf()), S_OK);
    ASSERT_TRUE(clone);
    EXPECT_EQ(Next(clone.Get(), 1, S_OK), TNames{Pressure});
    EXPECT_EQ(Next(strings.Get(), 1, S_OK), TNames{Layer});
}

TEST_F(StringEnumeratorTest, AnEnumeratorOutlivesItsServerObject)
{
    ComPtr<IEnumString> clone;
    ASSERT_EQ(strings->Clone(clone.GetAddressOf()), S_OK);
    strings.Reset();
    server.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);  // the server object is gone
    EXPECT_EQ(Drain(clone.Get()), (TNames{Pressure, Rate, Layer, Start, Operator}));
}

// ---- IEnumUnknown ----

TEST(UnknownEnumerator, HoldsItsReferencesAndHandsOutAddedOnes)
{
    TCountingSink a, b;
    {
        ComPtr<IEnumUnknown> e = MakeComObject<TUnkEnumerator>(std::vector<ComPtr<IUnknown>>{&a, &b});
        EXPECT_EQ(a.Refs(), 2u);

        IUnknown* out[3] = {};
        ULONG fetched = 0;
        EXPECT_EQ(e->Next(3, out, &fetched), S_FALSE);
        ASSERT_EQ(fetched, 2u);
        EXPECT_EQ(out[0], static_cast<IUnknown*>(&a));
        EXPECT_EQ(out[1], static_cast<IUnknown*>(&b));
        EXPECT_EQ(a.Refs(), 3u);
        out[0]->Release();
        out[1]->Release();

        ComPtr<IEnumUnknown> clone;
        ASSERT_EQ(e->Clone(clone.GetAddressOf()), S_OK);
        EXPECT_EQ(b.Refs(), 3u);
        IUnknown* first = nullptr;
        EXPECT_EQ(clone->Next(1, &first, nullptr), S_OK);
        EXPECT_EQ(first, static_cast<IUnknown*>(&a));
        first->Release();
    }
    EXPECT_EQ(a.Refs(), 1u);
    EXPECT_EQ(b.Refs(), 1u);
}

// ---- IEnumConnectionPoints ----

class ConnectionPointEnumeratorTest : public ServerObjectTest {
protected:
    ConnectionPointEnumeratorTest()
    {
        ComPtr<IConnectionPointContainer> container = As<IConnectionPointContainer>(server.Get());
        EXPECT_EQ(container->EnumConnectionPoints(points.GetAddressOf()), S_OK);
        EXPECT_EQ(container->FindConnectionPoint(__uuidof(IOPCShutdown), shutdownPoint.GetAddressOf()), S_OK);
    }

    // Next(count); the number fetched, after checking the result and what was handed out.
    ULONG Next(IEnumConnectionPoints* e, ULONG count, HRESULT expected)
    {
        IConnectionPoint* out[4] = {reinterpret_cast<IConnectionPoint*>(1), nullptr, nullptr, nullptr};
        ULONG fetched = 12345;
        EXPECT_EQ(e->Next(count, out, &fetched), expected);
        if (fetched == 1) {
            EXPECT_EQ(out[0], shutdownPoint.Get());
            if (out[0]) out[0]->Release();
        } else if (count > 0) {
            EXPECT_EQ(out[0], nullptr);
        }
        EXPECT_EQ(out[1], nullptr);
        return fetched;
    }

    ComPtr<IOPCServer> server = Connect();
    ComPtr<IConnectionPoint> shutdownPoint;
    ComPtr<IEnumConnectionPoints> points;
};

TEST_F(ConnectionPointEnumeratorTest, NextHandsOutTheShutdownPointOnce)
{
    EXPECT_EQ(Next(points.Get(), 1, S_OK), 1u);
    EXPECT_EQ(Next(points.Get(), 1, S_FALSE), 0u);
    EXPECT_EQ(Next(points.Get(), 0, S_OK), 0u);  // asks for exactly what is left

    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(Next(points.Get(), 0, S_FALSE), 0u);  // one was available
    EXPECT_EQ(Next(points.Get(), 3, S_FALSE), 1u);
}

TEST_F(ConnectionPointEnumeratorTest, SkipCountsAgainstTheOnePoint)
{
    EXPECT_EQ(points->Skip(0), S_OK);
    EXPECT_EQ(Next(points.Get(), 1, S_OK), 1u);  // Skip(0) did not move

    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(1), S_OK);
    EXPECT_EQ(Next(points.Get(), 1, S_FALSE), 0u);
    EXPECT_EQ(points->Skip(1), S_FALSE);
    EXPECT_EQ(points->Skip(0), S_OK);

    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(2), S_FALSE);  // moves past the point all the same
    EXPECT_EQ(Next(points.Get(), 1, S_FALSE), 0u);
}

TEST_F(ConnectionPointEnumeratorTest, CloneKeepsThePosition)
{
    ComPtr<IEnumConnectionPoints> fresh;
    ASSERT_EQ(points->Clone(fresh.GetAddressOf()), S_OK);
    EXPECT_EQ(Next(points.Get(), 1, S_OK), 1u);

    ComPtr<IEnumConnectionPoints> used;
    ASSERT_EQ(points->Clone(used.GetAddressOf()), S_OK);
    EXPECT_EQ(Next(used.Get(), 1, S_FALSE), 0u);
    EXPECT_EQ(Next(fresh.Get(), 1, S_OK), 1u);
    EXPECT_EQ(used->Reset(), S_OK);
    EXPECT_EQ(Next(used.Get(), 1, S_OK), 1u);
}

TEST_F(ConnectionPointEnumeratorTest, KeepsItsServerObjectAlive)
{
    const long before = ServerObjectCount::Value();
    server.Reset();
    shutdownPoint.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 0);
    EXPECT_EQ(ServerObjectCount::Value(), before);

    ComPtr<IEnumConnectionPoints> clone;
    ASSERT_EQ(points->Clone(clone.GetAddressOf()), S_OK);
    points.Reset();
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(clone->Next(1, &point, nullptr), S_OK);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, __uuidof(IOPCShutdown));
    point->Release();

    clone.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);
    EXPECT_EQ(ServerObjectCount::Value(), before - 2);  // the server object and the first enumerator
}

}  // namespace
