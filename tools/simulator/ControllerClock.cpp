#include "ControllerClock.h"

#include <windows.h>

std::wstring ControllerDateTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[64] = {}, time[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

wchar_t DecimalSeparator()
{
    wchar_t sep[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
    return sep[0] ? sep[0] : L'.';
}
