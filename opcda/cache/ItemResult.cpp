#include "cache/ItemResult.h"

#include <cstring>

#include "contract/OpcTypes.h"
#include "cache/ServerItemRef.h"

// The core's names for the OPC constants must not drift from the interface definitions.
static_assert(QualityGood == OPC_QUALITY_GOOD);

void FillItemResult(const TServerItemRef& item, OPCITEMRESULT& result) noexcept
{
    std::memset(&result, 0, sizeof result);
    result.vtCanonicalDataType = item.CanonicalType();
    result.dwAccessRights = item.AccessRights();
}
