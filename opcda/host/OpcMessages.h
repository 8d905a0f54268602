// Message texts of result codes: the server's own English table of the OPC
// codes, then the operating system's message table.
#pragma once
#include <windows.h>
#include <optional>
#include <string>

// The own text of one of the sixteen OPC codes, loaded from the executable's
// string table on each call; nothing for any other code.
std::optional<std::wstring> OpcMessageText(HRESULT code);

// The default text rule of the item server's ErrorText: the own table (not
// localised, the same text for every language), otherwise the system message
// table in the language given by the low 16 bits of languageId. A code without
// any text raises EOpcError(E_INVALIDARG).
std::wstring DefaultErrorText(HRESULT code, DWORD languageId);
