#include "client/SinkClient.h"
#include "client/ClientCalls.h"
#include "DataCallbackRecorder.h"
#include "client/ServerConnection.h"
#include "client/WireEnvironment.h"
#include "MessagePump.h"
#include "registration/ServerRegistration.h"
#include "WireProtocol.h"
#include <ocidl.h>

namespace wire {

int RunSinkClient(const CLSID& clsid, const std::wstring& readyEvent) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const TUniqueEvent ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str()));
    ServerConnection connection(clsid);
    if (!ready || FAILED(connection.result())) return 3;

    auto group = AddGroup(connection.server(), L"doomed", true, 50, 1);
    ComPtr<IOPCItemMgt> items;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    auto sink = MakeComObject<TDataCallbackRecorder>();
    DWORD cookie = 0;
    if (!group || FAILED(group.As(&items)) || AddTestItems(items.Get()).empty() || FAILED(group.As(&container)) ||
        FAILED(container->FindConnectionPoint(IID_IOPCDataCallback, &point)) ||
        FAILED(point->Advise(sink.Get(), &cookie)))
        return 4;
    if (!PumpUntil([&] { return !sink->records.empty(); }, 15000)) return 5;
    SetEvent(ready.get());
    PumpUntil([] { return false; }, INFINITE);
    return 0;
}

TUniqueHandle StartSinkClient(const CLSID& clsid)
{
    const std::wstring eventName = L"Local\\QuillmereWireSinkReady-" + GuidToString(clsid);
    const TUniqueEvent ready(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    if (!ready) return {};
    std::wstring line = L"\"" + ExePath() + L"\" " + kSinkClientSwitch + L" " + GuidToString(clsid) + L" " + eventName;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    TUniqueProcessInformation pi;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi.put())) return {};
    TUniqueHandle process = pi.release_process();
    HANDLE readyOrGone[] = {ready.get(), process.get()};
    if (WaitForMultipleObjects(2, readyOrGone, FALSE, 20000) == WAIT_OBJECT_0) return process;
    TerminateProcess(process.get(), 1);
    return {};
}

}  // namespace wire
