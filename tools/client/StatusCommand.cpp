// status: the server's OPCSERVERSTATUS.
#include "Commands.h"
#include "HResultText.h"
#include "OpcConnection.h"
#include "ValueText.h"
#include "com/TaskMemory.h"

namespace {

const wchar_t* StateText(OPCSERVERSTATE state)
{
    switch (state) {
    case OPC_STATUS_RUNNING:
        return L"running";
    case OPC_STATUS_FAILED:
        return L"failed";
    case OPC_STATUS_NOCONFIG:
        return L"no configuration";
    case OPC_STATUS_SUSPENDED:
        return L"suspended";
    case OPC_STATUS_TEST:
        return L"test";
    }
    return L"unknown";
}

}  // namespace

int RunStatus(const TCommandLine& line, TReport& report)
{
    TOpcConnection connection(line.ProgId);
    OPCSERVERSTATUS* raw = nullptr;
    connection.Require(connection.Server()->GetStatus(&raw), L"GetStatus");
    TaskPtr<OPCSERVERSTATUS> status(raw);
    TaskString vendor(status->szVendorInfo);
    const std::wstring version = std::to_wstring(status->wMajorVersion) + L"." +
                                 std::to_wstring(status->wMinorVersion) + L"." + std::to_wstring(status->wBuildNumber);
    report.Properties({
        TextField(L"server", line.ProgId),
        TextField(L"state", StateText(status->dwServerState)),
        TextField(L"vendor", vendor ? vendor.get() : L""),
        TextField(L"version", version),
        TextField(L"startTime", TimeStampText(status->ftStartTime)),
        TextField(L"currentTime", TimeStampText(status->ftCurrentTime)),
        TextField(L"lastUpdateTime", TimeStampText(status->ftLastUpdateTime)),
        NumberField(L"groups", static_cast<long long>(status->dwGroupCount)),
        NumberField(L"bandwidth", static_cast<long long>(status->dwBandWidth)),
    });
    return kExitOk;
}
