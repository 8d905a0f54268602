// Helpers shared by the item server tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "ItemValueTable.h"
#include "NumberPicture.h"
#include "OpcError.h"
#include "ScopedVariant.h"
#include "ZevValueAccess.h"

// A test-owned variant holding a string, an integer or a double.
struct TTestValue : TScopedVariant {
    explicit TTestValue(std::wstring_view text)
    {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    explicit TTestValue(int number) { V_VT(&v) = VT_I4; V_I4(&v) = number; }
    explicit TTestValue(double number) { V_VT(&v) = VT_R8; V_R8(&v) = number; }
};

inline std::wstring ReadText(const TItemValueTable& table, int handle)
{
    TScopedVariant out;
    ReadZevItemValue(table, handle, &out.v);
    EXPECT_EQ(V_VT(&out.v), VT_BSTR);
    return V_VT(&out.v) == VT_BSTR ? std::wstring(V_BSTR(&out.v), SysStringLen(V_BSTR(&out.v))) : L"<not a string>";
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

template <class Action>
HRESULT OpcErrorOf(Action&& action)
{
    try {
        action();
    } catch (const EOpcError& e) {
        return e.Code();
    }
    return S_OK;
}
