#include "cache/ItemCache.h"

#include <stdexcept>

#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "contract/OpcTypes.h"
#include "cache/ServerItemList.h"
#include "cache/WrittenValue.h"

TServerItem* AcquireServerItem(TServerItemList& cache, TGroupItemInfo& groupItem, const std::wstring& itemId)
{
    return cache.Acquire(groupItem, itemId);
}

TServerItem* AcquireServerItem(TGroupItemInfo& groupItem, const std::wstring& itemId)
{
    return AcquireServerItem(RequireItemServer().ItemCache(), groupItem, itemId);
}

void ReleaseServerItem(TServerItem& item, TGroupItemInfo& groupItem) noexcept
{
    item.Owner().Release(item, groupItem);
}

TServerItemRefPtr LookupItemRef(TServerItemList& cache, const std::wstring& itemId)
{
    return cache.Lookup(itemId);
}

TServerItemRefPtr LookupItemRef(const std::wstring& itemId)
{
    return LookupItemRef(RequireItemServer().ItemCache(), itemId);
}

void ReadServerItem(TServerItemRef& item, UniqueVariant& value, WORD& quality)
{
    if (!TAccessRights::FromOpc(item.AccessRights()).Readable()) RaiseOpcError(OPC_E_BADRIGHTS);
    quality = QualityGood;
    item.Server().ReadItemValue(item.Handle(), quality, *value.put());
}

void WriteServerItem(TServerItemRef& item, const VARIANT& value)
{
    if (!TAccessRights::FromOpc(item.AccessRights()).Writeable()) RaiseOpcError(OPC_E_BADRIGHTS);
    // Refused with what the conversion answers for other values without text.
    if (HoldsObject(value)) RaiseOpcError(DISP_E_TYPEMISMATCH);
    // A reference is written as the value it points at, the way a queued
    // write holds it.
    UniqueVariant held;
    const VARIANT* written = &value;
    if (V_ISBYREF(&value)) {
        held = HeldWriteValue(value);
        written = &held.get();
    }
    try {
        if (V_VT(written) == item.CanonicalType()) {
            item.Server().WriteItemValue(item.Handle(), *written);
            return;
        }
        const UniqueVariant converted = ConvertWrittenValue(*written, item.CanonicalType());
        item.Server().WriteItemValue(item.Handle(), converted.get());
    } catch (const EVariantError&) {
        RaiseOpcError(OPC_E_BADTYPE);
    } catch (const std::invalid_argument&) {
        RaiseOpcError(OPC_E_BADTYPE);
    } catch (const std::out_of_range&) {
        RaiseOpcError(OPC_E_BADTYPE);
    }
}
