#include "host/OpcTime.h"

#include <oleauto.h>

double FileTimeToDateTime(const FILETIME& time) noexcept
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&time, &st)) return 0.0;
    const WORD milliseconds = st.wMilliseconds;
    st.wMilliseconds = 0;  // the OLE conversion would round or drop them
    double date = 0.0;
    if (!SystemTimeToVariantTime(&st, &date)) return 0.0;
    // Dates before 1899-12-30 count the fraction away from the day number.
    const double fraction = milliseconds / 86400000.0;
    return date >= 0.0 ? date + fraction : date - fraction;
}

FILETIME SystemTimeStamp() noexcept
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return now;
}
