// IEnumOPCItemAttributes over a snapshot of a group's items.
#pragma once
#include "com/ComObject.h"
#include "com/ComOwners.h"
#include "opcda.h"
#include "server/WireGroup.h"
#include <vector>

namespace wire {

class ItemAttributesEnum final : public TComObject<IEnumOPCItemAttributes> {
public:
    explicit ItemAttributesEnum(std::vector<GroupItem> items, size_t position = 0)
        : items_(std::move(items)), position_(position) {}

    STDMETHODIMP Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) noexcept override;
    STDMETHODIMP Skip(ULONG celt) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) noexcept override;

private:
    std::vector<GroupItem> items_;
    size_t position_;
};

// EU information the test server gives its items: analog limits for the
// vector, enumerated texts for the name list, none for the others.
OPCEUTYPE EuTypeOf(VARTYPE type);
UniqueVariant EuInfoOf(VARTYPE type);

}  // namespace wire
