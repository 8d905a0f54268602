#include "addrspace/AddressSpace.h"

#include <algorithm>

#include "contract/OpcError.h"
#include "com/TextUtil.h"

// ---- nodes ----

TNamespaceNode::TNamespaceNode(TAddressSpace& space, TItemIdList* parent, std::wstring name)
    : space_(space), parent_(parent), name_(std::move(name))
{
}

TNamespaceNode* TNamespaceNode::ChildAt(int) const { return nullptr; }

int TNamespaceNode::ChildCount() const { return 0; }

TNamespaceItem::TNamespaceItem(TItemIdList& parent, std::wstring name, TAccessRights rights, VARTYPE type)
    : TNamespaceNode(parent.Space(), &parent, std::move(name)), rights_(rights), type_(type)
{
}

TItemIdList::TItemIdList(TAddressSpace& space, TItemIdList* parent, std::wstring name)
    : TNamespaceNode(space, parent, std::move(name))
{
}

TItemIdList::~TItemIdList() { Clear(); }

namespace {

auto LowerBound(const std::vector<std::unique_ptr<TNamespaceNode>>& children, std::wstring_view name)
{
    return std::lower_bound(children.begin(), children.end(), name,
                            [](const std::unique_ptr<TNamespaceNode>& child, std::wstring_view key) {
                                return CompareTextI(child->Name(), key) < 0;
                            });
}

}  // namespace

TNamespaceNode* TItemIdList::ChildAt(int index) const
{
    if (index < 0 || index >= ChildCount()) return nullptr;
    return children_[static_cast<size_t>(index)].get();
}

int TItemIdList::ChildCount() const { return static_cast<int>(children_.size()); }

TNamespaceNode* TItemIdList::Find(std::wstring_view name) const
{
    const auto it = LowerBound(children_, name);
    return it != children_.end() && SameTextI((*it)->Name(), name) ? it->get() : nullptr;
}

TNamespaceNode& TItemIdList::Insert(std::unique_ptr<TNamespaceNode> node)
{
    const auto it = LowerBound(children_, node->Name());
    if (it != children_.end() && SameTextI((*it)->Name(), node->Name())) return **it;
    return **children_.insert(it, std::move(node));
}

TNamespaceNode& TItemIdList::AddLeaf(std::wstring_view name, TAccessRights rights, VARTYPE type)
{
    return Insert(std::unique_ptr<TNamespaceNode>(new TNamespaceItem(*this, std::wstring(name), rights, type)));
}

TNamespaceNode& TItemIdList::AddBranch(std::wstring_view name)
{
    return Insert(std::unique_ptr<TNamespaceNode>(new TItemIdList(Space(), this, std::wstring(name))));
}

void TItemIdList::Clear() noexcept
{
    // Detach first, so the list never hands out a child that is being destroyed.
    auto doomed = std::move(children_);
    children_.clear();
    doomed.clear();
}

// ---- the space ----

TAddressSpace::TAddressSpace(TAddressSpaceOptions options) : options_(options) {}

TAddressSpace::~TAddressSpace() = default;

void TAddressSpace::SetLayout(bool hierarchical, wchar_t separator) noexcept
{
    options_.Hierarchical = hierarchical;
    options_.Separator = separator;
}

TItemIdList& TAddressSpace::EnsureRoot()
{
    if (!root_) root_.reset(new TItemIdList(*this, nullptr, std::wstring()));
    return *root_;
}

// ---- builder and query operations ----

TItemIdList& NewBranch(TItemIdList& branch, std::wstring_view name)
{
    if (!branch.Space().Hierarchical()) throw EOpcServer("Cannot call NewBranch in flat address space");
    TNamespaceNode& node = branch.AddBranch(name);
    TItemIdList* child = AsBranch(&node);
    if (!child) throw EOpcServer(WideToAnsi(name) + " is an invalid branch name");
    return *child;
}

TNamespaceNode& AddItemId(TItemIdList& branch, std::wstring_view itemId, TAccessRights rights, VARTYPE type)
{
    const TAddressSpace& space = branch.Space();
    TItemIdList* current = &branch;
    std::wstring_view leafName = itemId;
    if (space.Hierarchical()) {
        for (size_t sep; (sep = leafName.find(space.Separator())) != std::wstring_view::npos;) {
            current = &NewBranch(*current, leafName.substr(0, sep));
            leafName.remove_prefix(sep + 1);
        }
    }
    if (TNamespaceNode* existing = current->Find(leafName)) {
        if (!space.KeepExisting()) throw EListError("Duplicate Item Id " + WideToAnsi(leafName));
        return *existing;
    }
    return current->AddLeaf(leafName, rights, type);
}

TNamespaceNode* FindPath(const TNamespaceNode& start, std::wstring_view path)
{
    const TAddressSpace& space = start.Space();
    const TItemIdList* current = dynamic_cast<const TItemIdList*>(&start);
    if (!current) return nullptr;
    if (!space.Hierarchical()) return current->Find(path);

    for (size_t sep; (sep = path.find(space.Separator())) != std::wstring_view::npos;) {
        current = AsBranch(current->Find(path.substr(0, sep)));
        if (!current) return nullptr;
        path.remove_prefix(sep + 1);
    }
    return path.empty() ? nullptr : current->Find(path);
}

std::wstring FullPath(const TNamespaceNode& node)
{
    std::wstring path = node.Name();
    const wchar_t separator = node.Space().Separator();
    for (const TNamespaceNode* up = node.Parent(); up && !up->Name().empty(); up = up->Parent())
        path = up->Name() + separator + path;
    return path;
}

void ClearNodes(TItemIdList& branch) noexcept { branch.Clear(); }

// ---- life cycle ----

void AddressSpaceRoot(TAddressSpace& space, TItemIdList*& position)
{
    if (!space.Root()) {
        if (space.RebuildHandler())
            space.RebuildHandler()(false);
        else
            space.EnsureRoot();
    }
    if (!position) position = &space.EnsureRoot();
}

void RebuildAddressSpace(TAddressSpace& space, bool keepExisting, std::span<TItemIdList** const> positions,
                         const std::function<void(TItemIdList& root)>& build)
{
    // An empty path stands for "no position"; the root's own path is empty
    // too, which is fine: FindPath never finds an empty path, and a client
    // left without a position is put at the root by its next browse call.
    std::vector<std::wstring> paths;
    paths.reserve(positions.size());
    for (TItemIdList** position : positions) {
        paths.push_back(*position ? FullPath(**position) : std::wstring());
        *position = nullptr;
    }

    const bool existed = space.Root() != nullptr;
    TItemIdList& root = space.EnsureRoot();
    if (existed && !keepExisting) ClearNodes(root);
    space.SetKeepExisting(keepExisting);

    if (build) build(root);

    for (size_t i = 0; i < positions.size(); ++i)
        *positions[i] = paths[i].empty() ? nullptr : AsBranch(FindPath(root, paths[i]));
}
