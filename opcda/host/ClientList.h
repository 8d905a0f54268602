// The live clients (server objects) of the process. Its lock is re-entrant and
// also guards the address-space tree and every client's browse position.
#pragma once
#include <mutex>
#include <vector>

#include "com/CriticalSection.h"

class TClientInfo;

class TClientList {
public:
    // Hold it for any walk over the list, and for any work on the
    // address-space tree or a browse position.
    TCriticalSection& Lock() noexcept { return lock_; }

    void Add(TClientInfo& client);
    // Does nothing for a client not in the list.
    void Remove(TClientInfo& client) noexcept;
    size_t Count() const;
    // The client at index, null past the end. Call with the lock held when the
    // index comes from an earlier Count().
    TClientInfo* At(size_t index) const;
    // A copy of the list, taken under the lock.
    std::vector<TClientInfo*> Snapshot() const;

private:
    mutable TCriticalSection lock_;
    std::vector<TClientInfo*> clients_;
};
