// Variants for tests: made from plain values, and read back into plain values.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <string_view>
#include <vector>

#include "com/ComOwners.h"

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

inline UniqueVariant MakeR4(float v)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_R4;
    V_R4(&out.get()) = v;
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

// A one-dimensional VT_ARRAY value; put(array, index, element) stores one element.
template <class Element, class Put>
UniqueVariant MakeVector(VARTYPE elementType, const std::vector<Element>& values, Put put)
{
    SAFEARRAY* array = SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(values.size()));
    if (array == nullptr) RaiseOpcError(E_OUTOFMEMORY);
    UniqueVariant out;
    V_VT(out.put()) = VT_ARRAY | elementType;
    V_ARRAY(&out.get()) = array;
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) RaiseIfFailed(put(array, i, values[i]));
    return out;
}

inline UniqueVariant MakeR8Array(const std::vector<double>& values)
{
    return MakeVector(VT_R8, values, [](SAFEARRAY* array, LONG i, double v) {
        return SafeArrayPutElement(array, &i, &v);
    });
}

inline UniqueVariant MakeBstrArray(const std::vector<std::wstring>& values)
{
    return MakeVector(VT_BSTR, values, [](SAFEARRAY* array, LONG i, const std::wstring& v) {
        UniqueBstr text(v);
        return SafeArrayPutElement(array, &i, text.get());  // copies the string
    });
}

// The text of a VT_BSTR value; empty for any other type.
inline std::wstring TextOf(const VARIANT& v)
{
    if (V_VT(&v) != VT_BSTR || V_BSTR(&v) == nullptr) return {};
    return std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
}

// The elements of a one-dimensional VT_ARRAY | elementType value; empty for a
// value of another type or shape. get(array, index) reads one element.
template <class Element, class Get>
std::vector<Element> VectorOf(const VARIANT& v, VARTYPE elementType, Get get)
{
    std::vector<Element> result;
    SAFEARRAY* array = V_VT(&v) == (VT_ARRAY | elementType) ? V_ARRAY(&v) : nullptr;
    if (array == nullptr || SafeArrayGetDim(array) != 1) return result;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) result.push_back(get(array, i));
    return result;
}

inline std::vector<double> DoublesOf(const VARIANT& v)
{
    return VectorOf<double>(v, VT_R8, [](SAFEARRAY* array, LONG i) {
        double element = 0;
        SafeArrayGetElement(array, &i, &element);
        return element;
    });
}

inline std::vector<std::wstring> StringsOf(const VARIANT& v)
{
    return VectorOf<std::wstring>(v, VT_BSTR, [](SAFEARRAY* array, LONG i) {
        UniqueBstr element;
        SafeArrayGetElement(array, &i, element.put());  // a copy of the string
        return std::wstring(element.view());
    });
}
