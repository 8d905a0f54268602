// The six fixed item properties of IOPCItemProperties: what they report, how
// often they read the item, and that a lookup gives back what it resolved.
#include "cache/ServerItemList.h"
#include "FakeRecords.h"
#include "host/OpcTime.h"
#include "ServerTestSupport.h"

namespace {

// What GetItemProperties hands back, freed as a client frees it.
struct TPropertyValues {
    VARIANT* values = reinterpret_cast<VARIANT*>(1);
    HRESULT* errors = reinterpret_cast<HRESULT*>(1);
    size_t count = 0;

    ~TPropertyValues()
    {
        if (values && values != reinterpret_cast<VARIANT*>(1)) {
            for (size_t i = 0; i < count; ++i) VariantClear(&values[i]);
            CoTaskMemFree(values);
        }
        if (errors != reinterpret_cast<HRESULT*>(1)) CoTaskMemFree(errors);
    }
};

// What QueryAvailableProperties hands back.
struct TAvailableProperties {
    DWORD count = 99;
    DWORD* ids = reinterpret_cast<DWORD*>(1);
    LPWSTR* descriptions = reinterpret_cast<LPWSTR*>(1);
    VARTYPE* types = reinterpret_cast<VARTYPE*>(1);

    ~TAvailableProperties()
    {
        if (descriptions != reinterpret_cast<LPWSTR*>(1)) {
            for (DWORD i = 0; descriptions && i < count; ++i) CoTaskMemFree(descriptions[i]);
            CoTaskMemFree(descriptions);
        }
        if (ids != reinterpret_cast<DWORD*>(1)) CoTaskMemFree(ids);
        if (types != reinterpret_cast<VARTYPE*>(1)) CoTaskMemFree(types);
    }
};

// What LookupItemIDs hands back.
struct TNewItemIds {
    LPWSTR* ids = reinterpret_cast<LPWSTR*>(1);
    HRESULT* errors = reinterpret_cast<HRESULT*>(1);
    DWORD count = 0;

    ~TNewItemIds()
    {
        if (ids != reinterpret_cast<LPWSTR*>(1)) {
            for (DWORD i = 0; ids && i < count; ++i) CoTaskMemFree(ids[i]);
            CoTaskMemFree(ids);
        }
        if (errors != reinterpret_cast<HRESULT*>(1)) CoTaskMemFree(errors);
    }
};

class ItemPropertiesTest : public ServerObjectTest {
protected:
    HRESULT Get(const wchar_t* id, std::vector<DWORD> ids, TPropertyValues& out)
    {
        out.count = ids.size();
        return properties->GetItemProperties(const_cast<LPWSTR>(id), static_cast<DWORD>(ids.size()), ids.data(),
                                             &out.values, &out.errors);
    }
    HRESULT Available(const wchar_t* id, TAvailableProperties& out)
    {
        return properties->QueryAvailableProperties(const_cast<LPWSTR>(id), &out.count, &out.ids, &out.descriptions,
                                                    &out.types);
    }
    HRESULT Lookup(const wchar_t* id, std::vector<DWORD> ids, TNewItemIds& out)
    {
        out.count = static_cast<DWORD>(ids.size());
        return properties->LookupItemIDs(const_cast<LPWSTR>(id), out.count, ids.data(), &out.ids, &out.errors);
    }

