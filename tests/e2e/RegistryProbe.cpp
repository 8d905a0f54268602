#include "RegistryProbe.h"

#include "com/RegistryKey.h"

std::optional<std::wstring> ClassesRootDefault(const std::wstring& path)
{
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, path);
    if (!key) return std::nullopt;
    return key.GetString().value_or(std::wstring());
}

std::optional<std::wstring> ClassesRootValue(const std::wstring& path, const wchar_t* name)
{
    TRegistryKey key = TRegistryKey::Open(HKEY_CLASSES_ROOT, path);
    if (!key) return std::nullopt;
    return key.GetString(name);
}

bool ClassesRootKeyExists(const std::wstring& path)
{
    return TRegistryKey::Exists(HKEY_CLASSES_ROOT, path);
}

void SetClassesRootDefault(const std::wstring& path, const std::wstring& value)
{
    if (TRegistryKey key = TRegistryKey::Create(HKEY_CLASSES_ROOT, path)) key.SetString(nullptr, value);
}
