// A re-entrant lock of the operating system, usable with std::lock_guard.
#pragma once
#include <windows.h>
#include <mutex>

class TCriticalSection {
public:
    TCriticalSection() noexcept { InitializeCriticalSection(&section_); }
    ~TCriticalSection() { DeleteCriticalSection(&section_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void lock() noexcept { EnterCriticalSection(&section_); }
    void unlock() noexcept { LeaveCriticalSection(&section_); }
    bool try_lock() noexcept { return TryEnterCriticalSection(&section_) != FALSE; }

    // For checks of the form "the caller holds this lock".
    bool HeldByCurrentThread() const noexcept
    {
        return reinterpret_cast<DWORD_PTR>(section_.OwningThread) == GetCurrentThreadId();
    }

private:
    CRITICAL_SECTION section_;
};

using TLock = std::lock_guard<TCriticalSection>;
