#include "Sampler.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

ULONGLONG ThreadCpu(HANDLE thread)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return ticks(kernel) + ticks(user);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TSampler::TSampler(DWORD processId)
    : processId_(processId), process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId))
{
    // The busiest thread is the one that runs the window, COM and the timers.
    const TUniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    ULONGLONG busiest = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        TUniqueHandle thread(OpenThread(THREAD_QUERY_INFORMATION | THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE,
                                        entry.th32ThreadID));
        if (!thread) continue;
        const ULONGLONG cpu = ThreadCpu(thread.get());
        if (!thread_ || cpu > busiest) {
            thread_ = std::move(thread);
            busiest = cpu;
        }
    }
    LoadModules();
}

TSampler::~TSampler() { Stop(); }

void TSampler::LoadModules()
{
    HMODULE handles[512];
    DWORD bytes = 0;
    if (!process_ || !EnumProcessModules(process_.get(), handles, sizeof handles, &bytes)) return;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        TModule module;
        MODULEINFO info{};
        wchar_t path[MAX_PATH] = {};
        if (!GetModuleInformation(process_.get(), handles[i], &info, sizeof info)) continue;
        // Another process's module: ModuleFilePath answers for this process only.
        GetModuleFileNameExW(process_.get(), handles[i], path, MAX_PATH);
        module.Path = path;
        module.Name = module.Path.substr(module.Path.find_last_of(L"\\/") + 1);
        module.Base = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
        module.Size = info.SizeOfImage;
        modules_.push_back(std::move(module));
    }
}

void TSampler::Start()
{
    if (!thread_ || running_) return;
    running_ = true;
    worker_ = std::thread([this] { Run(); });
}

void TSampler::Stop()
{
    running_ = false;
    if (worker_.joinable()) worker_.join();
}

void TSampler::Run()
{
    constexpr size_t kStackBytes = 64 * 1024;
    std::vector<BYTE> stack(kStackBytes);
    while (running_) {
        if (SuspendThread(thread_.get()) == static_cast<DWORD>(-1)) break;
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
        SIZE_T read = 0;
        const bool got = GetThreadContext(thread_.get(), &context);
        // The copy stops where the stack's mapping ends.
        for (size_t want = kStackBytes; got && read == 0 && want >= 4096; want /= 2)
            ReadProcessMemory(process_.get(), reinterpret_cast<void*>(context.Rsp), stack.data(), want, &read);
        ResumeThread(thread_.get());
        if (got && context.Rip) samples_.push_back({Unwind(context, stack.data(), read)});
        Sleep(1);
    }
}

const TSampler::TModule* TSampler::ModuleOf(ULONG_PTR address) const
{
    for (const auto& m : modules_)
        if (address >= m.Base && address < m.Base + m.Size) return &m;
    return nullptr;
}

const TSampler::TModule* TSampler::Mapped(ULONG_PTR address) const
{
    const TModule* module = ModuleOf(address);
    if (module && module->Image.empty()) {
        module->Image.assign(module->Size, 0);
        for (DWORD page = 0; page < module->Size; page += 4096) {
            SIZE_T read = 0;
            ReadProcessMemory(process_.get(), reinterpret_cast<void*>(module->Base + page), module->Image.data() + page,
                              std::min<DWORD>(4096, module->Size - page), &read);
        }
    }
    return module;
}

