#include "server/ItemAttributesEnum.h"
#include "ComOwners.h"
#include "server/ItemTable.h"
#include <algorithm>

namespace wire {

OPCEUTYPE EuTypeOf(VARTYPE type) {
    if (type == (VT_ARRAY | VT_R8)) return OPC_ANALOG;
    if (type == (VT_ARRAY | VT_BSTR)) return OPC_ENUMERATED;
    return OPC_NOENUM;
}

Variant EuInfoOf(VARTYPE type) {
    switch (EuTypeOf(type)) {
    case OPC_ANALOG: return MakeDoubles({-10.0, 10.0});
    case OPC_ENUMERATED: return MakeStrings({L"off", L"on"});
    default: return Variant();
    }
}

namespace {

// Fills one element; false when out of memory (the element stays freeable).
bool Fill(OPCITEMATTRIBUTES& a, const GroupItem& item) {
    const TestItem& data = ItemTable::Instance().At(item.table);
    a.bActive = item.active ? TRUE : FALSE;
    a.hClient = item.hClient;
    a.hServer = item.hServer;
    a.dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
    a.vtRequestedDataType = item.requestedType;
    a.vtCanonicalDataType = data.type;
    a.dwEUType = EuTypeOf(data.type);
    EuInfoOf(data.type).CopyTo(&a.vEUInfo);
    a.szAccessPath = TaskString(item.accessPath);
    a.szItemID = TaskString(data.id);
    if (!item.blob.empty() && (a.pBlob = AllocTaskArray<BYTE>(item.blob.size()))) {
        std::copy(item.blob.begin(), item.blob.end(), a.pBlob);
        a.dwBlobSize = static_cast<DWORD>(item.blob.size());
    }
    return a.szAccessPath && a.szItemID && (item.blob.empty() || a.pBlob);
}

void Free(OPCITEMATTRIBUTES& a) {
    CoTaskMemFree(a.szAccessPath);
    CoTaskMemFree(a.szItemID);
    CoTaskMemFree(a.pBlob);
    VariantClear(&a.vEUInfo);
}

}  // namespace

HRESULT ItemAttributesEnum::Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) {
    if (!ppItemArray || !pceltFetched) return E_INVALIDARG;
    *ppItemArray = nullptr;
    *pceltFetched = 0;
    const ULONG n = static_cast<ULONG>(std::min<size_t>(celt, items_.size() - position_));
    if (n > 0) {
        OPCITEMATTRIBUTES* array = AllocTaskArray<OPCITEMATTRIBUTES>(n);
        if (!array) return E_OUTOFMEMORY;
        bool complete = true;
        for (ULONG i = 0; i < n; ++i) complete = Fill(array[i], items_[position_ + i]) && complete;
        if (!complete) {
            for (ULONG i = 0; i < n; ++i) Free(array[i]);
            CoTaskMemFree(array);
            return E_OUTOFMEMORY;
        }
        *ppItemArray = array;
        *pceltFetched = n;
        position_ += n;
    }
    return n == celt ? S_OK : S_FALSE;
}

HRESULT ItemAttributesEnum::Skip(ULONG celt) {
    const size_t left = items_.size() - position_;
    position_ += std::min<size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
}

HRESULT ItemAttributesEnum::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT ItemAttributesEnum::Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) {
    if (!ppEnumItemAttributes) return E_POINTER;
    auto copy = MakeComObject<ItemAttributesEnum>(items_);
    copy->position_ = position_;
    *ppEnumItemAttributes = copy.Detach();
    return S_OK;
}

}  // namespace wire
