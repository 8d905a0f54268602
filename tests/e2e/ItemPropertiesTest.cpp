// The six item properties through the proxies.
#include "ConnectedServer.h"

namespace {

class ItemProperties : public ConnectedServer {};

LPWSTR Id(const wchar_t* text) { return const_cast<LPWSTR>(text); }

}  // namespace

TEST_F(ItemProperties, AvailablePropertiesAreTheSixFixedOnes)
{
    auto props = As<IOPCItemProperties>();
    DWORD count = 0;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    VARTYPE* types = nullptr;
    ASSERT_EQ(props->QueryAvailableProperties(Id(L"float.chamber pressure"), &count, &ids, &descriptions, &types), S_OK);
    TaskFreeGuard f1{ids}, f2{descriptions}, f3{types};
    ASSERT_EQ(count, 6u);
    const wchar_t* expected[] = {L"Item Canonical Data Type", L"Item Value", L"Item Quality",
                                 L"Item Timestamp", L"Item Access Rights", L"Item Server Scan Rate"};
    const VARTYPE expectedTypes[] = {VT_I2, VT_BSTR, VT_I2, VT_DATE, VT_I4, VT_R4};
    for (DWORD i = 0; i < count; ++i) {
        EXPECT_EQ(ids[i], i + 1);
        EXPECT_EQ(TakeString(descriptions[i]), expected[i]);
        EXPECT_EQ(types[i], expectedTypes[i]) << "property " << i + 1;
    }
}

TEST_F(ItemProperties, ValuesOfEachProperty)
{
    auto props = As<IOPCItemProperties>();
    DWORD ids[] = {1, 2, 3, 4, 5, 6, 7};
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    ASSERT_EQ(props->GetItemProperties(Id(L"Boolean.srvZEV30win"), 7, ids, &values, &errors), S_OK);
    TaskFreeGuard f1{values}, f2{errors};
    EXPECT_EQ(V_VT(&values[0]), VT_I2);
    EXPECT_EQ(V_I2(&values[0]), VT_BSTR) << "every value of this server is text";
    ASSERT_EQ(V_VT(&values[1]), VT_BSTR);
    const std::wstring edit1 = V_BSTR(&values[1]);
    EXPECT_TRUE(edit1 == L"Edit1" || edit1 == L"0") << "the window-command field";
    EXPECT_EQ(V_VT(&values[2]), VT_I2);
    EXPECT_EQ(V_I2(&values[2]), 0xC0);
    EXPECT_EQ(V_VT(&values[3]), VT_DATE);
    EXPECT_GT(V_DATE(&values[3]), 45000.0) << "a time stamp of these years";
    EXPECT_EQ(V_VT(&values[4]), VT_I4);
    EXPECT_EQ(V_I4(&values[4]), 3);
    EXPECT_EQ(V_VT(&values[5]), VT_R4);
    EXPECT_EQ(V_R4(&values[5]), 20.0f);
    EXPECT_EQ(V_VT(&values[6]), VT_EMPTY);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(errors[i], S_OK);
    EXPECT_EQ(errors[6], OPC_E_INVALID_PID);
    for (int i = 0; i < 7; ++i) VariantClear(&values[i]);
}

TEST_F(ItemProperties, UnknownItemsAndEmptyRequestsAreRefused)
{
    auto props = As<IOPCItemProperties>();
    DWORD ids[] = {1};
    VARIANT* values = reinterpret_cast<VARIANT*>(1);
    HRESULT* errors = reinterpret_cast<HRESULT*>(1);
    EXPECT_EQ(props->GetItemProperties(Id(L"Flag.REM-CL-RESUME"), 1, ids, &values, &errors), OPC_E_INVALIDITEMID);
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(errors, nullptr);
    EXPECT_EQ(props->GetItemProperties(Id(L"Float.Chamber Pressure "), 1, ids, &values, &errors), OPC_E_INVALIDITEMID);
    EXPECT_EQ(props->GetItemProperties(Id(L"Float.Chamber Pressure"), 0, ids, &values, &errors), E_INVALIDARG);

    DWORD count = 0;
    DWORD* pids = nullptr;
    LPWSTR* descriptions = nullptr;
    VARTYPE* types = nullptr;
    EXPECT_EQ(props->QueryAvailableProperties(Id(L"Nope"), &count, &pids, &descriptions, &types), OPC_E_INVALIDITEMID);
    EXPECT_EQ(pids, nullptr);
}

TEST_F(ItemProperties, NoPropertyMapsToAnItemId)
{
    auto props = As<IOPCItemProperties>();
    DWORD ids[] = {1, 2, 5000};
    LPWSTR* newIds = nullptr;
    HRESULT* errors = nullptr;
    ASSERT_EQ(props->LookupItemIDs(Id(L"Output.OUT 3"), 3, ids, &newIds, &errors), S_FALSE);
    TaskFreeGuard f1{newIds}, f2{errors};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(newIds[i], nullptr);
        EXPECT_EQ(errors[i], OPC_E_INVALID_PID);
    }
}
