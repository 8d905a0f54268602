// The contract between the server core and the device: the item server. The
// program derives one class from TOpcItemServer and constructs one instance
// at start-up; the core reaches it through ItemServer().
//
// Threading: every call the core makes into the item server is made on the
// thread that constructed it (the main thread, which owns the ServerWindow),
// except the change callback handed to SubscribeItem, which the item server
// calls from any thread of its own.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "com/ComObject.h"
#include "contract/ItemProviders.h"
#include "contract/OpcTypes.h"

// What the item server holds for the core; an item-server author needs only
// the contract below, not these.
class TAddressSpace;
class TClientList;
class TItemIdList;
class TServerItemList;
class TServerWindow;

class TClientInfo;
class TGroupInfo;
class TGroupItemInfo;

// Bits of the option set returned by ServerOptions.
enum class TServerOption : uint8_t {
    AsyncErrorArrays = 0,              // asynchronous reads and writes return a zero-filled error array
    StreamLengthCountsTerminator = 1,  // DA 1.0 stream string byte counts include the terminator
    StrictItemHandles = 2,             // group item handles are checked against the group's item list
    NoBrowseInterface = 3,             // the server object refuses IOPCBrowseServerAddressSpace
    HierarchicalAddressSpace = 4,      // item IDs are split into branches at BranchSeparator
};
using TServerOptions = uint8_t;
constexpr TServerOptions OptionBit(TServerOption option) { return static_cast<TServerOptions>(1u << static_cast<unsigned>(option)); }

// Which client call failed when CallbackFailed is told.
enum class TCallbackKind : int {
    DataChange = 0,          // IOPCDataCallback::OnDataChange
    ReadComplete = 1,        // IOPCDataCallback::OnReadComplete
    WriteComplete = 2,       // IOPCDataCallback::OnWriteComplete
    DataChange10 = 4,        // DA 1.0 advise sink, data
    WriteComplete10 = 5,     // DA 1.0 advise sink, write completion
    ReadComplete10 = 6,      // DA 1.0 advise sink, asynchronous read
};

// A new value or quality of an item that the item server pushes by itself.
using TItemChangeCallback = std::function<void(const VARIANT& value, WORD quality)>;

class TOpcItemServer {
public:
    // Becomes ItemServer() and creates the ServerWindow on this thread.
    // Raises EOpcServer("OPCSERV: Only one instance of namespace allowed") when
    // an item server exists (which stays registered), and
    // EOpcServer("OPCSERV: Could not allocate Opc Window") without a window.
    TOpcItemServer();
    // Destroys the window, the item cache (every remaining server item) and the
    // client list; ItemServer() becomes null; then the address-space tree goes.
    virtual ~TOpcItemServer();
    TOpcItemServer(const TOpcItemServer&) = delete;
    TOpcItemServer& operator=(const TOpcItemServer&) = delete;

    // ---- Operations the item server may override, with their defaults ----

