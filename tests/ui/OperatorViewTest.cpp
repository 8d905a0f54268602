// The client tree and the server log as the item server's connection hooks
// use them: nodes linked both ways with records, deletion of whole branches,
// the log and its cap, and the information box on double-click.
#include "LocaleText.h"
#include "UiTestUtil.h"

namespace {

// Stands for a client, group or group-item record of the core: it keeps its
// node in UserData.
struct TRecord {
    std::wstring Name;
    HTREEITEM UserData = nullptr;
};

TNodeLink LinkTo(TRecord& r)
{
    return TNodeLink{[&r] { r.UserData = nullptr; }, [&r] { return L"info of " + r.Name; }};
}

class TOperatorView : public TFormTest {
protected:
    // What the hooks do, in the order the core calls them.
    void Connect(TRecord& client)
    {
        client.UserData = form->AddClientNode(LinkTo(client));
        AddLogLine(L"Client connected Ok");
    }
    void Rename(TRecord& client, const std::wstring& name)
    {
        client.Name = name;
        form->SetClientNodeName(client.UserData, name);
        AddLogLine(L"Client SetName Ok");
    }
    void AddGroup(TRecord& client, TRecord& group)
    {
        group.UserData = form->AddChildNode(client.UserData, group.Name, LinkTo(group));
        AddLogLine(L"Add Group " + group.Name + L" ok");
    }
    void AddItem(TRecord& group, TRecord& item)
    {
        item.UserData = form->AddChildNode(group.UserData, item.Name, LinkTo(item));
        AddLogLine(L"Add Item " + item.Name + L" ok");
    }
    void Remove(TRecord& r, const std::wstring& line)
    {
        form->DeleteNode(r.UserData);
        AddLogLine(line);
    }

    std::vector<std::wstring> LogLines() const
    {
        std::vector<std::wstring> lines;
        for (int i = 0; i < form->ServerLog.LineCount(); ++i) lines.push_back(form->ServerLog.Line(i));
        return lines;
    }
    std::vector<std::wstring> Children(HTREEITEM parent) const
    {
        std::vector<std::wstring> texts;
        for (HTREEITEM n = form->ClientTree.FirstChild(parent); n; n = form->ClientTree.NextSibling(n))
            texts.push_back(form->ClientTree.NodeText(n));
        return texts;
    }

    TRecord client{L"Plant A"}, group{L"G1"}, pressure{L"Float.Chamber Pressure"}, out3{L"Output.OUT 3"};
};

}  // namespace

TEST_F(TOperatorView, NewClientNodeShowsTheConnectionDateAndTime)
{
    SYSTEMTIME before{};
    GetLocalTime(&before);
    TRecord anonymous;
    Connect(anonymous);
    const std::wstring text = form->ClientTree.NodeText(anonymous.UserData);
    const std::wstring prefix = L"New Client started at " + ShortDateText(before) + L" ";
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    EXPECT_GT(text.size(), prefix.size());  // the long time follows
    EXPECT_EQ(Children(nullptr), std::vector<std::wstring>{text});
}

TEST_F(TOperatorView, ClientGroupAndItemsMakeThreeLevelsAndFiveLogLines)
{
    Connect(client);
    Rename(client, L"Plant A");
    AddGroup(client, group);
    AddItem(group, pressure);
    AddItem(group, out3);

    EXPECT_EQ(Children(nullptr), std::vector<std::wstring>{L"Client Plant A"});
    EXPECT_EQ(Children(client.UserData), std::vector<std::wstring>{L"G1"});
    EXPECT_EQ(Children(group.UserData), (std::vector<std::wstring>{L"Float.Chamber Pressure", L"Output.OUT 3"}));
    EXPECT_EQ(LogLines(), (std::vector<std::wstring>{L"Client connected Ok", L"Client SetName Ok", L"Add Group G1 ok",
                                                     L"Add Item Float.Chamber Pressure ok",
                                                     L"Add Item Output.OUT 3 ok"}));
}

TEST_F(TOperatorView, RemovingAGroupTakesItsItemNodesAlong)
{
    Connect(client);
    AddGroup(client, group);
    AddItem(group, pressure);
    AddItem(group, out3);
    const int linesBefore = form->ServerLog.LineCount();

    Remove(group, L"Remove Group G1 ok");
    EXPECT_EQ(group.UserData, nullptr);
    EXPECT_EQ(pressure.UserData, nullptr);
    EXPECT_EQ(out3.UserData, nullptr);
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);
    EXPECT_TRUE(Children(client.UserData).empty());

    // The core announces the items afterwards: no node is left, only the log lines.
    Remove(pressure, L"Remove Item Float.Chamber Pressure ok");
    Remove(out3, L"Remove Item Output.OUT 3 ok");
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(linesBefore + 3));
    EXPECT_EQ(lines[linesBefore], L"Remove Group G1 ok");
    EXPECT_EQ(lines.back(), L"Remove Item Output.OUT 3 ok");
}

TEST_F(TOperatorView, DisconnectLeavesNoNodeAndNoRecordPointingAtOne)
{
    Connect(client);
    AddGroup(client, group);
    AddItem(group, pressure);
    TRecord other{L"other"};
    Connect(other);

    Remove(client, L"Client disconnected Ok");
    EXPECT_EQ(client.UserData, nullptr);
    EXPECT_EQ(group.UserData, nullptr);
    EXPECT_EQ(pressure.UserData, nullptr);
    EXPECT_NE(other.UserData, nullptr);
    EXPECT_EQ(form->ClientTree.NodeCount(), 1);
}

TEST_F(TOperatorView, ClosingTheWindowUnlinksEveryRecord)
{
    Connect(client);
    AddGroup(client, group);
    AddItem(group, pressure);
    form.reset();
    EXPECT_EQ(client.UserData, nullptr);
    EXPECT_EQ(group.UserData, nullptr);
    EXPECT_EQ(pressure.UserData, nullptr);
}

TEST_F(TOperatorView, DoubleClickShowsTheSelectedRecordsInformation)
{
    Connect(client);
    AddGroup(client, group);
    form->ClientTree.Select(group.UserData);
    form->TreeViewDblClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, L"info of G1");
    EXPECT_EQ(boxes[0].Caption, L"Information");
    EXPECT_EQ(boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(TOperatorView, DoubleClickWithoutSelectionOrDataDoesNothing)
{
    form->TreeViewDblClick();
    form->ClientTree.Select(form->ClientTree.AddNode(nullptr, L"plain", 0));
    form->TreeViewDblClick();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TOperatorView, DoubleClickOnARecordWithoutInformationIsAnError)
{
    HTREEITEM node = form->ClientTree.AddLinkedNode(nullptr, L"odd", TNodeLink{});
    form->ClientTree.Select(node);
    form->TreeViewDblClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, L"Unknown Info Object");
    EXPECT_NE(boxes[0].Flags & MB_ICONERROR, 0u);
}

TEST_F(TOperatorView, LogKeepsTheNewestTenThousandLines)
{
    // Hidden, the list box skips its scroll-bar repaint per line: same lines, a fraction of the time.
    ShowWindow(form->Handle(), SW_HIDE);
    const int total = TServerLog::MaxLines + 5;
    for (int i = 0; i < total; ++i) form->AddLogLine(L"line " + std::to_wstring(i));
    ASSERT_EQ(form->ServerLog.LineCount(), TServerLog::MaxLines);
    EXPECT_EQ(form->ServerLog.Line(0), L"line 5");
    EXPECT_EQ(form->ServerLog.Line(TServerLog::MaxLines - 1), L"line " + std::to_wstring(total - 1));
}
