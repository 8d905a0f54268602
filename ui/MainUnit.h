// TMF: the server's main window. The server page shows the client tree, the
// item list (the view of ItemValueTable) and the connection log; the other
// two pages belong to trend charting. The window keeps itself minimised and
// hidden while the companion process software is not running.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "Band.h"
#include "ClientTree.h"
#include "ConnectionChanges.h"
#include "Edit.h"
#include "Font.h"
#include "ItemValueTable.h"
#include "ListView.h"
#include "Panel.h"
#include "ServerLog.h"
#include "Splitter.h"
#include "TabControl.h"
#include "Timer.h"
#include "TrendChartView.h"
#include "Window.h"

// The window class that a second start looks for to find the running instance.
inline constexpr wchar_t kMainWindowClassName[] = L"TQuillmereZev30MainWindow";
// Sent by a second start: restore, show and bring the window to the front.
inline constexpr UINT kMainWindowBringToFront = WM_USER + 1;
// The companion process software, by a part of its executable name.
inline constexpr wchar_t kCompanionProcessName[] = L"Quillmere.EXE";

class TMF : public TWindow {
public:
    static constexpr int FormWidth = 730;
    static constexpr int FormHeight = 539;

    TMF();
    ~TMF() override;

    // Creates the window, centred on the desktop and not yet shown, and runs
    // FormCreate. Throws std::runtime_error when the window cannot be made.
    void CreateForm();
    void Show();

    // The values of the item list and the window-command text Edit1. The table
    // is the one store; the list and the hidden Edit1 field only show it.
    TItemValueTable ItemValueTable;

    // The operator's view of connections. The item server's hooks queue their
    // changes in ConnectionChanges; the rest change the tree and log at once.
    TClientTree ClientTree;
    void AddLogLine(const std::wstring& text);
    // A new top-level node, NewClientNodeText().
    HTREEITEM AddClientNode(TNodeLink link);
    // The client's node text becomes ClientNodeText(name).
    void SetClientNodeName(HTREEITEM node, const std::wstring& name);
    // A group under its client's node, an item under its group's node.
    HTREEITEM AddChildNode(HTREEITEM parent, const std::wstring& text, TNodeLink link);
    // The node with everything below it; each deleted node's link forgets it.
    void DeleteNode(HTREEITEM node);

    // Asked before the window closes; false keeps it open. Unset: it closes.
    std::function<bool()> CanClose;
    // Ends the message loop when the window goes. Tests that make several
    // windows in one process switch it off.
    bool QuitOnDestroy = true;
    // How boxes are shown (text, caption, MB_ flags); tests record them instead.
    std::function<void(const std::wstring&, const std::wstring&, UINT)> ShowMessageBox;

    // The "Data Charting" and "Series" pages: the trend chart and its logic.
    TTrendChartView Charting{ItemValueTable};

    // Event handlers, public so that the program's parts and tests can drive them.
    void FormCreate();
    void FormActivate();
    void PageControl1Change();
    void Edit1Change();
    void Timer4Timer();
    void TreeViewDblClick();

    // The chart's handlers live with the chart; the families of twenty take
    // the row or entry number from 1.
    void Timer1Timer() { Charting.Timer1Timer(); }
    void Timer2Timer() { Charting.Timer2Timer(); }
    void Timer3Timer() { Charting.Timer3Timer(); }
    void Timer5Timer() { Charting.Timer5Timer(); }
    void XAxisTSClick() { Charting.XAxisTSClick(); }
    void ResetXClick() { Charting.ResetXClick(); }
    void XAxisScrlChanging() { Charting.XAxisScrlChanging(); }
    void XAxisScrlClick(int position) { Charting.XAxisScrlClick(position); }
    void ScrlXChanging() { Charting.ScrlXChanging(); }
    void ScrlXClick(int position) { Charting.ScrlXClick(position); }
    void ScrlYChanging() { Charting.ScrlYChanging(); }
    void ScrlYClick(int position) { Charting.ScrlYClick(position); }
    void UndoZoomClick() { Charting.UndoZoomClick(); }
    void ComboBox6Change() { Charting.ComboBox6Change(); }
    void ComboBox6CloseUp() { Charting.ComboBox6CloseUp(); }
    void SSMaxEnter() { Charting.SSMaxEnter(); }
    void SSMaxKeyUp(UINT key) { Charting.SSMaxKeyUp(key); }
    void SSMaxValueChanged(double value) { Charting.SSMaxValueChanged(value); }
    void SSMinEnter() { Charting.SSMinEnter(); }
    void SSMinKeyUp(UINT key) { Charting.SSMinKeyUp(key); }
    void SSMinValueChanged(double value) { Charting.SSMinValueChanged(value); }
    void SHClick(int n) { Charting.SHClick(n); }
    void HSAllSClick() { Charting.HSAllSClick(); }
    void CPDblClick(int n) { Charting.CPDblClick(n); }
    void SSLDblClick(int n) { Charting.SSLDblClick(n); }
    void ResetSLWClick() { Charting.ResetSLWClick(); }
    void PMClick(int entry) { Charting.PMClick(entry); }
    void Chart9MouseMove(int x, int y) { Charting.Chart9MouseMove(x, y); }
    void Chart9AfterDraw() { Charting.Chart9AfterDraw(); }

    // Components other parts and tests look at.
    TTabControl PageControl1;
    TPanel TabSheet1, TabSheet2, TabSheet3;
    TListView ItemList;
    TServerLog ServerLog;
    // Applied at the latest when connectionTimer_ runs out.
    TConnectionChanges ConnectionChanges{ClientTree, ServerLog};
    TEdit Edit1;             // hidden; shows ItemValueTable's Edit1 text
    TTimer Timer1{1, 1000};  // trend sample
    TTimer Timer2{2, 1000};  // one-shot: the delayed shift of the X window
    TTimer Timer3{3, 1000};  // one-shot: hides the line-width notice
    TTimer Timer4{4, 1000};  // reset panel and companion watch
    TTimer Timer5{5, 50};    // opens the mouse readout's gate

    bool Minimised() const;
    bool Shown() const;

protected:
    bool OnCreate() override;
    void OnSize(int width, int height) override;
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }
    bool OnClose() override;
    void OnDestroy() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnActivate(bool active) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void CreateServerPage();
    void CreateChartingPages();
    void LayoutServerPage();
    void ShowSelectedPage();
    void MinimiseAndHide();
    void BringToFront();
    void ShowBox(const std::wstring& text, const std::wstring& caption, UINT flags);
    void ApplyConnectionChanges();

    TFont formFont_{L"MS Sans Serif", 11};
    TFont tabFont_{L"Arial", 13, true};
    TFont arial12_{L"Arial", 12};
    TBand formBand_, band1_, band2_, band3_;
    TSplitter splitter1_, splitter2_;
    int treeWidth_ = 100;
    int listWidth_ = 525;
    TTimer connectionTimer_{6, 50};  // one-shot: how long a queued connection change waits
};

// The one main window while it exists, else null.
extern TMF* MF;

// "New Client started at <short date> <long time>", now.
std::wstring NewClientNodeText();
// "Client <name>".
std::wstring ClientNodeText(const std::wstring& name);

// Appends a line to the server log; nothing while the main window does not exist.
void AddLogLine(const std::wstring& text);
