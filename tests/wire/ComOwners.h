// Owners for COM memory in the wire test: task memory, VARIANTs and the
// SAFEARRAY values the test items hold.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <memory>
#include <string>
#include <vector>

namespace wire {

struct TaskMemFree {
    void operator()(void* p) const { CoTaskMemFree(p); }
};
template <typename T>
using TaskMem = std::unique_ptr<T, TaskMemFree>;

// Task memory for count elements of T, zero-filled; nullptr when out of memory.
template <typename T>
T* AllocTaskArray(size_t count) {
    auto* p = static_cast<T*>(CoTaskMemAlloc(count ? count * sizeof(T) : 1));
    if (p) ZeroMemory(p, count ? count * sizeof(T) : 1);
    return p;
}

// A new task-allocated copy of text; nullptr when out of memory.
LPWSTR TaskString(const std::wstring& text);

class Variant {
public:
    Variant() { VariantInit(&v_); }
    explicit Variant(const VARIANT& source);  // deep copy
    Variant(const Variant& other) : Variant(other.v_) {}
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant other) noexcept { std::swap(v_, other.v_); return *this; }
    ~Variant() { VariantClear(&v_); }

    // Takes over the contents of v and leaves v empty.
    static Variant Take(VARIANT& v);

    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }
    const VARIANT* operator->() const { return &v_; }
    // Hands the contents to an out-parameter (which must be uninitialised or empty).
    void CopyTo(VARIANT* out) const;

private:
    VARIANT v_;
};

Variant MakeI4(LONG value);
Variant MakeBstr(const std::wstring& text);
Variant MakeDoubles(const std::vector<double>& values);
Variant MakeStrings(const std::vector<std::wstring>& values);

// The elements of a one-dimensional VT_ARRAY|VT_R8 or VT_ARRAY|VT_BSTR
// value; empty when the value has another type.
std::vector<double> DoublesOf(const VARIANT& v);
std::vector<std::wstring> StringsOf(const VARIANT& v);
std::wstring TextOf(const VARIANT& v);  // VT_BSTR only

std::wstring GuidText(const GUID& guid);  // {XXXXXXXX-...}

}  // namespace wire
