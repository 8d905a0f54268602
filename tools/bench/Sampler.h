// A sampling profiler for another process's busiest thread: about once a
// millisecond it suspends the thread, copies its registers and the top of its
// stack, and resumes it; the copy is then unwound with the modules' own x64
// unwind tables. The report names functions from the modules' COFF symbols:
// "self" where the thread was, "inclusive" every function on its call stack.
#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CoffSymbols.h"
#include "com/UniqueHandle.h"

class TSampler {
public:
    explicit TSampler(DWORD processId);
    ~TSampler();
    TSampler(const TSampler&) = delete;
    TSampler& operator=(const TSampler&) = delete;

    void Start();
    void Stop();
    // The top functions by self and by inclusive samples, and the modules.
    std::string Report(size_t top) const;

private:
    struct TModule {
        std::wstring Name, Path;
        ULONG_PTR Base = 0;
        DWORD Size = 0;
        mutable std::vector<BYTE> Image;  // as mapped, read when first needed
    };
    struct TSample {
        std::vector<ULONG_PTR> Frames;  // where the thread was, then the return addresses
    };

    void LoadModules();
    const TModule* ModuleOf(ULONG_PTR address) const;
    const TModule* Mapped(ULONG_PTR address) const;  // with its image read
    std::vector<ULONG_PTR> Unwind(const CONTEXT& context, const BYTE* stack, size_t bytes) const;
    std::string Name(ULONG_PTR address) const;
    void Run();

    DWORD processId_;
    TUniqueHandle process_;
    TUniqueHandle thread_;
    std::vector<TModule> modules_;
    std::vector<TSample> samples_;
    std::atomic<bool> running_{false};
    std::thread worker_;
    mutable std::map<std::wstring, std::unique_ptr<TCoffSymbols>> symbols_;
};
