// Helpers of the formatter tests.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "NumberPicture.h"

// A number text written the way the current regional settings write it: every
// "." of the given text becomes the user's decimal separator.
inline std::wstring Local(std::wstring_view pointText)
{
    const std::wstring separator = TNumberSeparators::User().Decimal;
    std::wstring out;
    for (wchar_t c : pointText)
        if (c == L'.')
            out += separator;
        else
            out += c;
    return out;
}

inline std::string WideToAnsiForTest(std::wstring_view text)
{
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}
