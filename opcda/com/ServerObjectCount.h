// The number of live COM objects of the process. A process that COM started
// ends when it returns to zero: the notifier is told so and decides.
#pragma once
#include <functional>

class ServerObjectCount {
public:
    static void Increment() noexcept;
    // Calls the notifier, on the decrementing thread, when the count reaches 0.
    static void Decrement() noexcept;
    static long Value() noexcept;
    // Replaces the notifier; an empty function removes it.
    static void SetZeroNotifier(std::function<void()> notifier);
};
