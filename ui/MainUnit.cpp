#include "MainUnit.h"

#include <commctrl.h>

#include <algorithm>

#include "DateText.h"
#include "ProcessWatch.h"
#include "com/TextUtil.h"

TMF* MF = nullptr;

namespace {

constexpr wchar_t kApplicationTitle[] = L"Quillmere OPC Server";
constexpr int kSplitterWidth = 3;
constexpr int kMinPaneWidth = 24;
constexpr int kMargin = 2;

std::wstring ItemColumnCaption() { return std::wstring(41, L' ') + L"Item"; }

}  // namespace

TMF::TMF()
{
    ItemList.CellText = [this](int row, int column) -> std::wstring {
        if (row < 0 || row >= TItemValueTable::RowCount) return {};
        switch (column) {
        case 0:
            return ItemValueTable.Number(row);
        case 1:
            return std::wstring(ItemValueTable.Label(row));
        default:
            return AnsiToWide(ItemValueTable.Value(row));
        }
    };
    ItemValueTable.OnRowChanged = [this](int row) {
        if (ItemList.Handle()) ItemList.RedrawRow(row);
    };
    ItemValueTable.OnEdit1Change = [this] { Edit1Change(); };
    Timer1.OnTimer = [this] { Timer1Timer(); };
    Timer2.OnTimer = [this] { Timer2Timer(); };
    Timer3.OnTimer = [this] { Timer3Timer(); };
    Timer4.OnTimer = [this] { Timer4Timer(); };
    Timer5.OnTimer = [this] { Timer5Timer(); };
    ClientTree.OnDblClick = [this] { TreeViewDblClick(); };
    connectionTimer_.OnTimer = [this] { ApplyConnectionChanges(); };
    // The batch waits for the timer, not for a posted message: a timer message
    // comes only when no call is queued, so a burst of calls shares one batch
    // and no client's next call waits behind the window's work.
    ConnectionChanges.OnQueued = [this] {
        if (Handle()) connectionTimer_.SetEnabled(true);
    };
    PageControl1.OnChange = [this] {
        ShowSelectedPage();
        PageControl1Change();
    };
}

TMF::~TMF()
{
    // Controls go before the window; their links are told while ConnectionChanges still lives.
    Destroy();
    if (MF == this) MF = nullptr;
}

void TMF::CreateForm()
{
    const INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES |
                                                                     ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    TWindowCreateArgs args;
    args.ClassName = kMainWindowClassName;
    args.Title = L"Quillmere Server";
    // A caption but no system menu: no title-bar buttons at all.
    args.Style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
    args.ExStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - FormWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - FormHeight) / 2;
    args.Bounds = RECT{x, y, x + FormWidth, y + FormHeight};
    Create(args);
}

void TMF::Show()
{
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
}

bool TMF::OnCreate()
{
    MF = this;
    try {
        SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.Handle()), FALSE);
        formBand_.CreateBand(Handle());

        TControlCreateArgs tabs;
        tabs.Parent = Handle();
        tabs.ClassName = WC_TABCONTROLW;
        tabs.Style = TCS_BUTTONS | WS_CLIPSIBLINGS | WS_TABSTOP;
        tabs.Bounds = RECT{0, 0, FormWidth, 30};
        PageControl1.Create(tabs);
        PageControl1.SetFont(tabFont_.Handle());
        PageControl1.AddTab(L"ZEV-30 Server");
        PageControl1.AddTab(L"Data Charting");
        PageControl1.AddTab(L"Series");

        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (TPanel* page : {&TabSheet1, &TabSheet2, &TabSheet3}) page->CreatePanel(Handle(), face);
        band1_.CreateBand(TabSheet1.Handle());
        band2_.CreateBand(TabSheet2.Handle());
        band3_.CreateBand(TabSheet3.Handle());
        CreateServerPage();
        CreateChartingPages();

        for (TTimer* timer : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &connectionTimer_}) timer->Attach(Handle());
        for (TTimer* timer : {&Timer1, &Timer4, &Timer5}) timer->SetEnabled(true);
        FormCreate();
        PageControl1.Select(0);
        ShowSelectedPage();
        const RECT client = ClientRect();
        OnSize(client.right, client.bottom);
    } catch (...) {
        MF = nullptr;
        return false;
    }
    return true;
}

