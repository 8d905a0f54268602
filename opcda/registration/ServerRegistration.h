// Registry entries that make the server findable by OPC clients: the class,
// its local-server path, the ProgID and the version-independent ProgID, the
// AppID that DCOM settings hang on, the OPC vendor key and the two OPC DA
// component categories.
#pragma once
#include <windows.h>
#include <string>

struct TServerClassInfo {
    CLSID ClassId{};
    std::wstring ProgId;       // e.g. srvZEV30.TZEV30.1
    std::wstring Description;  // the server name
    std::wstring VendorName;
    std::wstring ExePath;      // full path of the local server executable
};

// Writes every key; a failure of the component category manager raises
// EOpcError with its HRESULT, errors of the OPC vendor key are ignored.
void RegisterServerClass(const TServerClassInfo& info);

// Removes every key written by RegisterServerClass; missing keys are no error.
// The version-independent ProgID and the executable's AppID key are removed
// only while they still name this class, and each OPC DA category only when no
// other class implements it.
void UnregisterServerClass(const TServerClassInfo& info);

// The path as written under LocalServer32: its short form when it holds a blank.
std::wstring LocalServerPath(const std::wstring& exePath);

std::wstring GuidToString(const GUID& guid);

// The ProgID without its trailing ".version" (srvZEV30.TZEV30 for
// srvZEV30.TZEV30.1); empty when it carries no version.
std::wstring VersionIndependentProgId(const std::wstring& progId);
