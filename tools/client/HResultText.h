// Failing HRESULTs as messages a plant engineer can act on: the server's own
// text where it has one, else the system's, always with the code in hex.
#pragma once
#include <windows.h>

#include <string>

#include "opcda.h"

// The symbolic name of a code the OPC world meets often ("OPC_E_INVALIDITEMID",
// "REGDB_E_CLASSNOTREG"), or empty.
std::wstring HResultName(HRESULT hr);

// The system's message text for the code, without the line end, or empty.
std::wstring SystemErrorText(HRESULT hr);

// "text [NAME 0x........]": the server's GetErrorString when a server is
// given and knows the code, else the system's text.
std::wstring DescribeHResult(HRESULT hr, IOPCServer* server = nullptr);

// "0xC0040008".
std::wstring HexCode(HRESULT hr);

// A failure that ends a command with exit status 2 (connection and call
// errors outside the per-item results).
struct EClientError {
    std::wstring Message;
};
