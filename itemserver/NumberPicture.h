// Numbers of the pattern items are kept as text in a fixed number picture such
// as "0.0" or "0.0000000", written and read with the user's decimal separator.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// A picture of the form "0", "0.0", "00.000", ...: the zeros before the point
// give the minimum number of integer digits, those after it the exact number of
// decimals. std::invalid_argument for anything else.
struct TNumberPicture {
    int MinIntegerDigits = 1;
    int Decimals = 0;

    static constexpr TNumberPicture Parse(std::string_view picture)
    {
        const size_t point = picture.find('.');
        const std::string_view integer = picture.substr(0, point);
        const std::string_view decimals = point == std::string_view::npos ? std::string_view{} : picture.substr(point + 1);
        const auto allZeros = [](std::string_view part) { return part.find_first_not_of('0') == std::string_view::npos; };
        if (integer.empty() || !allZeros(integer) || !allZeros(decimals) || (point != std::string_view::npos && decimals.empty()))
            throw std::invalid_argument("unsupported number picture");
        return {static_cast<int>(integer.size()), static_cast<int>(decimals.size())};
    }
};

// The decimal separator of the user's regional settings, read on each call.
std::wstring UserDecimalSeparator();

// Rounds half away from zero, judged on the value's decimal form to 18
// significant digits; a value that rounds to zero has no minus sign; no digit
// grouping. EVariantError for infinity and NaN, which have no picture.
std::wstring FormatNumberPicture(double value, const TNumberPicture& picture, std::wstring_view decimalSeparator);
std::wstring FormatNumberPicture(double value, const TNumberPicture& picture);

// A written text as a number: first the platform's locale-aware conversion for
// the user's locale; if that finds no number at all, the plain syntax (sign,
// digits, the user's decimal separator, exponent). EVariantError when both
// fail, when the number is out of the double range and for an empty text.
double TextToNumber(std::wstring_view text);

// The plain number syntax alone: optional sign, digits with at most one decimal
// separator, optional exponent ("e" or "E", optional sign, digits); the whole
// text must match. Empty when it does not match or leaves the double range.
std::optional<double> ParsePlainNumber(std::wstring_view text, std::wstring_view decimalSeparator);

// A written value as a number: strings through TextToNumber, every other type by
// the platform's variant conversion. EVariantError when that fails.
double VariantToNumber(const VARIANT& value);
