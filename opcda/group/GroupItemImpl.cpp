#include "group/GroupItemImpl.h"

#include <mutex>

#include "cache/ItemCache.h"
#include "cache/ServerItem.h"
#include "cache/ServerItemList.h"
#include "com/HandleTable.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "group/ChangeTest.h"
#include "group/GroupImpl.h"
#include "host/OpcTime.h"
#include "host/ServerWindow.h"

namespace {

// Every live group item of the process, by server handle: a handle from a
// client is looked up here, never dereferenced.
THandleTable<TGroupItemImpl>& LiveItems()
{
    static THandleTable<TGroupItemImpl> table;
    return table;
}

}  // namespace

class TGroupItemImpl::TCacheLock {
public:
    explicit TCacheLock(const TGroupItemImpl& item)
        : lock_(item.serverItem_->Subscribed() ? &item.serverItem_->Owner().GroupItemLock() : nullptr)
    {
        if (lock_) lock_->lock();
    }
    ~TCacheLock()
    {
        if (lock_) lock_->unlock();
    }
    TCacheLock(const TCacheLock&) = delete;
    TCacheLock& operator=(const TCacheLock&) = delete;

private:
    TCriticalSection* lock_;
};

TGroupItemImpl::TGroupItemImpl(TGroupImpl& group, const std::wstring& itemId) : group_(group)
{
    serverItem_ = AcquireServerItem(group.ItemServer().ItemCache(), *this, itemId);
    try {
        handle_ = LiveItems().Add(this);
    } catch (...) {
        ReleaseServerItem(*serverItem_, *this);
        throw;
    }
}

TGroupItemImpl::TGroupItemImpl(TGroupImpl& group, const TGroupItemImpl& source) : group_(group)
{
    // Attaching again under the same ID finds the cached item: nothing is resolved.
    serverItem_ = AcquireServerItem(group.ItemServer().ItemCache(), *this, source.serverItem_->ItemId());
    try {
        handle_ = LiveItems().Add(this);
    } catch (...) {
        ReleaseServerItem(*serverItem_, *this);
        throw;
    }
    ClientHandle = source.ClientHandle;
    RequestedType = source.RequestedType;
}

TGroupItemImpl::~TGroupItemImpl()
{
    LiveItems().Remove(handle_);
    if (announced_) SendNotify(group_.ItemServer(), TNotifyCode::ItemRemoved, *this);
    ReleaseServerItem(*serverItem_, *this);
}

TGroupItemImpl* TGroupItemImpl::FromHandle(OPCHANDLE handle) noexcept
{
    return LiveItems().Find(handle);
}

void TGroupItemImpl::Announce() noexcept
{
    SendNotify(group_.ItemServer(), TNotifyCode::ItemAdded, *this);
    announced_ = true;
}

TGroupInfo* TGroupItemImpl::GetGroup() const
{
    return &group_;
}

void TGroupItemImpl::SetActive(bool active)
{
    if (Active == active) return;
    Active = active;
    if (active) RefreshFromDevice();
}

bool TGroupItemImpl::ReadChangeCount(uint64_t& count) const noexcept
{
    // The analog rule moves the time stamp on every poll, so such items are always read.
    if (serverItem_->EUInfo() != nullptr) return false;
    return group_.ItemServer().ItemChangeCount(serverItem_->Handle(), count);
}

void TGroupItemImpl::StoreRead(const VARIANT& value, WORD quality, const FILETIME& now, bool reportChange)
{
    UniqueVariant copy = UniqueVariant::CopyOf(value);
    TCacheLock lock(*this);
    if (reportChange && (quality != quality_ || CompareForChange(*serverItem_, group_.PercentDeadband, value_.get(),
                                                                 value) == TValueChange::Changed))
        updatePending_ = true;
    value_ = std::move(copy);
    quality_ = quality;
    timestamp_ = now;
}

