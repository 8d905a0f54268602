#include "ValueText.h"

#include <cwchar>

#include "com/ComOwners.h"
#include "opcda.h"

namespace {

struct TTypeName {
    VARTYPE Type;
    const wchar_t* Name;
};

constexpr TTypeName kTypes[] = {
    {VT_EMPTY, L"VT_EMPTY"}, {VT_NULL, L"VT_NULL"}, {VT_I2, L"VT_I2"},           {VT_I4, L"VT_I4"},
    {VT_R4, L"VT_R4"},       {VT_R8, L"VT_R8"},     {VT_CY, L"VT_CY"},           {VT_DATE, L"VT_DATE"},
    {VT_BSTR, L"VT_BSTR"},   {VT_BOOL, L"VT_BOOL"}, {VT_VARIANT, L"VT_VARIANT"}, {VT_I1, L"VT_I1"},
    {VT_UI1, L"VT_UI1"},     {VT_UI2, L"VT_UI2"},   {VT_UI4, L"VT_UI4"},         {VT_I8, L"VT_I8"},
    {VT_UI8, L"VT_UI8"},     {VT_INT, L"VT_INT"},   {VT_UINT, L"VT_UINT"},       {VT_ERROR, L"VT_ERROR"},
};

std::wstring ScalarText(const VARIANT& value)
{
    if (V_VT(&value) == VT_EMPTY || V_VT(&value) == VT_NULL) return L"";
    if (V_VT(&value) == VT_BSTR)
        return V_BSTR(&value) ? std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))) : L"";
    if (V_VT(&value) == VT_DATE) return OleDateText(V_DATE(&value));
    UniqueVariant text;
    if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR)))
        return L"<" + VarTypeName(V_VT(&value)) + L">";
    return std::wstring(V_BSTR(&text.get()), SysStringLen(V_BSTR(&text.get())));
}

std::wstring ArrayText(const VARIANT& value)
{
    SAFEARRAY* array = V_ARRAY(&value);
    if (!array || SafeArrayGetDim(array) != 1) return L"<" + VarTypeName(V_VT(&value)) + L">";
    const VARTYPE element = V_VT(&value) & VT_TYPEMASK;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    std::wstring text = L"[";
    for (LONG i = lower; i <= upper; ++i) {
        UniqueVariant item;
        if (element == VT_VARIANT) {
            SafeArrayGetElement(array, &i, item.put());
        } else {
            VARIANT& v = *item.put();
            V_VT(&v) = element;
            // V_BSTR and the other members share the same bytes.
            SafeArrayGetElement(array, &i, &V_UI1(&v));
        }
        if (i > lower) text += L", ";
        text += ScalarText(item.get());
    }
    return text + L"]";
}

}  // namespace

std::wstring VariantText(const VARIANT& value)
{
    if (V_VT(&value) & VT_ARRAY) return ArrayText(value);
    return ScalarText(value);
}

std::wstring VarTypeName(VARTYPE type)
{
    std::wstring prefix = (type & VT_ARRAY) ? L"VT_ARRAY|" : L"";
    const VARTYPE base = type & VT_TYPEMASK;
    for (const auto& t : kTypes)
        if (t.Type == base) return prefix + t.Name;
    return prefix + L"VT_" + std::to_wstring(base);
}

std::wstring QualityText(WORD quality)
{
    struct TQualityName {
        WORD Value;  // quality and sub-status bits
        const wchar_t* Name;
    };
    static constexpr TQualityName kQualities[] = {
        {0x00, L"bad"},
        {0x04, L"bad (configuration error)"},
        {0x08, L"bad (not connected)"},
        {0x0C, L"bad (device failure)"},
        {0x10, L"bad (sensor failure)"},
        {0x14, L"bad (last known value)"},
        {0x18, L"bad (communication failure)"},
        {0x1C, L"bad (out of service)"},
        {0x40, L"uncertain"},
        {0x44, L"uncertain (last usable value)"},
        {0x50, L"uncertain (sensor not accurate)"},
        {0x54, L"uncertain (units exceeded)"},
        {0x58, L"uncertain (sub-normal)"},
        {0xC0, L"good"},
        {0xD8, L"good (local override)"},
    };
    const WORD status = quality & 0xFC;
    std::wstring text;
    for (const auto& q : kQualities)
        if (q.Value == status) text = q.Name;
    if (text.empty()) {
        wchar_t hex[16];
        std::swprintf(hex, 16, L"0x%02X", static_cast<unsigned>(status));
        text = std::wstring(L"quality ") + hex;
    }
    switch (quality & 0x03) {
    case 1:
        text += L", low limit";
        break;
    case 2:
        text += L", high limit";
        break;
    case 3:
        text += L", constant";
        break;
    default:
        break;
    }
    return text;
}

std::wstring TimeStampText(const FILETIME& stamp)
{
    if (stamp.dwLowDateTime == 0 && stamp.dwHighDateTime == 0) return L"";
    FILETIME local{};
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&stamp, &local) || !FileTimeToSystemTime(&local, &t)) return L"";
    wchar_t text[40];
    std::swprintf(text, 40, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond, t.wMilliseconds);
    return text;
}

std::wstring OleDateText(double date)
{
    SYSTEMTIME t{};
    if (!VariantTimeToSystemTime(date, &t)) return L"";
    wchar_t text[40];
    std::swprintf(text, 40, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::wstring AccessRightsText(DWORD rights)
{
    const bool read = rights & OPC_READABLE, write = rights & OPC_WRITEABLE;
    return read && write ? L"read/write" : read ? L"read" : write ? L"write" : L"none";
}
