// Owner of a callee-allocated array returned through an out-parameter: frees
// what each element owns (TaskElementCleanup), then the array itself.
#pragma once
#include "OpcElementCleanup.h"
#include <cstddef>

namespace wire {

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
        for (size_t i = 0; i < size(); ++i) TaskElementCleanup<T>::Clear(data_[i]);
        TaskFree(data_);
        count_ = 0;
    }

private:
    T* data_ = nullptr;
    size_t count_ = 0;
};

}  // namespace wire
