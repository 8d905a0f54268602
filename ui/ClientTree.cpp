#include "ClientTree.h"

TClientTree::TClientTree()
{
    OnNodeDeleted = [this](HTREEITEM node, LPARAM) { NodeDeleted(node); };
}

HTREEITEM TClientTree::AddLinkedNode(HTREEITEM parent, const std::wstring& text, TNodeLink link)
{
    HTREEITEM node = AddNode(parent, text, 0);
    if (!node) return nullptr;
    links_[node] = std::make_unique<TNodeLink>(std::move(link));
    if (parent) Expand(parent);
    return node;
}

const TNodeLink* TClientTree::LinkOf(HTREEITEM node) const
{
    const auto it = links_.find(node);
    return it == links_.end() ? nullptr : it->second.get();
}

void TClientTree::NodeDeleted(HTREEITEM node)
{
    const auto it = links_.find(node);
    if (it == links_.end()) return;
    std::unique_ptr<TNodeLink> link = std::move(it->second);
    links_.erase(it);
    if (link->ForgetNode) link->ForgetNode();
}
