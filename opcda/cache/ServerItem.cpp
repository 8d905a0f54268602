#include "cache/ServerItem.h"

#include <mutex>

#include "contract/GroupItemInfo.h"
#include "contract/ItemServer.h"
#include "cache/ServerItemList.h"

TServerItem::TServerItem(TServerItemList& owner, std::wstring itemId, TGroupItemInfo& firstUser)
    : TServerItemRef(owner.Server(), std::move(itemId)), owner_(owner), groupItems_{&firstUser}
{
    subscribed_ = Server().SubscribeItem(Handle(), [this](const VARIANT& value, WORD quality) {
        ChangeCallback(value, quality);
    });
}

TServerItem::~TServerItem()
{
    if (!subscribed_) return;
    try {
        Server().UnsubscribeItem(Handle());
    } catch (...) {
        // A destructor cannot report it.
    }
}

void TServerItem::Release() noexcept
{
    owner_.ReleaseHold(*this);
}

size_t TServerItem::GroupItemCount() const
{
    std::lock_guard lock(owner_.GroupItemLock());
    return groupItems_.size();
}

std::vector<TGroupItemInfo*> TServerItem::GroupItems() const
{
    std::lock_guard lock(owner_.GroupItemLock());
    return groupItems_;
}

void TServerItem::ChangeCallback(const VARIANT& value, WORD quality) noexcept
{
    std::lock_guard lock(owner_.GroupItemLock());
    for (TGroupItemInfo* item : groupItems_) item->ValuePushed(value, quality);
}
