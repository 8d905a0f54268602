// 32-bit handles for live objects. Server handles of groups and items, cancel
// IDs and timer IDs are 32-bit values, and an object's address does not fit in
// 32 bits on x64: the table issues a number per object, and a handle from a
// client is only ever looked up, never dereferenced. The table does not own
// the objects.
#pragma once
#include <windows.h>
#include <mutex>
#include <unordered_map>
#include <vector>

template <class T>
class THandleTable {
public:
    // A handle not in use, never 0 or 0xFFFFFFFF. Handles are issued in
    // ascending order, so a stale handle rarely meets a new object.
    DWORD Add(T* object)
    {
        std::lock_guard lock(lock_);
        for (;;) {
            const DWORD handle = next_++;
            if (handle == 0 || handle == 0xFFFFFFFF || objects_.count(handle) != 0) continue;
            objects_.emplace(handle, object);
            return handle;
        }
    }

    // The object of a live handle, null for any other value.
    T* Find(DWORD handle) const
    {
        std::lock_guard lock(lock_);
        const auto it = objects_.find(handle);
        return it != objects_.end() ? it->second : nullptr;
    }

    // Removes the handle and returns its object (null when the handle was not live).
    T* Take(DWORD handle)
    {
        std::lock_guard lock(lock_);
        const auto it = objects_.find(handle);
        if (it == objects_.end()) return nullptr;
        T* object = it->second;
        objects_.erase(it);
        return object;
    }

    bool Remove(DWORD handle) { return Take(handle) != nullptr; }

    std::vector<T*> TakeAll()
    {
        std::lock_guard lock(lock_);
        std::vector<T*> all;
        all.reserve(objects_.size());
        for (auto& entry : objects_) all.push_back(entry.second);
        objects_.clear();
        return all;
    }

    size_t Count() const
    {
        std::lock_guard lock(lock_);
        return objects_.size();
    }

private:
    mutable std::mutex lock_;
    std::unordered_map<DWORD, T*> objects_;
    DWORD next_ = 1;
};
