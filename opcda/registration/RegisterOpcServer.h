// The one registration call of the program: clipboard formats of the DA 1.0
// streams, the vendor text and the class object of the server's COM class.
#pragma once
#include <windows.h>
#include <wtypes.h>  // CLIPFORMAT (not in windows.h with WIN32_LEAN_AND_MEAN)

#include <string>

class TOpcItemServer;

// The registered IDs of "OPCSTMFORMATDATA", "OPCSTMFORMATDATATIME" and
// "OPCSTMFORMATWRITECOMPLETE", in this order.
struct TOpcClipboardFormats {
    CLIPFORMAT Data = 0;
    CLIPFORMAT DataTime = 0;
    CLIPFORMAT WriteComplete = 0;
};
const TOpcClipboardFormats& OpcClipboardFormats() noexcept;

void RegisterOpcServer(const CLSID& classId, int version, const std::wstring& serverName,
                       const std::wstring& vendorName, TOpcItemServer& itemServer);
