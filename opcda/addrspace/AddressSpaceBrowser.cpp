#include "addrspace/AddressSpaceBrowser.h"

#include "contract/OpcError.h"
#include "com/OpcArgs.h"

namespace {

bool IsEmpty(const wchar_t* text) noexcept { return !text || !*text; }

TItemIdList& RequireBranch(TNamespaceNode* node)
{
    TItemIdList* branch = AsBranch(node);
    if (!branch) throw EOpcError(E_INVALIDARG);
    return *branch;
}

struct TBrowseRequest {
    DWORD FilterType;
    std::wstring_view Mask;
    VARTYPE TypeFilter;
    TAccessRights RightsFilter;
    const TBrowseFilterMatchFn& Match;
    std::vector<std::wstring>& Names;
};

void Visit(const TItemIdList& branch, const TBrowseRequest& r)
{
    for (int i = 0, n = branch.ChildCount(); i < n; ++i) {
        TNamespaceNode* child = branch.ChildAt(i);
        if (TItemIdList* sub = AsBranch(child)) {
            if (r.FilterType == BrowseFlat)
                Visit(*sub, r);
            else if (r.FilterType == BrowseBranch && r.Match(r.Mask, TAccessRights(), VT_EMPTY, sub->Name(), TAccessRights(), VT_EMPTY))
                r.Names.push_back(sub->Name());
        } else if (TNamespaceItem* leaf = AsLeaf(child)) {
            if (r.FilterType == BrowseBranch) continue;
            std::wstring name = r.FilterType == BrowseFlat ? FullPath(*leaf) : leaf->Name();
            if (r.Match(r.Mask, r.RightsFilter, r.TypeFilter, name, leaf->AccessRights(), leaf->CanonicalType()))
                r.Names.push_back(std::move(name));
        }
    }
}

}  // namespace

DWORD QueryOrganization(const TAddressSpace& space) noexcept
{
    return space.Hierarchical() ? NamespaceHierarchical : NamespaceFlat;
}

void ChangeBrowsePosition(TAddressSpace& space, TItemIdList*& position, DWORD direction, const wchar_t* path)
{
    if (!space.Hierarchical()) throw EOpcError(E_FAIL);
    CheckRange(static_cast<LONG>(direction), BrowseUp, BrowseTo);
    AddressSpaceRoot(space, position);

    switch (direction) {
    case BrowseUp:
        if (!position->Parent()) throw EOpcError(E_FAIL);
        position = position->Parent();
        break;
    case BrowseDown:
        if (IsEmpty(path)) throw EOpcError(E_INVALIDARG);
        position = &RequireBranch(FindPath(*position, path));
        break;
    case BrowseTo:
        position = IsEmpty(path) ? space.Root() : &RequireBranch(FindPath(*space.Root(), path));
        break;
    }
}

std::vector<std::wstring> BrowseItemIds(TAddressSpace& space, TItemIdList*& position, DWORD filterType,
                                        const wchar_t* mask, VARTYPE typeFilter, DWORD rightsFilter,
                                        const TBrowseFilterMatchFn& match)
{
    CheckRange(static_cast<LONG>(filterType), BrowseBranch, BrowseFlat);
    CheckRange(static_cast<LONG>(rightsFilter), 0, OPC_READABLE | OPC_WRITEABLE);
    AddressSpaceRoot(space, position);

    std::vector<std::wstring> names;
    const TBrowseRequest request{filterType, mask ? std::wstring_view(mask) : std::wstring_view(), typeFilter,
                                 TAccessRights::FromOpc(rightsFilter), match, names};
    Visit(*position, request);
    return names;
}

std::optional<std::wstring> GetItemId(TAddressSpace& space, TItemIdList*& position, const wchar_t* itemDataId)
{
    if (!itemDataId) return std::nullopt;
    if (!*itemDataId) return std::wstring();
    AddressSpaceRoot(space, position);

    if (!space.Hierarchical()) {
        if (!FindPath(*space.Root(), itemDataId)) throw EOpcError(E_INVALIDARG);
        return std::wstring(itemDataId);
    }
    TNamespaceNode* node = FindPath(*position, itemDataId);
    if (!node) node = FindPath(*space.Root(), itemDataId);
    if (!node) throw EOpcError(E_INVALIDARG);
    return FullPath(*node);
}
