// A group: the COM object through which a client adds items, sets the
// group's state, reads and writes, and receives data changes. It is also the
// group record (TGroupInfo) that the item server's hooks receive.
//
// Lifetime. The server object's group list holds the group without a COM
// reference: at count zero a listed group lives on. A group taken out of the
// list is marked Removed and goes with its last reference (FinalRelease).
// Code of the core that makes outgoing calls or runs tasks holds the group
// with a TGroupHold, which is no client reference. The group's server object
// outlives every group of its own (it defers its deletion), so a group may
// use its server record until it is destroyed.
//
// Threading: the main thread only (apartment model), except the caches of
// items that the item server pushes (TGroupItemImpl). The group never calls
// its client itself: it hands self-contained messages to its server object's
// delivery thread (TClientDelivery) and keeps no sink of its own.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <ocidl.h>

#include <memory>
#include <string>
#include <vector>

#include "com/ConnectionPointContainer.h"
#include "com/OpcArgs.h"
#include "com/PerItemResults.h"
#include "contract/GroupInfo.h"
#include "contract/ItemServer.h"
#include "group/DeliveryMessages.h"
#include "host/ClientDelivery.h"
#include "host/ServerWindow.h"
#include "opcda.h"

class TAsyncTask;
class TGroupItemImpl;
class TOpcItemServer;
class TServerImpl;

// What a group is created with (AddGroup, CloneGroup).
struct TGroupParams {
    std::wstring Name;  // trimmed by the group; empty gives a generated name
    bool Active = false;
    DWORD RequestedRate = 0;
    OPCHANDLE ClientHandle = 0;
    LONG TimeBias = 0;
    float PercentDeadband = 0.0f;
    LCID LocaleId = 0;
};

