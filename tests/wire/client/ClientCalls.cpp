#include "client/ClientCalls.h"
#include "com/OpcElementCleanup.h"
#include "WireProtocol.h"

namespace wire {

Microsoft::WRL::ComPtr<IUnknown> AddGroup(IOPCServer* server, const wchar_t* name, bool active, DWORD rate,
                                          OPCHANDLE clientHandle, OPCHANDLE* serverHandle) {
    Microsoft::WRL::ComPtr<IUnknown> group;
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    const HRESULT hr = server->AddGroup(name, active, rate, clientHandle, nullptr, nullptr, 0x0409, &handle,
                                       &revised, IID_IUnknown, reinterpret_cast<LPUNKNOWN*>(group.GetAddressOf()));
    if (FAILED(hr)) group.Reset();
    if (serverHandle) *serverHandle = handle;
    return group;
}

std::vector<OPCHANDLE> AddTestItems(IOPCItemMgt* items) {
    const wchar_t* ids[] = {kItemCounter, kItemText, kItemVector, kItemNames};
    OPCITEMDEF defs[4] = {};
    for (DWORD i = 0; i < 4; ++i) {
        defs[i].szAccessPath = const_cast<LPWSTR>(L"");
        defs[i].szItemID = const_cast<LPWSTR>(ids[i]);
        defs[i].bActive = TRUE;
        defs[i].hClient = i + 1;
    }
    TaskMemArray<OPCITEMRESULT> results;
    TaskMemArray<HRESULT> errors;
    std::vector<OPCHANDLE> handles;
    if (items->AddItems(4, defs, results.put(4), errors.put(4)) != S_OK) return handles;
    for (size_t i = 0; i < results.size(); ++i) handles.push_back(results[i].hServer);
    return handles;
}

}  // namespace wire
