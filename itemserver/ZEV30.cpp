#include "ZEV30.h"

#include "addrspace/AddressSpace.h"
#include "contract/OpcError.h"
#include "ZevCatalogue.h"
#include "ZevValueAccess.h"

LONG TZEV30::ResolveItem(const std::wstring& itemId, std::wstring&, TAccessRights& rights)
{
    const int handle = FindCatalogueHandle(itemId);
    if (handle == 0) RaiseOpcError(OPC_E_INVALIDITEMID);
    rights = TAccessRights::ReadWrite();
    return handle;
}

void TZEV30::ReleaseItemHandle(LONG) {}

void TZEV30::BuildAddressSpace(TItemIdList& root)
{
    for (const auto& entry : ZevCatalogue())
        AddItemId(root, entry.ItemId, TAccessRights::ReadWrite(), entry.PublishedType);
}

void TZEV30::ReadItemValue(LONG handle, WORD&, VARIANT& value)
{
    ReadZevItemValue(*table_, handle, &value);
}

bool TZEV30::ItemChangeCount(LONG handle, uint64_t& count) noexcept
{
    const std::optional<uint64_t> version = ZevItemVersion(*table_, handle);
    if (!version) return false;
    count = (tableGeneration_ << 48) + *version;
    return true;
}

void TZEV30::WriteItemValue(LONG handle, const VARIANT& value)
{
    WriteZevItemValue(*table_, handle, value);
}

void TZEV30::ClientConnected(TClientInfo& client)
{
    if (events_) events_->ClientConnected(client);
}

void TZEV30::ClientDisconnected(TClientInfo& client)
{
    if (events_) events_->ClientDisconnected(client);
}

void TZEV30::ClientRenamed(TClientInfo& client)
{
    if (events_) events_->ClientRenamed(client);
}

void TZEV30::ClientHung(TClientInfo& client)
{
    if (events_) events_->ClientHung(client);
}

void TZEV30::ClientResponding(TClientInfo& client)
{
    if (events_) events_->ClientResponding(client);
}

void TZEV30::GroupAdded(TGroupInfo& group)
{
    if (events_) events_->GroupAdded(group);
}

void TZEV30::GroupRemoved(TGroupInfo& group)
{
    if (events_) events_->GroupRemoved(group);
}

void TZEV30::ItemAdded(TGroupItemInfo& item)
{
    if (events_) events_->ItemAdded(item);
}

void TZEV30::ItemRemoved(TGroupItemInfo& item)
{
    if (events_) events_->ItemRemoved(item);
}
