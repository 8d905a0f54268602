#include "cache/VariantCompare.h"

#include <cstring>

namespace {

// Keeps a safe array locked for the lifetime of the guard, so that every
// early return unlocks it again.
class TSafeArrayLock {
public:
    explicit TSafeArrayLock(SAFEARRAY* array) noexcept
        : array_(array), locked_(array != nullptr && SUCCEEDED(SafeArrayLock(array))) {}
    ~TSafeArrayLock()
    {
        if (locked_) SafeArrayUnlock(array_);
    }
    TSafeArrayLock(const TSafeArrayLock&) = delete;
    TSafeArrayLock& operator=(const TSafeArrayLock&) = delete;
    bool Locked() const noexcept { return locked_; }

private:
    SAFEARRAY* array_;
    bool locked_;
};

bool StringsEqual(BSTR a, BSTR b) noexcept
{
    const UINT la = SysStringLen(a), lb = SysStringLen(b);  // a null BSTR is the empty string
    return la == lb && (la == 0 || std::memcmp(a, b, la * sizeof(OLECHAR)) == 0);
}

bool ArraysEqual(VARTYPE vt, SAFEARRAY* a, SAFEARRAY* b) noexcept
{
    if (a == nullptr || b == nullptr) return a == b;
    if (SafeArrayGetDim(a) != 1 || SafeArrayGetDim(b) != 1) return false;
    const ULONG count = a->rgsabound[0].cElements;
    if (count != b->rgsabound[0].cElements || a->cbElements != b->cbElements) return false;

    TSafeArrayLock lockA(a), lockB(b);
    if (!lockA.Locked() || !lockB.Locked()) return false;
    if ((vt & VT_TYPEMASK) == VT_BSTR) {
        const BSTR* ea = static_cast<const BSTR*>(a->pvData);
        const BSTR* eb = static_cast<const BSTR*>(b->pvData);
        for (ULONG i = 0; i < count; ++i)
            if (!StringsEqual(ea[i], eb[i])) return false;
        return true;
    }
    const size_t bytes = static_cast<size_t>(count) * a->cbElements;
    return bytes == 0 || std::memcmp(a->pvData, b->pvData, bytes) == 0;
}

}  // namespace

bool ValuesEqual(const VARIANT& a, const VARIANT& b) noexcept
{
    const VARTYPE vt = V_VT(&a);
    if (vt != V_VT(&b)) return false;

    if (vt & VT_ARRAY) {
        SAFEARRAY* sa = (vt & VT_BYREF) ? (V_ARRAYREF(&a) ? *V_ARRAYREF(&a) : nullptr) : V_ARRAY(&a);
        SAFEARRAY* sb = (vt & VT_BYREF) ? (V_ARRAYREF(&b) ? *V_ARRAYREF(&b) : nullptr) : V_ARRAY(&b);
        return ArraysEqual(vt, sa, sb);
    }

    switch (vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_I1: return V_I1(&a) == V_I1(&b);
    case VT_UI1: return V_UI1(&a) == V_UI1(&b);
    case VT_I2: return V_I2(&a) == V_I2(&b);
    case VT_UI2: return V_UI2(&a) == V_UI2(&b);
    case VT_I4: return V_I4(&a) == V_I4(&b);
    case VT_UI4: return V_UI4(&a) == V_UI4(&b);
    case VT_INT: return V_INT(&a) == V_INT(&b);
    case VT_UINT: return V_UINT(&a) == V_UINT(&b);
    case VT_I8: return V_I8(&a) == V_I8(&b);
    case VT_UI8: return V_UI8(&a) == V_UI8(&b);
    case VT_R4: return V_R4(&a) == V_R4(&b);
    case VT_R8: return V_R8(&a) == V_R8(&b);
    case VT_DATE: return V_DATE(&a) == V_DATE(&b);
    case VT_CY: return V_CY(&a).int64 == V_CY(&b).int64;
    case VT_BOOL: return (V_BOOL(&a) != VARIANT_FALSE) == (V_BOOL(&b) != VARIANT_FALSE);
    case VT_ERROR: return V_ERROR(&a) == V_ERROR(&b);
    case VT_BSTR: return StringsEqual(V_BSTR(&a), V_BSTR(&b));
    case VT_UNKNOWN: case VT_DISPATCH: return V_UNKNOWN(&a) == V_UNKNOWN(&b);
    default:
        // Decimals and references: the runtime's own comparison.
        return VarCmp(const_cast<VARIANT*>(&a), const_cast<VARIANT*>(&b), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
    }
}
