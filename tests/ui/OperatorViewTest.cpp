// The client tree and the server log as the item server's connection hooks
// drive them, with the core's record types: nodes known by the key in their
// records, whole branches deleted at once, the information boxes, the log and
// its cap. Hooks queue their changes; the tests wait for the batch.
#include "ConnectionView.h"
#include "FakeRecords.h"
#include "contract/ItemServer.h"
#include "DateText.h"
#include "contract/OpcError.h"
#include "com/TextUtil.h"
#include "ScreenCapture.h"
#include "UiTestUtil.h"

namespace {

// An item server that knows the two item IDs of the tests.
class TTwoItemServer : public TOpcItemServer {
public:
    LONG ResolveItem(const std::wstring& itemId, std::wstring&, TAccessRights& rights) override
    {
        rights = TAccessRights::ReadWrite();
        if (SameTextI(itemId, L"Float.Chamber Pressure")) return 15;
        if (SameTextI(itemId, L"Output.OUT 3")) return 101;
        RaiseOpcError(OPC_E_INVALIDITEMID);
    }
    void ReadItemValue(LONG, WORD&, VARIANT& value) override
    {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(L"");
    }
    void WriteItemValue(LONG, const VARIANT&) override {}
};

class TOperatorView : public TFormTest {
protected:
    std::vector<std::wstring> LogLines() const
    {
        std::vector<std::wstring> lines;
        for (int i = 0; i < form->ServerLog.LineCount(); ++i) lines.push_back(form->ServerLog.Line(i));
        return lines;
    }
    std::vector<std::wstring> Children(HTREEITEM parent) const
    {
        std::vector<std::wstring> texts;
        TClientTree& tree = form->ClientTree;
        for (HTREEITEM n = tree.FirstChild(parent); n; n = tree.NextSibling(n)) texts.push_back(tree.NodeText(n));
        return texts;
    }
    // Plant A with group G1 and its two items, announced as the core does.
    void ConnectPlantA()
    {
        ConnectionView::ClientConnected(client);
        client.ClientName = L"Plant A";
        ConnectionView::ClientRenamed(client);
        ConnectionView::GroupAdded(group);
        ConnectionView::ItemAdded(pressure);
        ConnectionView::ItemAdded(out3);
        ASSERT_TRUE(WaitForConnectionBatch(*form));
    }
    std::wstring DoubleClick(HTREEITEM node)
    {
        boxes.clear();
        form->ClientTree.Select(node);
        form->TreeViewDblClick();
        return boxes.size() == 1 ? boxes[0].Text : L"(" + std::to_wstring(boxes.size()) + L" boxes)";
    }

    TTwoItemServer server;
    TFakeClient client;
    TFakeGroup group{client, L"G1"};
    TAttachedGroupItem pressure{group, L"float.chamber pressure"};
    TAttachedGroupItem out3{group, L"Output.OUT 3"};
};

}  // namespace

TEST_F(TOperatorView, NewClientNodeShowsTheConnectionDateAndTime)
{
    SYSTEMTIME before{};
    GetLocalTime(&before);
    ConnectionView::ClientConnected(client);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    ASSERT_NE(ConnectionView::NodeOf(client), nullptr);
    const std::wstring text = form->ClientTree.NodeText(ConnectionView::NodeOf(client));
    const std::wstring prefix = L"New Client started at " + ShortDateText(before) + L" ";
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    EXPECT_GT(text.size(), prefix.size());  // the long time follows
    EXPECT_EQ(Children(nullptr), std::vector<std::wstring>{text});
    EXPECT_EQ(LogLines(), std::vector<std::wstring>{L"Client connected Ok"});
}

