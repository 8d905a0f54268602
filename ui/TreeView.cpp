#include "TreeView.h"

#include "DeferredRedraw.h"

namespace {
constexpr wchar_t kTextPad = L' ';

std::wstring Padded(const std::wstring& text) { return text + kTextPad; }
}  // namespace

void TTreeView::DeferRedraw()
{
    // Wine's tree does not lay out again when its redraw comes back on; a
    // font change (the same font) makes it.
    HWND tree = Handle();
    ::DeferRedraw(tree, [tree] { SendMessageW(tree, WM_SETFONT, SendMessageW(tree, WM_GETFONT, 0, 0), FALSE); });
}

HTREEITEM TTreeView::AddNode(HTREEITEM parent, const std::wstring& text, LPARAM data)
{
    const std::wstring shown = Padded(text);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = const_cast<wchar_t*>(shown.c_str());
    ins.item.lParam = data;
    DeferRedraw();
    return reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

void TTreeView::SetNodeText(HTREEITEM node, const std::wstring& text)
{
    const std::wstring shown = Padded(text);
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = const_cast<wchar_t*>(shown.c_str());
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::wstring TTreeView::NodeText(HTREEITEM node) const
{
    wchar_t buffer[1024]{};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = buffer;
    item.cchTextMax = 1023;
    if (!SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    std::wstring text = item.pszText;
    if (!text.empty() && text.back() == kTextPad) text.pop_back();
    return text;
}

void TTreeView::DeleteNode(HTREEITEM node)
{
    if (!node) return;
    DeferRedraw();
    SendMessageW(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
}

HTREEITEM TTreeView::FirstChild(HTREEITEM node) const
{
    const WPARAM which = node ? TVGN_CHILD : TVGN_ROOT;
    return reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(node)));
}

HTREEITEM TTreeView::NextSibling(HTREEITEM node) const
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)));
}

HTREEITEM TTreeView::Selected() const
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void TTreeView::Select(HTREEITEM node)
{
    SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
}

int TTreeView::NodeCount() const { return static_cast<int>(SendMessageW(Handle(), TVM_GETCOUNT, 0, 0)); }

void TTreeView::Expand(HTREEITEM node)
{
    // Expanding an expanded node still repaints it and resets the scroll bars.
    const LRESULT state = SendMessageW(Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_EXPANDED);
    if (state & TVIS_EXPANDED) return;
    DeferRedraw();
    SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

void TTreeView::SetIndent(int pixels) { SendMessageW(Handle(), TVM_SETINDENT, pixels, 0); }

void TTreeView::OnCreated() { SendMessageW(Handle(), TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER); }

bool TTreeView::OnNotify(NMHDR* hdr, LRESULT& result)
{
    switch (hdr->code) {
    case NM_DBLCLK:
        if (OnDblClick) OnDblClick();
        result = 0;
        return true;
    case TVN_DELETEITEMW: {
        const auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
        if (OnNodeDeleted) OnNodeDeleted(nm->itemOld.hItem, nm->itemOld.lParam);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}
