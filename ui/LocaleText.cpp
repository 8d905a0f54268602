#include "LocaleText.h"

#include <oleauto.h>

namespace {

std::wstring Trimmed(const wchar_t* buffer, int written) { return written > 0 ? std::wstring(buffer) : std::wstring(); }

}  // namespace

std::wstring ShortDateText(const SYSTEMTIME& t)
{
    wchar_t buffer[128];
    return Trimmed(buffer, GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buffer, 128));
}

std::wstring LongTimeText(const SYSTEMTIME& t)
{
    wchar_t buffer[128];
    return Trimmed(buffer, GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, buffer, 128));
}

std::wstring LongTimeText(const FILETIME& t)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&t, &st)) st = SYSTEMTIME{1601, 1, 1, 1, 0, 0, 0, 0};
    return LongTimeText(st);
}

std::wstring LongTimeOfDateText(double date)
{
    SYSTEMTIME st{};
    if (!VariantTimeToSystemTime(date, &st)) st = SYSTEMTIME{1899, 12, 6, 30, 0, 0, 0, 0};
    return LongTimeText(st);
}

std::wstring NowDateTimeText()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ShortDateText(now) + L" " + LongTimeText(now);
}
