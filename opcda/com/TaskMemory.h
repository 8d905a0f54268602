// Memory from the COM task allocator: what the server hands to a client, and
// what the client frees with CoTaskMemFree.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <memory>
#include <string_view>

// Raises EOpcError(E_OUTOFMEMORY) when the allocator has nothing.
void* TaskAlloc(size_t size);
void* TaskAllocZeroed(size_t size);

// Frees a non-null block and nulls the variable.
template <class T>
void TaskFree(T*& block) noexcept
{
    if (block != nullptr) {
        CoTaskMemFree(const_cast<void*>(static_cast<const void*>(block)));
        block = nullptr;
    }
}

struct TaskMemDeleter {
    void operator()(void* block) const noexcept { CoTaskMemFree(block); }
};

// Owner of one task-allocated block; release() hands it to the caller.
template <class T>
using TaskPtr = std::unique_ptr<T, TaskMemDeleter>;
using TaskString = TaskPtr<wchar_t>;

// A new null-terminated UTF-16 copy from the task allocator. A null text gives
// an empty string (a single terminator). The 8-bit forms convert from the
// system's ANSI code page.
TaskString TaskWideString(std::wstring_view text);
TaskString TaskWideString(const wchar_t* text);
TaskString TaskWideString(std::string_view text);
TaskString TaskWideString(const char* text);
