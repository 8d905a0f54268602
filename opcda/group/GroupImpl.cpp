// The group's life: construction and destruction, reference counting with
// the Removed rule, the state interface, the timer and the scan.
#include "group/GroupImpl.h"

#include <algorithm>
#include <cwctype>

#include "com/ComBoundary.h"
#include "com/HandleTable.h"
#include "contract/OpcError.h"
#include "group/AsyncTasks.h"
#include "group/GroupItemImpl.h"
#include "group/GroupList.h"
#include "server/ServerImpl.h"

namespace {

// Every live group of the process, by server handle.
THandleTable<TGroupImpl>& LiveGroups()
{
    static THandleTable<TGroupImpl> table;
    return table;
}

// Leading and trailing blanks and control characters go.
std::wstring TrimName(const wchar_t* name)
{
    std::wstring text = name ? name : L"";
    auto keep = [](wchar_t c) { return c > L' '; };
    const auto first = std::find_if(text.begin(), text.end(), keep);
    const auto last = std::find_if(text.rbegin(), text.rend(), keep).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

// Windows keeps a timer's period below 2^31 ms.
constexpr DWORD kLongestTimerPeriod = 0x7FFFFFFF;

}  // namespace

bool IsClientGone(HRESULT hr) noexcept
{
    switch (hr) {
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case RPC_E_CONNECTION_TERMINATED:
    case CO_E_OBJNOTCONNECTED:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
    case HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF):
    case HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE):
        return true;
    default:
        return false;
    }
}

// ---- Holds ----

TGroupImpl::TGroupHold::TGroupHold(TGroupImpl& group) noexcept : group_(group)
{
    group_.AddRef();
    ++group_.holds_;
}

TGroupImpl::TGroupHold::~TGroupHold()
{
    --group_.holds_;
    group_.Release();  // may destroy the group
}

// ---- Construction and destruction ----

TGroupImpl::TGroupImpl(TServerImpl& server, TOpcItemServer& itemServer)
    : server_(server), itemServer_(itemServer)
{
    Server = &server;
    handle_ = LiveGroups().Add(this);
    server_.GroupCreated();
}

ComPtr<TGroupImpl> TGroupImpl::Create(TServerImpl& server, const TGroupParams& params)
{
    ComPtr<TGroupImpl> group = AdoptRef(new TGroupImpl(server, server.ItemServer()));
    try {
        group->Construct(params);
    } catch (...) {
        group->Abandon();
        throw;  // the caller's reference was the last: the group goes with it
    }
    return group;
}

void TGroupImpl::Construct(const TGroupParams& params)
{
    std::wstring name = TrimName(params.Name.c_str());
    if (name.empty()) name = server_.Groups().UniqueName();
    Name = name;
    SetPercentDeadband(params.PercentDeadband);
    Enabled = true;
    server_.Groups().AddNamed(Name, *this);
    SetGroupActive(params.Active);
    ClientHandle = params.ClientHandle;
    timeBias_ = params.TimeBias;
    LocaleId = params.LocaleId;
    UpdateRate = 2147483647;
    timerHandle_ = itemServer_.ServerWindow().AddTimerTarget(*this);
    SetUpdateRate(params.RequestedRate);
    SendNotify(itemServer_, TNotifyCode::GroupAdded, *this);
    groupAddedSent_ = true;
}

void TGroupImpl::Abandon() noexcept
{
    server_.Groups().Remove(*this);
    Removed = true;
}

TGroupImpl::~TGroupImpl()
{
    RevokeSinks();
    StopTimer();
    itemServer_.ServerWindow().RemoveTimerTarget(timerHandle_);
    LiveGroups().Remove(handle_);
    if (groupAddedSent_) SendNotify(itemServer_, TNotifyCode::GroupRemoved, *this);
    // Items go in order; each announces its own removal.
    for (auto& item : items_) item.reset();
    items_.clear();
    for (TAsyncTask* task : pendingTasks_) task->Cancel();
    pendingTasks_.clear();
    server_.GroupDestroyed();  // last: the server record may go with it
}

TGroupImpl* TGroupImpl::FromHandle(OPCHANDLE handle) noexcept
{
    return LiveGroups().Find(handle);
}

void TGroupImpl::FinalRelease() noexcept
{
    // A listed group at count zero is still its server's.
    if (Removed) delete this;
}

