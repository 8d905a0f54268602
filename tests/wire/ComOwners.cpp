#include "ComOwners.h"
#include <objbase.h>
#include <cwchar>
#include <stdexcept>

namespace wire {

LPWSTR TaskString(const std::wstring& text) {
    auto* copy = AllocTaskArray<wchar_t>(text.size() + 1);
    if (copy) wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

Variant::Variant(const VARIANT& source) {
    VariantInit(&v_);
    if (FAILED(VariantCopy(&v_, const_cast<VARIANT*>(&source)))) throw std::bad_alloc();
}

Variant Variant::Take(VARIANT& v) {
    Variant result;
    result.v_ = v;
    VariantInit(&v);
    return result;
}

void Variant::CopyTo(VARIANT* out) const {
    VariantInit(out);
    if (FAILED(VariantCopy(out, const_cast<VARIANT*>(&v_)))) throw std::bad_alloc();
}

Variant MakeI4(LONG value) {
    Variant v;
    v.get()->vt = VT_I4;
    v.get()->lVal = value;
    return v;
}

Variant MakeBstr(const std::wstring& text) {
    Variant v;
    v.get()->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!v.get()->bstrVal) throw std::bad_alloc();
    v.get()->vt = VT_BSTR;
    return v;
}

namespace {

template <typename Fill>
Variant MakeVector(VARTYPE elementType, size_t count, Fill fill) {
    SAFEARRAY* array = SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(count));
    if (!array) throw std::bad_alloc();
    Variant v;
    v.get()->vt = VT_ARRAY | elementType;
    v.get()->parray = array;
    for (LONG i = 0; i < static_cast<LONG>(count); ++i) fill(array, i);
    return v;
}

template <typename T, typename Convert>
std::vector<T> ElementsOf(const VARIANT& v, VARTYPE elementType, Convert convert) {
    std::vector<T> result;
    if (v.vt != (VT_ARRAY | elementType) || !v.parray || SafeArrayGetDim(v.parray) != 1) return result;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) result.push_back(convert(v.parray, i));
    return result;
}

}  // namespace

Variant MakeDoubles(const std::vector<double>& values) {
    return MakeVector(VT_R8, values.size(), [&](SAFEARRAY* a, LONG i) {
        double element = values[i];
        SafeArrayPutElement(a, &i, &element);
    });
}

Variant MakeStrings(const std::vector<std::wstring>& values) {
    return MakeVector(VT_BSTR, values.size(), [&](SAFEARRAY* a, LONG i) {
        BSTR element = SysAllocString(values[i].c_str());
        SafeArrayPutElement(a, &i, element);  // copies the string
        SysFreeString(element);
    });
}

std::vector<double> DoublesOf(const VARIANT& v) {
    return ElementsOf<double>(v, VT_R8, [](SAFEARRAY* a, LONG i) {
        double element = 0;
        SafeArrayGetElement(a, &i, &element);
        return element;
    });
}

std::vector<std::wstring> StringsOf(const VARIANT& v) {
    return ElementsOf<std::wstring>(v, VT_BSTR, [](SAFEARRAY* a, LONG i) {
        BSTR element = nullptr;
        SafeArrayGetElement(a, &i, &element);
        std::wstring text = element ? std::wstring(element, SysStringLen(element)) : std::wstring();
        SysFreeString(element);
        return text;
    });
}

std::wstring TextOf(const VARIANT& v) {
    if (v.vt != VT_BSTR || !v.bstrVal) return {};
    return std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

}  // namespace wire
