// A flat copy of a registry subtree (every key and value below it), for
// tests that prove an operation left keys of others exactly as they were.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "com/RegistryKey.h"

// Key paths map to "" and values ("key\\:name") to their type and data.
using TRegistrySnapshot = std::map<std::wstring, std::wstring>;

namespace registry_snapshot_detail {

inline std::wstring DataText(DWORD type, const std::vector<BYTE>& data, DWORD size)
{
    std::wstring text = std::to_wstring(type) + L":";
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        text.append(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    } else {
        static const wchar_t digits[] = L"0123456789abcdef";
        for (DWORD i = 0; i < size; ++i) {
            text.push_back(digits[data[i] >> 4]);
            text.push_back(digits[data[i] & 15]);
        }
    }
    return text;
}

inline void Collect(HKEY key, const std::wstring& path, TRegistrySnapshot& out)
{
    out[path] = L"";
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS rc = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            data.resize(size);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        out[path + L"\\:" + std::wstring(name.data(), nameLength)] = DataText(type, data, size);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring child(name.data(), nameLength);
        const TRegistryKey sub = TRegistryKey::Open(key, child);
        if (sub) Collect(sub.get(), path + L"\\" + child, out);
    }
}

}  // namespace registry_snapshot_detail

// The subtree at root\path in the given view (0, KEY_WOW64_64KEY or
// KEY_WOW64_32KEY); empty when the key is missing.
inline TRegistrySnapshot SnapshotRegistry(HKEY root, const std::wstring& path, REGSAM view = 0)
{
    TRegistrySnapshot snapshot;
    const TRegistryKey key = TRegistryKey::Open(root, path, KEY_READ | view);
    if (key) registry_snapshot_detail::Collect(key.get(), path, snapshot);
    return snapshot;
}

// Entries of after that are missing from, or differ from, before.
inline std::vector<std::wstring> RegistryChanges(const TRegistrySnapshot& before, const TRegistrySnapshot& after)
{
    std::vector<std::wstring> changes;
    for (const auto& [path, data] : after) {
        const auto it = before.find(path);
        if (it == before.end())
            changes.push_back(L"added " + path);
        else if (it->second != data)
            changes.push_back(L"changed " + path);
    }
    for (const auto& [path, data] : before)
        if (!after.count(path)) changes.push_back(L"removed " + path);
    return changes;
}
