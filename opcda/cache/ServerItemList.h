// The server item cache: one TServerItem per item ID in use, found without
// regard to letter case.
//
// Locks: the map lock guards the ID map and the user counts of its items; the
// group-item lock guards the group-item lists of all items. Only Acquire takes
// both, the map lock first. The change callback takes only the group-item lock.
#pragma once
#include <map>
#include <string>

#include "com/CriticalSection.h"
#include "cache/ServerItem.h"
#include "com/TextUtil.h"

class TOpcItemServer;
class TGroupItemInfo;

class TServerItemList {
public:
    explicit TServerItemList(TOpcItemServer& server);
    // Destroys every remaining item (see Clear).
    ~TServerItemList();
    TServerItemList(const TServerItemList&) = delete;
    TServerItemList& operator=(const TServerItemList&) = delete;

    TOpcItemServer& Server() const noexcept { return server_; }
    TCriticalSection& MapLock() const noexcept { return mapLock_; }
    TCriticalSection& GroupItemLock() const noexcept { return groupItemLock_; }

    // The shared item for itemId with groupItem added to its users; resolves
    // and subscribes a new item when the ID is not cached. Raises what the
    // resolution raises; nothing is cached then.
    TServerItem* Acquire(TGroupItemInfo& groupItem, const std::wstring& itemId);
    // Removes groupItem from item's users; the last user destroys the item.
    // A group item that is not a user of item changes nothing.
    void Release(TServerItem& item, TGroupItemInfo& groupItem) noexcept;
    // The cached item, kept alive until the result is released, or else a new
    // standalone reference that is not cached and is destroyed on release.
    TServerItemRefPtr Lookup(const std::wstring& itemId);

    // Destroys every item, used or not. The item server's destructor does it
    // too, but by then only the base class's hooks can be reached: an item
    // server that wants UnsubscribeItem and ReleaseItemHandle for the items
    // left at the end calls Clear in its own destructor.
    void Clear() noexcept;

    size_t Count() const;
    // The cached item for itemId, or null. Takes no hold: for the window thread only.
    TServerItem* Find(const std::wstring& itemId) const;

private:
    friend class TServerItem;
    // Ends one use; at the last one the item leaves the map and is destroyed.
    void ReleaseHold(TServerItem& item) noexcept;

    TOpcItemServer& server_;
    mutable TCriticalSection mapLock_;
    mutable TCriticalSection groupItemLock_;
    std::map<std::wstring, TServerItem*, LessOrdinalI> map_;
};
