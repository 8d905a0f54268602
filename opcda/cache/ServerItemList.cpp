#include "cache/ServerItemList.h"

#include <algorithm>
#include <memory>
#include <mutex>

TServerItemList::TServerItemList(TOpcItemServer& server) : server_(server) {}

TServerItemList::~TServerItemList()
{
    Clear();
}

TServerItem* TServerItemList::Acquire(TGroupItemInfo& groupItem, const std::wstring& itemId)
{
    std::lock_guard mapLock(mapLock_);
    const auto it = map_.find(itemId);
    if (it == map_.end()) {
        auto item = std::make_unique<TServerItem>(*this, itemId, groupItem);
        map_.emplace(itemId, item.get());
        item->users_ = 1;
        return item.release();
    }
    TServerItem* item = it->second;
    {
        std::lock_guard groupLock(groupItemLock_);
        item->groupItems_.push_back(&groupItem);
    }
    ++item->users_;
    return item;
}

void TServerItemList::Release(TServerItem& item, TGroupItemInfo& groupItem) noexcept
{
    {
        std::lock_guard groupLock(groupItemLock_);
        auto& users = item.groupItems_;
        const auto it = std::find(users.begin(), users.end(), &groupItem);
        if (it == users.end()) return;
        users.erase(it);
    }
    ReleaseHold(item);
}

TServerItemRefPtr TServerItemList::Lookup(const std::wstring& itemId)
{
    std::lock_guard mapLock(mapLock_);
    const auto it = map_.find(itemId);
    if (it != map_.end()) {
        ++it->second->users_;
        return TServerItemRefPtr(it->second);
    }
    return TServerItemRefPtr(new TServerItemRef(server_, itemId));
}

void TServerItemList::ReleaseHold(TServerItem& item) noexcept
{
    {
        std::lock_guard mapLock(mapLock_);
        if (--item.users_ > 0) return;
        const auto it = map_.find(item.ItemId());
        if (it != map_.end() && it->second == &item) map_.erase(it);
    }
    // The item server is called outside the lock.
    delete &item;
}

void TServerItemList::Clear() noexcept
{
    decltype(map_) items;
    {
        std::lock_guard mapLock(mapLock_);
        items.swap(map_);
    }
    for (auto& entry : items) delete entry.second;
}

size_t TServerItemList::Count() const
{
    std::lock_guard mapLock(mapLock_);
    return map_.size();
}

TServerItem* TServerItemList::Find(const std::wstring& itemId) const
{
    std::lock_guard mapLock(mapLock_);
    const auto it = map_.find(itemId);
    return it != map_.end() ? it->second : nullptr;
}
