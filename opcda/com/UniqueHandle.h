// Owners of kernel handles and their kin: one template, told by a traits type
// which value means "none" and how a held handle is closed. Each owner closes
// what it holds unless release() handed it on, so an early return or an
// exception leaks nothing, and no caller writes CloseHandle itself.
#pragma once
#include <windows.h>

#include <utility>

// Owns one handle of TTraits::THandle. TTraits supplies Invalid() (the value
// an empty owner holds) and Close(handle) (called only for a value other than
// Invalid()). Move-only.
template <typename TTraits>
class TUniqueAny {
public:
    using THandle = typename TTraits::THandle;

    TUniqueAny() noexcept = default;
    explicit TUniqueAny(THandle handle) noexcept : handle_(handle) {}
    TUniqueAny(TUniqueAny&& other) noexcept : handle_(other.release()) {}
    TUniqueAny& operator=(TUniqueAny&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    TUniqueAny(const TUniqueAny&) = delete;
    TUniqueAny& operator=(const TUniqueAny&) = delete;
    ~TUniqueAny() { reset(); }

    THandle get() const noexcept { return handle_; }
    // Closes the current handle and returns the slot for an out parameter.
    THandle* put() noexcept
    {
        reset();
        return &handle_;
    }
    // Hands the handle to the caller, who closes it from now on.
    THandle release() noexcept { return std::exchange(handle_, TTraits::Invalid()); }
    void reset(THandle handle = TTraits::Invalid()) noexcept
    {
        const THandle old = std::exchange(handle_, handle);
        if (old != TTraits::Invalid()) TTraits::Close(old);
    }
    explicit operator bool() const noexcept { return handle_ != TTraits::Invalid(); }

private:
    THandle handle_ = TTraits::Invalid();
};

// Kernel objects whose failure value is null: processes, threads, events,
// mutexes, OpenProcess, CreateThread, CreateEvent.
struct TKernelHandleTraits {
    using THandle = HANDLE;
    static THandle Invalid() noexcept { return nullptr; }
    static void Close(THandle handle) noexcept { CloseHandle(handle); }
};

// Kernel objects whose failure value is INVALID_HANDLE_VALUE: CreateFile,
// CreateToolhelp32Snapshot.
struct TFileHandleTraits {
    using THandle = HANDLE;
    static THandle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(THandle handle) noexcept { CloseHandle(handle); }
};

// A FindFirstFile search.
struct TFindHandleTraits {
    using THandle = HANDLE;
    static THandle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(THandle handle) noexcept { FindClose(handle); }
};

// A DLL loaded with LoadLibrary.
struct TLibraryTraits {
    using THandle = HMODULE;
    static THandle Invalid() noexcept { return nullptr; }
    static void Close(THandle handle) noexcept { FreeLibrary(handle); }
};

using TUniqueHandle = TUniqueAny<TKernelHandleTraits>;
// An event or another object a thread waits on; named apart only to say so.
using TUniqueEvent = TUniqueAny<TKernelHandleTraits>;
using TUniqueFileHandle = TUniqueAny<TFileHandleTraits>;
using TUniqueFindHandle = TUniqueAny<TFindHandleTraits>;
using TUniqueLibrary = TUniqueAny<TLibraryTraits>;

// The process and thread handles CreateProcess fills in, closed together.
// put() is the out parameter; the handles can be taken apart when a caller
// keeps only the process.
class TUniqueProcessInformation {
public:
    TUniqueProcessInformation() noexcept = default;
    TUniqueProcessInformation(TUniqueProcessInformation&& other) noexcept
        : info_(std::exchange(other.info_, PROCESS_INFORMATION{}))
    {
    }
    TUniqueProcessInformation& operator=(TUniqueProcessInformation&& other) noexcept
    {
        if (this != &other) {
            reset();
            info_ = std::exchange(other.info_, PROCESS_INFORMATION{});
        }
        return *this;
    }
    TUniqueProcessInformation(const TUniqueProcessInformation&) = delete;
    TUniqueProcessInformation& operator=(const TUniqueProcessInformation&) = delete;
    ~TUniqueProcessInformation() { reset(); }

    const PROCESS_INFORMATION& get() const noexcept { return info_; }
    HANDLE process() const noexcept { return info_.hProcess; }
    HANDLE thread() const noexcept { return info_.hThread; }
    // Closes both handles and returns the structure for CreateProcess to fill.
    PROCESS_INFORMATION* put() noexcept
    {
        reset();
        return &info_;
    }
    // The process handle alone, for a caller that keeps it; the thread's is closed.
    TUniqueHandle release_process() noexcept
    {
        TUniqueHandle process(std::exchange(info_.hProcess, nullptr));
        reset();
        return process;
    }
    void reset() noexcept
    {
        const PROCESS_INFORMATION old = std::exchange(info_, PROCESS_INFORMATION{});
        const TUniqueHandle thread(old.hThread), process(old.hProcess);  // closed here
    }
    explicit operator bool() const noexcept { return info_.hProcess != nullptr; }

private:
    PROCESS_INFORMATION info_{};
};