void TGroupItemImpl::RefreshFromDevice()
{
    uint64_t count = 0;
    const bool known = ReadChangeCount(count);
    UniqueVariant value;
    WORD quality = 0;
    ReadServerItem(*serverItem_, value, quality);
    const FILETIME now = group_.ItemServer().CurrentTimestamp();
    {
        TCacheLock lock(*this);
        value_ = std::move(value);
        quality_ = quality;
        timestamp_ = now;
        updatePending_ = true;
    }
    changeCountKnown_ = known;
    changeCount_ = count;
}

void TGroupItemImpl::ReadCached(VARIANT& value, WORD& quality, FILETIME& timestamp) const
{
    {
        TCacheLock lock(*this);
        RaiseIfFailed(VariantCopy(&value, const_cast<VARIANT*>(&value_.get())));
        quality = quality_;
        timestamp = timestamp_;
    }
    ConvertToRequested(value);
}

void TGroupItemImpl::ReadDevice(const TGroupImpl& reader, VARIANT& value, WORD& quality, FILETIME& timestamp)
{
    uint64_t count = 0;
    const bool known = ReadChangeCount(count);
    UniqueVariant read;
    ReadServerItem(*serverItem_, read, quality);
    timestamp = group_.ItemServer().CurrentTimestamp();
    // A read made through another group (any live item handle passes its
    // check) must not swallow a change that this item's own group has not
    // reported yet.
    StoreRead(read.get(), quality, timestamp, &reader != &group_);
    changeCountKnown_ = known;
    changeCount_ = count;
    VariantClear(&value);
    value = read.release();
    ConvertToRequested(value);
}

void TGroupItemImpl::ConvertToRequested(VARIANT& value) const
{
    if (RequestedType == VT_EMPTY || RequestedType == serverItem_->CanonicalType()) return;
    RaiseIfFailed(VariantChangeType(&value, &value, 0, RequestedType));
}

bool TGroupItemImpl::NeedsUpdate()
{
    if (!Active) return false;
    {
        TCacheLock lock(*this);
        if (updatePending_) {
            updatePending_ = false;
            return true;
        }
    }
    // A pushed item's changes arrive through ValuePushed.
    if (serverItem_->Subscribed()) return false;

    uint64_t count = 0;
    const bool known = ReadChangeCount(count);
    if (known && changeCountKnown_ && count == changeCount_) return false;
    UniqueVariant value;
    WORD quality = 0;
    ReadServerItem(*serverItem_, value, quality);
    const bool changed = UpdateIfChanged(value.get(), quality);
    changeCountKnown_ = known;
    changeCount_ = count;
    return changed;
}

bool TGroupItemImpl::UpdateIfChanged(const VARIANT& value, WORD quality)
{
    TOpcItemServer& server = group_.ItemServer();
    bool changed = false;
    {
        TCacheLock lock(*this);
        const TValueChange change =
            quality != quality_ ? TValueChange::Changed
                                : CompareForChange(*serverItem_, group_.PercentDeadband, value_.get(), value);
        if (change == TValueChange::Same) return false;
        const FILETIME now = server.CurrentTimestamp();
        if (change == TValueChange::Changed) {
            value_ = UniqueVariant::CopyOf(value);
            quality_ = quality;
            changed = true;
        }
        timestamp_ = now;
    }
    if (changed) server.ItemValueChanged(*this);
    return changed;
}

void TGroupItemImpl::ValuePushed(const VARIANT& value, WORD quality) noexcept
{
    try {
        if (UpdateIfChanged(value, quality)) {
            TCacheLock lock(*this);
            updatePending_ = true;
        }
    } catch (...) {
        // The pushing thread has no one to tell; the next push tries again.
    }
}

double TGroupItemImpl::LastUpdateTime() const
{
    TCacheLock lock(*this);
    return FileTimeToDateTime(timestamp_);
}

UniqueVariant TGroupItemImpl::GetValue() const
{
    TCacheLock lock(*this);
    return UniqueVariant::CopyOf(value_.get());
}