// IUnknown is the IDataObject entry, as the interface list starts with it.
class TGroupImpl final
    : public TConnectionPointContainer<IOPCDataCallback, IDataObject, IOPCAsyncIO, IOPCAsyncIO2, IOPCSyncIO,
                                       IOPCGroupStateMgt, IOPCItemMgt>,
      public TGroupInfo,
      private TTimerTarget {
    using TBase = TConnectionPointContainer<IOPCDataCallback, IDataObject, IOPCAsyncIO, IOPCAsyncIO2, IOPCSyncIO,
                                            IOPCGroupStateMgt, IOPCItemMgt>;

public:
    // A new group of server, entered in its group list under its name, with
    // its timer running and GroupAdded sent. Raises the first error of the
    // construction; the group is then out of the list and gone.
    static ComPtr<TGroupImpl> Create(TServerImpl& server, const TGroupParams& params);
    // The live group behind a server handle, of any client; null otherwise.
    static TGroupImpl* FromHandle(OPCHANDLE handle) noexcept;

    // Keeps a group alive across work that may let clients in (an outgoing
    // call, a task). Not a client reference: RemoveGroup does not count it.
    class TGroupHold {
    public:
        explicit TGroupHold(TGroupImpl& group) noexcept;
        ~TGroupHold();
        TGroupHold(const TGroupHold&) = delete;
        TGroupHold& operator=(const TGroupHold&) = delete;

    private:
        TGroupImpl& group_;
    };

    OPCHANDLE ServerHandle() const noexcept { return handle_; }
    TServerImpl& Owner() const noexcept { return server_; }
    TOpcItemServer& ItemServer() const noexcept { return itemServer_; }
    // References held by clients (through COM or an enumerator), not by the core.
    ULONG ClientReferences() const noexcept { return RefCount() - holds_; }

    // The server's RemoveGroup, once the group is out of the list: the group
    // goes now when no client holds it or force is set (its clients are then
    // cut off); otherwise it is marked Removed and goes with the last client
    // reference. S_OK, or OPC_S_INUSE for a group that lives on.
    HRESULT RemoveFromServer(bool force);
    // Drops the callback and advise sinks and disconnects every external
    // connection to the group (CoDisconnectObject).
    void CutOffClients() noexcept;
    // Takes the group out of its server's list and marks it Removed: it goes
    // with its last reference.
    void Abandon() noexcept;

    // The group's items, in the order they were added.
    const std::vector<std::unique_ptr<TGroupItemImpl>>& Items() const noexcept { return items_; }
    // The item behind a handle as ValidateItemHandle accepts it: in strict
    // mode one of this group's items, otherwise any live group item.
    // Raises EOpcError(OPC_E_INVALIDHANDLE).
    TGroupItemImpl& ValidateItemHandle(OPCHANDLE handle) const;
    // The handles of the active items, for a refresh.
    std::vector<OPCHANDLE> ActiveItemHandles() const;

    // Tasks: a new task enters the list of pending tasks; one that starts or
    // is freed leaves it. Cancelling takes a pending task out and marks it.
    void AddPendingTask(TAsyncTask& task);
    void ForgetTask(TAsyncTask& task) noexcept;
    bool CancelTask(DWORD identity) noexcept;
    // Posts the task to the server window, which runs it after this call.
    void QueueTask(std::unique_ptr<TAsyncTask> task);

    // Reports items to the IOPCDataCallback: read from the cache (source 1)
    // or the device (2). Items no longer alive are left out. Nothing without
    // a callback or while the group is inactive.
    void DeliverDataChange(const std::vector<OPCHANDLE>& items, DWORD source, DWORD transactionId);
    // Reports items to the DA 1.0 advise sink of a connection (0 data, 1 data
    // with time stamps; 2, the write-completion connection, sends a data
    // block to sink 0). Nothing without that sink or while inactive.
    void DeliverDataStream(const std::vector<OPCHANDLE>& items, DWORD source, DWORD transactionId, DWORD connection);
    // The data block of a DA 1.0 read: every handle validated, the group
    // need not be active; sent to the sink of its kind when set.
    void DeliverReadStream(const std::vector<OPCHANDLE>& handles, DWORD source, DWORD transactionId,
                           DWORD connection);
    // Hands a finished block to the advise sink of a connection; the message
    // owns it from here.
    void SendBlock(DWORD connection, CLIPFORMAT format, HGLOBAL block, TCallbackKind kind);
    // Completions of IOPCAsyncIO2 tasks, queued for the client's delivery thread.
    void SendReadComplete(DWORD transactionId, TItemValues values);
    void SendWriteComplete(DWORD transactionId, std::vector<OPCHANDLE> clientHandles, std::vector<HRESULT> errors);
    // A call into this group's client failed (on the delivery thread). A
    // client that has gone away is dropped as Unadvise or DUnadvise would and
    // the item server's CallbackFailed is told; other failures change nothing.
    void DeliveryFailed(const TDeliveryFailure& failure);
    // Stamps the server object's last update time.
    void NoteUpdateSent();

    // IDataObject: only the advise part; the rest answers E_NOTIMPL.
    STDMETHODIMP GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) noexcept override;
    STDMETHODIMP GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) noexcept override;
    STDMETHODIMP QueryGetData(FORMATETC* pformatetc) noexcept override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) noexcept override;
    STDMETHODIMP SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) noexcept override;
    STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) noexcept override;
    STDMETHODIMP DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                         DWORD* pdwConnection) noexcept override;
    STDMETHODIMP DUnadvise(DWORD dwConnection) noexcept override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept override;

    // IOPCAsyncIO
    STDMETHODIMP Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                      DWORD* pTransactionID, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                       DWORD* pTransactionID, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) noexcept override;
    STDMETHODIMP Cancel(DWORD dwTransactionID) noexcept override;

    // IOPCGroupStateMgt
    STDMETHODIMP GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                          FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                          OPCHANDLE* phServerGroup) noexcept override;
    STDMETHODIMP SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive, LONG* pTimeBias,
                          FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) noexcept override;
    STDMETHODIMP SetName(LPCWSTR szName) noexcept override;
    STDMETHODIMP CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) noexcept override;

    // IOPCItemMgt
    STDMETHODIMP AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                          HRESULT** ppErrors) noexcept override;
    STDMETHODIMP ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                               OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                  HRESULT** ppErrors) noexcept override;
    STDMETHODIMP SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                              HRESULT** ppErrors) noexcept override;
    STDMETHODIMP CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) noexcept override;

    // IOPCSyncIO
    STDMETHODIMP Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                      HRESULT** ppErrors) noexcept override;
    STDMETHODIMP Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) noexcept override;

    // IOPCAsyncIO2
    STDMETHODIMP Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                      HRESULT** ppErrors) noexcept override;
    STDMETHODIMP Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                       DWORD* pdwCancelID, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) noexcept override;
    STDMETHODIMP Cancel2(DWORD dwCancelID) noexcept override;
    STDMETHODIMP SetEnable(BOOL bEnable) noexcept override;
    STDMETHODIMP GetEnable(BOOL* pbEnable) noexcept override;

    // TGroupInfo
    size_t ItemCount() const override { return items_.size(); }
    TGroupItemInfo* ItemAt(size_t index) const override;
    bool HasDataCallback() const override { return callbackSink_ != nullptr; }
    bool HasAdviseSink(int index) const override;

