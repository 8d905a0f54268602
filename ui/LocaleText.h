// Dates and times in the user's regional formats.
#pragma once
#include <windows.h>

#include <string>

std::wstring ShortDateText(const SYSTEMTIME& t);
std::wstring LongTimeText(const SYSTEMTIME& t);
// The time of day of a FILETIME as stored, without time-zone conversion; the
// zero FILETIME is midnight.
std::wstring LongTimeText(const FILETIME& t);
// The time of day of an OLE date (days since 1899-12-30) as stored; 0 is midnight.
std::wstring LongTimeOfDateText(double date);
// Now, local: short date, one blank, long time.
std::wstring NowDateTimeText();
