// The texts of the information boxes.
#include <gtest/gtest.h>

#include "InfoText.h"
#include "DateText.h"

#include <oleauto.h>

namespace {

std::wstring TimeOfDay(WORD h, WORD m, WORD s)
{
    SYSTEMTIME t{2000, 1, 6, 1, h, m, s, 0};
    return LongTimeText(t);
}

FILETIME FileTimeOf(WORD year, WORD month, WORD day, WORD h, WORD m, WORD s)
{
    SYSTEMTIME t{year, month, 0, day, h, m, s, 0};
    FILETIME ft{};
    SystemTimeToFileTime(&t, &ft);
    return ft;
}

}  // namespace

TEST(VarTypeName, NamesTheKnownTypesAndShowsOthersInHex)
{
    const std::pair<VARTYPE, const wchar_t*> known[] = {{0, L"Empty"},    {1, L"Null"},   {2, L"Smallint"},
                                                        {3, L"Integer"},  {4, L"Single"}, {5, L"Double"},
                                                        {6, L"Currency"}, {7, L"Date"},   {8, L"OleStr"},
                                                        {9, L"Dispatch"}, {10, L"Error"}, {11, L"Boolean"},
                                                        {12, L"Variant"}, {17, L"Byte"}};
    for (const auto& [type, name] : known) EXPECT_EQ(VarTypeName(type), name) << type;
    EXPECT_EQ(VarTypeName(VT_ARRAY | VT_R8), L"Unknown type (2005)");
    EXPECT_EQ(VarTypeName(13), L"Unknown type (D)");
    EXPECT_EQ(VarTypeName(VT_I8), L"Unknown type (14)");
}

TEST(AccessRightsText, ListsReadThenWriteWithoutBlanks)
{
    EXPECT_EQ(AccessRightsText(3), L"Read,Write");
    EXPECT_EQ(AccessRightsText(1), L"Read");
    EXPECT_EQ(AccessRightsText(2), L"Write");
    EXPECT_EQ(AccessRightsText(0), L"");
    EXPECT_EQ(AccessRightsText(0xFFFFFFFC), L"");
}

TEST(ClientInfoText, ShowsNameLastUpdateAndState)
{
    TClientInfoFacts c;
    c.Name = L"Plant A";
    c.LastUpdate = FileTimeOf(2024, 3, 9, 13, 14, 15);
    c.State = 1;
    EXPECT_EQ(ClientInfoText(c), L"Name: Plant A\n\rLast update: " + TimeOfDay(13, 14, 15) + L"\n\rState: 1");
}

TEST(ClientInfoText, AnUnnamedClientWithoutUpdatesShowsNoNameAndMidnight)
{
    TClientInfoFacts c;
    c.State = 1;
    EXPECT_EQ(ClientInfoText(c), L"Name: (no name)\n\rLast update: " + TimeOfDay(0, 0, 0) + L"\n\rState: 1");
}

TEST(GroupInfoText, ListsStateHandleAndConnections)
{
    TGroupInfoFacts g;
    g.Name = L"G1";
    g.Active = true;
    g.UpdateRate = 500;
    g.ClientHandle = 255;
    g.Enabled = true;
    g.ItemCount = 2;
    g.DataCallback = true;
    g.AdviseSinks[1] = true;
    EXPECT_EQ(GroupInfoText(g),
              L"Name: G1\n\rPublic: No\n\rActive: Yes\n\rUpdate rate: 500\n\rClientHandle: $000000FF\n\r"
              L"Enabled: Yes\n\rItemCount: 2\n\rConnections\n\r - DA2: Yes\n\r - DA1 (Data): No\n\r"
              L" - DA1 (Datatime): Yes\n\r - DA1 (WriteComplete): No");
}

TEST(ItemInfoText, ShowsHandlesInUpperCaseHexAndTheTypeNames)
{
    TItemInfoFacts i;
    i.ItemId = L"Float.Chamber Pressure";
    i.ItemHandle = 15;
    i.ClientHandle = 0xABCDEF01;
    i.Active = true;
    i.RequestedType = VT_EMPTY;
    i.CanonicalType = VT_BSTR;
    i.AccessRights = 3;
    EXPECT_EQ(ItemInfoText(i),
              L"ItemID: Float.Chamber Pressure\n\rItemHandle: 0000000F\n\rClient Handle: ABCDEF01\n\r"
              L"Active: Yes\n\rRequested Type: Empty\n\rNative Type: OleStr\n\rLast Update Time: " +
                  TimeOfDay(0, 0, 0) + L"\n\rAccess Rights: Read,Write");

    i.RequestedType = VT_ARRAY | VT_R8;
    i.Active = false;
    SYSTEMTIME at{2025, 12, 3, 31, 23, 59, 58, 0};
    SystemTimeToVariantTime(&at, &i.LastUpdate);
    const std::wstring text = ItemInfoText(i);
    EXPECT_NE(text.find(L"\n\rRequested Type: Unknown type (2005)\n\r"), std::wstring::npos);
    EXPECT_NE(text.find(L"\n\rActive: No\n\r"), std::wstring::npos);
    EXPECT_NE(text.find(L"\n\rLast Update Time: " + TimeOfDay(23, 59, 58) + L"\n\r"), std::wstring::npos);
}
