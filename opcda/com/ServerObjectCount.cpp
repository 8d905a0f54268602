#include "com/ServerObjectCount.h"

#include <atomic>
#include <mutex>

namespace {

std::atomic<long> Count{0};
std::mutex NotifierLock;
std::function<void()> Notifier;

}  // namespace

void ServerObjectCount::Increment() noexcept
{
    Count.fetch_add(1);
}

void ServerObjectCount::Decrement() noexcept
{
    if (Count.fetch_sub(1) != 1) return;
    std::function<void()> notify;
    {
        std::lock_guard lock(NotifierLock);
        notify = Notifier;
    }
    if (!notify) return;
    try {
        notify();
    } catch (...) {
        // Called from object destruction: a failing notifier cannot be reported.
    }
}

long ServerObjectCount::Value() noexcept
{
    return Count.load();
}

void ServerObjectCount::SetZeroNotifier(std::function<void()> notifier)
{
    std::lock_guard lock(NotifierLock);
    Notifier = std::move(notifier);
}
