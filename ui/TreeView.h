// TTreeView: a read-only tree whose nodes carry one pointer-sized datum.
// Node texts reach the control with one blank after them: Wine's tree draws
// a text a pixel right of where it measured it and cuts it off at the
// measured end, which hides the last letter's stroke ("simulato" for
// "simulator"); the blank takes the cut instead. NodeText gives the text back
// as it was set.
#pragma once
#include <functional>

#include "Control.h"  // windows.h first, then the common controls
#include <commctrl.h>

class TTreeView : public TControl {
public:
    HTREEITEM AddNode(HTREEITEM parent, const std::wstring& text,
                      LPARAM data);  // null parent: top level; appended last
    void SetNodeText(HTREEITEM node, const std::wstring& text);
    std::wstring NodeText(HTREEITEM node) const;
    void DeleteNode(HTREEITEM node);             // with everything below it
    HTREEITEM FirstChild(HTREEITEM node) const;  // null node: the first top-level node
    HTREEITEM NextSibling(HTREEITEM node) const;
    HTREEITEM Selected() const;
    void Select(HTREEITEM node);
    int NodeCount() const;
    void Expand(HTREEITEM node);
    void SetIndent(int pixels);

    std::function<void()> OnDblClick;
    // Once for every node that goes, also when the tree itself is destroyed.
    std::function<void(HTREEITEM node, LPARAM data)> OnNodeDeleted;

    bool OnNotify(NMHDR* hdr, LRESULT& result) override;

protected:
    void OnCreated() override;

private:
    // Repaints once after the current burst of changes.
    void DeferRedraw();
};
