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
#include "TestValues.h"
#include "ZevValueAccess.h"

inline UniqueVariant NullValue()
{
    UniqueVariant v;
    V_VT(&v.get()) = VT_NULL;
    return v;
}

inline std::wstring ReadText(const TItemValueTable& table, int handle)
{
    UniqueVariant out;
    ReadZevItemValue(table, handle, &out.get());
    EXPECT_EQ(V_VT(&out.get()), VT_BSTR) << "every item reads as a string";
    return TextOf(out.get());
}

// A number text written the way the current regional settings write it: every
// "." of the given text becomes the user's decimal separator.
inline std::wstring Local(std::wstring_view pointText)
{
    const std::wstring separator = TNumberSeparators::User().Decimal;
    std::wstring out;
    for (wchar_t c : pointText)
        if (c == L'.') out += separator; else out += c;
    return out;
}
