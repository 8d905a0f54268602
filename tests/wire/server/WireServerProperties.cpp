// WireServer: IOPCItemProperties, three properties per item.
#include "ComOwners.h"
#include "opcerror.h"
#include "server/ItemTable.h"
#include "server/WireServer.h"
#include <algorithm>

namespace wire {

namespace {

struct Property {
    DWORD id;
    const wchar_t* description;
};
constexpr Property kProperties[] = {
    {OPC_PROPERTY_DATATYPE, L"Item Canonical Data Type"},
    {OPC_PROPERTY_VALUE, L"Item Value"},
    {OPC_PROPERTY_DESCRIPTION, L"Item Description"},
};

// The item's property value; VT_EMPTY for a property it does not have.
Variant PropertyValue(const TestItem& item, DWORD id) {
    Variant v;
    switch (id) {
    case OPC_PROPERTY_DATATYPE:
        v.get()->vt = VT_I2;
        v.get()->iVal = static_cast<SHORT>(item.type);
        break;
    case OPC_PROPERTY_VALUE: v = item.value; break;
    case OPC_PROPERTY_DESCRIPTION: v = MakeBstr(L"Test item " + item.id); break;
    }
    return v;
}

const TestItem* Lookup(LPCWSTR id) {
    const int index = id ? ItemTable::Instance().Find(id) : -1;
    return index < 0 ? nullptr : &ItemTable::Instance().At(index);
}

}  // namespace

HRESULT WireServer::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                             LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) {
    if (!pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes) return E_INVALIDARG;
    *pdwCount = 0;
    *ppPropertyIDs = nullptr;
    *ppDescriptions = nullptr;
    *ppvtDataTypes = nullptr;
    const TestItem* item = Lookup(szItemID);
    if (!item) return OPC_E_UNKNOWNITEMID;

    const DWORD n = static_cast<DWORD>(std::size(kProperties));
    TaskMem<DWORD> ids(AllocTaskArray<DWORD>(n));
    TaskMem<LPWSTR> descriptions(AllocTaskArray<LPWSTR>(n));
    TaskMem<VARTYPE> types(AllocTaskArray<VARTYPE>(n));
    if (!ids || !descriptions || !types) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < n; ++i) {
        ids.get()[i] = kProperties[i].id;
        types.get()[i] = kProperties[i].id == OPC_PROPERTY_VALUE      ? item->type
                         : kProperties[i].id == OPC_PROPERTY_DATATYPE ? VARTYPE{VT_I2}
                                                                      : VARTYPE{VT_BSTR};
        descriptions.get()[i] = TaskString(kProperties[i].description);
        if (!descriptions.get()[i]) {
            for (DWORD j = 0; j < i; ++j) CoTaskMemFree(descriptions.get()[j]);
            return E_OUTOFMEMORY;
        }
    }
    *pdwCount = n;
    *ppPropertyIDs = ids.release();
    *ppDescriptions = descriptions.release();
    *ppvtDataTypes = types.release();
    return S_OK;
}

HRESULT WireServer::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                      HRESULT** ppErrors) {
    if (!ppvData || !ppErrors) return E_INVALIDARG;
    *ppvData = nullptr;
    *ppErrors = nullptr;
    if (dwCount == 0 || !pdwPropertyIDs) return E_INVALIDARG;
    const TestItem* item = Lookup(szItemID);
    if (!item) return OPC_E_UNKNOWNITEMID;
    TaskMem<VARIANT> values(AllocTaskArray<VARIANT>(dwCount));  // zero-filled: VT_EMPTY
    TaskMem<HRESULT> errors(AllocTaskArray<HRESULT>(dwCount));
    if (!values || !errors) return E_OUTOFMEMORY;
    bool allFound = true;
    for (DWORD i = 0; i < dwCount; ++i) {
        Variant value = PropertyValue(*item, pdwPropertyIDs[i]);
        if (value->vt == VT_EMPTY) {
            errors.get()[i] = OPC_E_INVALID_PID;
            allFound = false;
        } else {
            value.CopyTo(&values.get()[i]);
        }
    }
    *ppvData = values.release();
    *ppErrors = errors.release();
    return allFound ? S_OK : S_FALSE;
}

HRESULT WireServer::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                                  HRESULT** ppErrors) {
    if (!ppszNewItemIDs || !ppErrors) return E_INVALIDARG;
    *ppszNewItemIDs = nullptr;
    *ppErrors = nullptr;
    if (dwCount == 0 || !pdwPropertyIDs) return E_INVALIDARG;
    const TestItem* item = Lookup(szItemID);
    if (!item) return OPC_E_UNKNOWNITEMID;
    TaskMem<LPWSTR> ids(AllocTaskArray<LPWSTR>(dwCount));
    TaskMem<HRESULT> errors(AllocTaskArray<HRESULT>(dwCount));
    if (!ids || !errors) return E_OUTOFMEMORY;
    bool allFound = true;
    // Only the description has an item of its own here; the others stay NULL.
    for (DWORD i = 0; i < dwCount; ++i) {
        if (pdwPropertyIDs[i] == OPC_PROPERTY_DESCRIPTION) {
            ids.get()[i] = TaskString(item->id + L".Description");
        } else {
            errors.get()[i] = OPC_E_INVALID_PID;
            allFound = false;
        }
    }
    *ppszNewItemIDs = ids.release();
    *ppErrors = errors.release();
    return allFound ? S_OK : S_FALSE;
}

}  // namespace wire
