#include "ServerProcess.h"
#include "ComObject.h"
#include "ComOwners.h"
#include "WireProtocol.h"
#include "server/WireServer.h"
#include <objbase.h>

namespace wire {

namespace {

// A server that no client ever reaches gives up after this long.
constexpr UINT kIdleLimitMs = 30000;
bool g_anyObjectCreated = false;

class ServerFactory final : public ComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            g_anyObjectCreated = true;
            return MakeComObject<WireServer>()->QueryInterface(riid, ppv);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) CoAddRefServerProcess();
        else if (CoReleaseServerProcess() == 0) PostQuitMessage(0);
        return S_OK;
    }
};

void CALLBACK QuitIfUnused(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!g_anyObjectCreated) PostQuitMessage(0);
}

}  // namespace

ServerLock::ServerLock() { CoAddRefServerProcess(); }
ServerLock::~ServerLock() {
    if (CoReleaseServerProcess() == 0) PostQuitMessage(0);
}

int RunServerProcess(const CLSID& clsid) {
    const std::wstring mutexName = kLifeMutexPrefix + GuidText(clsid);
    HANDLE life = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    if (!life || WaitForSingleObject(life, INFINITE) == WAIT_FAILED) return 1;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;

    DWORD cookie = 0;
    {
        auto factory = MakeComObject<ServerFactory>();
        if (FAILED(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie)) ||
            FAILED(CoResumeClassObjects()))
            return 3;
    }
    SetTimer(nullptr, 0, kIdleLimitMs, QuitIfUnused);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    CoRevokeClassObject(cookie);
    CoUninitialize();
    ReleaseMutex(life);
    CloseHandle(life);
    return 0;
}

}  // namespace wire
