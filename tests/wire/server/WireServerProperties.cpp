// WireServer: IOPCItemProperties, three properties per item.
#include "ComBoundary.h"
#include "TestValues.h"
#include "opcerror.h"
#include "server/BatchResult.h"
#include "server/ItemTable.h"
#include "server/WireServer.h"

namespace wire {

namespace {

// The properties every item has, with the type of their values (VT_EMPTY:
// the item's own type).
struct Property {
    DWORD id;
    VARTYPE type;
    const wchar_t* description;
};
constexpr Property kProperties[] = {
    {OPC_PROPERTY_DATATYPE, VT_I2, L"Item Canonical Data Type"},
    {OPC_PROPERTY_VALUE, VT_EMPTY, L"Item Value"},
    {OPC_PROPERTY_DESCRIPTION, VT_BSTR, L"Item Description"},
};

// The item's property value; VT_EMPTY for a property it does not have.
UniqueVariant PropertyValue(const TestItem& item, DWORD id) {
    switch (id) {
    case OPC_PROPERTY_DATATYPE: return MakeI2(static_cast<SHORT>(item.type));
    case OPC_PROPERTY_VALUE: return UniqueVariant::CopyOf(item.value.get());
    case OPC_PROPERTY_DESCRIPTION: return MakeBstr(L"Test item " + item.id);
    default: return UniqueVariant();
    }
}

}  // namespace

STDMETHODIMP WireServer::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                  LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) noexcept {
    ClearOutputs(pdwCount, ppPropertyIDs, ppDescriptions, ppvtDataTypes);
    if (!pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes) return E_INVALIDARG;
    const int index = ItemTable::Instance().Find(szItemID);
    if (index < 0) return OPC_E_UNKNOWNITEMID;
    return ComBoundary([&] {
        const size_t n = std::size(kProperties);
        TaskMemArray<DWORD> ids(n);
        TaskMemArray<LPWSTR> descriptions(n);
        TaskMemArray<VARTYPE> types(n);
        for (size_t i = 0; i < n; ++i) {
            ids[i] = kProperties[i].id;
            types[i] = kProperties[i].type != VT_EMPTY ? kProperties[i].type : ItemTable::Instance().At(index).type;
            descriptions[i] = TaskWideString(kProperties[i].description).release();
        }
        *pdwCount = static_cast<DWORD>(n);
        *ppPropertyIDs = ids.release();
        *ppDescriptions = descriptions.release();
        *ppvtDataTypes = types.release();
    });
}

STDMETHODIMP WireServer::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                           HRESULT** ppErrors) noexcept {
    ClearOutputs(ppvData, ppErrors);
    if (!ppvData || !ppErrors || dwCount == 0 || !pdwPropertyIDs) return E_INVALIDARG;
    const int index = ItemTable::Instance().Find(szItemID);
    if (index < 0) return OPC_E_UNKNOWNITEMID;
    return ComBoundary([&] {
        TaskMemArray<VARIANT> values(dwCount);  // zero-filled: VT_EMPTY
        TaskMemArray<HRESULT> errors(dwCount);
        for (DWORD i = 0; i < dwCount; ++i) {
            UniqueVariant value = PropertyValue(ItemTable::Instance().At(index), pdwPropertyIDs[i]);
            if (value.vt() == VT_EMPTY) errors[i] = OPC_E_INVALID_PID;
            else values[i] = value.release();
        }
        return HandOverResults(values, ppvData, errors, ppErrors);
    });
}

STDMETHODIMP WireServer::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                                       HRESULT** ppErrors) noexcept {
    ClearOutputs(ppszNewItemIDs, ppErrors);
    if (!ppszNewItemIDs || !ppErrors || dwCount == 0 || !pdwPropertyIDs) return E_INVALIDARG;
    const int index = ItemTable::Instance().Find(szItemID);
    if (index < 0) return OPC_E_UNKNOWNITEMID;
    return ComBoundary([&] {
        TaskMemArray<LPWSTR> ids(dwCount);
        TaskMemArray<HRESULT> errors(dwCount);
        // Only the description has an item of its own here; the others stay NULL.
        for (DWORD i = 0; i < dwCount; ++i) {
            if (pdwPropertyIDs[i] == OPC_PROPERTY_DESCRIPTION)
                ids[i] = TaskWideString(ItemTable::Instance().At(index).id + L".Description").release();
            else
                errors[i] = OPC_E_INVALID_PID;
        }
        return HandOverResults(ids, ppszNewItemIDs, errors, ppErrors);
    });
}

}  // namespace wire
