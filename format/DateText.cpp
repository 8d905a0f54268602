#include "DateText.h"

#include <oleauto.h>

#include <cmath>

#include "ConvertError.h"

namespace {

constexpr long long kMsPerDay = 86400000;

std::wstring Written(const wchar_t* buffer, int written) { return written > 0 ? std::wstring(buffer) : std::wstring(); }

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

constexpr long long kDaysFrom1970To1899 = -25569;  // 1899-12-30 counted from 1970-01-01

std::wstring Padded(long long value, size_t width)
{
    std::wstring text = std::to_wstring(value);
    if (text.size() < width) text.insert(0, width - text.size(), L'0');
    return text;
}

}  // namespace

std::wstring ShortDateText(const SYSTEMTIME& t)
{
    wchar_t buffer[128];
    return Written(buffer, GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buffer, 128));
}

std::wstring LongTimeText(const SYSTEMTIME& t)
{
    wchar_t buffer[128];
    return Written(buffer, GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, buffer, 128));
}

std::wstring LongTimeText(const FILETIME& t)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&t, &st)) st = SYSTEMTIME{1601, 1, 1, 1, 0, 0, 0, 0};
    return LongTimeText(st);
}

std::wstring LongTimeOfDateText(double date) { return LongTimeText(DateTimeToSystemTime(date)); }

std::wstring ShortDateOfDateText(double date) { return ShortDateText(DateTimeToSystemTime(date)); }

std::wstring NowDateTimeText()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ShortDateText(now) + L" " + LongTimeText(now);
}

double TextToDateTime(std::wstring_view text)
{
    if (text.empty() || text.find(L'\0') != std::wstring_view::npos) throw EConvertError("text is no date");
    std::wstring terminated(text);
    DATE date = 0;
    if (FAILED(VarDateFromStr(terminated.data(), LOCALE_USER_DEFAULT, 0, &date)))
        throw EConvertError("text is no date");
    return date;
}

double NowDateTime()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return SystemTimeToDateTime(now);
}

SYSTEMTIME DateTimeToSystemTime(double date)
{
    // Before day 0 the fraction still counts forward from midnight: -1.25 is
    // 29 December 1899, 06:00.
    if (!std::isfinite(date) || std::fabs(date) > 2958465.0) date = 0;
    const double wholeDays = std::trunc(date);
    long long days = static_cast<long long>(wholeDays);
    long long ms = std::llround(std::fabs(date - wholeDays) * kMsPerDay);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++days;  // the time of day counts forward on every day
    }
    long long y = 0;
    unsigned m = 0, d = 0;
    const long long unixDays = days + kDaysFrom1970To1899;
    CivilFromDays(unixDays, y, m, d);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(m);
    t.wDay = static_cast<WORD>(d);
    t.wDayOfWeek = static_cast<WORD>(((unixDays % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    t.wHour = static_cast<WORD>(ms / 3600000);
    t.wMinute = static_cast<WORD>(ms / 60000 % 60);
    t.wSecond = static_cast<WORD>(ms / 1000 % 60);
    t.wMilliseconds = static_cast<WORD>(ms % 1000);
    return t;
}

double SystemTimeToDateTime(const SYSTEMTIME& t)
{
    const long long days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) - kDaysFrom1970To1899;
    const double fraction =
        static_cast<double>(((t.wHour * 60LL + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds) / kMsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::wstring FormatDateTimePicture(double date, std::wstring_view picture)
{
    const SYSTEMTIME t = DateTimeToSystemTime(date);
    std::wstring out;
    bool afterHour = false;
    for (size_t i = 0; i < picture.size();) {
        const wchar_t c = static_cast<wchar_t>(towlower(picture[i]));
        size_t run = 1;
        while (i + run < picture.size() && towlower(picture[i + run]) == c) ++run;
        switch (c) {
        case L'y':
            out += run <= 2 ? Padded(t.wYear % 100, 2) : Padded(t.wYear, 4);
            break;
        case L'm':
            out += Padded(afterHour ? t.wMinute : t.wMonth, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case L'd':
            out += Padded(t.wDay, run >= 2 ? 2 : 1);
            break;
        case L'h':
            out += Padded(t.wHour, run >= 2 ? 2 : 1);
            break;
        case L'n':
            out += Padded(t.wMinute, run >= 2 ? 2 : 1);
            break;
        case L's':
            out += Padded(t.wSecond, run >= 2 ? 2 : 1);
            break;
        case L'z':
            out += Padded(t.wMilliseconds, run >= 3 ? 3 : 1);
            break;
        default:
            out.append(picture.substr(i, run));
            break;
        }
        if (c == L'h')
            afterHour = true;
        else if (c != L'm' && (c == L'y' || c == L'd' || c == L'n' || c == L's' || c == L'z'))
            afterHour = false;
        i += run;
    }
    return out;
}
