// Helpers shared by the item server tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "ItemValueTable.h"
#include "NumberPicture.h"
#include "contract/OpcError.h"
#include "com/ComOwners.h"
#include "RaisedCode.h"
#include "ZevValueAccess.h"

// Test values: a string, an integer, a double, a null.
inline UniqueVariant Value(std::wstring_view text)
{
    UniqueVariant v;
    V_VT(&v.get()) = VT_BSTR;
    V_BSTR(&v.get()) = UniqueBstr(text).release();
    return v;
}
inline UniqueVariant Value(int number)
{
    UniqueVariant v;
    V_VT(&v.get()) = VT_I4;
    V_I4(&v.get()) = number;
    return v;
}
inline UniqueVariant Value(double number)
{
    UniqueVariant v;
    V_VT(&v.get()) = VT_R8;
    V_R8(&v.get()) = number;
    return v;
}
inline UniqueVariant NullValue()
{
    UniqueVariant v;
    V_VT(&v.get()) = VT_NULL;
    return v;
}

inline std::wstring TextOf(const VARIANT& value)
{
    EXPECT_EQ(V_VT(&value), VT_BSTR);
    return V_VT(&value) == VT_BSTR ? std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))) : L"<not a string>";
}

inline std::wstring ReadText(const TItemValueTable& table, int handle)
{
    UniqueVariant out;
    ReadZevItemValue(table, handle, &out.get());
    return TextOf(out.get());
}

// A number text written the way the current regional settings write it: every
// "." of the given text becomes the user's decimal separator.
inline std::wstring Local(std::wstring_view pointText)
{
    const std::wstring separator = UserDecimalSeparator();
    std::wstring out;
    for (wchar_t c : pointText)
        if (c == L'.') out += separator; else out += c;
    return out;
}
