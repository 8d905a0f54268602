// Client-side call sequences shared by the tests and the sink client process.
#pragma once
#include "opcda.h"
#include <wrl/client.h>
#include <vector>

namespace wire {

// A new group, asked for as IUnknown; null when AddGroup fails.
Microsoft::WRL::ComPtr<IUnknown> AddGroup(IOPCServer* server, const wchar_t* name, bool active, DWORD rate,
                                          OPCHANDLE clientHandle, OPCHANDLE* serverHandle = nullptr);

// Adds the four test items with client handles 1..4 in table order; their
// server handles, or an empty list when AddItems does not return S_OK.
std::vector<OPCHANDLE> AddTestItems(IOPCItemMgt* items);

}  // namespace wire
