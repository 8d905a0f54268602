// The test server's items: a flat list of four values of different shapes,
// shared by all clients of the process (used on the server's one thread).
#pragma once
#include "com/ComOwners.h"
#include "opcda.h"
#include <string>
#include <vector>

namespace wire {

struct TestItem {
    std::wstring id;
    VARTYPE type;
    UniqueVariant value;
    FILETIME stamp;
};

class ItemTable {
public:
    static ItemTable& Instance();

    // Index of the item with this ID, or -1 (also for a null ID).
    int Find(const wchar_t* id) const;
    size_t Count() const { return items_.size(); }
    const TestItem& At(size_t index) const { return items_.at(index); }

    // Stores value converted to the item's type, stamped now.
    // OPC_E_BADTYPE when it does not convert.
    HRESULT Write(size_t index, const VARIANT& value);

private:
    ItemTable();
    std::vector<TestItem> items_;
};

}  // namespace wire
