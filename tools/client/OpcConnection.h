// The client side of one server object: what the command-line client asks
// of an OPC server. Every call raises EClientCall with the HRESULT on failure.
#pragma once
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "opcda.h"

struct EClientCall {
    const wchar_t* Call;
    HRESULT Code;
};

struct TOpcStatus {
    DWORD State = 0;
    std::wstring VendorInfo;
    WORD Major = 0, Minor = 0, Build = 0;
};

class TOpcConnection {
public:
    // Activates the server by ProgID as a local server.
    explicit TOpcConnection(const std::wstring& progId);

    TOpcStatus Status() const;
    // The item IDs of a flat address space.
    std::vector<std::wstring> BrowseItemIds() const;
    // The item's value (property 2) as text.
    std::wstring ReadValueProperty(const std::wstring& itemId) const;

private:
    Microsoft::WRL::ComPtr<IOPCServer> server_;
};

// Writes the line to standard output as UTF-8.
void PrintLine(const std::wstring& line);
