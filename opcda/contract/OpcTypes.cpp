#include "contract/OpcTypes.h"

#include "contract/OpcError.h"

void CheckRequestedType(VARTYPE vt)
{
    switch (vt & ~VT_ARRAY) {
    case VT_EMPTY: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_DATE: case VT_BSTR:
    case VT_BOOL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT:
        return;
    default:
        RaiseOpcError(OPC_E_BADTYPE);
    }
}

bool IsDeadbandType(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT:
        return true;
    default:
        return false;
    }
}
