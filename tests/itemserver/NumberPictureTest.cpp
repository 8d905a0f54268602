#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ItemServerTestUtil.h"
#include "NumberPicture.h"

namespace {

std::wstring Format(double value, std::string_view picture, std::wstring_view separator = L".")
{
    return FormatNumberPicture(value, TNumberPicture::Parse(picture), separator);
}

}  // namespace

TEST(NumberPicture, ParsesPictures)
{
    EXPECT_EQ(TNumberPicture::Parse("0.0000000").Decimals, 7);
    EXPECT_EQ(TNumberPicture::Parse("00.0").MinIntegerDigits, 2);
    EXPECT_EQ(TNumberPicture::Parse("0").Decimals, 0);
    EXPECT_THROW(TNumberPicture::Parse("#.0"), std::invalid_argument);
    EXPECT_THROW(TNumberPicture::Parse(".0"), std::invalid_argument);
    EXPECT_THROW(TNumberPicture::Parse("0."), std::invalid_argument);
}

TEST(NumberPicture, RoundsHalvesAwayFromZeroOnTheEighteenDigitForm)
{
    EXPECT_EQ(Format(12.36, "0.0"), L"12.4");
    EXPECT_EQ(Format(0.25, "0.0"), L"0.3");
    EXPECT_EQ(Format(-0.25, "0.0"), L"-0.3");
    EXPECT_EQ(Format(0.125, "0.00"), L"0.13");
    EXPECT_EQ(Format(-0.125, "0.00"), L"-0.13");
    EXPECT_EQ(Format(0.05, "0.0"), L"0.1");
    // Their 18-digit forms lie just below the half (2.67499999999999982 ...).
    EXPECT_EQ(Format(2.675, "0.00"), L"2.67");
    EXPECT_EQ(Format(1.005, "0.00"), L"1.00");
    EXPECT_EQ(Format(0.15, "0.0"), L"0.1");
    // Beyond 18 significant digits the decimal form holds zeros.
    EXPECT_EQ(Format(1234567890123456789.0, "0.0"), L"1234567890123456770.0");
}

TEST(NumberPicture, CarriesPadsAndDropsTheSignOfZero)
{
    EXPECT_EQ(Format(9.96, "0.0"), L"10.0");
    EXPECT_EQ(Format(99.96, "0.0"), L"100.0");
    EXPECT_EQ(Format(0.96, "0.0"), L"1.0");
    EXPECT_EQ(Format(0.06, "0.0"), L"0.1");
    EXPECT_EQ(Format(0.00012, "0.0000000"), L"0.0001200");
    EXPECT_EQ(Format(2.5, "0.0000000"), L"2.5000000");
    EXPECT_EQ(Format(-3, "0.000"), L"-3.000");
    EXPECT_EQ(Format(7, "0.00"), L"7.00");
    EXPECT_EQ(Format(5, "00.0"), L"05.0");
    EXPECT_EQ(Format(1e20, "0.0"), L"100000000000000000000.0");
    EXPECT_EQ(Format(-0.04, "0.0"), L"0.0");
    EXPECT_EQ(Format(-0.0, "0.0"), L"0.0");
    EXPECT_EQ(Format(-4.9e-324, "0.000"), L"0.000");
    EXPECT_EQ(Format(-0.05, "0.0"), L"-0.1");
    EXPECT_EQ(Format(12.36, "0.0", L","), L"12,4");
    EXPECT_EQ(Format(-1.5, "0.0", L"<>"), L"-1<>5");
    EXPECT_THROW(Format(std::numeric_limits<double>::infinity(), "0.0"), EVariantError);
    EXPECT_THROW(Format(std::nan(""), "0.0"), EVariantError);
}

TEST(NumberPicture, PlainSyntaxUsesTheGivenSeparator)
{
    EXPECT_EQ(ParsePlainNumber(L"12,36", L","), 12.36);
    EXPECT_EQ(ParsePlainNumber(L"-2,5e3", L","), -2500.0);
    EXPECT_EQ(ParsePlainNumber(L"+,5", L","), 0.5);
    EXPECT_EQ(ParsePlainNumber(L"7,", L","), 7.0);
    EXPECT_EQ(ParsePlainNumber(L"1E-2", L"."), 0.01);
    EXPECT_FALSE(ParsePlainNumber(L"12.36", L","));
    EXPECT_FALSE(ParsePlainNumber(L"1,2,3", L","));
    EXPECT_FALSE(ParsePlainNumber(L",", L","));
    EXPECT_FALSE(ParsePlainNumber(L"-", L"."));
    EXPECT_FALSE(ParsePlainNumber(L"1e", L"."));
    EXPECT_FALSE(ParsePlainNumber(L" 1", L"."));
    EXPECT_FALSE(ParsePlainNumber(L"1 ", L"."));
    EXPECT_FALSE(ParsePlainNumber(L"", L"."));
    EXPECT_FALSE(ParsePlainNumber(L"1e400", L"."));
}

TEST(NumberPicture, TextThatIsNoNumberIsAConversionError)
{
    EXPECT_EQ(TextToNumber(Local(L"12.36")), 12.36);
    EXPECT_EQ(TextToNumber(L"-3"), -3.0);
    for (const wchar_t* text : {L"", L"abc", L"1e400", L"-1e400"}) {
        EXPECT_THROW(TextToNumber(text), EVariantError) << text;
    }
    EXPECT_THROW(TextToNumber(std::wstring(L"1\0" L"5", 3)), EVariantError);
    EXPECT_EQ(VariantToNumber(MakeI4(7).get()), 7.0);
    EXPECT_THROW(VariantToNumber(NullValue().get()), EVariantError);
}
