#include "host/ServerVersion.h"

#include <vector>

TServerVersion RunningServerVersion() noexcept
{
    static const TServerVersion version = [] {
        TServerVersion v;
        wchar_t path[MAX_PATH] = {};
        if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return v;
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        if (size == 0) return v;
        std::vector<BYTE> data(size);
        if (!GetFileVersionInfoW(path, 0, size, data.data())) return v;
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
