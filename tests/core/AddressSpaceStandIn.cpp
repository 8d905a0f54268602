// Linked into the core tests only while the address-space tree is not part of
// the core: its operations refuse with E_NOTIMPL. No test relies on them.
#include "ItemServer.h"
#include "OpcError.h"

bool TOpcItemServer::BrowseFilterMatch(const std::wstring&, TAccessRights, VARTYPE, const std::wstring&, TAccessRights,
                                       VARTYPE)
{
    RaiseOpcError(E_NOTIMPL);
}

void TOpcItemServer::AddressSpaceRoot(TItemIdList*&)
{
    RaiseOpcError(E_NOTIMPL);
}

void TOpcItemServer::RebuildAddressSpace(bool)
{
    RaiseOpcError(E_NOTIMPL);
}
