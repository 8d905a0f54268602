#include "host/ServerVersion.h"

#include <vector>

#include "com/ModulePath.h"

TServerVersion RunningServerVersion() noexcept
{
    static const TServerVersion version = [] {
        TServerVersion v;
        const std::wstring path = ModuleFilePath();
        if (path.empty()) return v;
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0) return v;
        std::vector<BYTE> data(size);
        if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return v;
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return v;
        v.Major = HIWORD(info->dwFileVersionMS);
        v.Minor = LOWORD(info->dwFileVersionMS);
        v.Build = LOWORD(info->dwFileVersionLS);
        return v;
    }();
    return version;
}
