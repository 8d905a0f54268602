// The checks of "diagnose": what an OPC client needs from the machine before
// it can talk to a server, each with the command that repairs it.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct TCheck {
    explicit TCheck(std::wstring name) : Name(std::move(name)) {}

    std::wstring Name;
    bool Ok = false;
    std::wstring Detail;  // what was found, or what is wrong
    std::wstring Fix;     // the command that repairs it; empty when Ok
};

// Reads a classes root: HKEY_CLASSES_ROOT, or a key laid out like it (tests).
class TClassesRoot {
public:
    explicit TClassesRoot(HKEY root) : root_(root) {}
    // The default value of root\path (environment strings expanded), or nothing.
    std::optional<std::wstring> Default(const std::wstring& path) const;
    bool Exists(const std::wstring& path) const;

private:
    HKEY root_;
};

struct TOpcInterface {
    const wchar_t* Name;
    IID Id;
};
// Every OPC interface a DA 1.0/2.0 server and its clients marshal.
const std::vector<TOpcInterface>& OpcInterfaces();

// What the registry checks found out for the activation check.
struct TRegistrationFacts {
    std::optional<CLSID> ClassId;
    std::wstring ServerExe;  // from LocalServer32, when that file exists
};

// The registry checks for progId: ProgID and class keys, the server's
// executable, both ways between ProgID and class, the two OPC DA categories,
// the OPC vendor key and a proxy with an existing DLL for every OPC interface.
// fallbackExe is the server executable to name in fixes when the registry
// does not point to an existing one.
std::vector<TCheck> CheckRegistration(const TClassesRoot& root, const std::wstring& progId,
                                      const std::wstring& fallbackExe, TRegistrationFacts& facts);

// The path a LocalServer32 or InprocServer32 value names: quotes and
// arguments removed.
std::wstring CommandPath(const std::wstring& value);
bool FileExists(const std::wstring& path);
