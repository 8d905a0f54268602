// WireServer: IOPCItemProperties, three properties per item.
#include "com/ComBoundary.h"
#include "TestValues.h"
#include "opcerror.h"
#include "server/ItemTable.h"
#include "com/PerItemResults.h"
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

// A call on a list of properties of one item: fill(item, id, result) fills
// the result for property id and returns its error.
template <class T, class Fill>
HRESULT PerProperty(LPCWSTR itemId, DWORD count, const DWORD* ids, T** ppResults, HRESULT** ppErrors, Fill fill) {
    ClearOutputs(ppResults, ppErrors);
    if (!ppResults || !ppErrors || count == 0 || !ids) return E_INVALIDARG;
    const int index = ItemTable::Instance().Find(itemId);
    if (index < 0) return OPC_E_UNKNOWNITEMID;
    const TestItem& item = ItemTable::Instance().At(index);
    return ComBoundary([&] {
        return PerItemResults(count, ppResults, ppErrors, [&](size_t i, T& result) { return fill(item, ids[i], result); });
    });
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
    return PerProperty(szItemID, dwCount, pdwPropertyIDs, ppvData, ppErrors,
                       [](const TestItem& item, DWORD id, VARIANT& data) -> HRESULT {
                           UniqueVariant value = PropertyValue(item, id);
                           if (value.vt() == VT_EMPTY) return OPC_E_INVALID_PID;
                           data = value.release();
                           return S_OK;
                       });
}

STDMETHODIMP WireServer::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                                       HRESULT** ppErrors) noexcept {
    // Only the description has an item of its own here; the others stay NULL.
    return PerProperty(szItemID, dwCount, pdwPropertyIDs, ppszNewItemIDs, ppErrors,
                       [](const TestItem& item, DWORD id, LPWSTR& newId) -> HRESULT {
                           if (id != OPC_PROPERTY_DESCRIPTION) return OPC_E_INVALID_PID;
                           newId = TaskWideString(item.id + L".Description").release();
                           return S_OK;
                       });
}

}  // namespace wire
