#include "cache/ItemCache.h"

#include <stdexcept>

#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "contract/OpcTypes.h"
#include "cache/ServerItemList.h"

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

namespace {

// A value that holds an object: converting it would call the object's
// IDispatch::Invoke, which is the client's code, on the server's thread in the
// middle of the write.
bool HoldsObject(const VARIANT& value) noexcept
{
    const VARTYPE type = V_VT(&value) & VT_TYPEMASK;
    if (type == VT_DISPATCH || type == VT_UNKNOWN) return true;
    if (V_VT(&value) == (VT_BYREF | VT_VARIANT)) return V_VARIANTREF(&value) && HoldsObject(*V_VARIANTREF(&value));
    return false;
}

}  // namespace

void WriteServerItem(TServerItemRef& item, const VARIANT& value)
{
    if (!TAccessRights::FromOpc(item.AccessRights()).Writeable()) RaiseOpcError(OPC_E_BADRIGHTS);
    // Refused with what the conversion answers for other values without text.
    if (HoldsObject(value)) RaiseOpcError(DISP_E_TYPEMISMATCH);
    try {
        if (V_VT(&value) == item.CanonicalType()) {
            item.Server().WriteItemValue(item.Handle(), value);
            return;
        }
        UniqueVariant converted;
        RaiseIfFailed(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value), 0, item.CanonicalType()));
        item.Server().WriteItemValue(item.Handle(), converted.get());
    } catch (const EVariantError&) {
        RaiseOpcError(OPC_E_BADTYPE);
    } catch (const std::invalid_argument&) {
        RaiseOpcError(OPC_E_BADTYPE);
    } catch (const std::out_of_range&) {
        RaiseOpcError(OPC_E_BADTYPE);
    }
}
