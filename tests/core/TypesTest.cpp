// Type sets, argument checks, access rights, time conversion and task strings.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "com/OpcArgs.h"
#include "contract/OpcError.h"
#include "host/OpcTime.h"
#include "contract/OpcTypes.h"
#include "RaisedCode.h"
#include "com/TaskMemory.h"

namespace {

TEST(RequestedType, AcceptsExactlyTheListedTypesAlsoAsArrays)
{
    const std::set<VARTYPE> accepted = {VT_EMPTY, VT_I2, VT_I4, VT_R4, VT_R8, VT_DATE, VT_BSTR,
                                        VT_BOOL, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_INT, VT_UINT};
    for (VARTYPE vt = 0; vt < 80; ++vt) {
        const HRESULT expected = accepted.count(vt) ? S_OK : OPC_E_BADTYPE;
        EXPECT_EQ(RaisedCode([&] { CheckRequestedType(vt); }), expected) << vt;
        EXPECT_EQ(RaisedCode([&] { CheckRequestedType(VT_ARRAY | vt); }), expected) << vt;
    }
    EXPECT_EQ(RaisedCode([] { CheckRequestedType(VT_BYREF | VT_I4); }), OPC_E_BADTYPE);
}

TEST(DeadbandType, NumericScalarsOnly)
{
    for (VARTYPE vt : {VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_INT, VT_UINT})
        EXPECT_TRUE(IsDeadbandType(vt)) << vt;
    for (VARTYPE vt : {VT_EMPTY, VT_BOOL, VT_DATE, VT_BSTR, VT_DECIMAL, VT_I8, VT_VARIANT, VT_ERROR})
        EXPECT_FALSE(IsDeadbandType(vt)) << vt;
    EXPECT_FALSE(IsDeadbandType(VT_ARRAY | VT_R8));
}

TEST(ArgumentChecks, RangeIsInclusiveAndSigned)
{
    EXPECT_EQ(RaisedCode([] { CheckRange(0, 0, 100); }), S_OK);
    EXPECT_EQ(RaisedCode([] { CheckRange(100, 0, 100); }), S_OK);
    EXPECT_EQ(RaisedCode([] { CheckRange(-1, 0, 100); }), E_INVALIDARG);
    EXPECT_EQ(RaisedCode([] { CheckRange(101, 0, 100); }), E_INVALIDARG);
    // A huge unsigned count arrives as a negative number.
    EXPECT_EQ(RaisedCode([] { CheckRange(static_cast<LONG>(0xFFFFFFFF), 0, 100); }), E_INVALIDARG);
}

TEST(ArgumentChecks, EmptyBatchOrMissingArrayIsInvalid)
{
    int array[3] = {};
    EXPECT_EQ(RaisedCode([&] { CheckArrayArgs(0, array); }), E_INVALIDARG);
    EXPECT_EQ(RaisedCode([] { CheckArrayArgs(3, nullptr); }), E_INVALIDARG);
    EXPECT_EQ(RaisedCode([&] { CheckArrayArgs(3, array); }), S_OK);
}

TEST(ArgumentChecks, ItemIdMustNotBeEmpty)
{
    EXPECT_EQ(RaisedCode([] { ItemIdFromWide(nullptr); }), OPC_E_INVALIDITEMID);
    EXPECT_EQ(RaisedCode([] { ItemIdFromWide(L""); }), OPC_E_INVALIDITEMID);
    EXPECT_EQ(ItemIdFromWide(L"Float.Chamber Pressure"), L"Float.Chamber Pressure");
}

TEST(AccessRights, ConversionCopiesTheLowByte)
{
    const TAccessRights rights = TAccessRights::FromOpc(0x102);
    EXPECT_FALSE(rights.Readable());
    EXPECT_TRUE(rights.Writeable());
    EXPECT_EQ(rights.ToOpc(), 2u);
    EXPECT_EQ(TAccessRights::ReadWrite().ToOpc(), 3u);
    EXPECT_EQ(TAccessRights::FromOpc(0xFF).ToOpc(), 0xFFu);
}

FILETIME FileTimeOf(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms)
{
    SYSTEMTIME st{};
    st.wYear = y, st.wMonth = mo, st.wDay = d, st.wHour = h, st.wMinute = mi, st.wSecond = s, st.wMilliseconds = ms;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

TEST(FileTimeToDateTime, CountsDaysSince1899WithTimeAsFraction)
{
    EXPECT_DOUBLE_EQ(FileTimeToDateTime(FileTimeOf(1899, 12, 30, 0, 0, 0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(FileTimeToDateTime(FileTimeOf(2000, 1, 1, 18, 0, 0, 0)), 36526.75);
    // Milliseconds are kept, not rounded to the second.
    EXPECT_NEAR(FileTimeToDateTime(FileTimeOf(2000, 1, 1, 12, 0, 0, 500)), 36526.5 + 0.5 / 86400.0, 1e-9);
}

TEST(TaskWideString, CopiesWideAndAnsiTextAndTurnsNullIntoEmpty)
{
    TaskString fromNull = TaskWideString(static_cast<const wchar_t*>(nullptr));
    ASSERT_NE(fromNull.get(), nullptr);
    EXPECT_EQ(fromNull.get()[0], L'\0');
    TaskString fromNullAnsi = TaskWideString(static_cast<const char*>(nullptr));
    ASSERT_NE(fromNullAnsi.get(), nullptr);
    EXPECT_EQ(fromNullAnsi.get()[0], L'\0');

    const wchar_t* source = L"Float.Rate Measured (A/s)";
    TaskString wide = TaskWideString(source);
    EXPECT_NE(wide.get(), source);
    EXPECT_STREQ(wide.get(), source);
    EXPECT_STREQ(TaskWideString("Boolean.srvZEV30win").get(), L"Boolean.srvZEV30win");
    EXPECT_STREQ(TaskWideString(std::wstring(L"abc")).get(), L"abc");
}

TEST(TaskFree, FreesAndNullsTheVariable)
{
    void* block = TaskAllocZeroed(16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[15], 0);
    TaskFree(block);
    EXPECT_EQ(block, nullptr);
    TaskFree(block);  // a null variable is left alone
}

}  // namespace
