#include "OpcServer.h"

#include <memory>

#include "registration/RegisterOpcServer.h"
#include "ZEV30.h"

// {1282FC28-A5E5-4AB3-A6EB-C2CF4B7F30FA}
const CLSID CLSID_ZEV30Server = {0x1282fc28, 0xa5e5, 0x4ab3, {0xa6, 0xeb, 0xc2, 0xcf, 0x4b, 0x7f, 0x30, 0xfa}};

namespace {

std::unique_ptr<TZEV30> g_server;

}  // namespace

void InitializeOpcServer()
{
    auto server = std::make_unique<TZEV30>();
    RegisterOpcServer(CLSID_ZEV30Server, ZevServerVersion, ZevServerName, ZevVendorName, *server);
    g_server = std::move(server);
}

void FinalizeOpcServer() noexcept { g_server.reset(); }

TZEV30* ZEV30() noexcept { return g_server.get(); }
