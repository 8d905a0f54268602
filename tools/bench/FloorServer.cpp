// FloorServer.exe: the benchmark's floor. A local COM server that answers
// GetStatus, AddItems and SyncIO Read/Write with canned results of the same
// shape and size as the real server's, and sends every advised group all of
// its items with canned values at the group's rate from a thread per server
// object, doing no work of its own, so that what it costs is what COM and the
// proxies cost on this machine.
//
//   FloorServer /RegServer | /UnregServer | -Embedding (started by COM)
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FloorDelivery.h"
#include "FloorIds.h"
#include "ProcessModel.h"
#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/ComOwners.h"
#include "com/ConnectionPointContainer.h"
#include "com/ModulePath.h"
#include "com/OpcElementCleanup.h"
#include "com/RegistryKey.h"
#include "opcda.h"

namespace {

// What every answer copies from: 132 values as texts, and the server's item
// results (canonical type VT_BSTR, read/write).
struct TCannedData {
    std::vector<std::wstring> Texts;
    TCannedData()
    {
        for (const auto& v : TProcessModel().Values(L"1/2/2024 10:11:12 AM")) Texts.push_back(v.Text);
        Texts.insert(Texts.end(), TProcessModel::InputItemIds().size(), L"0");
        Texts.push_back(L"0");  // the window-command item
    }
};

const TCannedData& Canned()
{
    static const TCannedData data;
    return data;
}

DWORD g_mainThread = 0;
LONG g_objects = 0;

void ObjectMade() { InterlockedIncrement(&g_objects); }
void ObjectGone()
{
    if (InterlockedDecrement(&g_objects) == 0) PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
}

ComPtr<IGlobalInterfaceTable> GlobalInterfaceTable()
{
    ComPtr<IGlobalInterfaceTable> table;
    RaiseIfFailed(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGlobalInterfaceTable, reinterpret_cast<void**>(table.GetAddressOf())));
    return table;
}

class TFloorGroup final : public TConnectionPointContainer<IOPCDataCallback, IOPCItemMgt, IOPCSyncIO> {
public:
    TFloorGroup(std::shared_ptr<TFloorDelivery> delivery, OPCHANDLE clientGroup, DWORD rateMs, bool active)
        : delivery_(std::move(delivery)), clientGroup_(clientGroup), rateMs_(rateMs), active_(active)
    {
        ObjectMade();
    }
    ~TFloorGroup() override
    {
        StopDelivery();
        ObjectGone();
    }

