#include "com/ModulePath.h"

namespace {

size_t NameStart(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

}  // namespace

std::wstring ModuleFilePath(HMODULE module)
{
    // GetModuleFileNameW truncates to the buffer and returns its size when the
    // path does not fit, so grow until the answer is shorter than the buffer.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleFolder(HMODULE module)
{
    const std::wstring path = ModuleFilePath(module);
    return path.substr(0, NameStart(path));
}

std::wstring ModuleFileName(HMODULE module)
{
    const std::wstring path = ModuleFilePath(module);
    return path.substr(NameStart(path));
}
