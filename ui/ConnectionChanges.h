// TConnectionChanges: the client tree and log changes that the item server's
// connection hooks cause, queued while the client's call runs and applied in
// one batch once the message loop is back, so the tree and the log never
// lengthen a client's call. A node is known by a key given when its add is
// queued; the queue holds copies (texts, keys), never a record. The only
// thing that reads a live record is a node's information text, and it is
// dropped when the removal of the node or of one above it is queued, while
// the record is still alive. Main thread only.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ClientTree.h"
#include "ServerLog.h"

using TNodeKey = uint64_t;  // 0: no node

class TConnectionChanges {
public:
    TConnectionChanges(TClientTree& tree, TServerLog& log) : tree_(tree), log_(log) {}
    TConnectionChanges(const TConnectionChanges&) = delete;
    TConnectionChanges& operator=(const TConnectionChanges&) = delete;

    // Called when a change is queued on an empty batch: the owner then
    // arranges for Apply to run soon.
    std::function<void()> OnQueued;

    // A new top-level node. infoText reads the record of the node for the
    // information box while it lives.
    TNodeKey AddTopNode(std::wstring text, std::function<std::wstring()> infoText);
    // A new last child of parent; 0 (nothing queued) when the parent has no
    // node, or has one that is going.
    TNodeKey AddChildNode(TNodeKey parent, std::wstring text, std::function<std::wstring()> infoText);
    // The node's text, and a mark shown after it (empty: none).
    void SetNodeText(TNodeKey key, std::wstring text);
    void SetNodeMark(TNodeKey key, std::wstring mark);
    // The node with everything below it; pending changes of these nodes are
    // dropped, so a node added and removed in one batch never appears.
    void RemoveNode(TNodeKey key);
    void AddLogLine(std::wstring line);

    // Applies the queued changes in the order they were queued.
    void Apply();
    // Forgets the queued changes (the window goes).
    void Discard() noexcept { changes_.clear(); }
    bool Pending() const noexcept { return !changes_.empty(); }
    // The tree's node of key; null while its add is queued and once its
    // removal is.
    HTREEITEM NodeOf(TNodeKey key) const;
    // The node's information text; empty once its removal is queued.
    std::wstring InfoTextOf(TNodeKey key) const;

private:
    struct TNode {
        TNodeKey Parent = 0;
        std::vector<TNodeKey> Children;
        HTREEITEM Shown = nullptr;
        std::wstring Text, Mark;
        std::function<std::wstring()> InfoText;
    };
    enum class TKind { AddNode, ShowText, DeleteNode, LogLine };
    struct TChange {
        TChange(TKind kind, TNodeKey key, HTREEITEM node = nullptr, std::wstring line = {})
            : Kind(kind), Key(key), Node(node), Line(std::move(line))
        {
        }
        TKind Kind;
        TNodeKey Key;
        HTREEITEM Node;     // DeleteNode
        std::wstring Line;  // LogLine
    };

    TNodeKey AddNode(TNodeKey parent, std::wstring text, std::function<std::wstring()> infoText);
    void Queue(TChange change);
    void ApplyAdd(TNodeKey key);
    void ApplyText(TNodeKey key);

    TClientTree& tree_;
    TServerLog& log_;
    std::unordered_map<TNodeKey, TNode> nodes_;  // nodes shown or queued, not yet going
    std::vector<TChange> changes_;
};
