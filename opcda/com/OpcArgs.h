// Argument checks shared by the COM methods of the core.
#pragma once
#include <windows.h>
#include <string>

// Raises EOpcError(E_INVALIDARG) when value lies outside lo..hi (signed 32-bit).
void CheckRange(LONG value, LONG lo, LONG hi);

// Raises EOpcError(E_INVALIDARG) for an empty batch or a missing array.
void CheckArrayArgs(DWORD count, const void* array);

// The item ID of an OPCITEMDEF; a null or empty ID raises
// EOpcError(OPC_E_INVALIDITEMID).
std::wstring ItemIdFromWide(const wchar_t* wide);
