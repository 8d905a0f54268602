#include "NumberPicture.h"

#include <oleauto.h>

#include <charconv>
#include <cmath>
#include <system_error>

#include "com/ComOwners.h"
#include "contract/OpcError.h"

namespace {

constexpr int SignificantDigits = 18;

bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

}  // namespace

std::wstring UserDecimalSeparator()
{
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, static_cast<int>(std::size(buffer))) <= 1)
        return L".";
    return buffer;
}

std::wstring FormatNumberPicture(double value, const TNumberPicture& picture, std::wstring_view decimalSeparator)
{
    if (!std::isfinite(value)) throw EVariantError("no number picture for infinity or NaN");

    // The magnitude as 18 significant digits d1d2...d18 with value = 0.d1d2... * 10^point.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific,
                                      SignificantDigits - 1);
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t e = text.find('e');
    std::string digits;
    digits.reserve(SignificantDigits + 1);
    for (char c : text.substr(0, e))
        if (c != '.') digits += c;
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
    int point = exponent + 1;

    // Round at the last decimal of the picture, halves away from zero.
    const int keep = point + picture.Decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
            if (i >= 0) {
                ++digits[static_cast<size_t>(i)];
            } else {
                digits.insert(digits.begin(), '1');
                ++point;
            }
        }
    }
    const auto digitAt = [&](int index) -> wchar_t {
        return index >= 0 && index < static_cast<int>(digits.size()) ? static_cast<wchar_t>(digits[static_cast<size_t>(index)]) : L'0';
    };

    std::wstring integer;
    for (int i = 0; i < point; ++i) integer += digitAt(i);
    const size_t firstSignificant = integer.find_first_not_of(L'0');
    integer.erase(0, firstSignificant == std::wstring::npos ? integer.size() : firstSignificant);
    if (static_cast<int>(integer.size()) < picture.MinIntegerDigits)
        integer.insert(0, static_cast<size_t>(picture.MinIntegerDigits) - integer.size(), L'0');

    std::wstring out;
    if (value < 0 && digits.find_first_not_of('0') != std::string::npos) out += L'-';
    out += integer;
    if (picture.Decimals > 0) {
        out += decimalSeparator;
        for (int i = 0; i < picture.Decimals; ++i) out += digitAt(point + i);
    }
    return out;
}

std::wstring FormatNumberPicture(double value, const TNumberPicture& picture)
{
    return FormatNumberPicture(value, picture, UserDecimalSeparator());
}

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

double TextToNumber(std::wstring_view text)
{
    // An embedded null would end the text early for the platform's parser.
    if (text.empty() || text.find(L'\0') != std::wstring_view::npos) throw EVariantError("text is no number");
    std::wstring terminated(text);
    double value = 0;
    const HRESULT hr = VarR8FromStr(terminated.data(), LOCALE_USER_DEFAULT, 0, &value);
    if (SUCCEEDED(hr)) return value;
    if (hr == DISP_E_TYPEMISMATCH)
        if (const auto plain = ParsePlainNumber(text, UserDecimalSeparator())) return *plain;
    throw EVariantError("text is no number");
}

double VariantToNumber(const VARIANT& value)
{
    UniqueVariant direct;
    // The platform declares its sources non-const but never writes them.
    if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(&value)))) throw EVariantError("value is no number");
    VARIANT& v = direct.get();
    if (V_VT(&v) == VT_BSTR) return TextToNumber(std::wstring_view(V_BSTR(&v), SysStringLen(V_BSTR(&v))));
    if (FAILED(VariantChangeType(&v, &v, 0, VT_R8))) throw EVariantError("value is no number");
    return V_R8(&v);
}