private:
    TGroupImpl(TServerImpl& server, TOpcItemServer& itemServer);
    ~TGroupImpl() override;
    // The construction steps after the object exists.
    void Construct(const TGroupParams& params);

    void FinalRelease() noexcept override;
    // The callback lives on the client's delivery thread, not here.
    bool HoldsSink() const noexcept override { return false; }
    void SinkAdvised(IOPCDataCallback* sink) override;
    void SinkChanged() override;
    // No call starts on any sink of the group from now on.
    void RevokeSinks() noexcept;
    void TimerTick() override;

    void CheckNotRemoved() const;
    void CheckCallback() const;
    // A DA 1.0 connection 0..2 with its advise sink set; else CONNECT_E_NOCONNECTION.
    void CheckConnection(DWORD connection) const;
    // Validates every handle; when one fails, all results go to *ppErrors
    // and the answer is true.
    bool PreValidateHandles(DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors) const;
    // Queues a DA 1.0 refresh of the active items; E_FAIL when inactive or none.
    HRESULT QueueRefresh1(DWORD connection, DWORD source, DWORD* transactionId);
    void DropAdviseSinks() noexcept;
    TClientDelivery& Delivery() const noexcept;
    void SetUpdateRate(DWORD requested);
    void SetPercentDeadband(float deadband);
    void SetGroupActive(bool active);
    void StopTimer() noexcept;
    void ScanGroup();
    // Queues a Refresh2 of the active items; E_FAIL when inactive or none.
    HRESULT QueueRefresh(DWORD source, DWORD transactionId, DWORD* cancelId);

    // ApplyToItems: action(item, index) for every handle, errors per item.
    template <class Action>
    HRESULT ApplyToItems(DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors, Action action);
    HRESULT AddOrValidateItems(DWORD count, const OPCITEMDEF* definitions, OPCITEMRESULT** ppResults,
                               HRESULT** ppErrors, bool add);
    void AddItem(const OPCITEMDEF& definition, OPCITEMRESULT& result);
    void ValidateItem(const OPCITEMDEF& definition, OPCITEMRESULT& result);

    TServerImpl& server_;
    TOpcItemServer& itemServer_;
    OPCHANDLE handle_ = 0;
    LONG timeBias_ = 0;
    std::vector<std::unique_ptr<TGroupItemImpl>> items_;
    std::vector<TAsyncTask*> pendingTasks_;  // not owned: the queued messages own their tasks
    DWORD timerHandle_ = 0;
    bool timerRunning_ = false;
    bool groupAddedSent_ = false;
    ULONG holds_ = 0;        // TGroupHolds alive
    TSinkRef callbackSink_;     // IOPCDataCallback, on the client's delivery thread
    TSinkRef adviseSinks_[3];   // DA 1.0 sinks by stream format, likewise
};

// Whether a failed call into a client says that the client has gone away
// (its process ended, or it disconnected the object).
bool IsClientGone(HRESULT hr) noexcept;

template <class Action>
HRESULT TGroupImpl::ApplyToItems(DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors, Action action)
{
    CheckArrayArgs(count, handles);
    return PerItemErrors(count, ppErrors, [&](size_t i) {
        // Each handle is looked up afresh: an earlier action may have removed items.
        return ComBoundary([&] { action(ValidateItemHandle(handles[i]), i); });
    });
}