    ComPtr<IOPCItemProperties> properties = Connect<IOPCItemProperties>();
};

TEST_F(ItemPropertiesTest, AvailablePropertiesAreTheSixFixedOnesWithTheItemsOwnValueType)
{
    TAvailableProperties rate;
    ASSERT_EQ(Available(Rate, rate), S_OK);
    ASSERT_EQ(rate.count, 6u);
    const wchar_t* descriptions[] = {L"Item Canonical Data Type", L"Item Value", L"Item Quality",
                                     L"Item Timestamp", L"Item Access Rights", L"Item Server Scan Rate"};
    const VARTYPE types[] = {VT_I2, VT_R8, VT_I2, VT_DATE, VT_I4, VT_R4};
    for (DWORD i = 0; i < 6; ++i) {
        EXPECT_EQ(rate.ids[i], i + 1);
        EXPECT_STREQ(rate.descriptions[i], descriptions[i]);
        EXPECT_EQ(rate.types[i], types[i]) << "property " << i + 1;
    }

    TAvailableProperties pressure;
    ASSERT_EQ(Available(Pressure, pressure), S_OK);
    EXPECT_EQ(pressure.types[1], VT_BSTR);
}

TEST_F(ItemPropertiesTest, ValueQualityAndTimestampShareOneRead)
{
    items.clock = FILETIME{0x12345678, 0x01D9ABCD};
    items.readQuality = 0x40;  // the item server may lower the preset good quality
    const int readsBefore = items.readCalls;

    TPropertyValues out;
    ASSERT_EQ(Get(Rate, {2, 3, 4, 3}, out), S_OK);
    EXPECT_EQ(items.readCalls - readsBefore, 2);  // one to resolve the item, one for the properties
    EXPECT_EQ(items.qualityOnRead, QualityGood);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out.errors[i], S_OK);
    ASSERT_EQ(V_VT(&out.values[0]), VT_R8);
    EXPECT_EQ(V_R8(&out.values[0]), 1.5);
    ASSERT_EQ(V_VT(&out.values[1]), VT_I2);
    EXPECT_EQ(V_I2(&out.values[1]), 0x40);
    ASSERT_EQ(V_VT(&out.values[2]), VT_DATE);
    EXPECT_DOUBLE_EQ(V_DATE(&out.values[2]), FileTimeToDateTime(*items.clock));
    ASSERT_EQ(V_VT(&out.values[3]), VT_I2);
}

TEST_F(ItemPropertiesTest, TypeRightsAndScanRateNeedNoRead)
{
    const int readsBefore = items.readCalls;
    TPropertyValues out;
    ASSERT_EQ(Get(Layer, {1, 5, 6}, out), S_OK);
    EXPECT_EQ(items.readCalls - readsBefore, 1);  // the resolution only
    ASSERT_EQ(V_VT(&out.values[0]), VT_I2);
    EXPECT_EQ(V_I2(&out.values[0]), VT_I4);
    ASSERT_EQ(V_VT(&out.values[1]), VT_I4);
    EXPECT_EQ(V_I4(&out.values[1]), OPC_READABLE);
    ASSERT_EQ(V_VT(&out.values[2]), VT_R4);
    EXPECT_EQ(V_R4(&out.values[2]), 20.0f);
}

TEST_F(ItemPropertiesTest, UnknownPropertyIdsFailAloneAndTheCallSucceeds)
{
    TPropertyValues out;
    ASSERT_EQ(Get(Pressure, {7, 1, 0, 0xFFFFFFFF}, out), S_OK);
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(out.errors[i], OPC_E_INVALID_PID);
        EXPECT_EQ(V_VT(&out.values[i]), VT_EMPTY);
    }
    EXPECT_EQ(out.errors[1], S_OK);
    EXPECT_EQ(V_I2(&out.values[1]), VT_BSTR);
}

TEST_F(ItemPropertiesTest, ValueIsReadWithoutTheReadableRight)
{
    TPropertyValues out;
    ASSERT_EQ(Get(Start, {2, 5}, out), S_OK);
    EXPECT_EQ(out.errors[0], S_OK);
    ASSERT_EQ(V_VT(&out.values[0]), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&out.values[0]), L"0");
    EXPECT_EQ(V_I4(&out.values[1]), OPC_WRITEABLE);
}

TEST_F(ItemPropertiesTest, EmptyRequestsAreRefusedWithNullOutputs)
{
    DWORD ids[] = {1, 2};
    TPropertyValues zero, missing;
    EXPECT_EQ(properties->GetItemProperties(const_cast<LPWSTR>(Rate), 0, ids, &zero.values, &zero.errors), E_INVALIDARG);
    EXPECT_EQ(zero.values, nullptr);
    EXPECT_EQ(zero.errors, nullptr);
    EXPECT_EQ(properties->GetItemProperties(const_cast<LPWSTR>(Rate), 2, nullptr, &missing.values, &missing.errors),
              E_INVALIDARG);
    EXPECT_EQ(missing.values, nullptr);
    EXPECT_EQ(missing.errors, nullptr);

    TNewItemIds none, nothing;
    EXPECT_EQ(properties->LookupItemIDs(const_cast<LPWSTR>(Rate), 0, ids, &none.ids, &none.errors), E_INVALIDARG);
    EXPECT_EQ(none.ids, nullptr);
    EXPECT_EQ(none.errors, nullptr);
    EXPECT_EQ(properties->LookupItemIDs(const_cast<LPWSTR>(Rate), 2, nullptr, &nothing.ids, &nothing.errors),
              E_INVALIDARG);
    EXPECT_EQ(nothing.ids, nullptr);
    EXPECT_EQ(items.resolveCalls, 0);
}

