// Owners of what crosses the COM boundary: BSTRs, VARIANTs and task-allocated
// arrays. Each frees what it holds unless release() handed it to the caller,
// so a method that fails half-way leaks nothing.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <cstring>
#include <string_view>
#include <utility>

#include "contract/OpcError.h"
#include "com/TaskMemory.h"

class UniqueBstr {
public:
    UniqueBstr() noexcept = default;
    // A copy of text; raises EOpcError(E_OUTOFMEMORY) when the copy fails.
    explicit UniqueBstr(std::wstring_view text)
        : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (value_ == nullptr) RaiseOpcError(E_OUTOFMEMORY);
    }
    UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept
    {
        if (this != &other) reset(std::exchange(other.value_, nullptr));
        return *this;
    }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { reset(); }

    BSTR get() const noexcept { return value_; }
    // Frees the current string and returns the slot for an out parameter.
    BSTR* put() noexcept
    {
        reset();
        return &value_;
    }
    BSTR release() noexcept { return std::exchange(value_, nullptr); }
    void reset(BSTR value = nullptr) noexcept
    {
        if (value_ != nullptr) SysFreeString(value_);
        value_ = value;
    }
    std::wstring_view view() const noexcept { return {value_ ? value_ : L"", SysStringLen(value_)}; }

private:
    BSTR value_ = nullptr;
};

class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&value_); }
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
    UniqueVariant& operator=(UniqueVariant&& other) noexcept
    {
        if (this != &other) {
            reset();
            value_ = other.release();
        }
        return *this;
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { reset(); }

    // A deep copy; raises EOpcError with VariantCopy's HRESULT when it fails.
    static UniqueVariant CopyOf(const VARIANT& source)
    {
        UniqueVariant copy;
        RaiseIfFailed(VariantCopy(&copy.value_, const_cast<VARIANT*>(&source)));
        return copy;
    }

    VARIANT& get() noexcept { return value_; }
    const VARIANT& get() const noexcept { return value_; }
    VARTYPE vt() const noexcept { return V_VT(&value_); }
    // Clears the current value and returns the slot for an out parameter.
    VARIANT* put() noexcept
    {
        reset();
        return &value_;
    }
    // Hands the value to the caller; the owner is left empty.
    VARIANT release() noexcept
    {
        VARIANT out = value_;
        VariantInit(&value_);
        return out;
    }
    void reset() noexcept
    {
        VariantClear(&value_);
        VariantInit(&value_);  // VariantClear keeps nothing of a value it could not clear
    }

private:
    VARIANT value_;
};

// What an element of a task-allocated array owns beyond its own bytes. Other
// modules specialise it for their structures (strings or variants inside).
template <class T>
struct TaskElementCleanup {
    static void Clear(T&) noexcept {}
};
template <>
struct TaskElementCleanup<wchar_t*> {
    static void Clear(wchar_t*& text) noexcept { TaskFree(text); }
};
template <>
struct TaskElementCleanup<VARIANT> {
    static void Clear(VARIANT& value) noexcept { VariantClear(&value); }
};

// A zero-filled array of count elements from the task allocator. On
// destruction the elements are cleaned up and the block freed, unless
// release() has handed the array to the caller.
template <class T>
class TaskMemArray {
public:
    TaskMemArray() noexcept = default;
    explicit TaskMemArray(size_t count) : count_(count)
    {
        if (count == 0) return;
        if (count > SIZE_MAX / sizeof(T)) RaiseOpcError(E_OUTOFMEMORY);
        data_ = static_cast<T*>(TaskAllocZeroed(count * sizeof(T)));
    }
    TaskMemArray(TaskMemArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), count_(std::exchange(other.count_, 0)) {}
    TaskMemArray& operator=(TaskMemArray&& other) noexcept
    {
        if (this != &other) {
            reset();
            data_ = std::exchange(other.data_, nullptr);
            count_ = std::exchange(other.count_, 0);
        }
        return *this;
    }
    TaskMemArray(const TaskMemArray&) = delete;
    TaskMemArray& operator=(const TaskMemArray&) = delete;
    ~TaskMemArray() { reset(); }

    T* get() const noexcept { return data_; }
    size_t size() const noexcept { return count_; }
    T& operator[](size_t i) noexcept { return data_[i]; }
    const T& operator[](size_t i) const noexcept { return data_[i]; }
    T* begin() noexcept { return data_; }
    T* end() noexcept { return data_ + count_; }

    T* release() noexcept
    {
        count_ = 0;
        return std::exchange(data_, nullptr);
    }
    // Frees the current array and returns the slot for an out parameter that
    // receives a callee's array of count elements. A callee that reports the
    // count itself: set_size() once it has.
    T** put(size_t count = 0) noexcept
    {
        reset();
        count_ = count;
        return &data_;
    }
    void set_size(size_t count) noexcept { count_ = count; }
    void reset() noexcept
    {
        if (data_ == nullptr) return;
        for (size_t i = 0; i < count_; ++i) TaskElementCleanup<T>::Clear(data_[i]);
        TaskFree(data_);
        count_ = 0;
    }

private:
    T* data_ = nullptr;
    size_t count_ = 0;
};
