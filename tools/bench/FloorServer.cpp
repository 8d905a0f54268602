// FloorServer.exe: the benchmark's floor. A local COM server that answers
// GetStatus, AddItems and SyncIO Read/Write with canned results of the same
// shape and size as the real server's, doing no work of its own, so that
// what it costs is what COM and the proxies cost on this machine.
//
//   FloorServer /RegServer | /UnregServer | -Embedding (started by COM)
#include <windows.h>

#include <string>
#include <vector>

#include "FloorIds.h"
#include "ProcessModel.h"
#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/ComOwners.h"
#include "com/OpcElementCleanup.h"
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

class TFloorGroup final : public TComObject<IOPCItemMgt, IOPCSyncIO> {
public:
    TFloorGroup() { ObjectMade(); }
    ~TFloorGroup() override { ObjectGone(); }

    // IOPCItemMgt
    STDMETHODIMP AddItems(DWORD count, OPCITEMDEF* items, OPCITEMRESULT** results, HRESULT** errors) noexcept override
    {
        ClearOutputs(results, errors);
        RETURN_HR_IF(E_INVALIDARG, count == 0 || !items || !results || !errors);
        return ComBoundary([&] {
            TaskMemArray<OPCITEMRESULT> r(count);
            TaskMemArray<HRESULT> e(count);
            for (DWORD i = 0; i < count; ++i) {
                r[i].hServer = i + 1;
                r[i].vtCanonicalDataType = VT_BSTR;
                r[i].dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
            }
            *results = r.release();
            *errors = e.release();
        });
    }
    STDMETHODIMP ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT**, HRESULT**) noexcept override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP RemoveItems(DWORD count, OPCHANDLE*, HRESULT** errors) noexcept override
    {
        ClearOutputs(errors);
        RETURN_HR_IF_NULL(E_POINTER, errors);
        return ComBoundary([&] { *errors = TaskMemArray<HRESULT>(count).release(); });
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
};

class TFloorServerObject final : public TComObject<IOPCServer> {
public:
    TFloorServerObject() { ObjectMade(); }
    ~TFloorServerObject() override { ObjectGone(); }

    STDMETHODIMP AddGroup(LPCWSTR, BOOL, DWORD rate, OPCHANDLE, LONG*, FLOAT*, DWORD, OPCHANDLE* group, DWORD* revised,
                          REFIID riid, LPUNKNOWN* unknown) noexcept override
    {
        ClearOutputs(group, revised, unknown);
        RETURN_HR_IF(E_INVALIDARG, !group || !revised || !unknown);
        return ComBoundary([&] {
            auto made = MakeComObject<TFloorGroup>();
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
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LSTATUS rc = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
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
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
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
