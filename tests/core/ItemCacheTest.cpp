// The server item cache: sharing, resolution, lookups, reads, writes and
// pushed changes.
#include <gtest/gtest.h>

#include "cache/ServerItemList.h"
#include "FakeItemServer.h"
#include "FakeRecords.h"
#include "cache/ItemCache.h"
#include "RaisedCode.h"
#include "TestValues.h"

namespace {

const std::wstring Pressure = L"Float.Chamber Pressure";

class ItemCacheTest : public ::testing::Test {
protected:
    ItemCacheTest()
    {
        server.AddItem(Pressure, MakeBstr(L"0.0000025"));
        server.AddItem(L"Float.Rate", MakeR8(1.5));
        server.AddItem(L"Int.Layer", MakeI4(3), OPC_READABLE);
        server.AddItem(L"Text.Remote", MakeBstr(L"x"), OPC_WRITEABLE);
        server.AddItem(L"Empty.Item", UniqueVariant());
        server.AddItem(L"Array.Item", MakeR8Array({1, 2}));
    }
    ~ItemCacheTest() override { server.ItemCache().Clear(); }

    // Attaches a fake group item as the core's group items do.
    TServerItem* Attach(TFakeGroupItem& item, const std::wstring& id)
    {
        item.serverItem = AcquireServerItem(item, id);
        return item.serverItem;
    }