HRESULT TGroupImpl::RemoveFromServer(bool force)
{
    TGroupHold hold(*this);
    Removed = true;
    // Whoever still holds the group, its client gets no call from it any more.
    RevokeSinks();
    if (ClientReferences() == 0) return S_OK;  // the hold was the last reference
    if (!force) return OPC_S_INUSE;
    // What the clients still hold stops working; in-process holders (an
    // enumerator) keep the object until they let go.
    CutOffClients();
    return S_OK;
}

void TGroupImpl::CutOffClients() noexcept
{
    TGroupHold hold(*this);
    RevokeSinks();
    CoDisconnectObject(Identity(), 0);
}

void TGroupImpl::RevokeSinks() noexcept
{
    try {
        DropSink();
    } catch (...) {
        // SinkChanged queues nothing without a sink; nothing here can raise.
    }
    DropAdviseSinks();
}

TClientDelivery& TGroupImpl::Delivery() const noexcept
{
    return server_.Delivery();
}

// ---- Guards and helpers ----

void TGroupImpl::CheckNotRemoved() const
{
    if (Removed) RaiseOpcError(E_FAIL);
}

void TGroupImpl::CheckCallback() const
{
    if (!callbackSink_) RaiseOpcError(CONNECT_E_NOCONNECTION);
}

TGroupItemInfo* TGroupImpl::ItemAt(size_t index) const
{
    return index < items_.size() ? items_[index].get() : nullptr;
}

bool TGroupImpl::HasAdviseSink(int index) const
{
    return index >= 0 && index < 3 && adviseSinks_[index];
}

TGroupItemImpl& TGroupImpl::ValidateItemHandle(OPCHANDLE handle) const
{
    if (itemServer_.HasOption(TServerOption::StrictItemHandles)) {
        for (const auto& item : items_)
            if (item->ServerHandle() == handle) return *item;
    } else if (TGroupItemImpl* item = TGroupItemImpl::FromHandle(handle)) {
        return *item;
    }
    RaiseOpcError(OPC_E_INVALIDHANDLE);
}

std::vector<OPCHANDLE> TGroupImpl::ActiveItemHandles() const
{
    std::vector<OPCHANDLE> handles;
    for (const auto& item : items_)
        if (item->Active) handles.push_back(item->ServerHandle());
    return handles;
}

void TGroupImpl::NoteUpdateSent()
{
    server_.LastUpdateTime = itemServer_.CurrentTimestamp();
}

// ---- State ----

void TGroupImpl::SetUpdateRate(DWORD requested)
{
    // A group must never be left without its timer, whatever it asked for before.
    if (requested == UpdateRate && timerRunning_) return;
    StopTimer();
    const DWORD granted = std::max(requested, itemServer_.ServerScanRate());
    itemServer_.ServerWindow().StartTimer(timerHandle_, std::min(granted, kLongestTimerPeriod));
    timerRunning_ = true;
    UpdateRate = granted;
}

void TGroupImpl::StopTimer() noexcept
{
    if (!timerRunning_) return;
    itemServer_.ServerWindow().StopTimer(timerHandle_);
    timerRunning_ = false;
}

void TGroupImpl::SetPercentDeadband(float deadband)
{
    if (!(deadband >= -1e-20f && deadband <= 100.0f)) RaiseOpcError(E_INVALIDARG);
    PercentDeadband = deadband;
}

void TGroupImpl::SetGroupActive(bool active)
{
    if (Active == active) return;
    Active = active;
    if (!active) return;
    // Every item, active or not, takes a fresh value and is reported at the next tick.
    for (const auto& item : items_) item->RefreshFromDevice();
}

STDMETHODIMP TGroupImpl::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                  FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                  OPCHANDLE* phServerGroup) noexcept
{
    ClearOutputs(ppName);
    RETURN_HR_IF(E_POINTER, !pUpdateRate || !pActive || !ppName || !pTimeBias || !pPercentDeadband || !pLCID ||
                                !phClientGroup || !phServerGroup);
    return ComBoundary([&] {
        CheckNotRemoved();
        *ppName = TaskWideString(std::wstring_view(Name)).release();
        *pUpdateRate = UpdateRate;
        *pActive = Active ? TRUE : FALSE;
        *pTimeBias = timeBias_;
        *pPercentDeadband = PercentDeadband;
        *pLCID = LocaleId;
        *phClientGroup = ClientHandle;
        *phServerGroup = handle_;
    });
}

