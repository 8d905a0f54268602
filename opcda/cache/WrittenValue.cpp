#include "cache/WrittenValue.h"

#include <cmath>
#include <string>

#include "contract/OpcError.h"

namespace {

constexpr double kOneSecond = 1.0 / 86400.0;
constexpr double kFirstDay = -657434.0;                         // 1 January 100
constexpr double kLastSecond = 2958465.0 + 86399 * kOneSecond;  // 31 December 9999, 23:59:59
constexpr BYTE kMaxDecimalScale = 28;

// Before 30 December 1899 the whole days count back while the fraction still
// counts forward within the day: -657434.75 is 1 January 100, 18:00.
bool IsDate(DATE date) noexcept
{
    return std::isfinite(date) && date > kFirstDay - 1.0 && date < kLastSecond + kOneSecond / 2;
}

bool IsDecimal(const DECIMAL& value) noexcept
{
    return value.scale <= kMaxDecimalScale && (value.sign & ~DECIMAL_NEG) == 0;
}

ULONG ElementCount(const SAFEARRAY* array) noexcept
{
    if (array == nullptr || array->cDims == 0) return 0;
    ULONG count = 1;
    for (USHORT i = 0; i < array->cDims; ++i) count *= array->rgsabound[i].cElements;
    return count;
}

bool IsEmptyValue(const VARIANT& value) noexcept
{
    if (V_VT(&value) == VT_EMPTY) return true;
    if (V_VT(&value) == VT_BSTR) return SysStringByteLen(V_BSTR(&value)) == 0;
    if (V_ISARRAY(&value)) return ElementCount(V_ARRAY(&value)) == 0;
    return false;
}

// Wine writes the exponent form of a floating-point number with a point
// whatever the regional settings ("2.5E-06"), while its plain form and
// Windows' every form use the user's decimal separator. An item server that
// reads the text with that separator would take the point for grouping.
void UseUserDecimalSeparator(UniqueVariant& text)
{
    const std::wstring_view written(V_BSTR(&text.get()), SysStringLen(V_BSTR(&text.get())));
    const size_t exponent = written.find_first_of(L"Ee");
    const size_t point = written.find(L'.');
    if (exponent == std::wstring_view::npos || point == std::wstring_view::npos || point > exponent) return;
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1 || std::wstring_view(separator) == L".")
        return;
    std::wstring local(written);
    local.replace(point, 1, separator);
    UniqueBstr copy(local);
    V_VT(text.put()) = VT_BSTR;
    V_BSTR(&text.get()) = copy.release();
}

}  // namespace

bool HoldsObject(const VARIANT& value) noexcept
{
    const VARTYPE type = V_VT(&value) & VT_TYPEMASK;
    if (type == VT_DISPATCH || type == VT_UNKNOWN) return true;
    if (V_VT(&value) == (VT_BYREF | VT_VARIANT)) return V_VARIANTREF(&value) && HoldsObject(*V_VARIANTREF(&value));
    return false;
}

UniqueVariant HeldWriteValue(const VARIANT& value)
{
    UniqueVariant held;
    if (HoldsObject(value)) {
        V_VT(held.put()) = VT_DISPATCH;
        V_DISPATCH(&held.get()) = nullptr;
        return held;
    }
    // The platform declares its source non-const but never writes it.
    RaiseIfFailed(VariantCopyInd(held.put(), const_cast<VARIANT*>(&value)));
    return held;
}

UniqueVariant ConvertWrittenValue(const VARIANT& value, VARTYPE type)
{
    if (V_VT(&value) == VT_DATE && !IsDate(V_DATE(&value))) RaiseOpcError(E_INVALIDARG);
    if (V_VT(&value) == VT_DECIMAL && !IsDecimal(V_DECIMAL(&value))) RaiseOpcError(E_INVALIDARG);
    const bool toText = type == VT_BSTR;
    if (toText && V_VT(&value) == (VT_ARRAY | VT_UI1) && ElementCount(V_ARRAY(&value)) % 2 != 0)
        RaiseOpcError(DISP_E_TYPEMISMATCH);
    UniqueVariant converted;
    RaiseIfFailed(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value), 0, type));
    if (!toText || V_VT(&converted.get()) != VT_BSTR) return converted;
    if (SysStringLen(V_BSTR(&converted.get())) == 0 && !IsEmptyValue(value)) RaiseOpcError(DISP_E_TYPEMISMATCH);
    if (V_VT(&value) == VT_R4 || V_VT(&value) == VT_R8) UseUserDecimalSeparator(converted);
    return converted;
}
