// The one registration call of the program: clipboard formats of the DA 1.0
// streams, the vendor text and the class object of the server's COM class.
#pragma once
#include <windows.h>

#include <string>

class TOpcItemServer;

// Registers the DA 1.0 clipboard formats (DataFormats), the vendor text and
// the class object of the server's COM class.

void RegisterOpcServer(const CLSID& classId, int version, const std::wstring& serverName,
                       const std::wstring& vendorName, TOpcItemServer& itemServer);
