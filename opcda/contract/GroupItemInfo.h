// The record of a group item as the item server's hooks see it. The group
// item object derives from it.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "com/ComOwners.h"

class TGroupInfo;
class TServerItem;

class TGroupItemInfo {
public:
    virtual ~TGroupItemInfo() = default;

    bool Active = false;
    VARTYPE RequestedType = VT_EMPTY;  // VT_EMPTY: the canonical type
    DWORD ClientHandle = 0;            // the client's handle for the item
    void* UserData = nullptr;          // free for the item server

    virtual TServerItem* GetServerItem() const = 0;
    virtual TGroupInfo* GetGroup() const = 0;
    // Time of the cached value as an OLE date, still in UTC.
    virtual double LastUpdateTime() const = 0;
    // A copy of the cached value.
    virtual UniqueVariant GetValue() const = 0;

    // A value pushed by the item server through its server item's change
    // callback. Called on the item server's thread, under the item cache's
    // group-item lock; must not raise and must not take the cache's map lock.
    virtual void ValuePushed(const VARIANT& value, WORD quality) noexcept = 0;

protected:
    TGroupItemInfo() = default;
    TGroupItemInfo(const TGroupItemInfo&) = delete;
    TGroupItemInfo& operator=(const TGroupItemInfo&) = delete;
};
