// The texts of the client tree's information boxes. Lines are separated by
// "\n\r": a line feed, then a carriage return.
#pragma once
#include <windows.h>
#include <wtypes.h>

#include <string>

// What the information box of each node kind tells; RecordInfoText.h takes
// it from the core's client, group and group-item records.
struct TClientInfoFacts {
    std::wstring Name;      // empty: "(no name)"
    FILETIME LastUpdate{};  // the client's status time, shown as stored
    long State = 0;         // the server state number of the client's status
};

struct TGroupInfoFacts {
    std::wstring Name;
    bool Public = false;
    bool Active = false;
    DWORD UpdateRate = 0;  // milliseconds
    DWORD ClientHandle = 0;
    bool Enabled = false;
    long ItemCount = 0;
    bool DataCallback = false;  // DA 2.0 callback connected
    bool AdviseSinks[3]{};      // DA 1.0: data, data with time, write complete
};

struct TItemInfoFacts {
    std::wstring ItemId;
    DWORD ItemHandle = 0;
    DWORD ClientHandle = 0;
    bool Active = false;
    VARTYPE RequestedType = 0;
    VARTYPE CanonicalType = 0;
    double LastUpdate = 0;   // OLE date of the cached value, as stored
    DWORD AccessRights = 0;  // OPC_READABLE 1, OPC_WRITEABLE 2
};

std::wstring VarTypeName(VARTYPE type);
std::wstring AccessRightsText(DWORD rights);
std::wstring ClientInfoText(const TClientInfoFacts& client);
std::wstring GroupInfoText(const TGroupInfoFacts& group);
std::wstring ItemInfoText(const TItemInfoFacts& item);
