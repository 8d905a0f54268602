#include "ZEV30.h"

#include "AddressSpace.h"
#include "OpcError.h"
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
        AddItemId(root, entry.ItemId, TNamespaceItem::Readable | TNamespaceItem::Writeable, entry.PublishedType);
}

void TZEV30::ReadItemValue(LONG handle, WORD&, VARIANT& value)
{
    ReadZevItemValue(*table_, handle, &value);
}

void TZEV30::WriteItemValue(LONG handle, const VARIANT& value)
{
    WriteZevItemValue(*table_, handle, value);
}
