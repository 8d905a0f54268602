// The work behind IOPCBrowseServerAddressSpace, free of COM objects: the
// server object passes its address space and its own browse position and
// turns the results into out-parameters. Failures raise EOpcError with the
// HRESULT the client gets.
//
// A position that is empty is first put at the root through
// AddressSpaceRoot, which builds the tree on its first use. Locking is the
// caller's: hold the ClientList lock around ChangeBrowsePosition and
// GetItemId; BrowseItemIds needs none.
#pragma once
#include <windows.h>
#include <optional>
#include <string>
#include <vector>

#include "addrspace/AddressSpace.h"
#include "addrspace/BrowseFilter.h"

// Browse types, directions and organisations as the OPC enumerations number them.
enum : DWORD { BrowseBranch = 1, BrowseLeaf = 2, BrowseFlat = 3 };
enum : DWORD { BrowseUp = 1, BrowseDown = 2, BrowseTo = 3 };
enum : DWORD { NamespaceHierarchical = 1, NamespaceFlat = 2 };

// NamespaceHierarchical or NamespaceFlat; does not build the tree.
DWORD QueryOrganization(const TAddressSpace& space) noexcept;

// E_FAIL in a flat space and up from the root; E_INVALIDARG for a direction
// out of 1..3, a missing name going down, or a name that is not a branch.
// Down takes a path relative to the position (several levels at once), To a
// path from the root; To with a null or empty text goes to the root.
void ChangeBrowsePosition(TAddressSpace& space, TItemIdList*& position, DWORD direction, const wchar_t* path);

// The names below the position that pass the filter, in the tree's order.
// Branch: branch names, tested by the mask only. Leaf: leaf names. Flat: the
// full paths of every leaf below the position, depth first, each tested with
// its full path as the name. E_INVALIDARG for a filter type out of 1..3 or a
// rights filter out of 0..3; whatever match raises (OPC_E_INVALIDFILTER for a
// bad mask) passes through. A null mask is an empty one.
std::vector<std::wstring> BrowseItemIds(TAddressSpace& space, TItemIdList*& position, DWORD filterType,
                                        const wchar_t* mask, VARTYPE typeFilter, DWORD rightsFilter,
                                        const TBrowseFilterMatchFn& match = DefaultBrowseFilterMatch);

// The fully qualified item ID for itemDataId: none for a null text, an empty
// text for an empty one. Flat: the text as written, if the root holds it.
// Hierarchical: the full path, in the tree's letter case, of the node found
// from the position, else from the root. E_INVALIDARG when nothing is found.
std::optional<std::wstring> GetItemId(TAddressSpace& space, TItemIdList*& position, const wchar_t* itemDataId);
