// A client's connection to a test server process, started through COM
// activation.
#pragma once
#include "opcda.h"
#include <windows.h>
#include <wrl/client.h>

#include "com/UniqueHandle.h"

namespace wire {

class ServerConnection {
public:
    explicit ServerConnection(const CLSID& clsid);  // CoCreateInstance(CLSCTX_LOCAL_SERVER)
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    HRESULT result() const { return result_; }
    IOPCServer* server() const { return server_.Get(); }

    // Drops this connection's server reference (the caller has released
    // everything else it got from the server) and waits for the server
    // process to end: WAIT_OBJECT_0 after a clean exit, WAIT_ABANDONED after
    // a crash, WAIT_TIMEOUT while it still runs.
    DWORD ReleaseAndWaitForExit(DWORD timeoutMs);

private:
    HRESULT result_;
    Microsoft::WRL::ComPtr<IOPCServer> server_;
    TUniqueHandle life_;
};

}  // namespace wire
