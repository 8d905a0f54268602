// Companion simulator: connects to the running server like the process
// software does and writes a made-up deposition run into its items once a
// second, until it is ended.
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ProcessModel.h"
#include "opcda.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kProgId[] = L"srvZEV30.TZEV30.1";

void Say(const char* text) { std::fprintf(stderr, "SimQuillmere: %s\n", text); std::fflush(stderr); }

// Sleeps while dispatching messages, so COM calls into this apartment run.
void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

struct TConnection {
    ComPtr<IOPCServer> Server;
    ComPtr<IOPCSyncIO> SyncIO;
    std::vector<OPCHANDLE> Handles;  // one per simulated item, 0 when refused
};

bool Connect(TConnection& c)
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(kProgId, &clsid))) return false;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                                reinterpret_cast<void**>(c.Server.GetAddressOf()))))
        return false;
    ComPtr<IOPCCommon> common;
    if (SUCCEEDED(c.Server.As(&common))) common->SetClientName(L"Quillmere process simulator");

    OPCHANDLE group = 0;
    DWORD revised = 0;
    ComPtr<IOPCItemMgt> items;
    if (FAILED(c.Server->AddGroup(L"Simulator", TRUE, 1000, 1, nullptr, nullptr, 0, &group, &revised, IID_IOPCItemMgt,
                                  reinterpret_cast<IUnknown**>(items.GetAddressOf())))) {
        Say("connected; this server does not accept groups yet, so no values are written");
        return true;
    }
    const std::vector<std::wstring> ids = SimulatedItemIds();
    std::vector<OPCITEMDEF> defs(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        defs[i].szAccessPath = const_cast<LPWSTR>(L"");
        defs[i].szItemID = const_cast<LPWSTR>(ids[i].c_str());
        defs[i].bActive = TRUE;
        defs[i].hClient = static_cast<OPCHANDLE>(i + 1);
    }
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    if (SUCCEEDED(items->AddItems(static_cast<DWORD>(defs.size()), defs.data(), &results, &errors))) {
        c.Handles.resize(ids.size());
        for (size_t i = 0; i < ids.size(); ++i) c.Handles[i] = SUCCEEDED(errors[i]) ? results[i].hServer : 0;
        CoTaskMemFree(results);
        CoTaskMemFree(errors);
    }
    items.As(&c.SyncIO);
    return true;
}

void WriteValues(TConnection& c, double seconds, unsigned tick)
{
    if (!c.SyncIO || c.Handles.empty()) return;
    const std::vector<TSimulatedValue> values = SimulatedValues(seconds, tick);
    std::vector<OPCHANDLE> handles;
    std::vector<VARIANT> variants;
    for (size_t i = 0; i < values.size() && i < c.Handles.size(); ++i) {
        if (c.Handles[i] == 0) continue;
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(values[i].Text.c_str());
        handles.push_back(c.Handles[i]);
        variants.push_back(v);
    }
    HRESULT* errors = nullptr;
    if (SUCCEEDED(c.SyncIO->Write(static_cast<DWORD>(handles.size()), handles.data(), variants.data(), &errors)))
        CoTaskMemFree(errors);
    for (auto& v : variants) VariantClear(&v);
}

}  // namespace

int wmain()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    TConnection connection;
    while (!Connect(connection)) {
        Say("waiting for the server");
        PumpFor(2000);
    }
    Say("running");
    const DWORD start = GetTickCount();
    for (unsigned tick = 0;; ++tick) {
        WriteValues(connection, (GetTickCount() - start) / 1000.0, tick);
        PumpFor(1000);
    }
}
