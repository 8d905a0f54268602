#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "ConvertError.h"

namespace {

bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }
bool IsBlank(wchar_t c) noexcept { return c == L' ' || c == L'\t'; }

// The text with the grouping of its integer digits taken out: the first group
// of one to three digits, every further group of exactly three. Nothing when
// a thousands separator stands anywhere else in the integer digits (a
// separator after the decimal separator is left for the number syntax to
// refuse). Texts are left as they are when grouping cannot be told from the
// rest: no thousands separator, or the same as the decimal separator.
std::optional<std::wstring> WithoutGrouping(std::wstring_view text, const TNumberSeparators& separators)
{
    const std::wstring_view thousands = separators.Thousands;
    const std::wstring_view decimal = separators.Decimal;
    if (thousands.empty() || thousands == decimal) return std::wstring(text);
    std::wstring out;
    size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) out += text[i++];
    size_t groupDigits = 0;
    bool grouped = false;
    for (;;) {
        if (i < text.size() && IsDigit(text[i])) {
            out += text[i++];
            ++groupDigits;
            continue;
        }
        const std::wstring_view rest = text.substr(i);
        if (!decimal.empty() && rest.starts_with(decimal)) break;
        if (!rest.starts_with(thousands)) break;
        // A separator ends a group: the first of one to three digits, the others of three.
        if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3)) return std::nullopt;
        grouped = true;
        groupDigits = 0;
        i += thousands.size();
    }
    if (grouped && groupDigits != 3) return std::nullopt;
    out += text.substr(i);
    return out;
}

}  // namespace

std::optional<double> ParsePlainNumber(std::wstring_view text, std::wstring_view decimalSeparator)
{
    // Rebuilt in the locale-free form that std::from_chars reads.
    std::string plain;
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i, anyDigit = true) plain += static_cast<char>(text[i]);
    if (!decimalSeparator.empty() && text.substr(i).starts_with(decimalSeparator)) {
        i += decimalSeparator.size();
        plain += '.';
        for (; i < text.size() && IsDigit(text[i]); ++i, anyDigit = true) plain += static_cast<char>(text[i]);
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) plain += static_cast<char>(text[i++]);
        const size_t exponentStart = i;
        for (; i < text.size() && IsDigit(text[i]); ++i) plain += static_cast<char>(text[i]);
        if (i == exponentStart) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    if (plain.front() == '.') plain.insert(plain.begin(), '0');

    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return negative ? -value : value;
}

double TextToNumber(std::wstring_view text, const TNumberSeparators& separators)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    const std::optional<std::wstring> ungrouped = WithoutGrouping(text.substr(begin, end - begin), separators);
    if (ungrouped)
        if (const auto number = ParsePlainNumber(*ungrouped, separators.Decimal)) return *number;
    throw EConvertError("text is no number");
}

double TextToNumber(std::wstring_view text) { return TextToNumber(text, TNumberSeparators::User()); }

int TextToInteger(std::wstring_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    std::string plain;
    size_t i = begin;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) {
        if (text[i] == L'-') plain += '-';
        ++i;
    }
    if (i == end) throw EConvertError("text is no whole number");
    for (; i < end; ++i) {
        if (!IsDigit(text[i])) throw EConvertError("text is no whole number");
        plain += static_cast<char>(text[i]);
    }
    int value = 0;
    const auto [last, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || last != plain.data() + plain.size()) throw EConvertError("whole number out of range");
    return value;
}

long long RoundToInteger(double value, TRounding rounding)
{
    // value - floor(value) is exact for every double, so the half is seen exactly.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 ||
        (fraction == 0.5 && (rounding == TRounding::HalfAwayFromZero ? value > 0 : std::fmod(rounded, 2.0) != 0)))
        rounded += 1;
    // -2^63 and everything above it up to below 2^63 convert exactly.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(rounded >= -kLimit && rounded < kLimit)) throw EConvertError("number out of the whole-number range");
    return static_cast<long long>(rounded);
}
