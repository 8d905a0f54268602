#include "NumberPicture.h"

#include <windows.h>

#include <charconv>
#include <cmath>
#include <iterator>

#include "ConvertError.h"

namespace {

constexpr int kSignificantDigits = 18;

// |value| as kSignificantDigits digits d1d2... with |value| = 0.d1d2... * 10^Point.
struct TDecimalForm {
    std::string Digits;
    int Point = 0;

    explicit TDecimalForm(double value)
    {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                          std::chars_format::scientific, kSignificantDigits - 1);
        const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
        const size_t e = text.find('e');
        Digits.reserve(kSignificantDigits + 1);
        for (char c : text.substr(0, e))
            if (c != '.') Digits += c;
        int exponent = 0;
        std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
        Point = exponent + 1;
    }

    bool IsZero() const { return Digits.find_first_not_of('0') == std::string::npos; }

    char DigitAt(int index) const
    {
        return index >= 0 && index < static_cast<int>(Digits.size()) ? Digits[static_cast<size_t>(index)] : '0';
    }

    // Keeps the first `keep` digits, rounding what follows away; a carry out of
    // the first digit adds a digit in front and moves the point.
    void RoundTo(int keep, TRounding rounding)
    {
        if (keep < 0) {
            Digits.clear();
            return;
        }
        if (keep >= static_cast<int>(Digits.size())) return;
        const char first = Digits[static_cast<size_t>(keep)];
        const bool restNonZero = Digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos;
        bool up = first >= '5';
        if (rounding == TRounding::HalfToEven && first == '5' && !restNonZero) up = (DigitAt(keep - 1) - '0') % 2 == 1;
        Digits.resize(static_cast<size_t>(keep));
        if (!up) return;
        int i = keep - 1;
        while (i >= 0 && Digits[static_cast<size_t>(i)] == '9') Digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++Digits[static_cast<size_t>(i)];
        } else {
            Digits.insert(Digits.begin(), '1');
            ++Point;
        }
    }
};

std::wstring GroupThousands(const std::wstring& integer, const std::wstring& separator)
{
    std::wstring out;
    const size_t n = integer.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += separator;
        out += integer[i];
    }
    return out;
}

// The decimals from `start` on, `max` of them, dropping trailing zeros down to `min`.
std::wstring Decimals(const TDecimalForm& form, int start, int min, int max)
{
    std::wstring out;
    for (int i = 0; i < max; ++i) out += static_cast<wchar_t>(form.DigitAt(start + i));
    while (static_cast<int>(out.size()) > min && out.back() == L'0') out.pop_back();
    return out;
}

std::wstring FormatFixed(const TDecimalForm& form, const TNumberPicture& picture, const TNumberSeparators& separators)
{
    std::wstring integer;
    for (int i = 0; i < form.Point; ++i) integer += static_cast<wchar_t>(form.DigitAt(i));
    const size_t firstSignificant = integer.find_first_not_of(L'0');
    integer.erase(0, firstSignificant == std::wstring::npos ? integer.size() : firstSignificant);
    if (static_cast<int>(integer.size()) < picture.MinIntegerDigits)
        integer.insert(0, static_cast<size_t>(picture.MinIntegerDigits) - integer.size(), L'0');
    std::wstring out = picture.Grouped ? GroupThousands(integer, separators.Thousands) : integer;
    const std::wstring decimals = Decimals(form, form.Point, picture.MinDecimals, picture.MaxDecimals);
    if (!decimals.empty()) out += separators.Decimal + decimals;
    return out;
}

std::wstring FormatScientific(TDecimalForm& form, const TNumberPicture& picture, const TNumberSeparators& separators,
                              TRounding rounding)
{
    int exponent = 0;
    if (!form.IsZero()) {
        form.RoundTo(1 + picture.MaxDecimals, rounding);
        exponent = form.Point - 1;
    }
    std::wstring out(1, static_cast<wchar_t>(form.IsZero() ? '0' : form.DigitAt(0)));
    const std::wstring decimals = Decimals(form, 1, picture.MinDecimals, picture.MaxDecimals);
    if (!decimals.empty()) out += separators.Decimal + decimals;
    out += picture.ExponentLetter;
    if (exponent < 0) {
        out += L'-';
    } else if (picture.ExponentAlwaysSigned) {
        out += L'+';
    }
    std::wstring digits = std::to_wstring(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(digits.size()) < picture.MinExponentDigits)
        digits.insert(0, static_cast<size_t>(picture.MinExponentDigits) - digits.size(), L'0');
    return out + digits;
}

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback)
{
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, static_cast<int>(std::size(buffer))) <= 1) return fallback;
    return buffer;
}

}  // namespace

TNumberSeparators TNumberSeparators::User()
{
    return TNumberSeparators{LocaleText(LOCALE_SDECIMAL, L"."), LocaleText(LOCALE_STHOUSAND, L",")};
}

std::wstring FormatNumberPicture(double value, const TNumberPicture& picture, const TNumberSeparators& separators,
                                 TRounding rounding)
{
    if (!std::isfinite(value)) throw EConvertError("no number picture for infinity or NaN");
    TDecimalForm form(value);
    std::wstring body;
    if (picture.Scientific) {
        body = FormatScientific(form, picture, separators, rounding);
    } else {
        form.RoundTo(form.Point + picture.MaxDecimals, rounding);
        body = FormatFixed(form, picture, separators);
    }
    return value < 0 && !form.IsZero() ? L"-" + body : body;
}

std::wstring FormatNumberPicture(double value, const TNumberPicture& picture, TRounding rounding)
{
    return FormatNumberPicture(value, picture, TNumberSeparators::User(), rounding);
}
