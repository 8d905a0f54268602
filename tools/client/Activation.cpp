#include "Activation.h"

#include <tlhelp32.h>
#include <wrl/client.h>

#include <memory>

#include "opcda.h"
#include "com/UniqueHandle.h"

using Microsoft::WRL::ComPtr;

namespace {

// Shared by the caller and the worker, so a worker that outlives the wait
// still writes into live memory.
struct TActivationJob {
    CLSID ClassId{};
    TActivation Result;
    ULONGLONG Started = 0;
};

DWORD WINAPI ActivateOnWorker(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<TActivationJob>> hold(
        static_cast<std::shared_ptr<TActivationJob>*>(parameter));
    TActivationJob& job = **hold;
    TActivation& result = job.Result;
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    {
        ComPtr<IOPCServer> server;
        result.Result = CoCreateInstance(job.ClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                                         reinterpret_cast<void**>(server.GetAddressOf()));
        if (SUCCEEDED(result.Result)) {
            OPCSERVERSTATUS* status = nullptr;
            result.Result = server->GetStatus(&status);
            result.Milliseconds = static_cast<DWORD>(GetTickCount64() - job.Started);
            if (SUCCEEDED(result.Result) && status) {
                result.StartTime = status->ftStartTime;
                if (status->szVendorInfo) result.Vendor = status->szVendorInfo;
                CoTaskMemFree(status->szVendorInfo);
            }
            CoTaskMemFree(status);
        }
    }
    CoUninitialize();
    return 0;
}

ULONGLONG Ticks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

}  // namespace

TActivation ActivateServer(const CLSID& clsid, DWORD timeoutMs)
{
    auto job = std::make_shared<TActivationJob>();
    job->ClassId = clsid;
    job->Started = GetTickCount64();
    auto* handOver = new std::shared_ptr<TActivationJob>(job);
    const TUniqueHandle worker(CreateThread(nullptr, 0, ActivateOnWorker, handOver, 0, nullptr));
    if (!worker) {
        delete handOver;
        TActivation failed;
        failed.Result = HRESULT_FROM_WIN32(GetLastError());
        return failed;
    }
    const DWORD waited = WaitForSingleObject(worker.get(), timeoutMs);
    if (waited != WAIT_OBJECT_0) {
        TActivation late;
        late.TimedOut = true;
        late.Result = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        return late;
    }
    return job->Result;
}

TAnsweringProcess FindAnsweringProcess(const std::wstring& exePath, const FILETIME& serverStart)
{
    TAnsweringProcess best;
    const std::wstring name = FileNameOf(exePath);
    const TUniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return best;
    ULONGLONG bestGap = ~0ull;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, name.c_str()) != 0) continue;
        ++best.Candidates;
        const TUniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        FILETIME created{}, exited{}, kernel{}, user{};
        if (GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) {
            // The server stamps its start while it starts up: shortly after
            // its process was created (a second of slack for clock rounding).
            const long long gap = static_cast<long long>(Ticks(serverStart)) - static_cast<long long>(Ticks(created));
            constexpr long long kSecond = 10000000;
            const ULONGLONG distance = gap < 0 ? static_cast<ULONGLONG>(-gap) : static_cast<ULONGLONG>(gap);
            if (gap > -kSecond && gap < 60 * kSecond && distance < bestGap) {
                bestGap = distance;
                best.Id = entry.th32ProcessID;
                wchar_t path[MAX_PATH] = {};
                DWORD size = MAX_PATH;
                best.Path = QueryFullProcessImageNameW(process.get(), 0, path, &size) ? path : entry.szExeFile;
            }
        }
    }
    return best;
}

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
