#include "client/ServerConnection.h"
#include "ComOwners.h"
#include "WireProtocol.h"

namespace wire {

ServerConnection::ServerConnection(const CLSID& clsid) {
    result_ = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&server_));
    // The server holds this mutex before it registers its class, so it exists now.
    if (SUCCEEDED(result_))
        life_ = OpenMutexW(SYNCHRONIZE, FALSE, (kLifeMutexPrefix + GuidText(clsid)).c_str());
}

ServerConnection::~ServerConnection() {
    if (life_) CloseHandle(life_);
}

DWORD ServerConnection::ReleaseAndWaitForExit(DWORD timeoutMs) {
    server_.Reset();
    if (!life_) return WAIT_FAILED;
    const DWORD result = WaitForSingleObject(life_, timeoutMs);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(life_);
    return result;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

}  // namespace wire
