#include "com/TaskMemory.h"

#include <cstring>

#include "contract/OpcError.h"
#include "com/TextUtil.h"

void* TaskAlloc(size_t size)
{
    void* block = CoTaskMemAlloc(size);
    if (block == nullptr) RaiseOpcError(E_OUTOFMEMORY);
    return block;
}

void* TaskAllocZeroed(size_t size)
{
    void* block = TaskAlloc(size);
    std::memset(block, 0, size);
    return block;
}

TaskString TaskWideString(std::wstring_view text)
{
    if (text.size() >= SIZE_MAX / sizeof(wchar_t)) RaiseOpcError(E_OUTOFMEMORY);
    TaskString copy(static_cast<wchar_t*>(TaskAlloc((text.size() + 1) * sizeof(wchar_t))));
    if (!text.empty()) std::memcpy(copy.get(), text.data(), text.size() * sizeof(wchar_t));
    copy.get()[text.size()] = L'\0';
    return copy;
}

TaskString TaskWideString(const wchar_t* text)
{
    return TaskWideString(text != nullptr ? std::wstring_view(text) : std::wstring_view());
}

TaskString TaskWideString(std::string_view text)
{
    return TaskWideString(std::wstring_view(AnsiToWide(text)));
}

TaskString TaskWideString(const char* text)
{
    return TaskWideString(text != nullptr ? std::string_view(text) : std::string_view());
}
