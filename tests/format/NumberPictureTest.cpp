// Number pictures: what each picture writes, how it rounds, and which
// pictures it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ConvertError.h"
#include "NumberPicture.h"

namespace {

const TNumberSeparators kPoint{L".", L","};

std::wstring Format(double value, std::string_view picture, const TNumberSeparators& separators = kPoint,
                    TRounding rounding = TRounding::HalfAwayFromZero)
{
    return FormatNumberPicture(value, TNumberPicture::Parse(picture), separators, rounding);
}

struct TCase {
    double Value;
    const char* Picture;
    const wchar_t* Text;
};

void ExpectAll(std::initializer_list<TCase> cases, TRounding rounding = TRounding::HalfAwayFromZero)
{
    for (const TCase& c : cases)
        EXPECT_EQ(Format(c.Value, c.Picture, kPoint, rounding), c.Text) << c.Value << " in " << c.Picture;
}

}  // namespace

TEST(NumberPicture, ParsesPicturesAndRefusesTheRest)
{
    const TNumberPicture grouped = TNumberPicture::Parse("#,##0###");
    EXPECT_TRUE(grouped.Grouped);
    EXPECT_EQ(grouped.MinIntegerDigits, 1);
    EXPECT_EQ(grouped.MaxDecimals, 0);
    const TNumberPicture scientific = TNumberPicture::Parse("0.00E-");
    EXPECT_TRUE(scientific.Scientific);
    EXPECT_EQ(scientific.MinDecimals, 2);
    EXPECT_FALSE(scientific.ExponentAlwaysSigned);
    EXPECT_EQ(TNumberPicture::Parse("0.0000000").MinDecimals, 7);
    EXPECT_EQ(TNumberPicture::Parse("00.0").MinIntegerDigits, 2);
    EXPECT_EQ(TNumberPicture::Parse("0.0#").MaxDecimals, 2);
    for (const char* bad : {"", ".0", "0.", "0.#0", "0E", "0.0E", "00.0E-", "#,0.0E+", "0x", "0.0 ", "E-0"})
        EXPECT_THROW(TNumberPicture::Parse(bad), std::invalid_argument) << bad;
}

TEST(NumberPicture, FixedPicturesRoundHalvesAwayFromZeroOnTheEighteenDigitForm)
{
    ExpectAll({{12.36, "0.0", L"12.4"},
               {0.25, "0.0", L"0.3"},
               {-0.25, "0.0", L"-0.3"},
               {0.125, "0.00", L"0.13"},
               {0.05, "0.0", L"0.1"},
               // Their 18-digit forms lie just below the half (2.67499999999999982 ...).
               {2.675, "0.00", L"2.67"},
               {1.005, "0.00", L"1.00"},
               {0.15, "0.0", L"0.1"},
               // Beyond 18 significant digits the decimal form holds zeros.
               {1234567890123456789.0, "0.0", L"1234567890123456770.0"},
               {9.96, "0.0", L"10.0"},
               {99.96, "0.0", L"100.0"},
               {0.00012, "0.0000000", L"0.0001200"},
               {-3, "0.000", L"-3.000"},
               {5, "00.0", L"05.0"},
               {1e20, "0.0", L"100000000000000000000.0"},
               {-0.04, "0.0", L"0.0"},
               {-0.0, "0.0", L"0.0"},
               {-4.9e-324, "0.000", L"0.000"},
               {0.5, "0", L"1"},
               {-3.4, "0", L"-3"},
               {1.5, "0.0#", L"1.5"},
               {1.25, "0.0#", L"1.25"},
               {1.0, "0.0#", L"1.0"}});
}

TEST(NumberPicture, HalvesToEvenWhenAsked)
{
    ExpectAll({{0.5, "0", L"0"},
               {1.5, "0", L"2"},
               {2.5, "0", L"2"},
               {-2.5, "0", L"-2"},
               {-0.5, "0", L"0"},
               {0.125, "0.00", L"0.12"},
               {0.375, "0.00", L"0.38"},
               {2.51, "0", L"3"}},
              TRounding::HalfToEven);
}

TEST(NumberPicture, GroupsThousandsWithTheGivenSeparator)
{
    ExpectAll({{1000, "#,##0###", L"1,000"},
               {999.4, "#,##0###", L"999"},
               {0, "#,##0###", L"0"},
               {1234567.5, "#,##0###", L"1,234,568"},
               {-12345, "#,##0", L"-12,345"},
               {100000, "#,##0.00", L"100,000.00"}});
    EXPECT_EQ(Format(1250, "#,##0###", TNumberSeparators{L",", L"."}), L"1.250");
    EXPECT_EQ(Format(1234.5, "#,##0.0", TNumberSeparators{L",", L"\u00a0"}), L"1\u00a0234,5");
}

TEST(NumberPicture, ScientificPicturesKeepOneDigitBeforeThePoint)
{
    ExpectAll({{0.0005, "0.00E-", L"5.00E-4"},
               {0.001, "0.00E-", L"1.00E-3"},
               {0.00012345, "0.0E-", L"1.2E-4"},
               {0.0099999, "0.0E-", L"1.0E-2"},  // the carry moves the exponent
               {1234, "0.0E-", L"1.2E3"},
               {-0.0025, "0.0E-", L"-2.5E-3"},
               {0, "0.0E-", L"0.0E0"},
               {50, "0.00E+00", L"5.00E+01"},
               {0.05, "0.00E+00", L"5.00E-02"},
               {2.5e-7, "0.0e-", L"2.5e-7"}});
}

TEST(NumberPicture, WritesTheGivenDecimalSeparator)
{
    EXPECT_EQ(Format(12.36, "0.0", TNumberSeparators{L",", L"."}), L"12,4");
    EXPECT_EQ(Format(-1.5, "0.0", TNumberSeparators{L"<>", L"."}), L"-1<>5");
    EXPECT_EQ(Format(0.0005, "0.00E-", TNumberSeparators{L",", L"."}), L"5,00E-4");
}

TEST(NumberPicture, InfinityAndNaNHaveNoPicture)
{
    EXPECT_THROW(Format(std::numeric_limits<double>::infinity(), "0.0"), EConvertError);
    EXPECT_THROW(Format(std::nan(""), "0.00E-"), EConvertError);
}
