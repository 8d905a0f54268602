// The copies of the proxy/stub DLL that have registered on this machine (in
// this registry view), kept under the proxy class's key the way shared DLLs
// are counted: the last copy to unregister removes the registration.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A path as written in the registry, with environment strings expanded and
// quotes removed.
std::wstring ExpandedPath(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Whether two paths name the same file (letter case and short forms aside).
bool SamePath(const std::wstring& a, const std::wstring& b);

class TProxyInstallations {
public:
    // classKey: "CLSID\{...}" of the proxy class under HKEY_CLASSES_ROOT.
    explicit TProxyInstallations(std::wstring classKey);

    // Adds the DLL at path; adding it again changes nothing.
    LSTATUS Add(const std::wstring& path) const;
    void Remove(const std::wstring& path) const;
    // Forgets copies whose file is gone (deleted without unregistering).
    void Prune() const;
    std::vector<std::wstring> Paths() const;

private:
    std::wstring key_;
};
