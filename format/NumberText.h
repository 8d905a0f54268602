// Texts read as numbers in the user's regional settings.
#pragma once
#include <optional>
#include <string_view>

#include "NumberPicture.h"

// A text as a number: first the platform's locale-aware conversion for the
// user's locale; if that finds no number at all, the plain syntax (sign,
// digits, the user's decimal separator, exponent). EConvertError when both
// fail, when the number is out of the double range and for an empty text.
double TextToNumber(std::wstring_view text);

// The plain number syntax alone: optional sign, digits with at most one decimal
// separator, optional exponent ("e" or "E", optional sign, digits); the whole
// text must match. Empty when it does not match or leaves the double range.
std::optional<double> ParsePlainNumber(std::wstring_view text, std::wstring_view decimalSeparator);

// A text that is a whole number: optional blanks, optional sign, decimal
// digits, optional blanks, within the 32-bit range. "2.5", "2,0", "1e3" and
// the empty text are no whole numbers: EConvertError.
int TextToInteger(std::wstring_view text);

// The nearest whole number, halves as `rounding` says. EConvertError when the
// result leaves the range of a 64-bit integer (or for NaN).
long long RoundToInteger(double value, TRounding rounding);
