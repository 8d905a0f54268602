#include "client/ServerConnection.h"
#include "registration/ServerRegistration.h"
#include "WireProtocol.h"

namespace wire {

ServerConnection::ServerConnection(const CLSID& clsid) {
    result_ = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&server_));
    // The server holds this mutex before it registers its class, so it exists now.
    if (SUCCEEDED(result_))
        life_.reset(OpenMutexW(SYNCHRONIZE, FALSE, (kLifeMutexPrefix + GuidToString(clsid)).c_str()));
}

DWORD ServerConnection::ReleaseAndWaitForExit(DWORD timeoutMs) {
    server_.Reset();
    if (!life_) return WAIT_FAILED;
    const DWORD result = WaitForSingleObject(life_.get(), timeoutMs);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(life_.get());
    return result;
}

}  // namespace wire