    TFakeItemServer server;
    TFakeGroup groupA, groupB;
};

TEST_F(ItemCacheTest, GroupItemsOfTwoGroupsShareOneServerItemResolvedOnce)
{
    TFakeGroupItem first(&groupA), second(&groupB);
    TServerItem* a = Attach(first, Pressure);
    TServerItem* b = Attach(second, L"float.chamber pressure");  // found without regard to case
    EXPECT_EQ(a, b);
    EXPECT_EQ(server.resolveCalls, 1);
    EXPECT_EQ(server.subscribeCalls, 1);
    EXPECT_EQ(server.readCalls, 1);
    EXPECT_EQ(a->GroupItemCount(), 2u);
    EXPECT_EQ(server.ItemCache().Count(), 1u);

    ReleaseServerItem(*a, first);
    EXPECT_TRUE(server.releasedHandles.empty());
    EXPECT_EQ(server.ItemCache().Find(Pressure), a);

    ReleaseServerItem(*a, second);
    ASSERT_EQ(server.releasedHandles.size(), 1u);
    EXPECT_EQ(server.releasedHandles[0], server.Item(Pressure).handle);
    EXPECT_EQ(server.ItemCache().Count(), 0u);

    // Used again: resolved again.
    TFakeGroupItem third(&groupA);
    Attach(third, Pressure);
    EXPECT_EQ(server.resolveCalls, 2);
}

TEST_F(ItemCacheTest, ReleasingAGroupItemThatIsNoUserChangesNothing)
{
    TFakeGroupItem user, stranger;
    TServerItem* item = Attach(user, Pressure);
    ReleaseServerItem(*item, stranger);
    EXPECT_EQ(item->GroupItemCount(), 1u);
    EXPECT_TRUE(server.releasedHandles.empty());
    ReleaseServerItem(*item, user);
    EXPECT_EQ(server.releasedHandles.size(), 1u);
}

TEST_F(ItemCacheTest, ResolutionTakesTypeFromTheFirstReadAndRightsFromTheItemServer)
{
    TFakeGroupItem text, rate, layer, empty, array;
    EXPECT_EQ(Attach(text, Pressure)->CanonicalType(), VT_BSTR);
    EXPECT_FALSE(text.serverItem->Deadband());
    EXPECT_EQ(text.serverItem->AccessRights(), OPC_READABLE | OPC_WRITEABLE);

    EXPECT_EQ(Attach(rate, L"Float.Rate")->CanonicalType(), VT_R8);
    EXPECT_TRUE(rate.serverItem->Deadband());

    EXPECT_EQ(Attach(layer, L"Int.Layer")->AccessRights(), OPC_READABLE);
    EXPECT_TRUE(layer.serverItem->Deadband());

    EXPECT_EQ(Attach(empty, L"Empty.Item")->CanonicalType(), VT_EMPTY);
    EXPECT_FALSE(empty.serverItem->Deadband());

    EXPECT_EQ(Attach(array, L"Array.Item")->CanonicalType(), VT_ARRAY | VT_R8);
    EXPECT_FALSE(array.serverItem->Deadband());
}

TEST_F(ItemCacheTest, FailedResolutionCachesNothingAndGivesAnObtainedHandleBack)
{
    TFakeGroupItem item;
    EXPECT_EQ(RaisedCode([&] { Attach(item, L"No.Such Item"); }), OPC_E_INVALIDITEMID);
    EXPECT_TRUE(server.releasedHandles.empty());  // no handle was obtained

    server.Item(L"Float.Rate").failRead = true;
    EXPECT_EQ(RaisedCode([&] { Attach(item, L"Float.Rate"); }), E_FAIL);
    ASSERT_EQ(server.releasedHandles.size(), 1u);
    EXPECT_EQ(server.releasedHandles[0], server.Item(L"Float.Rate").handle);

    server.subscribeRaises = true;
    EXPECT_EQ(RaisedCode([&] { Attach(item, Pressure); }), E_FAIL);
    EXPECT_EQ(server.releasedHandles.size(), 2u);
    EXPECT_EQ(server.ItemCache().Count(), 0u);
}

TEST_F(ItemCacheTest, LookupOfAnUnusedIdResolvesAndReleasesWhenDone)
{
    {
        TServerItemRefPtr ref = LookupItemRef(L"Float.Rate");
        EXPECT_EQ(ref->CanonicalType(), VT_R8);
        EXPECT_EQ(server.resolveCalls, 1);
        EXPECT_EQ(server.readCalls, 1);
        EXPECT_TRUE(server.releasedHandles.empty());
        EXPECT_EQ(server.ItemCache().Count(), 0u);  // not cached
    }
    EXPECT_EQ(server.releasedHandles.size(), 1u);
    EXPECT_EQ(server.subscribeCalls, 0);
}

TEST_F(ItemCacheTest, LookupOfAnIdInUseNeitherResolvesNorReleases)
{
    TFakeGroupItem user;
    TServerItem* item = Attach(user, Pressure);
    {
        TServerItemRefPtr ref = LookupItemRef(L"FLOAT.CHAMBER PRESSURE");
        EXPECT_EQ(ref.get(), item);
    }
    EXPECT_EQ(server.resolveCalls, 1);
    EXPECT_TRUE(server.releasedHandles.empty());
    EXPECT_EQ(server.ItemCache().Find(Pressure), item);
    ReleaseServerItem(*item, user);
}

TEST_F(ItemCacheTest, LookupKeepsACachedItemAliveWhenItsLastGroupItemGoes)
{
    TFakeGroupItem user;
    TServerItem* item = Attach(user, Pressure);
    TServerItemRefPtr ref = LookupItemRef(Pressure);
    ReleaseServerItem(*item, user);
    EXPECT_TRUE(server.releasedHandles.empty());
    EXPECT_EQ(ref->ItemId(), Pressure);

    UniqueVariant value;
    WORD quality = 0;
    ReadServerItem(*ref, value, quality);
    EXPECT_STREQ(V_BSTR(&value.get()), L"0.0000025");

    ref.reset();
    EXPECT_EQ(server.releasedHandles.size(), 1u);
    EXPECT_EQ(server.ItemCache().Count(), 0u);
}

TEST_F(ItemCacheTest, ReadPresetsGoodQualityAndNeedsTheReadRight)
{
    TFakeGroupItem readable, writeOnly;
    Attach(readable, L"Float.Rate");
    Attach(writeOnly, L"Text.Remote");

    UniqueVariant value = MakeI4(99);
    WORD quality = 0;
    ReadServerItem(*readable.serverItem, value, quality);
    EXPECT_EQ(server.qualityOnRead, QualityGood);
    EXPECT_EQ(quality, QualityGood);
    EXPECT_EQ(value.vt(), VT_R8);
    EXPECT_EQ(V_R8(&value.get()), 1.5);

    const int reads = server.readCalls;
    EXPECT_EQ(RaisedCode([&] { ReadServerItem(*writeOnly.serverItem, value, quality); }), OPC_E_BADRIGHTS);
    EXPECT_EQ(server.readCalls, reads);
}

TEST_F(ItemCacheTest, WriteNeedsTheWriteRight)
{
    TFakeGroupItem readOnly;
    Attach(readOnly, L"Int.Layer");
    EXPECT_EQ(RaisedCode([&] { WriteServerItem(*readOnly.serverItem, MakeI4(4).get()); }), OPC_E_BADRIGHTS);
    EXPECT_EQ(server.writeCalls, 0);
}

TEST_F(ItemCacheTest, WriteConvertsToTheCanonicalType)
{
    TFakeGroupItem rate, text;
    Attach(rate, L"Float.Rate");
    Attach(text, Pressure);

    WriteServerItem(*rate.serverItem, MakeBstr(L"12.5").get());
    ASSERT_EQ(server.lastWritten.vt(), VT_R8);
    EXPECT_EQ(V_R8(&server.lastWritten.get()), 12.5);

    WriteServerItem(*text.serverItem, MakeI4(42).get());
    ASSERT_EQ(server.lastWritten.vt(), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&server.lastWritten.get()), L"42");

