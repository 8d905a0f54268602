// Reading the registry entries of the server class from a test.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

// The default value of HKEY_CLASSES_ROOT\path, or nothing when the key is missing.
std::optional<std::wstring> ClassesRootDefault(const std::wstring& path);
// A named string value of HKEY_CLASSES_ROOT\path, or nothing.
std::optional<std::wstring> ClassesRootValue(const std::wstring& path, const wchar_t* name);
bool ClassesRootKeyExists(const std::wstring& path);
void SetClassesRootDefault(const std::wstring& path, const std::wstring& value);
