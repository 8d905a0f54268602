#include "host/ClientList.h"

#include <algorithm>

void TClientList::Add(TClientInfo& client)
{
    std::lock_guard lock(lock_);
    clients_.push_back(&client);
}

void TClientList::Remove(TClientInfo& client) noexcept
{
    std::lock_guard lock(lock_);
    const auto it = std::find(clients_.begin(), clients_.end(), &client);
    if (it != clients_.end()) clients_.erase(it);
}

size_t TClientList::Count() const
{
    std::lock_guard lock(lock_);
    return clients_.size();
}

TClientInfo* TClientList::At(size_t index) const
{
    std::lock_guard lock(lock_);
    return index < clients_.size() ? clients_[index] : nullptr;
}

std::vector<TClientInfo*> TClientList::Snapshot() const
{
    std::lock_guard lock(lock_);
    return clients_;
}
