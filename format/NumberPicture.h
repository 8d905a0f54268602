// Number pictures: "0.0", "0.0000000", "#,##0", "0.00E-" ... A picture is read
// once (Parse) and then formats any number of values with the user's decimal
// and thousands separators.
//
// Syntax, left to right:
//   integer part  '0' (a digit always written) and '#' (a digit written when
//                 significant), in any order; a ',' anywhere among them groups
//                 the integer digits by three. At least one '0' or '#'.
//   decimals      optional: '.', then '0's (decimals always written), then
//                 '#'s (decimals written while not a trailing zero). At least
//                 one placeholder after the point.
//   exponent      optional: 'E' or 'e', then '-' (sign only when negative) or
//                 '+' (sign always), then '0's: the minimum exponent digits.
//                 The integer part is then exactly one '0': the mantissa has
//                 one digit before the point.
// Anything else is refused with std::invalid_argument.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

enum class TRounding {
    HalfAwayFromZero,  // 0.25 -> 0.3, -0.25 -> -0.3
    HalfToEven,        // 0.25 -> 0.2, 0.35 -> 0.4
};

struct TNumberSeparators {
    std::wstring Decimal = L".";
    std::wstring Thousands = L",";
    // The user's regional settings, read on each call.
    static TNumberSeparators User();
};

struct TNumberPicture {
    int MinIntegerDigits = 1;
    int MinDecimals = 0;
    int MaxDecimals = 0;
    bool Grouped = false;
    bool Scientific = false;
    bool ExponentAlwaysSigned = false;
    int MinExponentDigits = 0;
    wchar_t ExponentLetter = L'E';

    static constexpr TNumberPicture Parse(std::string_view picture)
    {
        TNumberPicture p;
        p.MinIntegerDigits = 0;
        size_t i = 0;
        int placeholders = 0;
        for (; i < picture.size() && (picture[i] == '0' || picture[i] == '#' || picture[i] == ','); ++i) {
            if (picture[i] == ',') {
                p.Grouped = true;
            } else {
                ++placeholders;
                if (picture[i] == '0') ++p.MinIntegerDigits;
            }
        }
        if (placeholders == 0) throw std::invalid_argument("number picture without integer digits");
        if (i < picture.size() && picture[i] == '.') {
            ++i;
            for (; i < picture.size() && picture[i] == '0'; ++i) ++p.MinDecimals;
            p.MaxDecimals = p.MinDecimals;
            for (; i < picture.size() && picture[i] == '#'; ++i) ++p.MaxDecimals;
            if (p.MaxDecimals == 0) throw std::invalid_argument("number picture without decimals after the point");
        }
        if (i < picture.size() && (picture[i] == 'E' || picture[i] == 'e')) {
            p.Scientific = true;
            p.ExponentLetter = static_cast<wchar_t>(picture[i]);
            ++i;
            if (i == picture.size() || (picture[i] != '+' && picture[i] != '-'))
                throw std::invalid_argument("number picture exponent without its sign rule");
            p.ExponentAlwaysSigned = picture[i] == '+';
            ++i;
            for (; i < picture.size() && picture[i] == '0'; ++i) ++p.MinExponentDigits;
            if (placeholders != 1 || p.MinIntegerDigits != 1 || p.Grouped)
                throw std::invalid_argument("scientific number picture needs one '0' before the point");
        }
        if (i != picture.size()) throw std::invalid_argument("unsupported number picture");
        return p;
    }
};

// The value in the picture. Rounding is judged on the value's decimal form to
// 18 significant digits (so 2.675 under "0.00" is 2.67: its decimal form lies
// below the half). A value that rounds to zero has no minus sign.
// EConvertError for infinity and NaN, which have no picture.
std::wstring FormatNumberPicture(double value, const TNumberPicture& picture, const TNumberSeparators& separators,
                                 TRounding rounding = TRounding::HalfAwayFromZero);
// With the user's separators.
std::wstring FormatNumberPicture(double value, const TNumberPicture& picture,
                                 TRounding rounding = TRounding::HalfAwayFromZero);