    // Already of the canonical type: handed over as it is.
    WriteServerItem(*rate.serverItem, MakeR8(0.0000025).get());
    EXPECT_EQ(V_R8(&server.lastWritten.get()), 0.0000025);
    EXPECT_EQ(server.writeCalls, 3);
}

TEST_F(ItemCacheTest, WriteOfAValueThatCannotBeConvertedFails)
{
    TFakeGroupItem rate;
    Attach(rate, L"Float.Rate");
    EXPECT_EQ(RaisedCode([&] { WriteServerItem(*rate.serverItem, MakeBstr(L"no number").get()); }),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(server.writeCalls, 0);
}

TEST_F(ItemCacheTest, ConversionErrorsOfTheItemServerBecomeBadType)
{
    TFakeGroupItem text;
    Attach(text, Pressure);
    server.writeFailure = TFakeItemServer::TWriteFailure::VariantError;
    EXPECT_EQ(RaisedCode([&] { WriteServerItem(*text.serverItem, MakeBstr(L"x").get()); }), OPC_E_BADTYPE);
    server.writeFailure = TFakeItemServer::TWriteFailure::StdConversion;
    EXPECT_EQ(RaisedCode([&] { WriteServerItem(*text.serverItem, MakeI4(1).get()); }), OPC_E_BADTYPE);
    // The item server's own result codes pass unchanged.
    server.writeFailure = TFakeItemServer::TWriteFailure::OpcRange;
    EXPECT_EQ(RaisedCode([&] { WriteServerItem(*text.serverItem, MakeBstr(L"x").get()); }), OPC_E_RANGE);
}

TEST_F(ItemCacheTest, PushedChangesReachEveryGroupItemOfTheServerItem)
{
    server.subscribe = true;
    TFakeGroupItem first(&groupA), second(&groupB), other(&groupA);
    TServerItem* item = Attach(first, Pressure);
    Attach(second, Pressure);
    Attach(other, L"Float.Rate");
    EXPECT_TRUE(item->Subscribed());
    ASSERT_EQ(server.callbacks.size(), 2u);

    server.callbacks.at(server.Item(Pressure).handle)(MakeBstr(L"7").get(), 0x40);
    EXPECT_EQ(first.pushes, 1);
    EXPECT_EQ(second.pushes, 1);
    EXPECT_EQ(other.pushes, 0);
    EXPECT_STREQ(V_BSTR(&second.lastPushed.get()), L"7");
    EXPECT_EQ(second.lastQuality, 0x40);

    ReleaseServerItem(*item, first);
    server.callbacks.at(server.Item(Pressure).handle)(MakeBstr(L"8").get(), QualityGood);
    EXPECT_EQ(first.pushes, 1);
    EXPECT_EQ(second.pushes, 2);

    ReleaseServerItem(*item, second);
    EXPECT_EQ(server.unsubscribeCalls, 1);
    EXPECT_EQ(server.callbacks.count(server.Item(Pressure).handle), 0u);
}

}  // namespace

#include "cache/ItemResult.h"

namespace {

TEST_F(ItemCacheTest, ItemResultCarriesTypeAndRightsAndNothingElse)
{
    TFakeGroupItem layer;
    Attach(layer, L"Int.Layer");
    OPCITEMRESULT result;
    std::memset(&result, 0xA5, sizeof result);
    FillItemResult(*layer.serverItem, result);
    EXPECT_EQ(result.vtCanonicalDataType, VT_I4);
    EXPECT_EQ(result.dwAccessRights, static_cast<DWORD>(OPC_READABLE));
    EXPECT_EQ(result.hServer, 0u);
    EXPECT_EQ(result.wReserved, 0);
    EXPECT_EQ(result.dwBlobSize, 0u);
    EXPECT_EQ(result.pBlob, nullptr);
}

}  // namespace
