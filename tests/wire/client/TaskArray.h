// Owner of a callee-allocated array returned through an out-parameter: frees
// what each element owns, then the array itself.
#pragma once
#include "opcda.h"
#include <objbase.h>
#include <cstddef>

namespace wire {

inline void FreeElement(HRESULT&) {}
inline void FreeElement(DWORD&) {}
inline void FreeElement(VARTYPE&) {}
inline void FreeElement(LPWSTR& s) { CoTaskMemFree(s); }
inline void FreeElement(VARIANT& v) { VariantClear(&v); }
inline void FreeElement(OPCITEMSTATE& s) { VariantClear(&s.vDataValue); }
inline void FreeElement(OPCITEMRESULT& r) { CoTaskMemFree(r.pBlob); }
inline void FreeElement(OPCITEMATTRIBUTES& a) {
    CoTaskMemFree(a.szAccessPath);
    CoTaskMemFree(a.szItemID);
    CoTaskMemFree(a.pBlob);
    VariantClear(&a.vEUInfo);
}

template <typename T>
class TaskArray {
public:
    TaskArray() = default;
    ~TaskArray() { reset(); }
    TaskArray(const TaskArray&) = delete;
    TaskArray& operator=(const TaskArray&) = delete;

    // For an out-parameter that will hold count elements.
    T** out(size_t count) {
        reset();
        count_ = count;
        return &data_;
    }
    void set_count(size_t count) { count_ = count; }  // when the callee reports it

    T* get() const { return data_; }
    T& operator[](size_t i) const { return data_[i]; }
    size_t size() const { return data_ ? count_ : 0; }

    void reset() {
        if (data_)
            for (size_t i = 0; i < count_; ++i) FreeElement(data_[i]);
        CoTaskMemFree(data_);
        data_ = nullptr;
        count_ = 0;
    }

private:
    T* data_ = nullptr;
    size_t count_ = 0;
};

}  // namespace wire