STDMETHODIMP TGroupImpl::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                  LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                  OPCHANDLE* phClientGroup) noexcept
{
    return ComBoundary([&]() -> HRESULT {
        CheckNotRemoved();
        HRESULT result = S_OK;
        if (pRequestedUpdateRate) {
            SetUpdateRate(*pRequestedUpdateRate);
            if (pRevisedUpdateRate) *pRevisedUpdateRate = UpdateRate;
            if (UpdateRate != *pRequestedUpdateRate) result = OPC_S_UNSUPPORTEDRATE;
        }
        if (pActive) SetGroupActive(*pActive != FALSE);
        if (pTimeBias) timeBias_ = *pTimeBias;
        if (pPercentDeadband) SetPercentDeadband(*pPercentDeadband);
        if (pLCID) LocaleId = *pLCID;
        if (phClientGroup) ClientHandle = *phClientGroup;
        return result;
    });
}

STDMETHODIMP TGroupImpl::SetName(LPCWSTR szName) noexcept
{
    return ComBoundary([&] {
        CheckNotRemoved();
        const std::wstring name = TrimName(szName);
        if (name.empty()) RaiseOpcError(E_INVALIDARG);
        server_.Groups().Rename(*this, name);
        Name = name;
    });
}

STDMETHODIMP TGroupImpl::CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(ppUnk);
    RETURN_HR_IF_NULL(E_POINTER, ppUnk);
    return ComBoundary([&] {
        CheckNotRemoved();
        TGroupParams params;
        params.Name = szName ? szName : L"";
        params.Active = false;
        params.RequestedRate = UpdateRate;
        params.ClientHandle = ClientHandle;
        params.TimeBias = timeBias_;
        params.PercentDeadband = PercentDeadband;
        params.LocaleId = LocaleId;
        ComPtr<TGroupImpl> clone = Create(server_, params);
        try {
            ComPtr<IUnknown> answer;
            if (FAILED(clone->QueryInterface(riid, reinterpret_cast<void**>(answer.GetAddressOf()))))
                RaiseOpcError(E_NOINTERFACE);
            // Copies are not announced to the item server, now or at their removal.
            for (const auto& source : items_) {
                auto copy = std::make_unique<TGroupItemImpl>(*clone.Get(), *source);
                copy->SetActive(source->Active);
                clone->items_.push_back(std::move(copy));
            }
            *ppUnk = answer.Detach();
        } catch (...) {
            clone->Abandon();
            throw;
        }
    });
}

// ---- IOPCDataCallback connection and the scan ----

void TGroupImpl::SinkAdvised(IOPCDataCallback* sink)
{
    Delivery().Revoke(callbackSink_);
    callbackSink_.reset();
    if (sink) callbackSink_ = server_.ConnectSink(__uuidof(IOPCDataCallback), sink);
}

void TGroupImpl::SinkChanged()
{
    // A new callback gets the current values of the active items at once,
    // read from the device; an inactive or empty group has nothing to send.
    if (callbackSink_) QueueRefresh(OPC_DS_DEVICE, 0, nullptr);
}

void TGroupImpl::DeliveryFailed(const TDeliveryFailure& failure)
{
    if (!IsClientGone(failure.Error)) return;
    // Unadvise, DUnadvise or a new Advise may have come in since the call.
    if (failure.Sink && failure.Sink == callbackSink_) {
        DropSink();
    } else {
        for (TSinkRef& sink : adviseSinks_) {
            if (!sink || sink != failure.Sink) continue;
            Delivery().Revoke(sink);
            sink.reset();
        }
    }
    ItemServer().CallbackFailed(failure.Error, *this, failure.Kind);
}

void TGroupImpl::TimerTick()
{
    ScanGroup();
}

void TGroupImpl::ScanGroup()
{
    // While the client is busy, what the scan hands over merges with what
    // still waits for it, so nothing it would report is lost.
    if (!Active) return;
    std::vector<OPCHANDLE> changed;
    for (const auto& item : items_)
        if (item->NeedsUpdate()) changed.push_back(item->ServerHandle());
    if (changed.empty()) return;
    if (callbackSink_ && Enabled) DeliverDataChange(changed, OPC_DS_CACHE, 0);
    // DA 1.0 data sinks get the same items; the write-completion sink nothing.
    for (DWORD connection : {0u, 1u})
        if (adviseSinks_[connection]) DeliverDataStream(changed, OPC_DS_CACHE, 0, connection);
}
