// Texts read as numbers: the locale-aware reading with its plain fallback,
// whole numbers, and rounding to whole numbers.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "ConvertError.h"
#include "FormatTestSupport.h"
#include "NumberText.h"

TEST(NumberText, PlainSyntaxUsesTheGivenSeparator)
{
    EXPECT_EQ(ParsePlainNumber(L"12,36", L","), 12.36);
    EXPECT_EQ(ParsePlainNumber(L"-2,5e3", L","), -2500.0);
    EXPECT_EQ(ParsePlainNumber(L"+,5", L","), 0.5);
    EXPECT_EQ(ParsePlainNumber(L"7,", L","), 7.0);
    EXPECT_EQ(ParsePlainNumber(L"1E-2", L"."), 0.01);
    for (const wchar_t* bad : {L"12.36", L"1,2,3", L",", L"-", L"1e", L" 1", L"1 ", L"", L"1e400"})
        EXPECT_FALSE(ParsePlainNumber(bad, L",")) << bad;
}

TEST(NumberText, TextThatIsNoNumberIsAConversionError)
{
    EXPECT_EQ(TextToNumber(Local(L"12.36")), 12.36);
    EXPECT_EQ(TextToNumber(L"-3"), -3.0);
    EXPECT_EQ(TextToNumber(Local(L"2.5E-06")), 2.5e-6);
    for (const wchar_t* text : {L"", L"abc", L"1e400", L"-1e400"})
        EXPECT_THROW(TextToNumber(text), EConvertError) << text;
    EXPECT_THROW(TextToNumber(std::wstring(L"1\0"
                                           L"5",
                                           3)),
                 EConvertError);
}

// The same texts in the two common settings: a thousands separator counts
// only where it groups the integer digits by three, so a text meant in the
// other setting is refused, never read a hundred or a thousand times over.
TEST(NumberText, ReadsTheSeparatorsItIsGivenAndGroupsOnlyByThree)
{
    const TNumberSeparators comma{L",", L"."}, point{L".", L","};
    const struct {
        const wchar_t* Text;
        std::optional<double> Comma, Point;
    } cases[] = {
        {L"12,36", 12.36, std::nullopt},
        {L"12.36", std::nullopt, 12.36},
        {L"1.236,5", 1236.5, std::nullopt},
        {L"1,236.5", std::nullopt, 1236.5},
        {L"1.236", 1236, 1.236},
        {L"1,236", 1.236, 1236},
        {L"1.2365", std::nullopt, 1.2365},
        {L"1.234.567,5", 1234567.5, std::nullopt},
        {L"12.34.567", std::nullopt, std::nullopt},
        {L"1234.567", std::nullopt, 1234.567},
        {L"1.23", std::nullopt, 1.23},
        {L".5", std::nullopt, 0.5},
        {L"1.", std::nullopt, 1},
        {L"1,2,3", std::nullopt, std::nullopt},
        {L" -0,25\t", -0.25, std::nullopt},
        {L"+2,5E-06", 2.5e-6, std::nullopt},
        {L"2.5E-06", std::nullopt, 2.5e-6},
        {L"-1.000", -1000, -1},
        {L"1 000", std::nullopt, std::nullopt},
        {L"", std::nullopt, std::nullopt},
    };
    const auto read = [](const wchar_t* text, const TNumberSeparators& separators) -> std::optional<double> {
        try {
            return TextToNumber(text, separators);
        } catch (const EConvertError&) {
            return std::nullopt;
        }
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.Text, comma), c.Comma) << "decimal comma: " << WideToAnsiForTest(c.Text);
        EXPECT_EQ(read(c.Text, point), c.Point) << "decimal point: " << WideToAnsiForTest(c.Text);
    }
    // A setting whose thousands separator is none, or the decimal one, groups nothing.
    EXPECT_EQ(read(L"1.236,5", {L",", L""}), std::nullopt);
    EXPECT_EQ(read(L"1,5", {L",", L","}), 1.5);
    EXPECT_EQ(read(L"1\u00a0236,5", {L",", L"\u00a0"}), 1236.5);
}

TEST(NumberText, WholeNumbersRefuseDecimalsAndExponents)
{
    const std::pair<const wchar_t*, int> good[] = {{L"4", 4},   {L"-12", -12}, {L"+7", 7},
                                                   {L" 3 ", 3}, {L"0", 0},     {L"2147483647", 2147483647}};
    for (const auto& [text, value] : good) EXPECT_EQ(TextToInteger(text), value) << text;
    for (const wchar_t* bad : {L"2.5", L"2,5", L"2.0", L"1e3", L"", L" ", L"-", L"3a", L"2147483648", L"0x10"})
        EXPECT_THROW(TextToInteger(bad), EConvertError) << bad;
}

TEST(NumberText, RoundsToWholeNumbersHalvesAsAsked)
{
    const struct {
        double Value;
        long long Even, Away;
    } cases[] = {{2.5, 2, 3},
                 {3.5, 4, 4},
                 {-2.5, -2, -3},
                 {-3.5, -4, -4},
                 {0.5, 0, 1},
                 {5998321.44, 5998321, 5998321},
                 {5998321.5, 5998322, 5998322},
                 {-0.4, 0, 0},
                 {1e15 + 0.5, 1000000000000000, 1000000000000001}};
    for (const auto& c : cases) {
        EXPECT_EQ(RoundToInteger(c.Value, TRounding::HalfToEven), c.Even) << c.Value;
        EXPECT_EQ(RoundToInteger(c.Value, TRounding::HalfAwayFromZero), c.Away) << c.Value;
    }
    EXPECT_THROW(RoundToInteger(1e19, TRounding::HalfToEven), EConvertError);
    EXPECT_THROW(RoundToInteger(std::numeric_limits<double>::quiet_NaN(), TRounding::HalfToEven), EConvertError);
}