void TMF::CreateServerPage()
{
    const HWND page = TabSheet1.Handle();

    TControlCreateArgs tree;
    tree.Parent = page;
    tree.ClassName = WC_TREEVIEWW;
    tree.Style = TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP;
    tree.ExStyle = WS_EX_CLIENTEDGE;
    ClientTree.Create(tree);
    ClientTree.SetFont(arial12_.Handle());
    ClientTree.SetIndent(19);

    splitter1_.CreateSplitter(page);
    splitter1_.OnDrag = [this](int dx) {
        treeWidth_ = std::max(treeWidth_ + dx, kMinPaneWidth);
        LayoutServerPage();
    };

    TControlCreateArgs list;
    list.Parent = page;
    list.ClassName = WC_LISTVIEWW;
    list.Style = LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP;
    list.ExStyle = WS_EX_CLIENTEDGE;
    ItemList.Create(list);
    ItemList.SetFont(formFont_.Handle());
    ItemList.AddColumn(L"  No.", 40, LVCFMT_LEFT);
    ItemList.AddColumn(ItemColumnCaption(), 300, LVCFMT_LEFT);
    ItemList.AddColumn(L"Value", 160, LVCFMT_CENTER);

    splitter2_.CreateSplitter(page);
    splitter2_.OnDrag = [this](int dx) {
        listWidth_ = std::max(listWidth_ + dx, kMinPaneWidth);
        LayoutServerPage();
    };

    TControlCreateArgs log;
    log.Parent = page;
    log.ClassName = WC_LISTBOXW;
    log.Style = LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    log.ExStyle = WS_EX_CLIENTEDGE;
    ServerLog.Create(log);
    ServerLog.SetFont(arial12_.Handle());  // the font resets the row height: set it after
    ServerLog.SetRowHeight(15);

    // Never shown: it carries the window-command text for anyone who looks
    // for it by window, while ItemValueTable holds the text itself.
    TControlCreateArgs edit;
    edit.Parent = page;
    edit.ClassName = WC_EDITW;
    edit.Style = ES_AUTOHSCROLL;
    edit.Hidden = true;
    edit.Text = AnsiToWide(ItemValueTable.Edit1Text());
    Edit1.Create(edit);
}

void TMF::CreateChartingPages()
{
    Charting.Create(TabSheet2.Handle(), TabSheet3.Handle(), formFont_.Handle(), Timer2, Timer3);
}

void TMF::FormCreate()
{
    // Our own surfaces paint off-screen (PaintsBuffered, the chart through its
    // kept bitmap); the list and the tree switch on their own double
    // buffering when they are made.
    ItemList.SetRowCount(TItemValueTable::RowCount);
    // Steps 3 to 9: series, captions, navigation, ranges, first values,
    // colours and the readout.
    Charting.FormCreate(NowDateTime());
}

void TMF::OnSize(int width, int height)
{
    // A minimised window reports no size; the layout stays as it was.
    if (!PageControl1.Handle() || width <= 0 || height <= 0) return;
    formBand_.SetBounds(0, 0, width, TBand::Height);
    const int stripTop = TBand::Height + kMargin;
    const int strip = std::max(PageControl1.StripHeight(), 20);
    PageControl1.SetBounds(kMargin, stripTop, width - 2 * kMargin, strip);
    const int pageTop = stripTop + strip + kMargin;
    const int pageWidth = std::max(width - 2 * kMargin, 0);
    const int pageHeight = std::max(height - pageTop - kMargin, 0);
    for (TPanel* page : {&TabSheet1, &TabSheet2, &TabSheet3}) page->SetBounds(kMargin, pageTop, pageWidth, pageHeight);
    for (TBand* band : {&band1_, &band2_, &band3_}) band->SetBounds(0, 0, pageWidth, TBand::Height);

    LayoutServerPage();
    Charting.Layout(pageWidth, pageHeight, TBand::Height);
}

void TMF::LayoutServerPage()
{
    const RECT page = TabSheet1.ClientRect();
    const int width = page.right, top = TBand::Height;
    const int height = std::max<int>(page.bottom - top, 0);
    // Each pane keeps at least a sliver, whatever the splitters or the window
    // size say; the chosen widths themselves are kept for a larger window.
    const int room = width - 2 * kSplitterWidth;
    const int treeWidth = std::clamp(treeWidth_, kMinPaneWidth, std::max(room - 2 * kMinPaneWidth, kMinPaneWidth));
    const int listWidth =
        std::clamp(listWidth_, kMinPaneWidth, std::max(room - treeWidth - kMinPaneWidth, kMinPaneWidth));
    int x = 0;
    ClientTree.SetBounds(x, top, treeWidth, height);
    x += treeWidth;
    splitter1_.SetBounds(x, top, kSplitterWidth, height);
    x += kSplitterWidth;
    ItemList.SetBounds(x, top, listWidth, height);
    x += listWidth;
    splitter2_.SetBounds(x, top, kSplitterWidth, height);
    x += kSplitterWidth;
    ServerLog.SetBounds(x, top, std::max(width - x, 0), height);
    // A moved or resized control keeps the picture the move copied along
    // (the list then repaints only rows that change, the log nothing): the
    // page and everything on it draw again.
    RedrawWindow(TabSheet1.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TMF::OnPaint(HDC dc, const RECT& client) { FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE)); }

void TMF::ShowSelectedPage()
{
    const int selected = PageControl1.Selected();
    TPanel* pages[] = {&TabSheet1, &TabSheet2, &TabSheet3};
    for (int i = 0; i < 3; ++i) ShowWindow(pages[i]->Handle(), i == selected ? SW_SHOW : SW_HIDE);
}

