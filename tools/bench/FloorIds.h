// The class of the benchmark's floor server, registered only while the
// benchmark runs.
#pragma once
#include <windows.h>

// {243A85F5-E502-406B-8E41-F509A4A9A23A}
constexpr CLSID CLSID_FloorServer = {0x243a85f5, 0xe502, 0x406b, {0x8e, 0x41, 0xf5, 0x09, 0xa4, 0xa9, 0xa2, 0x3a}};
constexpr wchar_t kFloorProgId[] = L"QuillmereBench.Floor.1";