    // IOPCItemMgt
    STDMETHODIMP AddItems(DWORD count, OPCITEMDEF* items, OPCITEMRESULT** results, HRESULT** errors) noexcept override
    {
        ClearOutputs(results, errors);
        RETURN_HR_IF(E_INVALIDARG, count == 0 || !items || !results || !errors);
        return ComBoundary([&] {
            TaskMemArray<OPCITEMRESULT> r(count);
            TaskMemArray<HRESULT> e(count);
            for (DWORD i = 0; i < count; ++i) {
                r[i].hServer = ++lastHandle_;
                r[i].vtCanonicalDataType = VT_BSTR;
                r[i].dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
                items_.push_back({r[i].hServer, items[i].hClient});
            }
            UpdateDelivery();
            *results = r.release();
            *errors = e.release();
        });
    }
    STDMETHODIMP ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT**, HRESULT**) noexcept override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP RemoveItems(DWORD count, OPCHANDLE* handles, HRESULT** errors) noexcept override
    {
        ClearOutputs(errors);
        RETURN_HR_IF(E_INVALIDARG, count == 0 || !handles || !errors);
        return ComBoundary([&] {
            TaskMemArray<HRESULT> e(count);
            for (DWORD i = 0; i < count; ++i)
                items_.erase(std::remove_if(items_.begin(), items_.end(),
                                            [&](const TItem& item) { return item.Server == handles[i]; }),
                             items_.end());
            UpdateDelivery();
            *errors = e.release();
        });
    }
    STDMETHODIMP SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP CreateEnumerator(REFIID, IUnknown**) noexcept override { return E_NOTIMPL; }

    // IOPCSyncIO
    STDMETHODIMP Read(OPCDATASOURCE, DWORD count, OPCHANDLE* handles, OPCITEMSTATE** values,
                      HRESULT** errors) noexcept override
    {
        ClearOutputs(values, errors);
        RETURN_HR_IF(E_INVALIDARG, count == 0 || !handles || !values || !errors);
        return ComBoundary([&] {
            const auto& texts = Canned().Texts;
            FILETIME now{};
            GetSystemTimeAsFileTime(&now);
            TaskMemArray<OPCITEMSTATE> states(count);
            TaskMemArray<HRESULT> e(count);
            for (DWORD i = 0; i < count; ++i) {
                states[i].hClient = handles[i];
                states[i].ftTimeStamp = now;
                states[i].wQuality = OPC_QUALITY_GOOD;
                V_VT(&states[i].vDataValue) = VT_BSTR;
                V_BSTR(&states[i].vDataValue) = UniqueBstr(texts[i % texts.size()]).release();
            }
            *values = states.release();
            *errors = e.release();
        });
    }
    STDMETHODIMP Write(DWORD count, OPCHANDLE* handles, VARIANT* values, HRESULT** errors) noexcept override
    {
        ClearOutputs(errors);
        RETURN_HR_IF(E_INVALIDARG, count == 0 || !handles || !values || !errors);
        return ComBoundary([&] { *errors = TaskMemArray<HRESULT>(count).release(); });
    }

protected:
    void SinkChanged() override { UpdateDelivery(); }

private:
    struct TItem {
        OPCHANDLE Server = 0, Client = 0;
    };

    // The delivery thread serves the advised sink through the global
    // interface table, as its proxy belongs to this apartment.
    void UpdateDelivery()
    {
        if (!ConnectedSink() || !active_) {
            StopDelivery();
            return;
        }
        if (cookie_ == 0)
            RaiseIfFailed(
                GlobalInterfaceTable()->RegisterInterfaceInGlobal(ConnectedSink(), IID_IOPCDataCallback, &cookie_));
        std::vector<OPCHANDLE> clients;
        for (const auto& item : items_) clients.push_back(item.Client);
        delivery_->Subscribe(cookie_, clientGroup_, rateMs_, clients);
    }

    void StopDelivery() noexcept
    {
        if (cookie_ == 0) return;
        delivery_->Unsubscribe(cookie_);
        try {
            GlobalInterfaceTable()->RevokeInterfaceFromGlobal(cookie_);
        } catch (...) {
            // A floor that cannot revoke its sink at its end leaves nothing to measure.
        }
        cookie_ = 0;
    }

    std::shared_ptr<TFloorDelivery> delivery_;
    OPCHANDLE clientGroup_;
    DWORD rateMs_;
    bool active_;
    std::vector<TItem> items_;
    OPCHANDLE lastHandle_ = 0;
    DWORD cookie_ = 0;
};

class TFloorServerObject final : public TComObject<IOPCServer> {
public:
    TFloorServerObject() { ObjectMade(); }
    ~TFloorServerObject() override { ObjectGone(); }

