#include "com/OpcArgs.h"

#include "contract/OpcError.h"

void CheckRange(LONG value, LONG lo, LONG hi)
{
    if (value < lo || value > hi) RaiseOpcError(E_INVALIDARG);
}

void CheckArrayArgs(DWORD count, const void* array)
{
    if (count == 0 || array == nullptr) RaiseOpcError(E_INVALIDARG);
}

std::wstring ItemIdFromWide(const wchar_t* wide)
{
    if (wide == nullptr || *wide == L'\0') RaiseOpcError(OPC_E_INVALIDITEMID);
    return std::wstring(wide);
}
