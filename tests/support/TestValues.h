// Variants for tests.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <initializer_list>
#include <string_view>

#include "ComOwners.h"

inline UniqueVariant MakeI4(LONG v)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_I4;
    V_I4(&out.get()) = v;
    return out;
}

inline UniqueVariant MakeI2(SHORT v)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_I2;
    V_I2(&out.get()) = v;
    return out;
}

inline UniqueVariant MakeR8(double v)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_R8;
    V_R8(&out.get()) = v;
    return out;
}

inline UniqueVariant MakeBstr(std::wstring_view text)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_BSTR;
    V_BSTR(&out.get()) = UniqueBstr(text).release();
    return out;
}

inline UniqueVariant MakeR8Array(std::initializer_list<double> values)
{
    UniqueVariant out;
    SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
    LONG i = 0;
    for (double v : values) SafeArrayPutElement(array, &i, &v), ++i;
    V_VT(out.put()) = VT_ARRAY | VT_R8;
    V_ARRAY(&out.get()) = array;
    return out;
}

inline UniqueVariant MakeBstrArray(std::initializer_list<const wchar_t*> values)
{
    UniqueVariant out;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(values.size()));
    LONG i = 0;
    for (const wchar_t* v : values) {
        UniqueBstr text(v);
        SafeArrayPutElement(array, &i, text.get());  // copies the string
        ++i;
    }
    V_VT(out.put()) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&out.get()) = array;
    return out;
}
