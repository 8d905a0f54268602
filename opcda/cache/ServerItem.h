// A cached item shared by every group item that names its ID.
#pragma once
#include <vector>

#include "cache/ServerItemRef.h"

class TGroupItemInfo;
class TServerItemList;

class TServerItem final : public TServerItemRef {
public:
    // Resolves the ID, lists firstUser as its first group item and offers the
    // item to SubscribeItem. Only the item cache creates server items.
    TServerItem(TServerItemList& owner, std::wstring itemId, TGroupItemInfo& firstUser);
    // Unsubscribes if subscribed, then the handle is given back.
    ~TServerItem() override;

    // Ends a hold taken by LookupItemRef; the item is destroyed when that was
    // its last user.
    void Release() noexcept override;

    TServerItemList& Owner() const noexcept { return owner_; }
    // True when the item server pushes changes through the change callback.
    bool Subscribed() const noexcept { return subscribed_; }
    size_t GroupItemCount() const;
    std::vector<TGroupItemInfo*> GroupItems() const;

    // The change callback given to SubscribeItem. Any thread: hands the value
    // to every group item under the owner's group-item lock.
    void ChangeCallback(const VARIANT& value, WORD quality) noexcept;

private:
    friend class TServerItemList;

    TServerItemList& owner_;
    std::vector<TGroupItemInfo*> groupItems_;  // guarded by the owner's group-item lock
    long users_ = 0;                           // group items + lookup holds; guarded by the owner's map lock
    bool subscribed_ = false;
};
