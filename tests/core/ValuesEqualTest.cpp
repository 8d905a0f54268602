// The change test's value equality.
#include <gtest/gtest.h>

#include "TestValues.h"
#include "cache/VariantCompare.h"

namespace {

TEST(ValuesEqual, ScalarsOfDifferentTypesAreNeverEqual)
{
    EXPECT_FALSE(ValuesEqual(MakeI4(5).get(), MakeI2(5).get()));
    EXPECT_FALSE(ValuesEqual(MakeR8(5).get(), MakeI4(5).get()));
    EXPECT_FALSE(ValuesEqual(MakeBstr(L"5").get(), MakeI4(5).get()));
}

TEST(ValuesEqual, ScalarsCompareByValue)
{
    EXPECT_TRUE(ValuesEqual(MakeI4(5).get(), MakeI4(5).get()));
    EXPECT_FALSE(ValuesEqual(MakeI4(5).get(), MakeI4(6).get()));
    EXPECT_TRUE(ValuesEqual(MakeR8(0.0000025).get(), MakeR8(0.0000025).get()));
    EXPECT_FALSE(ValuesEqual(MakeR8(1.0).get(), MakeR8(1.0000001).get()));
    EXPECT_TRUE(ValuesEqual(UniqueVariant().get(), UniqueVariant().get()));
}

TEST(ValuesEqual, StringsAreOrdinalAndCaseSensitive)
{
    EXPECT_TRUE(ValuesEqual(MakeBstr(L"12.5").get(), MakeBstr(L"12.5").get()));
    EXPECT_FALSE(ValuesEqual(MakeBstr(L"abc").get(), MakeBstr(L"ABC").get()));
    EXPECT_FALSE(ValuesEqual(MakeBstr(L"abc").get(), MakeBstr(L"abc ").get()));
    // A null BSTR is the empty string.
    UniqueVariant nullString;
    V_VT(nullString.put()) = VT_BSTR;
    V_BSTR(&nullString.get()) = nullptr;
    EXPECT_TRUE(ValuesEqual(nullString.get(), MakeBstr(L"").get()));
    EXPECT_FALSE(ValuesEqual(nullString.get(), MakeBstr(L"x").get()));
}

TEST(ValuesEqual, NumberArraysCompareContentsAndLength)
{
    EXPECT_TRUE(ValuesEqual(MakeR8Array({1.5, 2.5, 3.5}).get(), MakeR8Array({1.5, 2.5, 3.5}).get()));
    EXPECT_FALSE(ValuesEqual(MakeR8Array({1.5, 2.5, 3.5}).get(), MakeR8Array({1.5, 2.5, 4.5}).get()));
    EXPECT_FALSE(ValuesEqual(MakeR8Array({1.5, 2.5, 3.5}).get(), MakeR8Array({1.5, 2.5}).get()));
    EXPECT_TRUE(ValuesEqual(MakeR8Array({}).get(), MakeR8Array({}).get()));
}

TEST(ValuesEqual, StringArraysCompareElementTexts)
{
    // Same texts in separate allocations: equal, which a byte comparison of
    // the BSTR pointers would miss.
    EXPECT_TRUE(ValuesEqual(MakeBstrArray({L"a", L"bc"}).get(), MakeBstrArray({L"a", L"bc"}).get()));
    EXPECT_FALSE(ValuesEqual(MakeBstrArray({L"a", L"bc"}).get(), MakeBstrArray({L"a", L"bC"}).get()));
    EXPECT_FALSE(ValuesEqual(MakeBstrArray({L"a", L"bc"}).get(), MakeBstrArray({L"a"}).get()));
}

TEST(ValuesEqual, ArraysOfOtherShapeOrTypeDiffer)
{
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {1, 0}};
    UniqueVariant twoDim;
    V_VT(twoDim.put()) = VT_ARRAY | VT_R8;
    V_ARRAY(&twoDim.get()) = SafeArrayCreate(VT_R8, 2, bounds);
    UniqueVariant twoDimToo;
    V_VT(twoDimToo.put()) = VT_ARRAY | VT_R8;
    V_ARRAY(&twoDimToo.get()) = SafeArrayCreate(VT_R8, 2, bounds);
    EXPECT_FALSE(ValuesEqual(twoDim.get(), twoDimToo.get()));
    EXPECT_FALSE(ValuesEqual(twoDim.get(), MakeR8Array({0, 0}).get()));

    UniqueVariant ints;
    V_VT(ints.put()) = VT_ARRAY | VT_I4;
    V_ARRAY(&ints.get()) = SafeArrayCreateVector(VT_I4, 0, 2);
    EXPECT_FALSE(ValuesEqual(ints.get(), MakeR8Array({0, 0}).get()));
}

TEST(ValuesEqual, ArraysAreUnlockedAfterEveryOutcome)
{
    UniqueVariant a = MakeBstrArray({L"x", L"y"});
    UniqueVariant b = MakeBstrArray({L"q", L"y"});  // differs at the first element: early exit
    UniqueVariant c = MakeR8Array({1, 2});
    UniqueVariant d = MakeR8Array({1, 2});
    EXPECT_FALSE(ValuesEqual(a.get(), b.get()));
    EXPECT_TRUE(ValuesEqual(c.get(), d.get()));
    for (UniqueVariant* v : {&a, &b, &c, &d}) {
        EXPECT_EQ(V_ARRAY(&v->get())->cLocks, 0u);
        // A locked array cannot be destroyed.
        EXPECT_EQ(SafeArrayDestroy(V_ARRAY(&v->get())), S_OK);
        V_VT(&v->get()) = VT_EMPTY;
    }
}

}  // namespace
