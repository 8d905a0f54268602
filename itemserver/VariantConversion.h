// The failure of turning a written value into the number or text an item keeps.
// It is an EOpcError carrying OPC_E_BADTYPE, so whatever path it takes through
// the core, the client sees the bad-type result for that item.
#pragma once
#include "OpcError.h"

class EVariantConversion : public EOpcError {
public:
    EVariantConversion() noexcept : EOpcError(OPC_E_BADTYPE) {}
    const char* what() const noexcept override { return "EVariantConversion"; }
};