TEST_F(TOperatorView, ClientGroupAndItemsMakeThreeLevelsAndFiveLogLines)
{
    ConnectPlantA();
    EXPECT_EQ(Children(nullptr), std::vector<std::wstring>{L"Client Plant A"});
    EXPECT_EQ(Children(ConnectionView::NodeOf(client)), std::vector<std::wstring>{L"G1"});
    EXPECT_EQ(Children(ConnectionView::NodeOf(group)),
              (std::vector<std::wstring>{L"float.chamber pressure", L"Output.OUT 3"}));
    EXPECT_EQ(LogLines(),
              (std::vector<std::wstring>{L"Client connected Ok", L"Client SetName Ok", L"Add Group G1 ok",
                                         L"Add Item float.chamber pressure ok", L"Add Item Output.OUT 3 ok"}));
}

TEST_F(TOperatorView, RemovingAGroupTakesItsItemNodesAlong)
{
    ConnectPlantA();
    ConnectionView::GroupRemoved(group);
    EXPECT_EQ(group.UserData, nullptr);
    for (const TGroupItemInfo* item : {&pressure, &out3}) EXPECT_EQ(ConnectionView::NodeOf(*item), nullptr);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);

    // The core announces the items afterwards: no node is left, only the log lines.
    ConnectionView::ItemRemoved(pressure);
    ConnectionView::ItemRemoved(out3);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], L"Remove Group G1 ok");
    EXPECT_EQ(lines[6], L"Remove Item float.chamber pressure ok");
    EXPECT_EQ(lines[7], L"Remove Item Output.OUT 3 ok");
}

TEST_F(TOperatorView, DisconnectLeavesNoNodeBehindAndNoRecordPointingAtOne)
{
    ConnectPlantA();
    TFakeClient other;
    ConnectionView::ClientConnected(other);
    ConnectionView::ClientDisconnected(client);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(client.UserData, nullptr);
    EXPECT_EQ(ConnectionView::NodeOf(group), nullptr);
    for (const TGroupItemInfo* item : {&pressure, &out3}) EXPECT_EQ(ConnectionView::NodeOf(*item), nullptr);
    EXPECT_NE(ConnectionView::NodeOf(other), nullptr);
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);
    ConnectionView::GroupRemoved(group);
    ConnectionView::ItemRemoved(pressure);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);
    EXPECT_EQ(form->ServerLog.Line(form->ServerLog.LineCount() - 1), L"Remove Item float.chamber pressure ok");
    // `other` ends with this block: its node must not outlive it, or a
    // double click would read the ended record.
    ConnectionView::ClientDisconnected(other);
}

TEST_F(TOperatorView, WithoutTheWindowHooksChangeNothing)
{
    ConnectPlantA();
    form.reset();  // the window goes, and every node with it
    EXPECT_EQ(ConnectionView::NodeOf(client), nullptr);
    EXPECT_EQ(ConnectionView::NodeOf(pressure), nullptr);
    TFakeClient late;
    ConnectionView::ClientConnected(late);
    ConnectionView::ClientRenamed(late);
    ConnectionView::ItemRemoved(pressure);
    EXPECT_EQ(late.UserData, nullptr);
}

