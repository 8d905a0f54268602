#include "ItemTable.h"
#include "WireProtocol.h"
#include "opcerror.h"

namespace wire {

namespace {
// 2020-01-01 00:00 UTC; the items start one second apart from it.
constexpr ULONGLONG kFirstStamp = 0x01D5C03669F8C000ULL;

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
    items_.push_back({kItemVector, VT_ARRAY | VT_R8, MakeDoubles({1.5, -2.25, 1e300}), {}});
    items_.push_back({kItemNames, VT_ARRAY | VT_BSTR, MakeStrings({L"alpha", L"", L"gamma"}), {}});
    for (size_t i = 0; i < items_.size(); ++i) items_[i].stamp = StampOf(kFirstStamp + i * 10000000ULL);
}

int ItemTable::Find(const std::wstring& id) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].id == id) return static_cast<int>(i);
    return -1;
}

HRESULT ItemTable::Write(size_t index, const VARIANT& value) {
    TestItem& item = items_.at(index);
    Variant converted;
    if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, item.type))) return OPC_E_BADTYPE;
    item.value = std::move(converted);
    GetSystemTimeAsFileTime(&item.stamp);
    return S_OK;
}

}  // namespace wire
