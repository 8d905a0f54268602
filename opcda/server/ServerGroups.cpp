// The server object's groups: IOPCServer's group methods, the client record's
// view of them, and what becomes of them when the server object goes.
#include <olectl.h>

#include "com/ComBoundary.h"
#include "com/ListEnumerator.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "group/GroupImpl.h"
#include "host/ClientList.h"
#include "host/ServerWindow.h"
#include "server/ServerImpl.h"

namespace {

// The machine's time-zone bias in minutes, for a group whose client gives none.
LONG MachineTimeBias()
{
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    return zone.Bias;
}

// Private groups only: every private or all-connections scope lists them all,
// the public scopes none.
bool ScopeListsPrivateGroups(OPCENUMSCOPE scope)
{
    return scope == OPC_ENUM_PRIVATE_CONNECTIONS || scope == OPC_ENUM_ALL_CONNECTIONS ||
           scope == OPC_ENUM_PRIVATE || scope == OPC_ENUM_ALL;
}

}  // namespace

// ---- IOPCServer ----

STDMETHODIMP TServerImpl::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                                   LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                                   DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(phServerGroup, pRevisedUpdateRate, ppUnk);
    RETURN_HR_IF_NULL(E_POINTER, ppUnk);
    const HRESULT hr = ComBoundary([&]() -> HRESULT {
        TGroupParams params;
        params.Name = szName ? szName : L"";
        params.Active = bActive != FALSE;
        params.RequestedRate = dwRequestedUpdateRate;
        params.ClientHandle = hClientGroup;
        params.TimeBias = pTimeBias ? *pTimeBias : MachineTimeBias();
        params.PercentDeadband = pPercentDeadband ? *pPercentDeadband : 0.0f;
        params.LocaleId = dwLCID;
        ComPtr<TGroupImpl> group = TGroupImpl::Create(*this, params);
        if (FAILED(group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk)))) {
            group->Abandon();  // goes with the reference released below
            RaiseOpcError(E_NOINTERFACE);
        }
        if (phServerGroup) *phServerGroup = group->ServerHandle();
        if (pRevisedUpdateRate) *pRevisedUpdateRate = group->UpdateRate;
        return group->UpdateRate == dwRequestedUpdateRate ? S_OK : OPC_S_UNSUPPORTEDRATE;
    });
    if (FAILED(hr)) ClearOutputs(phServerGroup, pRevisedUpdateRate);
    return hr;
}

STDMETHODIMP TServerImpl::GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(ppUnk);
    RETURN_HR_IF_NULL(E_POINTER, ppUnk);
    return ComBoundary([&] {
        TGroupImpl* group = szName ? groups_.FindByName(szName) : nullptr;
        if (group == nullptr) RaiseOpcError(E_INVALIDARG);
        if (FAILED(group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk)))) RaiseOpcError(E_NOINTERFACE);
    });
}

STDMETHODIMP TServerImpl::RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) noexcept
{
    return ComBoundary([&] {
        TGroupImpl* group = groups_.FindByHandle(hServerGroup);
        if (group == nullptr) RaiseOpcError(E_INVALIDARG);
        groups_.Remove(*group);  // its name is free at once
        return group->RemoveFromServer(bForce != FALSE);
    });
}

STDMETHODIMP TServerImpl::CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(ppUnk);
    RETURN_HR_IF_NULL(E_POINTER, ppUnk);
    return ComBoundary([&] {
        const bool listed = ScopeListsPrivateGroups(dwScope);
        const size_t count = listed ? groups_.Count() : 0;
        if (riid == __uuidof(IEnumUnknown)) {
            std::vector<ComPtr<IUnknown>> groups;
            for (size_t i = 0; i < count; ++i) {
                ComPtr<IUnknown> unknown;
                RaiseIfFailed(groups_.GroupAt(i)->QueryInterface(IID_PPV_ARGS(&unknown)));
                groups.push_back(std::move(unknown));
            }
            *ppUnk = MakeComObject<TUnkEnumerator>(std::move(groups)).Detach();
        } else if (riid == __uuidof(IEnumString)) {
            std::vector<std::wstring> names;
            for (size_t i = 0; i < count; ++i) names.push_back(groups_.GroupAt(i)->Name);
            *ppUnk = MakeComObject<TStringsEnumerator>(std::move(names)).Detach();
        } else {
            RaiseOpcError(E_NOINTERFACE);
        }
        return count == 0 ? S_FALSE : S_OK;
    });
}

// ---- TClientInfo ----

size_t TServerImpl::GroupCount() const
{
    return groups_.Count();
}

TGroupInfo* TServerImpl::GroupAt(size_t index) const
{
    return groups_.GroupAt(index);
}

void TServerImpl::Disconnect()
{
    AddRef();  // cutting off the clients may release the last reference
    DropSink();
    while (TGroupImpl* group = groups_.TakeFirst()) FreeGroup(*group);
    CoDisconnectObject(Identity(), 0);
    Release();
}

// ---- The end ----

void TServerImpl::FreeGroup(TGroupImpl& group) noexcept
{
    TGroupImpl::TGroupHold hold(group);
    group.CutOffClients();
    group.RemoveFromServer(true);
}

void TServerImpl::FinalRelease() noexcept
{
    if (releasedByClients_) return;  // a hold taken and given back while ending
    releasedByClients_ = true;
    StopWatch();
    if (joinedClientList_) itemServer_.ClientList().Remove(*this);
    if (ServerState == OPC_STATUS_RUNNING) SendNotify(itemServer_, TNotifyCode::ClientDisconnected, *this);
    try {
        DropSink();
    } catch (...) {
        // Dropping only revokes the sink; nothing a client could see fails here.
    }
    while (TGroupImpl* group = groups_.TakeFirst()) FreeGroup(*group);
    if (liveGroups_ == 0) {
        delete this;
        return;
    }
    deleteWithLastGroup_ = true;
}

void TServerImpl::GroupDestroyed() noexcept
{
    --liveGroups_;
    if (liveGroups_ == 0 && deleteWithLastGroup_) delete this;
}