void TMF::FormActivate() { PageControl1Change(); }

void TMF::PageControl1Change()
{
    switch (PageControl1.Selected()) {
    case 0:
        ItemList.Focus();
        break;
    case 1:
        SetFocus(Charting.DataPage.ChartPanel.Handle());
        break;
    case 2:
        SetFocus(Charting.SeriesPage.TimeSpanPanel.Handle());
        break;
    default:
        break;
    }
}

bool TMF::Minimised() const { return Handle() && IsIconic(Handle()); }

bool TMF::Shown() const { return Handle() && IsWindowVisible(Handle()); }

void TMF::MinimiseAndHide()
{
    if (!Handle()) return;
    if (!IsIconic(Handle())) ShowWindow(Handle(), SW_MINIMIZE);
    if (IsWindowVisible(Handle())) ShowWindow(Handle(), SW_HIDE);
}

void TMF::Edit1Change()
{
    if (Edit1.Handle()) Edit1.SetText(AnsiToWide(ItemValueTable.Edit1Text()));
    if (ItemValueTable.Edit1Text() == "1") {
        if (Minimised()) {
            ShowWindow(Handle(), SW_RESTORE);  // shown, in normal state
        } else {
            MinimiseAndHide();
        }
        ItemValueTable.SetEdit1Text("0");  // runs this once more, which does nothing
    }
    if (ItemValueTable.Edit1Text() == "2") MinimiseAndHide();
}

void TMF::Timer4Timer()
{
    Charting.Timer4Timer();
    if (IsProcessRunning(kCompanionProcessName)) return;
    MinimiseAndHide();
    ItemValueTable.SetEdit1Text("0");
}

void TMF::BringToFront()
{
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    if (!IsWindowVisible(Handle())) ShowWindow(Handle(), SW_SHOW);
    BringWindowToTop(Handle());
    SetForegroundWindow(Handle());
}

void TMF::TreeViewDblClick()
{
    const HTREEITEM node = ClientTree.Selected();
    if (!node) return;
    const TNodeLink* link = ClientTree.LinkOf(node);
    if (!link) return;
    if (!link->InfoText) {
        ShowBox(L"Unknown Info Object", kApplicationTitle, MB_OK | MB_ICONERROR);
        return;
    }
    const std::wstring text = link->InfoText();
    if (text.empty()) return;  // the record has gone; its node goes with the next batch
    ShowBox(text, L"Information", MB_OK | MB_ICONINFORMATION);
}

void TMF::ShowBox(const std::wstring& text, const std::wstring& caption, UINT flags)
{
    if (ShowMessageBox) {
        ShowMessageBox(text, caption, flags);
    } else {
        MessageBoxW(Handle(), text.c_str(), caption.c_str(), flags);
    }
}

void TMF::AddLogLine(const std::wstring& text)
{
    if (ServerLog.Handle()) ServerLog.Append(text);
}

void TMF::ApplyConnectionChanges()
{
    connectionTimer_.SetEnabled(false);
    ConnectionChanges.Apply();
}

HTREEITEM TMF::AddClientNode(TNodeLink link)
{
    return ClientTree.AddLinkedNode(nullptr, NewClientNodeText(), std::move(link));
}

void TMF::SetClientNodeName(HTREEITEM node, const std::wstring& name)
{
    if (node) ClientTree.SetNodeText(node, ClientNodeText(name));
}

HTREEITEM TMF::AddChildNode(HTREEITEM parent, const std::wstring& text, TNodeLink link)
{
    return parent ? ClientTree.AddLinkedNode(parent, text, std::move(link)) : nullptr;
}

void TMF::DeleteNode(HTREEITEM node) { ClientTree.DeleteNode(node); }

bool TMF::OnClose()
{
    return CanClose && !CanClose();  // true: handled, the window stays
}

void TMF::OnDestroy()
{
    for (TTimer* timer : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &connectionTimer_}) timer->SetEnabled(false);
    ConnectionChanges.Discard();
    if (MF == this) MF = nullptr;
    if (QuitOnDestroy) PostQuitMessage(0);
}

bool TMF::OnTimer(UINT_PTR id)
{
    for (TTimer* timer : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &connectionTimer_})
        if (timer->Dispatch(id)) return true;
    return false;
}

bool TMF::OnActivate(bool active)
{
    if (!active) return false;
    FormActivate();
    return true;
}

bool TMF::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case kMainWindowBringToFront:
        BringToFront();
        result = 0;
        return true;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = POINT{420, 300};
        result = 0;
        return true;
    }
    default:
        // WM_COPYDATA too: the default processing answers 0, so a second start
        // with arguments always runs as a process of its own.
        return TWindow::OnMessage(msg, wp, lp, result);
    }
}

std::wstring NewClientNodeText() { return L"New Client started at " + NowDateTimeText(); }

std::wstring ClientNodeText(const std::wstring& name) { return L"Client " + name; }

void AddLogLine(const std::wstring& text)
{
    if (MF) MF->AddLogLine(text);
}
