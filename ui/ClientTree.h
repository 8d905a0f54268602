// TClientTree: the tree of connected clients, their groups and group items.
// Each node refers to a record of the core, and the record refers back to its
// node; deleting a node, with everything below it, tells each deleted node's
// record to forget its node, so no record ever points at a node that is gone.
#pragma once
#include <memory>
#include <unordered_map>

#include "TreeView.h"

// What a node refers to. The core owns the record; the tree owns the node.
struct TNodeLink {
    std::function<void()> ForgetNode;        // clears the record's back link
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