    // An exception escaped a hook, a queued task or a timer tick run by the
    // ServerWindow. Default: ignored. Must not raise.
    virtual void HandleException(std::exception_ptr error);
    // Separator of branches in item IDs (hierarchical address space). Default '.'.
    virtual wchar_t BranchSeparator();
    // Not used by the core. Default '.'.
    virtual wchar_t AuxSeparator();
    // Text of a result code for GetErrorString. Default: DefaultErrorText
    // (own table, then the system's; raises EOpcError(E_INVALIDARG) without text).
    virtual void ErrorText(HRESULT code, WORD languageId, std::wstring& text);
    // The option bits (TServerOption). Default: none.
    virtual TServerOptions ServerOptions();
    // The fastest update rate in milliseconds. Default 20.
    virtual DWORD ServerScanRate();
    // A server item was created for handle. Return true to push its changes
    // through callback (from any thread) instead of being polled; the core
    // then stops polling it. Default: false.
    virtual bool SubscribeItem(LONG handle, TItemChangeCallback callback);
    // A subscribed server item is going. After returning, the item server must
    // not call (or still be inside) the item's callback. Default: nothing.
    virtual void UnsubscribeItem(LONG handle);
    // Whether a name passes a browse filter. Default: the mask, rights and type
    // test of the address space; a malformed mask raises OPC_E_INVALIDFILTER.
    virtual bool BrowseFilterMatch(const std::wstring& filterMask, TAccessRights rightsFilter, VARTYPE typeFilter,
                                   const std::wstring& name, TAccessRights itemRights, VARTYPE itemType);
    // The class part of the ProgID. Default: ClassName(), '.', the version.
    virtual void ProgIdClassPart(int version, std::wstring& text);
    // Resolves an item ID to a handle. May change the access path and narrow
    // the rights. Default: raises EOpcError(OPC_E_INVALIDITEMID).
    virtual LONG ResolveItem(const std::wstring& itemId, std::wstring& accessPath, TAccessRights& rights);
    // As ResolveItem, and may supply the two providers, which the server item
    // then holds. Default: ResolveItem, providers left empty.
    virtual LONG ResolveItemWithPath(const std::wstring& itemId, std::wstring& accessPath, TAccessRights& rights,
                                     ComPtr<IEUInfo>& euInfo, ComPtr<IItemProperties>& properties);
    // A resolved handle is no longer used. Default: nothing.
    virtual void ReleaseItemHandle(LONG handle);
    // Adds the item IDs to the address-space tree. Default: nothing.
    virtual void BuildAddressSpace(TItemIdList& root);
    // Reads an item. value arrives VT_EMPTY and belongs to the caller, which
    // clears it; quality arrives good (0xC0) and may be lowered.
    virtual void ReadItemValue(LONG handle, WORD& quality, VARIANT& value) = 0;
    // Optional, for cheap polling: a number that changes whenever a read of
    // the item could give another value or quality than before (a write
    // counter, say). While it stays the same the update cycle does not read
    // the item. Return false when there is no such number for the handle.
    // Main thread; must be cheap and must not raise. Default: false.
    virtual bool ItemChangeCount(LONG handle, uint64_t& count) noexcept;
    // Writes an item; value is already of the canonical type and stays the
    // caller's. Raise EVariantError for a value that makes no sense for the item.
    virtual void WriteItemValue(LONG handle, const VARIANT& value) = 0;
    // Hooks, run by the ServerWindow on the main thread while the record is
    // fully alive. Defaults: nothing.
    virtual void ClientConnected(TClientInfo& client);
    virtual void ClientDisconnected(TClientInfo& client);
    virtual void ClientRenamed(TClientInfo& client);
    // A call into the client has not returned within the hung limit; then
    // the call returned. Sent once each way (TClientInfo::Hung tells which).
    virtual void ClientHung(TClientInfo& client);
    virtual void ClientResponding(TClientInfo& client);
    virtual void GroupAdded(TGroupInfo& group);
    virtual void GroupRemoved(TGroupInfo& group);
    virtual void ItemAdded(TGroupItemInfo& item);
    virtual void ItemRemoved(TGroupItemInfo& item);
    // A group item stored a new value or quality. Default: nothing.
    virtual void ItemValueChanged(TGroupItemInfo& item);
    // A call into a client's callback or advise sink failed. Default: nothing.
    virtual void CallbackFailed(HRESULT error, TGroupInfo& group, TCallbackKind kind);
    // Not used by the core. Default: nothing.
    virtual void AuxHook(void* first, void* second, void* third);
    // Every time stamp the core takes. Default: the system time (UTC).
    virtual FILETIME CurrentTimestamp();

    // ---- Fixed operations ----

    // False for a bit above 7.
    bool HasOption(int bit);
    bool HasOption(TServerOption option) { return HasOption(static_cast<int>(option)); }

    // Builds the address-space tree on first use and stores its root into an
    // empty node; leaves a node that is already set. The caller holds the
    // ClientList lock.
    void AddressSpaceRoot(TItemIdList*& node);
    // Rebuilds the tree through BuildAddressSpace, keeping every client's
    // browse position where its path still exists. While keepExisting is set,
    // adding an existing item ID returns the existing leaf. The caller holds
    // the ClientList lock.
    void RebuildAddressSpace(bool keepExisting);
    // The tree (its root is absent until first needed), guarded by the ClientList
    // lock; its layout follows the options and separator of this item server.
    TAddressSpace& AddressSpace();

    // The name of the most derived class without namespaces, e.g. "TZEV30".
    std::wstring ClassName() const;
    const std::wstring& VendorInfo() const noexcept { return vendorInfo_; }
    void SetVendorInfo(std::wstring text) { vendorInfo_ = std::move(text); }
    FILETIME StartTime() const noexcept { return startTime_; }

    TServerWindow& ServerWindow() noexcept { return *serverWindow_; }
    TServerItemList& ItemCache() noexcept { return *itemCache_; }
    TClientList& ClientList() noexcept { return *clientList_; }

private:
    std::unique_ptr<TServerWindow> serverWindow_;
    std::unique_ptr<TServerItemList> itemCache_;
    std::unique_ptr<TClientList> clientList_;
    std::wstring vendorInfo_;
    FILETIME startTime_{};
    std::unique_ptr<TAddressSpace> addressSpace_;
};

// The item server of the process, or null.
TOpcItemServer* ItemServer() noexcept;
// The item server; raises EOpcServer("OPCSERV: No item server") without one.
TOpcItemServer& RequireItemServer();
