#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "ItemServerTestUtil.h"
#include "com/TextUtil.h"
#include "ZevCatalogue.h"

namespace {

struct TWrite {
    int Handle;
    const wchar_t* Text;
    const wchar_t* Stored;
};

void ExpectWrites(std::initializer_list<TWrite> writes)
{
    TItemValueTable table;
    for (const auto& w : writes) {
        WriteZevItemValue(table, w.Handle, MakeBstr(w.Text).get());
        EXPECT_EQ(ReadText(table, w.Handle), w.Stored) << w.Handle << " " << w.Text;
    }
}

// Stands in for the main window's reaction to the command field: "1" toggles
// the window and sets the field back to "0", "2" hides it.
struct TWindowDouble {
    TItemValueTable& Table;
    bool Shown = false;
    std::vector<std::string> Seen;

    explicit TWindowDouble(TItemValueTable& table) : Table(table)
    {
        table.OnEdit1Change = [this] {
            Seen.push_back(Table.Edit1Text());
            if (Table.Edit1Text() == "1") {
                Shown = !Shown;
                Table.SetEdit1Text("0");
            }
            if (Table.Edit1Text() == "2") Shown = false;
        };
    }
};

}  // namespace

TEST(DecimalSeparator, IsTheOneThisRunExpects)
{
    const char* expected = std::getenv("ITEMSERVER_TEST_DECIMAL_SEPARATOR");
    if (!expected) GTEST_SKIP() << "no expected separator given; running with " << WideToAnsi(TNumberSeparators::User().Decimal);
    EXPECT_EQ(WideToAnsi(TNumberSeparators::User().Decimal), expected);
}

TEST(ZevValueAccess, PatternItemsStoreTheirPictureInTheRegionalSetting)
{
    const std::wstring separator = TNumberSeparators::User().Decimal;
    if (separator == L".") {
        ExpectWrites({{12, L"12.36", L"12.4"}, {15, L"2.5", L"2.5000000"}, {53, L"-3", L"-3.000"}, {24, L"7", L"7.00"},
                      {15, L"0.00012", L"0.0001200"}, {12, L"0.25", L"0.3"}, {12, L"-0.25", L"-0.3"},
                      {12, L"-0.04", L"0.0"}, {39, L"1e2", L"100.0"}});
    } else if (separator == L",") {
        ExpectWrites({{12, L"12,36", L"12,4"}, {15, L"2,5", L"2,5000000"}, {53, L"-3", L"-3,000"}, {24, L"7", L"7,00"},
                      {15, L"0,00012", L"0,0001200"}, {12, L"0,25", L"0,3"}, {12, L"-0,25", L"-0,3"},
                      {12, L"-0,04", L"0,0"}, {39, L"1e2", L"100,0"}});
    } else {
        FAIL() << "no table for the decimal separator " << WideToAnsi(separator);
    }
}

// Whatever the setting, a text is read in the separators the number is then
// shown with; a thousands separator that groups no three digits is no
// decimal separator of another setting, and the text is refused.
TEST(ZevValueAccess, PatternItemsReadTheSeparatorsTheyShow)
{
    const TNumberSeparators separators = TNumberSeparators::User();
    const std::wstring point = separators.Decimal, grouping = separators.Thousands;
    ExpectWrites({{12, (L"1" + grouping + L"236" + point + L"5").c_str(), (L"1236" + point + L"5").c_str()},
                  {15, (L"2" + point + L"5E-06").c_str(), (L"0" + point + L"0000025").c_str()}});
    TItemValueTable table;
    WriteZevItemValue(table, 12, MakeBstr(L"4").get());
    for (const std::wstring& text :
         {L"12" + grouping + L"36", L"1" + grouping + L"2365", L"1" + point + L"2" + point + L"3"})
        EXPECT_THROW(WriteZevItemValue(table, 12, MakeBstr(text).get()), EVariantError) << WideToAnsi(text);
    EXPECT_EQ(ReadText(table, 12), L"4" + point + L"0");
}

TEST(ZevValueAccess, EveryPatternItemFormatsAndOthersKeepTheirText)
{
    TItemValueTable table;
    int patterns = 0;
    for (int handle = 1; handle <= ZevItemCount; ++handle) {
        if (handle == ZevWindowCommandHandle) continue;
        WriteZevItemValue(table, handle, MakeR8(1.25).get());
        const auto picture = ZevNumberPicture(handle);
        patterns += picture.has_value();
        const std::wstring expected = picture ? FormatNumberPicture(1.25, *picture) : Local(L"1.25");
        EXPECT_EQ(ReadText(table, handle), expected) << handle;
    }
    EXPECT_EQ(patterns, 18);
    EXPECT_EQ(ReadText(table, 13), Local(L"1.250"));
    EXPECT_EQ(ReadText(table, 12), Local(L"1.3"));
    EXPECT_EQ(ReadText(table, 15), Local(L"1.2500000"));
}

