// Shared helpers of the address-space tests: a stand-in for the item server's
// part (options, client positions, BuildAddressSpace) and exception probes.
#pragma once
#include <windows.h>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "addrspace/AddressSpace.h"
#include "contract/OpcError.h"
#include "RaisedCode.h"

// The message of the E that f raised, or a marker when it raised nothing.
template <class E, class F>
std::string MessageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "<nothing raised>";
}

struct TItemDecl {
    std::wstring Id;
    TAccessRights Rights;
    VARTYPE Type;
};

// What TOpcItemServer does with the tree: it owns the space, keeps one
// position per client, and rebuilds through its BuildAddressSpace.
class TTestItemServer {
public:
    explicit TTestItemServer(bool hierarchical, std::vector<TItemDecl> items = {}, wchar_t separator = L'.')
        : items_(std::move(items)), space_(TAddressSpaceOptions{hierarchical, separator, false})
    {
        space_.SetRebuildHandler([this](bool keepExisting) { Rebuild(keepExisting); });
    }

    TAddressSpace& Space() { return space_; }
    TItemIdList*& Client(size_t i)
    {
        while (clients_.size() <= i) clients_.push_back(nullptr);
        return clients_[i];
    }
    void SetItems(std::vector<TItemDecl> items) { items_ = std::move(items); }
    int Builds() const { return builds_; }

    void Rebuild(bool keepExisting)
    {
        std::vector<TItemIdList**> positions;
        for (TItemIdList*& p : clients_) positions.push_back(&p);
        RebuildAddressSpace(space_, keepExisting, positions, [this](TItemIdList& root) {
            ++builds_;
            for (const TItemDecl& item : items_) AddItemId(root, item.Id, item.Rights, item.Type);
        });
    }

private:
    std::vector<TItemDecl> items_;
    TAddressSpace space_;
    std::deque<TItemIdList*> clients_;  // deque: Client() references stay valid
    int builds_ = 0;
};

inline std::vector<std::wstring> ChildNames(const TNamespaceNode& node)
{
    std::vector<std::wstring> names;
    for (int i = 0; i < node.ChildCount(); ++i) names.push_back(node.ChildAt(i)->Name());
    return names;
}
