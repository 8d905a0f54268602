// Texts read as numbers in the user's regional settings.
#pragma once
#include <optional>
#include <string_view>

#include "NumberPicture.h"

// A text as a number in the given separators: optional blanks around it, an
// optional sign, digits with at most one decimal separator, an optional
// exponent. The integer digits may be grouped with the thousands separator,
// in groups of three after the first ("1.236,5"); a thousands separator
// anywhere else refuses the text, so that a point meant as a decimal point
// under a decimal comma ("12.36") is never read as grouping (1236).
// EConvertError when the text is no such number, for an empty text and when
// the number is out of the double range.
double TextToNumber(std::wstring_view text, const TNumberSeparators& separators);
// The same in the user's regional settings, the separators numbers are
// shown with (FormatNumberPicture).
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
