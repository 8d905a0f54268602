// Conversions of the core's FILETIME time stamps.
#pragma once
#include <windows.h>

// Days since 1899-12-30 with the time of day as the fraction, taken through
// SYSTEMTIME with no time-zone conversion (a UTC file time stays UTC).
// Milliseconds are kept.
double FileTimeToDateTime(const FILETIME& time) noexcept;

// The system time as FILETIME (UTC).
FILETIME SystemTimeStamp() noexcept;
