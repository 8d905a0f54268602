// Text helpers shared by the core: item IDs and names are wide strings,
// compared without regard to letter case.
#pragma once
#include <windows.h>
#include <string>
#include <string_view>

// Case-insensitive, locale-aware order used by every sorted name list of the core.
inline int CompareTextI(std::wstring_view a, std::wstring_view b) noexcept
{
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                 b.data(), static_cast<int>(b.size()));
    return r - CSTR_EQUAL;  // <0, 0, >0
}

inline bool SameTextI(std::wstring_view a, std::wstring_view b) noexcept { return CompareTextI(a, b) == 0; }

struct LessTextI {
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept { return CompareTextI(a, b) < 0; }
};

// Case-insensitive order by code point, several times cheaper than the
// locale's: for lookups on every call whose order nobody sees.
struct LessOrdinalI {
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept
    {
        // Item IDs are mostly ASCII: those characters are compared here, as
        // the system would (upper case, then code order); from the first
        // other character on, the system compares (a lookup makes a dozen
        // comparisons, each a call into the system otherwise).
        const size_t common = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < common; ++i) {
            wchar_t x = a[i], y = b[i];
            if (x >= 0x80 || y >= 0x80)
                return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
            if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - 32);
            if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - 32);
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};

// Wide <-> 8-bit conversion in the system's ANSI code page.
std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);
// Wide text as UTF-8, for what programs print.
std::string WideToUtf8(std::wstring_view text);
