// IOPCItemProperties: three parallel arrays counted by an out-parameter, an
// array of VARIANTs, and an array of strings with NULL entries.
#include "WireProtocol.h"
#include "client/WireFixture.h"
#include "opcerror.h"

namespace wire {
namespace {

class ItemPropertiesTest : public WireTest {
protected:
    void SetUp() override {
        WireTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_HRESULT_SUCCEEDED(server()->QueryInterface(IID_PPV_ARGS(&properties_)));
    }
    void TearDown() override {
        properties_.Reset();
        WireTest::TearDown();
    }
    ComPtr<IOPCItemProperties> properties_;
};

TEST_F(ItemPropertiesTest, AvailablePropertiesComeAsThreeArraysOfTheReportedLength) {
    DWORD count = 0;
    TaskMemArray<DWORD> ids;
    TaskMemArray<LPWSTR> descriptions;
    TaskMemArray<VARTYPE> types;
    ASSERT_EQ(S_OK, properties_->QueryAvailableProperties(const_cast<LPWSTR>(kItemNames), &count, ids.put(0),
                                                          descriptions.put(0), types.put(0)));
    ids.set_size(count);
    descriptions.set_size(count);
    types.set_size(count);
    ASSERT_EQ(3u, count);
    EXPECT_EQ(static_cast<DWORD>(OPC_PROPERTY_DATATYPE), ids[0]);
    EXPECT_EQ(static_cast<DWORD>(OPC_PROPERTY_VALUE), ids[1]);
    EXPECT_EQ(static_cast<DWORD>(OPC_PROPERTY_DESCRIPTION), ids[2]);
    EXPECT_STREQ(L"Item Canonical Data Type", descriptions[0]);
    EXPECT_STREQ(L"Item Value", descriptions[1]);
    EXPECT_STREQ(L"Item Description", descriptions[2]);
    EXPECT_EQ(VT_I2, types[0]);
    EXPECT_EQ(VT_ARRAY | VT_BSTR, types[1]);
    EXPECT_EQ(VT_BSTR, types[2]);

    DWORD none = 7;
    TaskMemArray<DWORD> noIds;
    TaskMemArray<LPWSTR> noDescriptions;
    TaskMemArray<VARTYPE> noTypes;
    EXPECT_EQ(OPC_E_UNKNOWNITEMID, properties_->QueryAvailableProperties(const_cast<LPWSTR>(L"Wire.Missing"), &none,
                                                                         noIds.put(0), noDescriptions.put(0),
                                                                         noTypes.put(0)));
    EXPECT_EQ(0u, none);
    EXPECT_EQ(nullptr, noDescriptions.get());
}

TEST_F(ItemPropertiesTest, PropertyValuesComeAsVariantsWithPerPropertyErrors) {
    DWORD ids[] = {OPC_PROPERTY_VALUE, 9999, OPC_PROPERTY_DESCRIPTION, OPC_PROPERTY_DATATYPE};
    TaskMemArray<VARIANT> values;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(S_FALSE, properties_->GetItemProperties(const_cast<LPWSTR>(kItemVector), 4, ids, values.put(4),
                                                      errors.put(4)));
    EXPECT_EQ((std::vector<double>{1.5, -2.25, 1e300}), DoublesOf(values[0]));
    EXPECT_EQ(OPC_E_INVALID_PID, errors[1]);
    EXPECT_EQ(VT_EMPTY, values[1].vt);
    EXPECT_EQ(std::wstring(L"Test item ") + kItemVector, TextOf(values[2]));
    EXPECT_EQ(VT_I2, values[3].vt);
    EXPECT_EQ(VT_ARRAY | VT_R8, values[3].iVal);
}

TEST_F(ItemPropertiesTest, LookedUpItemIdsCrossAsStringArrayWithNullEntries) {
    DWORD ids[] = {OPC_PROPERTY_DESCRIPTION, OPC_PROPERTY_VALUE};
    TaskMemArray<LPWSTR> itemIds;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(S_FALSE, properties_->LookupItemIDs(const_cast<LPWSTR>(kItemText), 2, ids, itemIds.put(2),
                                                  errors.put(2)));
    EXPECT_EQ(S_OK, errors[0]);
    EXPECT_STREQ(L"Wire.Text.Description", itemIds[0]);
    EXPECT_EQ(OPC_E_INVALID_PID, errors[1]);
    EXPECT_EQ(nullptr, itemIds[1]);
}

}  // namespace
}  // namespace wire