    STDMETHODIMP AddGroup(LPCWSTR, BOOL active, DWORD rate, OPCHANDLE clientGroup, LONG*, FLOAT*, DWORD,
                          OPCHANDLE* group, DWORD* revised, REFIID riid, LPUNKNOWN* unknown) noexcept override
    {
        ClearOutputs(group, revised, unknown);
        RETURN_HR_IF(E_INVALIDARG, !group || !revised || !unknown);
        return ComBoundary([&] {
            auto made = MakeComObject<TFloorGroup>(delivery_, clientGroup, rate, active != FALSE);
            RaiseIfFailed(made->QueryInterface(riid, reinterpret_cast<void**>(unknown)));
            *group = 1;
            *revised = rate;
        });
    }
    STDMETHODIMP GetErrorString(HRESULT, LCID, LPWSTR*) noexcept override { return E_INVALIDARG; }
    STDMETHODIMP GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetStatus(OPCSERVERSTATUS** status) noexcept override
    {
        ClearOutputs(status);
        RETURN_HR_IF_NULL(E_POINTER, status);
        return ComBoundary([&] {
            TaskPtr<OPCSERVERSTATUS> s(static_cast<OPCSERVERSTATUS*>(TaskAllocZeroed(sizeof(OPCSERVERSTATUS))));
            GetSystemTimeAsFileTime(&s->ftCurrentTime);
            s->ftStartTime = s->ftCurrentTime;
            s->dwServerState = OPC_STATUS_RUNNING;
            s->dwBandWidth = 0xFFFFFFFF;
            s->szVendorInfo = TaskWideString(L"Vornhalt Quillmere ZEV-30 Server").release();
            *status = s.release();
        });
    }
    STDMETHODIMP RemoveGroup(OPCHANDLE, BOOL) noexcept override { return S_OK; }
    STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN*) noexcept override { return E_NOTIMPL; }

private:
    // One delivery thread per server object; its groups share it and keep it
    // while a client still holds one of them.
    std::shared_ptr<TFloorDelivery> delivery_ = std::make_shared<TFloorDelivery>(Canned().Texts);
};

class TFloorFactory final : public TComObject<IClassFactory> {
public:
    TFloorFactory() : TComObject(TProcessLifetime::Independent) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override
    {
        ClearOutputs(object);
        RETURN_HR_IF(CLASS_E_NOAGGREGATION, outer != nullptr);
        return ComBoundary([&] {
            auto server = MakeComObject<TFloorServerObject>();
            RaiseIfFailed(server->QueryInterface(riid, object));
        });
    }
    STDMETHODIMP LockServer(BOOL) noexcept override { return S_OK; }
};

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetDefault(const std::wstring& path, const std::wstring& value)
{
    const TRegistryKey key = TRegistryKey::Create(HKEY_CLASSES_ROOT, path);
    return key && key.SetString(nullptr, value) == ERROR_SUCCESS;
}

int Register(bool add)
{
    const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_FloorServer);
    if (!add) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (classKey + L"\\LocalServer32").c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, classKey.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(kFloorProgId) + L"\\CLSID").c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, kFloorProgId);
        return 0;
    }
    const std::wstring exe = ModuleFilePath();
    const bool ok = SetDefault(classKey, L"Quillmere benchmark floor") &&
                    SetDefault(classKey + L"\\LocalServer32", exe) &&
                    SetDefault(kFloorProgId, L"Quillmere benchmark floor") &&
                    SetDefault(std::wstring(kFloorProgId) + L"\\CLSID", GuidText(CLSID_FloorServer));
    return ok ? 0 : 1;
}

bool HasSwitch(const wchar_t* commandLine, const wchar_t* name)
{
    std::wstring line(commandLine);
    for (auto& c : line) c = static_cast<wchar_t>(towlower(c));
    std::wstring n(name);
    return line.find(L"/" + n) != std::wstring::npos || line.find(L"-" + n) != std::wstring::npos;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int exit = 0;
    if (HasSwitch(commandLine, L"unregserver")) {
        exit = Register(false);
    } else if (HasSwitch(commandLine, L"regserver")) {
        exit = Register(true);
    } else {
        g_mainThread = GetCurrentThreadId();
        Canned();
        auto factory = MakeComObject<TFloorFactory>();
        DWORD cookie = 0;
        if (FAILED(CoRegisterClassObject(CLSID_FloorServer, factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                         &cookie))) {
            CoUninitialize();
            return 3;
        }
        MSG msg;
        // A client that never comes leaves the process to end on its own.
        SetTimer(nullptr, 0, 30000, nullptr);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER && g_objects == 0) break;
            DispatchMessageW(&msg);
        }
        CoRevokeClassObject(cookie);
    }
    CoUninitialize();
    return exit;
}
