// Single-instance hand-over between a new start and a running instance.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Tag of the WM_COPYDATA record that carries a packed command line.
constexpr ULONG_PTR kCommandLineDataTag = 0xDE1F1DAB;

// Each argument's characters and a NUL byte, then one more NUL byte.
std::string PackCommandLine(const std::vector<std::wstring>& args);

// A top-level window of the given class, visible or not, whatever its title.
HWND FindExistingInstance(const wchar_t* windowClass);

// Sends the packed command line; true when the receiver answers exactly 1.
bool SendCommandLine(HWND window, const std::vector<std::wstring>& args);

// Hands this start over to the running instance; true means: end this process.
bool ActivateExistingInstance(HWND window, const std::vector<std::wstring>& args);

// The single-instance decision of the main sequence.
bool ShouldStart(const wchar_t* windowClass, const std::vector<std::wstring>& args);
