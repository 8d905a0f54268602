// What the client prints: JSON lines that any JSON reader takes, and tables
// whose columns line up.
#include <gtest/gtest.h>

#include "Report.h"

namespace {

TEST(ClientReport, JsonStringsEscapeWhatJsonRequires)
{
    EXPECT_EQ(JsonString(L"plain"), "\"plain\"");
    EXPECT_EQ(JsonString(L"say \"hi\"\\"), "\"say \\\"hi\\\"\\\\\"");
    EXPECT_EQ(JsonString(L"a\r\nb\tc"), "\"a\\r\\nb\\tc\"");
    EXPECT_EQ(JsonString(std::wstring(L"x\x01y")), "\"x\\u0001y\"");
    EXPECT_EQ(JsonString(L"\x00b5m \x00c4"), "\"\xc2\xb5m \xc3\x84\"") << "UTF-8, not the ANSI code page";
}

TEST(ClientReport, JsonLinesWriteNumbersAndAbsentFieldsUnquoted)
{
    const TRecord record{TextField(L"item", L"Float.OM Signal"), NumberField(L"groups", 3LL), NumberField(L"rate", 0.5),
                         FlagField(L"ok", false), AbsentField(L"error")};
    EXPECT_EQ(JsonLine(record), "{\"item\":\"Float.OM Signal\",\"groups\":3,\"rate\":0.5,\"ok\":false,\"error\":null}");
}

TEST(ClientReport, TablesAlignColumnsAndLeaveOutThoseAbsentEverywhere)
{
    const std::vector<TRecord> records{
        {TextField(L"item", L"A"), TextField(L"value", L"1"), AbsentField(L"error")},
        {TextField(L"item", L"Longer.Item"), TextField(L"value", L""), AbsentField(L"error")},
    };
    EXPECT_EQ(TableText(records), "item         value\nA            1\nLonger.Item\n");

    std::vector<TRecord> withError = records;
    withError[1][2] = TextField(L"error", L"bad");
    EXPECT_EQ(TableText(withError), "item         value  error\nA            1\nLonger.Item         bad\n");
}

TEST(ClientReport, StreamedRowsKeepTheirWidths)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        TReport report(false, file);
        report.Stream({TextField(L"t", L"1"), TextField(L"item", L"A")}, {3, 0});
        report.Stream({TextField(L"t", L"22"), TextField(L"item", L"B")}, {3, 0});
    }
    std::rewind(file);
    char text[256] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(text, n), "t    item\n1    A\n22   B\n") << "the header once, cells padded to the widths";
}

}  // namespace
