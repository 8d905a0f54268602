// An open registry key that closes itself, with the few operations the
// server's registration and its tests need.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

class TRegistryKey {
public:
    TRegistryKey() noexcept = default;
    ~TRegistryKey() { reset(); }
    TRegistryKey(TRegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    TRegistryKey& operator=(TRegistryKey&& other) noexcept
    {
        if (this != &other) {
            reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;

    // Opens an existing key; an empty owner and the error code when it fails.
    static TRegistryKey Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ,
                             LSTATUS* status = nullptr) noexcept
    {
        TRegistryKey key;
        const LSTATUS rc = RegOpenKeyExW(root, path.c_str(), 0, access, &key.key_);
        if (rc != ERROR_SUCCESS) key.key_ = nullptr;
        if (status) *status = rc;
        return key;
    }

    // Opens the key, creating it and its parents when missing.
    static TRegistryKey Create(HKEY root, const std::wstring& path, REGSAM access = KEY_WRITE,
                               LSTATUS* status = nullptr) noexcept
    {
        TRegistryKey key;
        const LSTATUS rc =
            RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, &key.key_, nullptr);
        if (rc != ERROR_SUCCESS) key.key_ = nullptr;
        if (status) *status = rc;
        return key;
    }

    static bool Exists(HKEY root, const std::wstring& path) noexcept { return bool(Open(root, path)); }

    HKEY get() const noexcept { return key_; }
    explicit operator bool() const noexcept { return key_ != nullptr; }

    // Sets a string value; name null or empty sets the key's default value.
    LSTATUS SetString(const wchar_t* name, const std::wstring& value) const noexcept
    {
        return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    // A string value (the default value for a null name); nothing when it is
    // absent or not a string.
    std::optional<std::wstring> GetString(const wchar_t* name = nullptr) const
    {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        text.resize(wcsnlen(text.c_str(), text.size()));
        return text;
    }

    void reset() noexcept
    {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};
