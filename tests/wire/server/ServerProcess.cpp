#include "server/ServerProcess.h"
#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/ServerObjectCount.h"
#include "com/UniqueHandle.h"
#include "registration/ServerRegistration.h"
#include "WireProtocol.h"
#include "server/WireServer.h"
#include <objbase.h>

namespace wire {

namespace {

// A server that no client ever reaches gives up after this long.
constexpr UINT kIdleLimitMs = 30000;
bool g_anyObjectCreated = false;

class ServerFactory final : public TComObject<IClassFactory> {
public:
    // COM holds the class object until it is revoked, so it must not keep the
    // process alive: it leaves the object count to the objects clients hold.
    ServerFactory() noexcept { ServerObjectCount::Decrement(); }
    ~ServerFactory() override { ServerObjectCount::Increment(); }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override {
        ClearOutputs(ppv);
        RETURN_HR_IF_NULL(E_POINTER, ppv);
        RETURN_HR_IF(CLASS_E_NOAGGREGATION, outer != nullptr);
        return ComBoundary([&] {
            g_anyObjectCreated = true;
            return MakeComObject<WireServer>()->QueryInterface(riid, ppv);
        });
    }
    STDMETHODIMP LockServer(BOOL lock) noexcept override {
        if (lock) ServerObjectCount::Increment();
        else ServerObjectCount::Decrement();
        return S_OK;
    }
};

void CALLBACK QuitIfUnused(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!g_anyObjectCreated) PostQuitMessage(0);
}

}  // namespace

int RunServerProcess(const CLSID& clsid) {
    const std::wstring mutexName = kLifeMutexPrefix + GuidToString(clsid);
    const TUniqueHandle life(CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    if (!life || WaitForSingleObject(life.get(), INFINITE) == WAIT_FAILED) return 1;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;

    DWORD cookie = 0;
    {
        auto factory = MakeComObject<ServerFactory>();
        if (FAILED(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie)))
            return 3;
    }
    // Every object lives in this apartment, so the last release happens here.
    ServerObjectCount::SetZeroNotifier([] { PostQuitMessage(0); });
    if (FAILED(CoResumeClassObjects())) return 3;
    SetTimer(nullptr, 0, kIdleLimitMs, QuitIfUnused);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    ServerObjectCount::SetZeroNotifier(nullptr);
    CoRevokeClassObject(cookie);
    CoUninitialize();
    ReleaseMutex(life.get());
    return 0;
}

}  // namespace wire
