// One item ID resolved by the item server: its handle, access rights,
// canonical type and providers.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <memory>
#include <string>

#include "com/ComObject.h"
#include "contract/ItemProviders.h"

class TOpcItemServer;

// Inside the core, -1 means no item handle.
constexpr LONG NoItemHandle = -1;

class TServerItemRef {
public:
    // Resolves itemId: ResolveItemWithPath (offered rights read and write, an
    // empty access path), then one ReadItemValue to learn the canonical type.
    // Raises what the item server raises; a handle already obtained is then
    // given back with ReleaseItemHandle.
    TServerItemRef(TOpcItemServer& server, std::wstring itemId);
    // Gives the handle back (ReleaseItemHandle) unless it is -1.
    virtual ~TServerItemRef();
    TServerItemRef(const TServerItemRef&) = delete;
    TServerItemRef& operator=(const TServerItemRef&) = delete;

    // Ends the caller's use: a standalone reference destroys itself; a cached
    // item stays as long as group items use it.
    virtual void Release() noexcept;

    TOpcItemServer& Server() const noexcept { return server_; }
    const std::wstring& ItemId() const noexcept { return itemId_; }
    LONG Handle() const noexcept { return handle_; }
    DWORD AccessRights() const noexcept { return accessRights_; }  // OPC value: 1 readable, 2 writeable
    VARTYPE CanonicalType() const noexcept { return canonicalType_; }
    IEUInfo* EUInfo() const noexcept { return euInfo_.Get(); }
    IItemProperties* Properties() const noexcept { return properties_.Get(); }
    // A numeric scalar: the percent deadband applies.
    bool Deadband() const noexcept { return deadband_; }

private:
    void Resolve();

    TOpcItemServer& server_;
    std::wstring itemId_;
    LONG handle_ = NoItemHandle;
    DWORD accessRights_ = 0;
    VARTYPE canonicalType_ = VT_EMPTY;
    ComPtr<IEUInfo> euInfo_;
    ComPtr<IItemProperties> properties_;
    bool deadband_ = false;
};

// Calls Release instead of delete: the owner of a LookupItemRef result.
struct TServerItemRefRelease {
    void operator()(TServerItemRef* item) const noexcept { item->Release(); }
};
using TServerItemRefPtr = std::unique_ptr<TServerItemRef, TServerItemRefRelease>;
