#include "server/ItemAttributesEnum.h"
#include "com/ComBoundary.h"
#include "com/OpcElementCleanup.h"
#include "TestValues.h"
#include "server/ItemTable.h"
#include <algorithm>

namespace wire {

OPCEUTYPE EuTypeOf(VARTYPE type) {
    if (type == (VT_ARRAY | VT_R8)) return OPC_ANALOG;
    if (type == (VT_ARRAY | VT_BSTR)) return OPC_ENUMERATED;
    return OPC_NOENUM;
}

UniqueVariant EuInfoOf(VARTYPE type) {
    switch (EuTypeOf(type)) {
    case OPC_ANALOG: return MakeR8Array({-10.0, 10.0});
    case OPC_ENUMERATED: return MakeBstrArray({L"off", L"on"});
    default: return UniqueVariant();
    }
}

namespace {

// Fills one zeroed element; what it holds when this raises is freed with the array.
void Fill(OPCITEMATTRIBUTES& a, const GroupItem& item) {
    const TestItem& data = ItemTable::Instance().At(item.table);
    a.bActive = item.active ? TRUE : FALSE;
    a.hClient = item.hClient;
    a.hServer = item.hServer;
    a.dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
    a.vtRequestedDataType = item.requestedType;
    a.vtCanonicalDataType = data.type;
    a.dwEUType = EuTypeOf(data.type);
    a.vEUInfo = EuInfoOf(data.type).release();
    a.szAccessPath = TaskWideString(item.accessPath).release();
    a.szItemID = TaskWideString(data.id).release();
    CopyBlob(item.blob, &a.pBlob, &a.dwBlobSize);
}

}  // namespace

STDMETHODIMP ItemAttributesEnum::Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) noexcept {
    ClearOutputs(ppItemArray, pceltFetched);
    if (!ppItemArray || !pceltFetched) return E_INVALIDARG;
    return ComBoundary([&] {
        const size_t n = std::min<size_t>(celt, items_.size() - position_);
        if (n > 0) {
            TaskMemArray<OPCITEMATTRIBUTES> array(n);
            for (size_t i = 0; i < n; ++i) Fill(array[i], items_[position_ + i]);
            *ppItemArray = array.release();
            *pceltFetched = static_cast<ULONG>(n);
            position_ += n;
        }
        return n == celt ? S_OK : S_FALSE;
    });
}

STDMETHODIMP ItemAttributesEnum::Skip(ULONG celt) noexcept {
    const size_t left = items_.size() - position_;
    position_ += std::min<size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
}

STDMETHODIMP ItemAttributesEnum::Reset() noexcept {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP ItemAttributesEnum::Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) noexcept {
    ClearOutputs(ppEnumItemAttributes);
    RETURN_HR_IF_NULL(E_POINTER, ppEnumItemAttributes);
    return ComBoundary([&] { *ppEnumItemAttributes = MakeComObject<ItemAttributesEnum>(items_, position_).Detach(); });
}

}  // namespace wire
