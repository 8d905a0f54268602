// Dates and times as text. A date-time is a double counting days since
// 30 December 1899, the time of day as the fraction (0.5 is noon).
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

// In the user's regional formats.
std::wstring ShortDateText(const SYSTEMTIME& t);
std::wstring LongTimeText(const SYSTEMTIME& t);
// The time of day of a FILETIME as stored, without time-zone conversion; the
// zero FILETIME is midnight.
std::wstring LongTimeText(const FILETIME& t);
// The time of day of a date-time as stored; 0 is midnight.
std::wstring LongTimeOfDateText(double date);
// The date of a date-time in the short date format.
std::wstring ShortDateOfDateText(double date);
// Now, local: short date, one blank, long time.
std::wstring NowDateTimeText();

// A text as a date and time, read with the platform's conversion in the
// user's regional date and time formats. EConvertError when it is none.
double TextToDateTime(std::wstring_view text);

// The computer's local clock as a date-time, to the millisecond.
double NowDateTime();

// A date-time as a calendar date and time, the milliseconds rounded.
SYSTEMTIME DateTimeToSystemTime(double date);
double SystemTimeToDateTime(const SYSTEMTIME& t);

// A date-time in a picture: "yyyy" or "yy" the year, "mm" or "m" the month
// (the minutes when they follow an hour), "dd" or "d" the day, "hh" or "h" the
// hour of 24, "nn" or "n" the minutes, "ss" or "s" the seconds, "zzz" the
// milliseconds; every other character stands as it is. "hh:mm:ss" gives 14:05:09.
std::wstring FormatDateTimePicture(double date, std::wstring_view picture);
