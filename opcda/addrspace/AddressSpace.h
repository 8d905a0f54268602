// The address-space tree that clients browse: branches (TItemIdList) and
// leaves (TNamespaceItem) below one root, plus the builder and query
// operations the item server and the browse calls use. The tree is only a
// catalogue for browsing; item resolution never consults it.
//
// Locking: none here. The item server's ClientList lock guards the tree and
// every browse position; callers hold it around rebuilds, position changes
// and GetItemID.
#pragma once
#include <windows.h>
#include <oleauto.h>  // VARTYPE
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "contract/OpcTypes.h"

class TAddressSpace;
class TItemIdList;

// A list refused an entry (a duplicate item ID while building the tree).
// Deliberately not an EOpcError: it reports a fault of the item server.
class EListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TNamespaceNode {
public:
    virtual ~TNamespaceNode() = default;
    TNamespaceNode(const TNamespaceNode&) = delete;
    TNamespaceNode& operator=(const TNamespaceNode&) = delete;

    TItemIdList* Parent() const noexcept { return parent_; }
    const std::wstring& Name() const noexcept { return name_; }
    TAddressSpace& Space() const noexcept { return space_; }

    virtual TNamespaceNode* ChildAt(int index) const;
    virtual int ChildCount() const;

protected:
    TNamespaceNode(TAddressSpace& space, TItemIdList* parent, std::wstring name);

private:
    TAddressSpace& space_;
    TItemIdList* parent_;
    std::wstring name_;
};

class TNamespaceItem final : public TNamespaceNode {
public:
    TAccessRights AccessRights() const noexcept { return rights_; }
    VARTYPE CanonicalType() const noexcept { return type_; }

private:
    friend class TItemIdList;
    TNamespaceItem(TItemIdList& parent, std::wstring name, TAccessRights rights, VARTYPE type);

    TAccessRights rights_;
    VARTYPE type_;
};

class TItemIdList final : public TNamespaceNode {
public:
    ~TItemIdList() override;

    // Children in case-insensitive name order.
    TNamespaceNode* ChildAt(int index) const override;
    int ChildCount() const override;

    // The child of that name, letter case ignored, or null.
    TNamespaceNode* Find(std::wstring_view name) const;

    // Create a child. When a child of that name exists already the list is
    // left unchanged and the existing child (of whatever kind) is returned.
    TNamespaceNode& AddLeaf(std::wstring_view name, TAccessRights rights, VARTYPE type);
    TNamespaceNode& AddBranch(std::wstring_view name);

    // Destroys every child (and so the whole subtree).
    void Clear() noexcept;

private:
    friend class TAddressSpace;
    TItemIdList(TAddressSpace& space, TItemIdList* parent, std::wstring name);
    TNamespaceNode& Insert(std::unique_ptr<TNamespaceNode> node);

    std::vector<std::unique_ptr<TNamespaceNode>> children_;
};

inline TItemIdList* AsBranch(TNamespaceNode* node) noexcept { return dynamic_cast<TItemIdList*>(node); }
inline TNamespaceItem* AsLeaf(TNamespaceNode* node) noexcept { return dynamic_cast<TNamespaceItem*>(node); }

// The item server's settings that shape the tree. Hierarchical and Separator
// come from its HierarchicalAddressSpace option and BranchSeparator; the item
// server keeps them current (they are virtual there, so it cannot hand them
// over while it is being constructed). KeepExisting is the argument of the
// last rebuild.
struct TAddressSpaceOptions {
    bool Hierarchical = false;
    wchar_t Separator = L'.';
    bool KeepExisting = false;
};

// Owns the root and the options. The root is absent until the tree is first
// built (AddressSpaceRoot). Nodes refer back to it, so it never moves.
class TAddressSpace {
public:
    // Called with keep-existing false the first time a client needs the tree;
    // the item server passes its own RebuildAddressSpace here.
    using TRebuildHandler = std::function<void(bool keepExisting)>;

    explicit TAddressSpace(TAddressSpaceOptions options = {});
    ~TAddressSpace();
    TAddressSpace(const TAddressSpace&) = delete;
    TAddressSpace& operator=(const TAddressSpace&) = delete;

    const TAddressSpaceOptions& Options() const noexcept { return options_; }
    bool Hierarchical() const noexcept { return options_.Hierarchical; }
    wchar_t Separator() const noexcept { return options_.Separator; }
    bool KeepExisting() const noexcept { return options_.KeepExisting; }
    void SetLayout(bool hierarchical, wchar_t separator) noexcept;
    void SetKeepExisting(bool keepExisting) noexcept { options_.KeepExisting = keepExisting; }

    void SetRebuildHandler(TRebuildHandler handler) { rebuild_ = std::move(handler); }
    const TRebuildHandler& RebuildHandler() const noexcept { return rebuild_; }

    TItemIdList* Root() const noexcept { return root_.get(); }
    // The root, created empty when absent.
    TItemIdList& EnsureRoot();

private:
    TAddressSpaceOptions options_;
    TRebuildHandler rebuild_;
    std::unique_ptr<TItemIdList> root_;
};

// Builder operations, for the item server's BuildAddressSpace.

// Adds an item ID below branch: split at the separator into branches and a
// leaf name in a hierarchical space, the whole ID as the leaf name in a flat
// one. An existing name raises EListError("Duplicate Item Id <name>") unless
// KeepExisting is set, when the node found is returned (it may be a branch,
// which is why the result is a node and not a leaf).
TNamespaceNode& AddItemId(TItemIdList& branch, std::wstring_view itemId, TAccessRights rights, VARTYPE type);

// The child branch of that name, created when absent. Raises EOpcServer in a
// flat space and when the name belongs to a leaf.
TItemIdList& NewBranch(TItemIdList& branch, std::wstring_view name);

// Query operations.

// The node that path names relative to start, or null. Flat: a child of start
// named path. Hierarchical: every segment but the last must name a branch,
// the last names a leaf or a branch; an empty path or one that ends in the
// separator names nothing.
TNamespaceNode* FindPath(const TNamespaceNode& start, std::wstring_view path);

// The node's name preceded by its ancestors' names and the separator, up to
// the first ancestor with an empty name (the root).
std::wstring FullPath(const TNamespaceNode& node);

void ClearNodes(TItemIdList& branch) noexcept;

// Tree life cycle, for TOpcItemServer.

// Builds the tree through the rebuild handler when it does not exist yet
// (an empty root when there is no handler), then puts an empty position at
// the root. A position that is set is left alone.
void AddressSpaceRoot(TAddressSpace& space, TItemIdList*& position);

// Rebuilds the tree: each client's position is remembered by path and cleared,
// the root is created or emptied (kept with keepExisting), keepExisting is
// recorded, build fills the root, and each position is set again to the
// branch at its old path, or left empty when there is none. If build raises,
// the exception passes through and every position stays empty, so nothing
// points into a half-built tree. The caller holds the ClientList lock.
void RebuildAddressSpace(TAddressSpace& space, bool keepExisting, std::span<TItemIdList** const> positions,
                         const std::function<void(TItemIdList& root)>& build);
