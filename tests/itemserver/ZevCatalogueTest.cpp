#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ItemValueTable.h"
#include "ZevCatalogue.h"

namespace {

std::wstring AsciiCase(std::wstring_view id, bool upper)
{
    std::wstring out(id);
    for (auto& c : out)
        if (upper && c >= L'a' && c <= L'z') c -= 32;
        else if (!upper && c >= L'A' && c <= L'Z') c += 32;
    return out;
}

}  // namespace

TEST(ZevCatalogue, EveryIdResolvesToItsOwnHandleInAnyAsciiCase)
{
    for (int handle = 1; handle <= ZevItemCount; ++handle) {
        const std::wstring_view id = ZevCatalogueEntry(handle).ItemId;
        EXPECT_EQ(FindCatalogueHandle(id), handle) << handle;
        EXPECT_EQ(FindCatalogueHandle(AsciiCase(id, true)), handle) << handle;
        EXPECT_EQ(FindCatalogueHandle(AsciiCase(id, false)), handle) << handle;
    }
    EXPECT_EQ(FindCatalogueHandle(L"string.xtal-1 rawfreq"), 8);
    EXPECT_EQ(FindCatalogueHandle(L"STRING.XTAL-1 RAWFREQ"), 8);
    EXPECT_EQ(FindCatalogueHandle(L"String.DM-State"), 25);
    EXPECT_EQ(FindCatalogueHandle(L"Boolean.srvZEV30win"), 118);
    EXPECT_EQ(FindCatalogueHandle(L"Flag.REM-CL-RESET"), 131);
    EXPECT_EQ(FindCatalogueHandle(L"String.Date And Time"), 7);
}

TEST(ZevCatalogue, RefusesUnknownEmptyAndBlankPaddedIds)
{
    EXPECT_EQ(FindCatalogueHandle(L""), 0);
    EXPECT_EQ(FindCatalogueHandle(L"Float.Chamber Pressure "), 0);
    EXPECT_EQ(FindCatalogueHandle(L" Float.Chamber Pressure"), 0);
    EXPECT_EQ(FindCatalogueHandle(L"Float.Chamber  Pressure"), 0);
    EXPECT_EQ(FindCatalogueHandle(L"Float.Chamber Pressur"), 0);
    EXPECT_EQ(FindCatalogueHandle(L"Float"), 0);
    EXPECT_EQ(FindCatalogueHandle(L"Output.OUT 33"), 0);
    // Prefix of a longer ID, and a longer ID than any in the catalogue.
    EXPECT_EQ(FindCatalogueHandle(L"Output.OUT 1 "), 0);
    EXPECT_EQ(FindCatalogueHandle(L"Output.OUT 10"), 64);
}

TEST(ZevCatalogue, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(SameZevItemId(L"az", L"AZ"));
    // Characters 0x20 apart that are not letters stay distinct.
    EXPECT_FALSE(SameZevItemId(L"[", L"{"));
    EXPECT_FALSE(SameZevItemId(L"@", L"`"));
    EXPECT_FALSE(SameZevItemId(L"-", L"\r"));
    EXPECT_FALSE(SameZevItemId(L"\u00e9", L"\u00c9"));
    EXPECT_EQ(FindCatalogueHandle(L"Float.Rate Measured (a/S)"), 12);
}

TEST(ZevCatalogue, PublishedTypesAndIdsAreUnique)
{
    std::map<VARTYPE, int> counts;
    for (const auto& entry : ZevCatalogue()) ++counts[entry.PublishedType];
    EXPECT_EQ(counts, (std::map<VARTYPE, int>{{VT_I4, 10}, {VT_R8, 22}, {VT_BSTR, 23}, {VT_BOOL, 77}}));
    EXPECT_EQ(ZevCatalogueEntry(8).PublishedType, VT_R8);   // "String." family, published as a double
    EXPECT_EQ(ZevCatalogueEntry(26).PublishedType, VT_BSTR);  // "Timer.Deposit"
    EXPECT_EQ(ZevCatalogueEntry(118).PublishedType, VT_BOOL);
    EXPECT_THROW(ZevCatalogueEntry(0), std::out_of_range);
    EXPECT_THROW(ZevCatalogueEntry(133), std::out_of_range);
}

TEST(ZevCatalogue, RowLabelsNameTheRowsItemsExceptTheResumeLabel)
{
    TItemValueTable table;
    for (int row = 0; row < ZevRowCount; ++row) {
        const int handle = row < 117 ? row + 1 : row + 2;
        EXPECT_EQ(ZevCatalogueEntry(handle).Row, row);
        EXPECT_EQ(table.Number(row), std::to_wstring(row));
        if (row != 129) {
            EXPECT_EQ(table.Label(row), ZevCatalogueEntry(handle).ItemId) << row;
        }
    }
    EXPECT_EQ(ZevCatalogueEntry(118).Row, ZevNoRow);
    EXPECT_EQ(table.Label(129), L"Flag.REM-CL-RESUME");
    EXPECT_EQ(FindCatalogueHandle(table.Label(129)), 0);
    EXPECT_EQ(table.Label(130), L"Flag.REM-CL-STOP");
    EXPECT_THROW(table.Label(131), std::out_of_range);
    EXPECT_THROW(table.Value(-1), std::out_of_range);
}