TEST_F(TOperatorView, ItemBoxShowsHandleTypesAndRights)
{
    ConnectPlantA();
    pressure.ClientHandle = 7;
    pressure.Active = true;
    EXPECT_EQ(DoubleClick(ConnectionView::NodeOf(pressure)),
              L"ItemID: float.chamber pressure\n\rItemHandle: 0000000F\n\rClient Handle: 00000007\n\rActive: Yes\n\r"
              L"Requested Type: Empty\n\rNative Type: OleStr\n\rLast Update Time: " +
                  LongTimeOfDateText(0) + L"\n\rAccess Rights: Read,Write");
    EXPECT_EQ(boxes[0].Caption, L"Information");
    EXPECT_EQ(boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    out3.RequestedType = VT_ARRAY | VT_R8;
    EXPECT_NE(DoubleClick(ConnectionView::NodeOf(out3)).find(L"Requested Type: Unknown type (2005)"),
              std::wstring::npos);
}

TEST_F(TOperatorView, GroupAndClientBoxesShowTheirRecords)
{
    ConnectPlantA();
    group.ClientHandle = 255;
    group.UpdateRate = 1000;
    group.dataCallback = true;
    group.adviseSinks[2] = true;
    EXPECT_EQ(DoubleClick(ConnectionView::NodeOf(group)),
              L"Name: G1\n\rPublic: No\n\rActive: No\n\rUpdate rate: 1000\n\rClientHandle: $000000FF\n\r"
              L"Enabled: Yes\n\rItemCount: 2\n\rConnections\n\r - DA2: Yes\n\r - DA1 (Data): No\n\r"
              L" - DA1 (Datatime): No\n\r - DA1 (WriteComplete): Yes");
    client.ServerState = 1;
    EXPECT_EQ(DoubleClick(ConnectionView::NodeOf(client)),
              L"Name: Plant A\n\rLast update: " + LongTimeText(FILETIME{}) + L"\n\rState: 1");
    TFakeClient unnamed;
    ConnectionView::ClientConnected(unnamed);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(DoubleClick(ConnectionView::NodeOf(unnamed)).substr(0, 17), L"Name: (no name)\n\r");
    ConnectionView::ClientDisconnected(unnamed);  // before the record ends, as with `other` above
}

TEST_F(TOperatorView, ClientNodesShowTheirWholeText)
{
    DragSplitterRightOf(*form, form->ClientTree.Handle(), 200);
    const HWND tree = form->ClientTree.Handle();
    TFakeClient clients[3];
    const wchar_t* names[] = {L"Quillmere process simulator", L"Plant A", L"OpcClient"};
    for (int i = 0; i < 3; ++i) {
        ConnectionView::ClientConnected(clients[i]);
        clients[i].ClientName = names[i];
        ConnectionView::ClientRenamed(clients[i]);
    }
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    ASSERT_TRUE(PumpUntilRedrawOn(tree));
    const TCapture shot = CaptureDrawn(tree);
    RECT outer{};
    GetWindowRect(tree, &outer);
    POINT at{0, 0};  // the tree's client area in the capture
    ClientToScreen(tree, &at);
    at = POINT{at.x - outer.left, at.y - outer.top};
    RECT client{};
    GetClientRect(tree, &client);
    // Dark columns of a row of pixels, first to last.
    const auto inkWidth = [](auto dark, int top, int bottom, int width) {
        int first = width, last = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < width; ++x)
                if (dark(x, y)) first = std::min(first, x), last = std::max(last, x);
        return last - first;
    };
    for (int i = 0; i < 3; ++i) {
        RECT node{};
        *reinterpret_cast<HTREEITEM*>(&node) = ConnectionView::NodeOf(clients[i]);
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&node));
        const int shown = inkWidth([&](int x, int y) { return x >= node.left && shot.Dark(at.x + x, at.y + y); },
                                   node.top, node.bottom, client.right);
        // The same text drawn plainly in the tree's font.
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateBitmap(600, 30, 1, 1, nullptr);
        const HGDIOBJ oldBitmap = SelectObject(dc, bitmap),
                      oldFont = SelectObject(dc, HFONT(SendMessageW(tree, WM_GETFONT, 0, 0)));
        PatBlt(dc, 0, 0, 600, 30, WHITENESS);
        const std::wstring text = L"Client " + std::wstring(names[i]);
        TextOutW(dc, 5, 5, text.c_str(), static_cast<int>(text.size()));
        EXPECT_EQ(shown, inkWidth([&](int x, int y) { return GetPixel(dc, x, y) == 0; }, 0, 30, 600)) << names[i];
        SelectObject(dc, oldFont);
        DeleteObject(SelectObject(dc, oldBitmap));
        DeleteDC(dc);
    }
    for (TFakeClient& client : clients) ConnectionView::ClientDisconnected(client);
}