TEST_F(ItemPropertiesTest, UnknownItemIdGivesTheItemServersErrorFromEveryMethod)
{
    TAvailableProperties available;
    EXPECT_EQ(Available(L"Float.Nothing", available), OPC_E_INVALIDITEMID);
    EXPECT_EQ(available.count, 0u);
    EXPECT_EQ(available.ids, nullptr);
    EXPECT_EQ(available.descriptions, nullptr);
    EXPECT_EQ(available.types, nullptr);

    TPropertyValues values;
    EXPECT_EQ(Get(L"Float.Nothing", {1, 2}, values), OPC_E_INVALIDITEMID);
    EXPECT_EQ(values.values, nullptr);
    EXPECT_EQ(values.errors, nullptr);

    TNewItemIds ids;
    EXPECT_EQ(Lookup(nullptr, {1}, ids), OPC_E_INVALIDITEMID);
    EXPECT_EQ(ids.ids, nullptr);
    EXPECT_EQ(ids.errors, nullptr);
}

TEST_F(ItemPropertiesTest, NoPropertyMapsToAnItemId)
{
    TNewItemIds out;
    ASSERT_EQ(Lookup(Rate, {1, 2, 7}, out), S_FALSE);
    for (DWORD i = 0; i < 3; ++i) {
        EXPECT_EQ(out.ids[i], nullptr);
        EXPECT_EQ(out.errors[i], OPC_E_INVALID_PID);
    }
}

TEST_F(ItemPropertiesTest, AnIdNotInUseIsResolvedAndGivenBackByEveryCall)
{
    const LONG handle = items.Item(Rate).handle;
    TAvailableProperties available;
    TPropertyValues values;
    TNewItemIds ids;
    ASSERT_EQ(Available(Rate, available), S_OK);
    ASSERT_EQ(Get(Rate, {1}, values), S_OK);
    ASSERT_EQ(Lookup(Rate, {1}, ids), S_FALSE);
    EXPECT_EQ(items.resolveCalls, 3);
    EXPECT_EQ(items.releasedHandles, (std::vector<LONG>{handle, handle, handle}));
    EXPECT_EQ(items.ItemCache().Count(), 0u);
}

TEST_F(ItemPropertiesTest, AnIdInUseIsNeitherResolvedNorReleased)
{
    TFakeGroup group;
    TFakeGroupItem user(&group);
    user.serverItem = AcquireServerItem(user, Rate);
    ASSERT_EQ(items.resolveCalls, 1);
    const int readsBefore = items.readCalls;

    TAvailableProperties available;
    TPropertyValues values;
    TNewItemIds ids;
    ASSERT_EQ(Available(L"float.rate measured", available), S_OK);
    ASSERT_EQ(Get(Rate, {2, 3, 4}, values), S_OK);
    ASSERT_EQ(Lookup(Rate, {1}, ids), S_FALSE);
    EXPECT_EQ(items.readCalls - readsBefore, 1);  // exactly the one shared read
    EXPECT_EQ(items.resolveCalls, 1);
    EXPECT_TRUE(items.releasedHandles.empty());
    EXPECT_EQ(items.ItemCache().Count(), 1u);

    ReleaseServerItem(*user.serverItem, user);
    EXPECT_EQ(items.releasedHandles, std::vector<LONG>{items.Item(Rate).handle});
}

TEST_F(ItemPropertiesTest, AFailingReadFailsTheCallAndHandsOutNothing)
{
    TFakeGroup group;
    TFakeGroupItem user(&group);
    user.serverItem = AcquireServerItem(user, Rate);
    items.Item(Rate).failRead = true;

    TPropertyValues out;
    EXPECT_EQ(Get(Rate, {1, 2}, out), E_FAIL);
    EXPECT_EQ(out.values, nullptr);
    EXPECT_EQ(out.errors, nullptr);
    ReleaseServerItem(*user.serverItem, user);
}

}  // namespace
