// TClientTree: the tree of connected clients, their groups and group items.
// Each node has a link to what it shows; deleting a node, with everything
// below it, tells each deleted node's link, so nothing keeps a node that is
// gone.
#pragma once
#include <memory>
#include <unordered_map>

#include "TreeView.h"

// What a node refers to; the tree owns the node.
struct TNodeLink {
    std::function<void()> ForgetNode;        // the node has gone
    std::function<std::wstring()> InfoText;  // the information box; empty: not a record the box knows
};

class TClientTree : public TTreeView {
public:
    TClientTree();

    // Appends a node as the last top-level node (parent null) or the last
    // child of `parent`; the caller stores the result in its record.
    HTREEITEM AddLinkedNode(HTREEITEM parent, const std::wstring& text, TNodeLink link);
    // Null when the node has no link (or does not exist).
    const TNodeLink* LinkOf(HTREEITEM node) const;

private:
    void NodeDeleted(HTREEITEM node);

    std::unordered_map<HTREEITEM, std::unique_ptr<TNodeLink>> links_;
};
