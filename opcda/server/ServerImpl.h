// The server object: one per client that creates the server's COM class. It
// is the client's entry point and, as a TClientInfo, the client record that
// the item server's hooks receive.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <memory>

#include "com/ConnectionPointContainer.h"
#include "contract/ClientInfo.h"
#include "group/GroupList.h"
#include "host/ClientDelivery.h"
#include "host/ServerWindow.h"
#include "opcda.h"

class TOpcItemServer;

// Its connection point takes the client's IOPCShutdown sink, which is never
// called; the delivery thread holds it (and releases it), like every sink,
// so that letting go of it never waits on the server thread.
//
// Calls into the client go out on the client's delivery thread
// (TClientDelivery); a watch timer on the server thread takes the failed
// calls and tells the item server when a call is overdue (ClientHung) and
// when it has returned (ClientResponding).
//
// Lifetime: at the last release the server object leaves the client list,
// announces the disconnection and frees its groups (cutting off what clients
// still hold of them). A group that something in the process still holds
// (an enumerator, an outgoing call in progress) lives on as removed, and the
// server object, whose record such a group still uses, stays until the last
// of its groups is gone.
class TServerImpl final
    : public TConnectionPointContainer<IOPCShutdown, IOPCServer, IOPCCommon, IOPCItemProperties,
                                       IOPCBrowseServerAddressSpace, ISupportErrorInfo>,
      public TClientInfo,
      private TTimerTarget {
    using TBase = TConnectionPointContainer<IOPCShutdown, IOPCServer, IOPCCommon, IOPCItemProperties,
                                            IOPCBrowseServerAddressSpace, ISupportErrorInfo>;

public:
    // Creates and initialises a server object; raises
    // EOpcServer("OPCSERV: No item server") when there is no item server.
    // The item server must outlive every server object.
    static ComPtr<TServerImpl> Create();

    // IUnknown: the browse interface is refused when the item server says so.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return TBase::AddRef(); }
    STDMETHODIMP_(ULONG) Release() noexcept override { return TBase::Release(); }

    // IOPCServer
    STDMETHODIMP AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                          LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                          DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) noexcept override;
    STDMETHODIMP GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) noexcept override;
    STDMETHODIMP GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) noexcept override;
    STDMETHODIMP GetStatus(OPCSERVERSTATUS** ppServerStatus) noexcept override;
    STDMETHODIMP RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) noexcept override;
    STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) noexcept override;

    // IOPCCommon
    STDMETHODIMP SetLocaleID(LCID dwLcid) noexcept override;
    STDMETHODIMP GetLocaleID(LCID* pdwLcid) noexcept override;
    STDMETHODIMP QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) noexcept override;
    STDMETHODIMP GetErrorString(HRESULT dwError, LPWSTR* ppString) noexcept override;
    STDMETHODIMP SetClientName(LPCWSTR szName) noexcept override;

    // IOPCItemProperties
    STDMETHODIMP QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                          LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) noexcept override;
    STDMETHODIMP GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                   HRESULT** ppErrors) noexcept override;
    STDMETHODIMP LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                               HRESULT** ppErrors) noexcept override;

    // IOPCBrowseServerAddressSpace
    STDMETHODIMP QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) noexcept override;
    STDMETHODIMP ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) noexcept override;
    STDMETHODIMP BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                  VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                  LPENUMSTRING* ppIEnumString) noexcept override;
    STDMETHODIMP GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) noexcept override;
    STDMETHODIMP BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) noexcept override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

    // TClientInfo
    size_t GroupCount() const override;
    TGroupInfo* GroupAt(size_t index) const override;
    void Disconnect() override;

    bool HasShutdownSink() const noexcept { return shutdownSink_ != nullptr; }
    TOpcItemServer& ItemServer() const noexcept { return itemServer_; }
    TGroupList& Groups() noexcept { return groups_; }

    // Every group of this server object tells it when it is created and
    // when it is destroyed, listed or not.
    void GroupCreated() noexcept { ++liveGroups_; }
    void GroupDestroyed() noexcept;

    // The client's delivery thread, and a sink handed over to it (raises
    // EOpcError when COM cannot marshal it). The first sink starts the watch.
    TClientDelivery& Delivery() noexcept { return delivery_; }
    TSinkRef ConnectSink(REFIID iid, IUnknown* sink);
    // A call into a client that has not returned after this long marks it hung.
    static constexpr ULONGLONG HungLimitMs = 5000;

private:
    explicit TServerImpl(TOpcItemServer& itemServer);
    ~TServerImpl() override;
    void Initialize();
    void FinalRelease() noexcept override;
    // Takes a group out of the list and lets it go as RemoveGroup with force does.
    void FreeGroup(TGroupImpl& group) noexcept;
    bool HoldsSink() const noexcept override { return false; }
    void SinkAdvised(IOPCShutdown* sink) override;
    // The watch: failed calls, and the hung mark.
    void TimerTick() override;
    void StopWatch() noexcept;

    TOpcItemServer& itemServer_;
    TGroupList groups_;
    size_t liveGroups_ = 0;
    bool joinedClientList_ = false;
    bool releasedByClients_ = false;   // the last release has come
    bool deleteWithLastGroup_ = false;  // released while groups still lived
    TClientDelivery delivery_;
    TSinkRef shutdownSink_;
    DWORD watchHandle_ = 0;  // the watch timer's target handle, 0 before the first sink
};
