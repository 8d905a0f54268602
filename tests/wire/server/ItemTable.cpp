#include "server/ItemTable.h"
#include "TestValues.h"
#include "WireProtocol.h"
#include "opcerror.h"

namespace wire {

namespace {
FILETIME StampOf(ULONGLONG ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
}  // namespace

ItemTable& ItemTable::Instance() {
    static ItemTable table;
    return table;
}

ItemTable::ItemTable() {
    items_.push_back({kItemCounter, VT_I4, MakeI4(42), {}});
    items_.push_back({kItemText, VT_BSTR, MakeBstr(L"Gr\u00FC\u00DFe, \u03A9 \u2126"), {}});
    items_.push_back({kItemVector, VT_ARRAY | VT_R8, MakeR8Array({1.5, -2.25, 1e300}), {}});
    items_.push_back({kItemNames, VT_ARRAY | VT_BSTR, MakeBstrArray({L"alpha", L"", L"gamma"}), {}});
    for (size_t i = 0; i < items_.size(); ++i) items_[i].stamp = StampOf(kFirstItemStamp + i * kItemStampStep);
}

int ItemTable::Find(const wchar_t* id) const {
    for (size_t i = 0; id && i < items_.size(); ++i)
        if (items_[i].id == id) return static_cast<int>(i);
    return -1;
}

HRESULT ItemTable::Write(size_t index, const VARIANT& value) {
    TestItem& item = items_.at(index);
    UniqueVariant converted;
    if (FAILED(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value), 0, item.type))) return OPC_E_BADTYPE;
    item.value = std::move(converted);
    GetSystemTimeAsFileTime(&item.stamp);
    return S_OK;
}

}  // namespace wire
