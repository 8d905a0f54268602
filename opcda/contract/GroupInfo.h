// The record of a group as the item server's hooks see it. The group object
// derives from it and adds the COM object.
#pragma once
#include <windows.h>
#include <string>

class TClientInfo;
class TGroupItemInfo;

class TGroupInfo {
public:
    virtual ~TGroupInfo() = default;

    std::wstring Name;              // unique within its client, case-insensitive
    TClientInfo* Server = nullptr;  // the owning client record
    bool Public = false;            // public groups are not supported
    bool Active = false;
    DWORD UpdateRate = 0;           // granted rate in milliseconds
    DWORD ClientHandle = 0;         // the client's handle for the group
    LCID LocaleId = 0;
    bool Enabled = true;            // asynchronous callbacks enabled
    bool Removed = false;           // removed by the server while clients still hold it
    float PercentDeadband = 0.0f;   // 0..100
    void* UserData = nullptr;       // free for the item server

    virtual size_t ItemCount() const = 0;
    virtual TGroupItemInfo* ItemAt(size_t index) const = 0;
    virtual bool HasDataCallback() const = 0;
    // Whether the DA 1.0 advise sink of stream format index (0..2) is set.
    virtual bool HasAdviseSink(int index) const = 0;

protected:
    TGroupInfo() = default;
    TGroupInfo(const TGroupInfo&) = delete;
    TGroupInfo& operator=(const TGroupInfo&) = delete;
};
