#include "group/ChangeTest.h"

#include <cmath>

#include "cache/ServerItemRef.h"
#include "cache/VariantCompare.h"
#include "com/ComOwners.h"

namespace {

bool ToDouble(const VARIANT& value, double& out) noexcept
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_R8))) return false;
    out = V_R8(&converted);
    return true;
}

// Element index of a one-dimensional array as a double; 0 when it cannot be read.
double ArrayElement(const VARIANT& array, LONG index) noexcept
{
    if ((V_VT(&array) & VT_ARRAY) == 0 || V_ARRAY(&array) == nullptr) return 0.0;
    SAFEARRAY* sa = V_ARRAY(&array);
    LONG lower = 0;
    if (SafeArrayGetDim(sa) != 1 || FAILED(SafeArrayGetLBound(sa, 1, &lower))) return 0.0;
    const VARTYPE element = static_cast<VARTYPE>(V_VT(&array) & ~VT_ARRAY);
    LONG at = lower + index;
    VARIANT v;
    VariantInit(&v);
    HRESULT hr = E_FAIL;
    if (element == VT_VARIANT) {
        hr = SafeArrayGetElement(sa, &at, &v);
    } else if (element != VT_BSTR && element != VT_DISPATCH && element != VT_UNKNOWN && element != VT_RECORD) {
        V_VT(&v) = element;
        hr = SafeArrayGetElement(sa, &at, &V_I1(&v));
    }
    double result = 0.0;
    if (SUCCEEDED(hr) && !ToDouble(v, result)) result = 0.0;
    VariantClear(&v);
    return result;
}

// Low and high limits of an analog item; both 0 when they cannot be read.
bool AnalogRange(IEUInfo& eu, double& low, double& high) noexcept
{
    LONG type = EuTypeNoEnum;
    if (FAILED(eu.GetEUType(&type)) || (type & 0x7F) != EuTypeAnalog) return false;
    UniqueVariant info;
    low = high = 0.0;
    if (SUCCEEDED(eu.GetEUInfo(info.put()))) {
        low = ArrayElement(info.get(), 0);
        high = ArrayElement(info.get(), 1);
    }
    return true;
}

}  // namespace

TValueChange CompareForChange(const TServerItemRef& item, float percentDeadband, const VARIANT& held,
                              const VARIANT& fresh) noexcept
{
    double low = 0.0, high = 0.0;
    if (item.Deadband() && item.EUInfo() != nullptr && AnalogRange(*item.EUInfo(), low, high)) {
        double a = 0.0, b = 0.0;
        if (ToDouble(held, a) && ToDouble(fresh, b)) {
            const long double threshold =
                static_cast<long double>(percentDeadband) / 100.0L * (static_cast<long double>(high) - low);
            if (std::fabs(static_cast<long double>(a) - b) > threshold) return TValueChange::Changed;
            return TValueChange::WithinDeadband;
        }
    }
    return ValuesEqual(held, fresh) ? TValueChange::Same : TValueChange::Changed;
}
