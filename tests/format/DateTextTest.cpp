// Dates and times: reading the controller's date-and-time text, the calendar
// conversions, and date-time pictures.
#include <gtest/gtest.h>

#include "ConvertError.h"
#include "DateText.h"
#include "FormatTestSupport.h"

namespace {

// 8 December 2025, 14:32:07 as a date-time.
constexpr double kSample = 45999.0 + (14 * 3600 + 32 * 60 + 7) / 86400.0;

}  // namespace

TEST(DateText, ReadsDateAndTimeInTheRegionalFormats)
{
    SYSTEMTIME t{2025, 12, 1, 8, 14, 32, 7, 0};
    const std::wstring text = ShortDateText(t) + L" " + LongTimeText(t);
    EXPECT_NEAR(TextToDateTime(text), kSample, 1e-8) << WideToAnsiForTest(text);
    EXPECT_NEAR(TextToDateTime(ShortDateText(t)), 45999.0, 1e-9);
    for (const wchar_t* bad : {L"", L"abc", L"32.13.2025 25:61:00"}) EXPECT_THROW(TextToDateTime(bad), EConvertError);
}

TEST(DateText, CalendarConversionsMeetInBothDirections)
{
    const struct {
        SYSTEMTIME Time;
        double Date;
    } cases[] = {{{1899, 12, 6, 30, 0, 0, 0, 0}, 0.0},
                 {{1900, 1, 1, 1, 12, 0, 0, 0}, 2.5},
                 {{1899, 12, 5, 29, 6, 0, 0, 0}, -1.25},
                 {{2025, 12, 1, 8, 14, 32, 7, 0}, kSample},
                 {{2024, 2, 4, 29, 23, 59, 59, 500}, 45351.0 + 86399.5 / 86400.0}};
    for (const auto& c : cases) {
        const SYSTEMTIME t = DateTimeToSystemTime(c.Date);
        EXPECT_EQ(t.wYear, c.Time.wYear) << c.Date;
        EXPECT_EQ(t.wMonth, c.Time.wMonth) << c.Date;
        EXPECT_EQ(t.wDay, c.Time.wDay) << c.Date;
        EXPECT_EQ(t.wDayOfWeek, c.Time.wDayOfWeek) << c.Date;
        EXPECT_EQ(t.wHour, c.Time.wHour) << c.Date;
        EXPECT_EQ(t.wMinute, c.Time.wMinute) << c.Date;
        EXPECT_EQ(t.wSecond, c.Time.wSecond) << c.Date;
        EXPECT_EQ(t.wMilliseconds, c.Time.wMilliseconds) << c.Date;
        EXPECT_NEAR(SystemTimeToDateTime(c.Time), c.Date, 1e-9) << c.Date;
    }
    // A hair below midnight rounds to the next day's midnight, not to 24:00.
    const SYSTEMTIME almost = DateTimeToSystemTime(45999.0 - 1e-10);
    EXPECT_EQ(almost.wDay, 8);
    EXPECT_EQ(almost.wHour, 0);
}

TEST(DateText, PicturesWriteTheirFields)
{
    const struct {
        const wchar_t* Picture;
        const wchar_t* Text;
    } cases[] = {{L"hh:mm:ss", L"14:32:07"},         {L"h:n:s", L"14:32:7"},
                 {L"yyyy-mm-dd", L"2025-12-08"},     {L"d.m.yy hh:nn", L"8.12.25 14:32"},
                 {L"hh:mm:ss.zzz", L"14:32:07.000"}, {L"[hh]", L"[14]"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTimePicture(kSample, c.Picture), c.Text) << WideToAnsiForTest(c.Picture);
    // A label a microsecond before the minute shows the minute, not the second before.
    EXPECT_EQ(FormatDateTimePicture(45999.5 - 1e-11, L"hh:mm:ss"), L"12:00:00");
}

TEST(DecimalSeparator, IsTheOneThisRunExpects)
{
    const char* expected = std::getenv("FORMAT_TEST_DECIMAL_SEPARATOR");
    const std::wstring actual = TNumberSeparators::User().Decimal;
    if (!expected) GTEST_SKIP() << "no expected separator given";
    EXPECT_EQ(WideToAnsiForTest(actual), expected);
}
