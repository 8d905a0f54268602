// Where a loaded module lives, however long its path is: the one way the
// program, its tools and its tests find their own executable or DLL.
#pragma once
#include <windows.h>

#include <string>

// The full path of a loaded module; null is the process's executable. Empty
// when the handle names no loaded module.
std::wstring ModuleFilePath(HMODULE module = nullptr);

// The folder of that path with its trailing backslash, ready to have a file
// name appended; empty as above.
std::wstring ModuleFolder(HMODULE module = nullptr);

// The file name alone ("srvZEV30.exe"); empty as above.
std::wstring ModuleFileName(HMODULE module = nullptr);