TEST(ZevValueAccess, RefusedNumberKeepsTheCell)
{
    TItemValueTable table;
    int repaints = 0;
    table.OnRowChanged = [&](int row) { EXPECT_EQ(row, 11); ++repaints; };
    WriteZevItemValue(table, 12, MakeR8(4.0).get());
    for (const wchar_t* text : {L"abc", L"", L"1e400"})
        EXPECT_THROW(WriteZevItemValue(table, 12, MakeBstr(text).get()), EVariantError) << text;
    // Numbers without a picture and values without a number fail the same way.
    EXPECT_THROW(WriteZevItemValue(table, 12, MakeR8(std::numeric_limits<double>::infinity()).get()), EVariantError);
    EXPECT_THROW(WriteZevItemValue(table, 12, NullValue().get()), EVariantError);
    EXPECT_EQ(ReadText(table, 12), Local(L"4.0"));
    EXPECT_EQ(repaints, 1);
}

TEST(ZevValueAccess, TextItemsStoreWhatIsWritten)
{
    ExpectWrites({{25, L"abc", L"abc"}, {25, L"", L""}, {8, L"1.23456789", L"1.23456789"},
                  {1, L"  padded \t", L"  padded \t"}, {7, L"Gr\u00fc\u00dfe", L"Gr\u00fc\u00dfe"}});
    TItemValueTable table;
    // Characters the ANSI code page lacks are replaced when stored.
    WriteZevItemValue(table, 2, MakeBstr(L"\u4e2d").get());
    EXPECT_EQ(table.Value(1), "?");
    WriteZevItemValue(table, 6, MakeI4(42).get());
    EXPECT_EQ(table.Value(5), "42");
    EXPECT_THROW(WriteZevItemValue(table, 6, NullValue().get()), EVariantError);
    EXPECT_EQ(table.Value(5), "42");
}

TEST(ZevValueAccess, HandlesAddressTheirOwnCellsUpToTheEnds)
{
    TItemValueTable table;
    std::vector<int> repainted;
    table.OnRowChanged = [&](int row) { repainted.push_back(row); };
    WriteZevItemValue(table, 117, MakeBstr(L"rel15").get());
    WriteZevItemValue(table, 119, MakeBstr(L"time").get());
    WriteZevItemValue(table, 132, MakeBstr(L"stop").get());
    EXPECT_EQ(repainted, (std::vector<int>{116, 117, 130}));
    EXPECT_EQ(table.Value(116), "rel15");
    EXPECT_EQ(table.Value(117), "time");
    EXPECT_EQ(table.Value(130), "stop");
    EXPECT_EQ(table.Value(129), "");
    EXPECT_EQ(table.Edit1Text(), "Edit1");
    EXPECT_EQ(ReadText(table, 132), L"stop");
}

TEST(ZevValueAccess, HandlesOutsideTheCatalogueAreInvalid)
{
    TItemValueTable table;
    for (int handle : {0, 133, -1}) {
        UniqueVariant out = MakeBstr(L"untouched");
        EXPECT_EQ(RaisedCode([&] { ReadZevItemValue(table, handle, &out.get()); }), OPC_E_INVALIDHANDLE);
        EXPECT_EQ(TextOf(out.get()), L"untouched");
        EXPECT_EQ(RaisedCode([&] { WriteZevItemValue(table, handle, MakeBstr(L"x").get()); }),
                  OPC_E_INVALIDHANDLE);
    }
    for (int row = 0; row < TItemValueTable::RowCount; ++row) EXPECT_EQ(table.Value(row), "");
}

TEST(ZevValueAccess, FirstReadIsEmptyExceptTheCommandItem)
{
    TItemValueTable table;
    for (int handle = 1; handle <= ZevItemCount; ++handle)
        EXPECT_EQ(ReadText(table, handle), handle == ZevWindowCommandHandle ? L"Edit1" : L"") << handle;
}

TEST(ZevValueAccess, CommandItemRunsTheWindowReactionAtOnce)
{
    TItemValueTable table;
    TWindowDouble window(table);
    WriteZevItemValue(table, 118, MakeBstr(L"1").get());
    EXPECT_TRUE(window.Shown);
    EXPECT_EQ(ReadText(table, 118), L"0");
    EXPECT_EQ(window.Seen, (std::vector<std::string>{"1", "0"}));

    WriteZevItemValue(table, 118, MakeI4(1).get());  // an integer 1 is the text "1"
    EXPECT_FALSE(window.Shown);
    EXPECT_EQ(ReadText(table, 118), L"0");

    window.Seen.clear();
    WriteZevItemValue(table, 118, MakeBstr(L"0").get());  // unchanged text: no reaction
    WriteZevItemValue(table, 118, MakeBstr(L"hello").get());
    EXPECT_EQ(ReadText(table, 118), L"hello");
    WriteZevItemValue(table, 118, MakeBstr(L"2").get());
    WriteZevItemValue(table, 118, MakeBstr(L"2").get());
    EXPECT_EQ(window.Seen, (std::vector<std::string>{"hello", "2"}));
    EXPECT_EQ(ReadText(table, 118), L"2");
}
