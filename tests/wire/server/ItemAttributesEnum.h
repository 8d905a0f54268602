// IEnumOPCItemAttributes over a snapshot of a group's items.
#pragma once
#include "ComObject.h"
#include "ComOwners.h"
#include "server/ServerProcess.h"
#include "opcda.h"
#include "server/WireGroup.h"
#include <vector>

namespace wire {

class ItemAttributesEnum final : public ComObject<IEnumOPCItemAttributes> {
public:
    explicit ItemAttributesEnum(std::vector<GroupItem> items) : items_(std::move(items)) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) override;

private:
    std::vector<GroupItem> items_;
    size_t position_ = 0;
    ServerLock lock_;
};

// EU information the test server gives its items: analog limits for the
// vector, enumerated texts for the name list, none for the others.
OPCEUTYPE EuTypeOf(VARTYPE type);
Variant EuInfoOf(VARTYPE type);

}  // namespace wire