std::vector<ULONG_PTR> TSampler::Unwind(const CONTEXT& remote, const BYTE* stack, size_t bytes) const
{
    std::vector<ULONG_PTR> frames{remote.Rip};
    if (bytes < 64) return frames;
    // The unwinder reads the stack through the registers: point them at the copy.
    const ULONG_PTR remoteTop = remote.Rsp, localTop = reinterpret_cast<ULONG_PTR>(stack);
    auto local = [&](DWORD64& reg) {
        if (reg >= remoteTop && reg < remoteTop + bytes) reg = reg - remoteTop + localTop;
    };
    auto inCopy = [&](DWORD64 rsp) { return rsp >= localTop && rsp + 256 <= localTop + bytes; };
    CONTEXT context = remote;
    context.Rsp = localTop;
    for (DWORD64* reg : {&context.Rbp, &context.Rbx, &context.Rsi, &context.Rdi, &context.R12, &context.R13,
                         &context.R14, &context.R15})
        local(*reg);
    ULONG_PTR pc = remote.Rip;
    for (int depth = 0; depth < 96; ++depth) {
        const TModule* module = Mapped(pc);
        if (!module || !inCopy(context.Rsp)) break;
        const BYTE* image = module->Image.data();
        const DWORD rva = static_cast<DWORD>(pc - module->Base);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
        const auto* first = reinterpret_cast<const RUNTIME_FUNCTION*>(image + table.VirtualAddress);
        const auto* last = first + table.Size / sizeof(RUNTIME_FUNCTION);
        const auto* function = std::upper_bound(first, last, rva, [](DWORD value, const RUNTIME_FUNCTION& f) {
            return value < f.BeginAddress;
        });
        if (function != first && rva < (function - 1)->EndAddress) {
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            context.Rip = reinterpret_cast<DWORD64>(image + rva);
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, reinterpret_cast<DWORD64>(image), context.Rip,
                             const_cast<RUNTIME_FUNCTION*>(function - 1), &context, &handlerData, &establisher,
                             nullptr);
        } else {  // a leaf function: the return address is on top
            context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
            context.Rsp += 8;
        }
        pc = context.Rip;
        if (!pc || !inCopy(context.Rsp)) break;
        frames.push_back(pc);
    }
    return frames;
}

std::string TSampler::Name(ULONG_PTR address) const
{
    const TModule* module = ModuleOf(address);
    if (!module) return "?";
    auto& symbols = symbols_[module->Path];
    if (!symbols) {
        symbols = std::make_unique<TCoffSymbols>(module->Path);
        // Wine's own DLLs stand in system32 as placeholders without symbols;
        // the loaded files are in its library folder.
        if (symbols->Empty())
            symbols = std::make_unique<TCoffSymbols>(L"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\" +
                                                     module->Name);
    }
    const std::string name = symbols->NameAt(static_cast<DWORD>(address - module->Base));
    return Narrow(module->Name) + "!" + (name.empty() ? "?" : name);
}

std::string TSampler::Report(size_t top) const
{
    std::map<std::string, size_t> self, inclusive, modules;
    for (const auto& sample : samples_) {
        const std::string where = Name(sample.Frames[0]);
        ++self[where];
        const TModule* module = ModuleOf(sample.Frames[0]);
        ++modules[module ? Narrow(module->Name) : "?"];
        std::set<std::string> onStack;
        // A return address may be the first byte after its function: name the call.
        for (size_t i = 0; i < sample.Frames.size(); ++i) onStack.insert(Name(sample.Frames[i] - (i ? 1 : 0)));
        for (const auto& name : onStack) ++inclusive[name];
    }
    auto table = [&](const char* title, const std::map<std::string, size_t>& counts) {
        std::vector<std::pair<size_t, std::string>> sorted;
        for (const auto& [name, n] : counts) sorted.push_back({n, name});
        std::sort(sorted.rbegin(), sorted.rend());
        std::string text = std::string(title) + "\n";
        for (size_t i = 0; i < sorted.size() && i < top; ++i) {
            char line[512];
            std::snprintf(line, sizeof line, "  %5.1f%%  %s\n",
                          100.0 * static_cast<double>(sorted[i].first) / static_cast<double>(samples_.size()),
                          sorted[i].second.c_str());
            text += line;
        }
        return text;
    };
    char head[128];
    std::snprintf(head, sizeof head, "Profile of process %lu: %zu samples of its busiest thread\n",
                  static_cast<unsigned long>(processId_), samples_.size());
    return head + table("By module (where the thread was):", modules) + table("Self (where the thread was):", self) +
           table("Inclusive (on the call stack, each function once per sample):", inclusive);
}
