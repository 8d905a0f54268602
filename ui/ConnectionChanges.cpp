#include "ConnectionChanges.h"

namespace {

// Keys are never reused in the process, so a key a record kept from an
// earlier window, or from a node gone since, names no node.
TNodeKey NewKey()
{
    static TNodeKey last = 0;
    return ++last;
}

}  // namespace

TNodeKey TConnectionChanges::AddTopNode(std::wstring text, std::function<std::wstring()> infoText)
{
    return AddNode(0, std::move(text), std::move(infoText));
}

TNodeKey TConnectionChanges::AddChildNode(TNodeKey parent, std::wstring text, std::function<std::wstring()> infoText)
{
    if (parent == 0 || nodes_.find(parent) == nodes_.end()) return 0;
    return AddNode(parent, std::move(text), std::move(infoText));
}

TNodeKey TConnectionChanges::AddNode(TNodeKey parent, std::wstring text, std::function<std::wstring()> infoText)
{
    const TNodeKey key = NewKey();
    if (parent != 0) nodes_.at(parent).Children.push_back(key);
    TNode& node = nodes_[key];
    node.Parent = parent;
    node.Text = std::move(text);
    node.InfoText = std::move(infoText);
    Queue(TChange(TKind::AddNode, key));
    return key;
}

void TConnectionChanges::SetNodeText(TNodeKey key, std::wstring text)
{
    const auto it = nodes_.find(key);
    if (it == nodes_.end()) return;
    it->second.Text = std::move(text);
    Queue(TChange(TKind::ShowText, key));
}

void TConnectionChanges::SetNodeMark(TNodeKey key, std::wstring mark)
{
    const auto it = nodes_.find(key);
    if (it == nodes_.end()) return;
    it->second.Mark = std::move(mark);
    Queue(TChange(TKind::ShowText, key));
}

void TConnectionChanges::RemoveNode(TNodeKey key)
{
    const auto it = nodes_.find(key);
    if (it == nodes_.end()) return;
    if (it->second.Shown) Queue(TChange(TKind::DeleteNode, key, it->second.Shown));
    if (it->second.Parent != 0) {
        std::vector<TNodeKey>& siblings = nodes_.at(it->second.Parent).Children;
        for (auto s = siblings.begin(); s != siblings.end(); ++s) {
            if (*s == key) {
                siblings.erase(s);
                break;
            }
        }
    }
    // The node and everything below it leave the table now: their queued
    // adds and texts find nothing, and no information text reads a record
    // that may end when this hook returns.
    std::vector<TNodeKey> going{key};
    for (size_t i = 0; i < going.size(); ++i) {
        const auto node = nodes_.find(going[i]);
        going.insert(going.end(), node->second.Children.begin(), node->second.Children.end());
        nodes_.erase(node);
    }
}

void TConnectionChanges::AddLogLine(std::wstring line) { Queue(TChange(TKind::LogLine, 0, nullptr, std::move(line))); }

void TConnectionChanges::Queue(TChange change)
{
    const bool first = changes_.empty();
    changes_.push_back(std::move(change));
    if (first && OnQueued) OnQueued();
}

void TConnectionChanges::Apply()
{
    // Changes queued while this batch runs make the next one.
    std::vector<TChange> batch;
    batch.swap(changes_);
    std::vector<std::wstring> lines;
    for (TChange& change : batch) {
        switch (change.Kind) {
        case TKind::AddNode:
            ApplyAdd(change.Key);
            break;
        case TKind::ShowText:
            ApplyText(change.Key);
            break;
        case TKind::DeleteNode:
            tree_.DeleteNode(change.Node);
            break;
        case TKind::LogLine:
            lines.push_back(std::move(change.Line));
            break;
        }
    }
    // The log takes the batch's lines at once: a long burst keeps only what fits.
    if (log_.Handle()) log_.AppendLines(lines);
}

void TConnectionChanges::ApplyAdd(TNodeKey key)
{
    const auto it = nodes_.find(key);
    if (it == nodes_.end()) return;  // removed in the same batch
    HTREEITEM parent = nullptr;
    if (it->second.Parent != 0) {
        parent = nodes_.at(it->second.Parent).Shown;
        if (!parent) return;  // the parent's node could not be made
    }
    TNodeLink link{[this, key] {
                       const auto node = nodes_.find(key);
                       if (node != nodes_.end()) node->second.Shown = nullptr;
                   },
                   [this, key] { return InfoTextOf(key); }};
    it->second.Shown = tree_.AddLinkedNode(parent, it->second.Text + it->second.Mark, std::move(link));
}

void TConnectionChanges::ApplyText(TNodeKey key)
{
    const auto it = nodes_.find(key);
    if (it != nodes_.end() && it->second.Shown) tree_.SetNodeText(it->second.Shown, it->second.Text + it->second.Mark);
}

HTREEITEM TConnectionChanges::NodeOf(TNodeKey key) const
{
    const auto it = nodes_.find(key);
    return it == nodes_.end() ? nullptr : it->second.Shown;
}

std::wstring TConnectionChanges::InfoTextOf(TNodeKey key) const
{
    const auto it = nodes_.find(key);
    return it == nodes_.end() || !it->second.InfoText ? std::wstring() : it->second.InfoText();
}
