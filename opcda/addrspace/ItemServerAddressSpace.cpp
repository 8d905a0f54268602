// The item server's side of the address-space tree: building it through
// BuildAddressSpace, the default browse filter, and keeping every client's
// browse position across a rebuild.
#include <vector>

#include "addrspace/AddressSpace.h"
#include "addrspace/BrowseFilter.h"
#include "contract/ClientInfo.h"
#include "com/CriticalSection.h"
#include "contract/ItemServer.h"
#include "host/ClientList.h"

TAddressSpace& TOpcItemServer::AddressSpace()
{
    addressSpace_->SetLayout(HasOption(TServerOption::HierarchicalAddressSpace), BranchSeparator());
    return *addressSpace_;
}

bool TOpcItemServer::BrowseFilterMatch(const std::wstring& filterMask, TAccessRights rightsFilter, VARTYPE typeFilter,
                                       const std::wstring& name, TAccessRights itemRights, VARTYPE itemType)
{
    return DefaultBrowseFilterMatch(filterMask, rightsFilter, typeFilter, name, itemRights, itemType);
}

void TOpcItemServer::AddressSpaceRoot(TItemIdList*& node)
{
    TLock lock(ClientList().Lock());
    ::AddressSpaceRoot(AddressSpace(), node);
}

void TOpcItemServer::RebuildAddressSpace(bool keepExisting)
{
    TLock lock(ClientList().Lock());
    std::vector<TItemIdList**> positions;
    for (TClientInfo* client : ClientList().Snapshot()) positions.push_back(&client->BrowsePosition);
    ::RebuildAddressSpace(AddressSpace(), keepExisting, positions, [this](TItemIdList& root) { BuildAddressSpace(root); });
}
