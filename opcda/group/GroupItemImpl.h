// An item of a group: the client's view of one shared server item, with its
// own active state, requested type, client handle and cache of the last
// value, quality and time stamp it obtained.
//
// Main thread, except the cache of an item whose server item is pushed by
// the item server: ValuePushed writes it from the item server's thread under
// the item cache's group-item lock, and the main thread takes the same lock
// around that cache.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "com/ComOwners.h"
#include "contract/GroupItemInfo.h"
#include "opcda.h"

class TGroupImpl;
class TServerItem;
class TServerItemList;

class TGroupItemImpl final : public TGroupItemInfo {
public:
    // A new item of group for itemId, attached to its shared server item;
    // inactive, canonical type requested. Raises what the item server raises
    // for an ID it does not know.
    TGroupItemImpl(TGroupImpl& group, const std::wstring& itemId);
    // A copy of source for a cloned group: the same server item, client
    // handle and requested type, inactive, never announced to the item server.
    TGroupItemImpl(TGroupImpl& group, const TGroupItemImpl& source);
    // Announces the removal (when the addition was announced), then detaches
    // from the server item; the item's handle is dead from here on.
    ~TGroupItemImpl() override;

    // The item's server handle, valid while it lives.
    OPCHANDLE ServerHandle() const noexcept { return handle_; }
    // The live group item behind a handle, of any group of any client; null
    // for anything else. Main thread.
    static TGroupItemImpl* FromHandle(OPCHANDLE handle) noexcept;

    TGroupImpl& Group() const noexcept { return group_; }
    TServerItem& Shared() const noexcept { return *serverItem_; }

    // Sends ItemAdded; the destructor then sends ItemRemoved.
    void Announce() noexcept;

    // Nothing when already in that state; activation reads the device
    // (RefreshFromDevice) and raises what that raises, the item staying active.
    void SetActive(bool active);
    // Reads the item into the cache, stamps it now and marks it for the next scan.
    void RefreshFromDevice();
    // The cache, converted to the requested type.
    void ReadCached(VARIANT& value, WORD& quality, FILETIME& timestamp) const;
    // A fresh read for the group reader, which also becomes the cache;
    // converted to the requested type. What the item's own group reads
    // itself counts as reported; a change that another group's read brings
    // into the cache is marked for the own group's next scan.
    void ReadDevice(const TGroupImpl& reader, VARIANT& value, WORD& quality, FILETIME& timestamp);
    // Whether the scan reports the item now: pending, or a poll found a change.
    bool NeedsUpdate();
    // Stores value and quality when they are a change (and tells the item
    // server's ItemValueChanged); true when they were.
    bool UpdateIfChanged(const VARIANT& value, WORD quality);
    // Converts value in place to the requested type when that differs from
    // the canonical type; raises the conversion's HRESULT.
    void ConvertToRequested(VARIANT& value) const;

    // TGroupItemInfo
    TServerItem* GetServerItem() const override { return serverItem_; }
    TGroupInfo* GetGroup() const override;
    double LastUpdateTime() const override;
    UniqueVariant GetValue() const override;
    void ValuePushed(const VARIANT& value, WORD quality) noexcept override;

private:
    // Locks the cache against a pushing item server (no lock for a polled item).
    class TCacheLock;

    // Stores a device read; with reportChange, a change of value or quality
    // is marked for the next scan.
    void StoreRead(const VARIANT& value, WORD quality, const FILETIME& now, bool reportChange);
    bool ReadChangeCount(uint64_t& count) const noexcept;

    TGroupImpl& group_;
    TServerItem* serverItem_ = nullptr;
    OPCHANDLE handle_ = 0;
    bool announced_ = false;

    // The cache; guarded by TCacheLock.
    UniqueVariant value_;
    WORD quality_ = 0;
    FILETIME timestamp_{};
    bool updatePending_ = false;

    // The item server's change count when the cache was last filled by a poll.
    bool changeCountKnown_ = false;
    uint64_t changeCount_ = 0;
};