TEST_F(TOperatorView, DoubleClickWithoutSelectionOrDataDoesNothing)
{
    form->TreeViewDblClick();
    form->ClientTree.Select(form->ClientTree.AddNode(nullptr, L"plain", 0));
    form->TreeViewDblClick();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TOperatorView, DoubleClickOnDataOfAnotherKindIsAnError)
{
    HTREEITEM node = form->ClientTree.AddLinkedNode(nullptr, L"odd", TNodeLink{});
    EXPECT_EQ(DoubleClick(node), L"Unknown Info Object");
    EXPECT_NE(boxes[0].Flags & MB_ICONERROR, 0u);
}

TEST_F(TOperatorView, AFullLogDropsItsOldestHalfAndKeepsTheViewWhereItWas)
{
    // Hidden, the list box skips its scroll-bar repaint per line: same lines, a fraction of the time.
    ShowWindow(form->Handle(), SW_HIDE);
    for (int i = 0; i < TServerLog::MaxLines; ++i) AddLogLine(L"line " + std::to_wstring(i));
    ASSERT_EQ(form->ServerLog.LineCount(), TServerLog::MaxLines);
    EXPECT_EQ(form->ServerLog.Line(0), L"line 0");
    const HWND log = form->ServerLog.Handle();
    // The burst of lines is over: the log follows its newest line no more once scrolled up.
    ASSERT_TRUE(PumpUntil([&] { return !RedrawDeferred(log); }));
    SendMessageW(log, LB_SETTOPINDEX, 7000, 0);
    SendMessageW(log, LB_SETCURSEL, 7001, 0);

    AddLogLine(L"one more");
    const int dropped = TServerLog::MaxLines - TServerLog::KeptLines + 1;
    ASSERT_EQ(form->ServerLog.LineCount(), TServerLog::KeptLines);
    EXPECT_EQ(form->ServerLog.Line(0), L"line " + std::to_wstring(dropped));
    EXPECT_EQ(form->ServerLog.Line(TServerLog::KeptLines - 2), L"line " + std::to_wstring(TServerLog::MaxLines - 1));
    EXPECT_EQ(form->ServerLog.Line(TServerLog::KeptLines - 1), L"one more");
    ASSERT_TRUE(PumpUntil([&] { return !RedrawDeferred(log); }));
    EXPECT_EQ(SendMessageW(log, LB_GETTOPINDEX, 0, 0), 7000 - dropped) << "the lines in view stay in view";
    EXPECT_EQ(SendMessageW(log, LB_GETCURSEL, 0, 0), 7001 - dropped);
    for (int i = 0; i < TServerLog::MaxLines; ++i) AddLogLine(L"more " + std::to_wstring(i));
    EXPECT_LE(form->ServerLog.LineCount(), TServerLog::MaxLines);
    EXPECT_EQ(form->ServerLog.Line(form->ServerLog.LineCount() - 1),
              L"more " + std::to_wstring(TServerLog::MaxLines - 1));
}

TEST_F(TOperatorView, ABatchLongerThanTheLogKeepsItsNewestLinesInOrder)
{
    ShowWindow(form->Handle(), SW_HIDE);
    AddLogLine(L"before");
    std::vector<std::wstring> lines;
    for (int i = 0; i < TServerLog::MaxLines + 3; ++i) lines.push_back(L"batch " + std::to_wstring(i));
    form->ServerLog.AppendLines(lines);
    const int count = form->ServerLog.LineCount();
    ASSERT_GE(count, TServerLog::KeptLines - 1);
    ASSERT_LE(count, TServerLog::MaxLines);
    for (int i = 0; i < count; i += 997)
        EXPECT_EQ(form->ServerLog.Line(i), lines[lines.size() - static_cast<size_t>(count - i)]) << i;
    EXPECT_EQ(form->ServerLog.Line(count - 1), lines.back());
}
