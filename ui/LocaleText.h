// Dates and times in the user's regional formats.
#pragma once
#include <windows.h>

#include <string>

std::wstring ShortDateText(const SYSTEMTIME& t);
std::wstring LongTimeText(const SYSTEMTIME& t);
// The time of day of a FILETIME as stored, without time-zone conversion; the
// zero FILETIME is midnight.
std::wstring LongTimeText(const FILETIME& t);
// Now, local: short date, one blank, long time.
std::wstring NowDateTimeText();
