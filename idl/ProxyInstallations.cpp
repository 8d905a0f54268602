#include "ProxyInstallations.h"

#include "com/RegistryKey.h"

namespace {

std::wstring LongPath(const std::wstring& path)
{
    const DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::wstring result(n, L'\0');
    const DWORD written = GetLongPathNameW(path.c_str(), result.data(), n);
    if (written == 0 || written >= n) return path;
    result.resize(written);
    return result;
}

}  // namespace

std::wstring ExpandedPath(const std::wstring& path)
{
    std::wstring text = path;
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    const DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (n == 0) return text;
    std::wstring expanded(n, L'\0');
    if (ExpandEnvironmentStringsW(text.c_str(), expanded.data(), n) == 0) return text;
    expanded.resize(wcsnlen(expanded.c_str(), expanded.size()));
    return expanded;
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(ExpandedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    const std::wstring x = LongPath(ExpandedPath(a));
    const std::wstring y = LongPath(ExpandedPath(b));
    return CompareStringOrdinal(x.c_str(), -1, y.c_str(), -1, TRUE) == CSTR_EQUAL;
}

TProxyInstallations::TProxyInstallations(std::wstring classKey) : key_(std::move(classKey) + L"\\Installations") {}

LSTATUS TProxyInstallations::Add(const std::wstring& path) const
{
    for (const auto& known : Paths())
        if (SamePath(known, path)) return ERROR_SUCCESS;
    LSTATUS rc = ERROR_SUCCESS;
    TRegistryKey key = TRegistryKey::Create(HKEY_CLASSES_ROOT, key_, KEY_WRITE, &rc);
    if (rc != ERROR_SUCCESS) return rc;
    const DWORD one = 1;
    return RegSetValueExW(key.get(), path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
}

void TProxyInstallations::Remove(const std::wstring& path) const
{
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, key_, KEY_READ | KEY_WRITE);
    if (!key) return;
    for (const auto& known : Paths())
        if (SamePath(known, path)) RegDeleteValueW(key.get(), known.c_str());
}

void TProxyInstallations::Prune() const
{
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, key_, KEY_READ | KEY_WRITE);
    if (!key) return;
    for (const auto& known : Paths())
        if (!FileExists(known)) RegDeleteValueW(key.get(), known.c_str());
}

std::vector<std::wstring> TProxyInstallations::Paths() const
{
    std::vector<std::wstring> paths;
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, key_);
    if (!key) return paths;
    for (DWORD index = 0;; ++index) {
        wchar_t name[MAX_PATH * 2];
        DWORD length = ARRAYSIZE(name);
        if (RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        paths.emplace_back(name, length);
    }
    return paths;
}
