// Running the command-line tools beside the tests and collecting what they print.
#pragma once
#include <windows.h>

#include <string>

struct TToolRun {
    DWORD ExitCode = ~0u;  // ~0u: did not end in time (it was killed)
    std::string Output;    // standard output and standard error, as printed
};

// Runs exe (a file beside the test executable) with args and waits for it.
TToolRun RunTool(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = 60000);
// The same for OpcClient.exe.
inline TToolRun RunClient(const std::wstring& args, DWORD timeoutMs = 60000)
{
    return RunTool(L"OpcClient.exe", args, timeoutMs);
}

// The string value of "field" in a JSON line of output whose "item" (or
// "check") is name; empty when there is none.
std::string JsonField(const std::string& output, const std::string& key, const std::string& name,
                      const std::string& field);
bool Contains(const std::string& text, const std::string& part);
