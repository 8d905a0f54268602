// The record of a connected client as the item server's hooks see it. The
// server object derives from it and adds the COM object.
#pragma once
#include <windows.h>
#include <string>

class TGroupInfo;
class TItemIdList;

class TClientInfo {
public:
    virtual ~TClientInfo() = default;

    std::wstring ClientName;                 // set by SetClientName, empty until then
    LCID LocaleId = LOCALE_SYSTEM_DEFAULT;   // 0x800 at creation
    FILETIME LastUpdateTime{};               // time of the last data-change callback; zero until then
    DWORD ServerState = 0;                   // OPC_STATUS_RUNNING (1) once initialised
    void* UserData = nullptr;                // free for the item server
    bool Hung = false;                       // a call into the client is overdue (ClientHung hook)
    // The client's node in the address-space tree, null until its first
    // browse call. Kept here rather than in the server object so that a
    // rebuild of the tree can reach every client's position through the
    // ClientList. Guarded by the ClientList lock.
    TItemIdList* BrowsePosition = nullptr;

    virtual size_t GroupCount() const = 0;
    virtual TGroupInfo* GroupAt(size_t index) const = 0;
    virtual void Disconnect() = 0;

protected:
    TClientInfo() = default;
    TClientInfo(const TClientInfo&) = delete;
    TClientInfo& operator=(const TClientInfo&) = delete;
};
