// The connection hooks' changes to the client tree and the log, sent as the
// core sends them (through the server window to the ZEV-30 item server and on
// to the main window), queued during the call and applied in one batch: adds
// and removes in one batch, the order of the log lines, the not-responding
// mark, and texts copied at the hook surviving the record's end.
#include <memory>

#include "ConnectionView.h"
#include "FakeRecords.h"
#include "UiTestUtil.h"
#include "ZEV30.h"
#include "host/ServerWindow.h"

namespace {

enum class THook {
    Connect,
    Rename,
    Hung,
    Responding,
    Disconnect,
    AddGroup,
    RemoveGroup,
    AddPressure,
    RemovePressure,
    AddOut3,
    RemoveOut3
};

struct TBatchCase {
    const char* Name;
    std::vector<THook> Before;       // applied in an earlier batch
    std::vector<THook> Batch;        // the hooks of one batch
    std::vector<std::wstring> Tree;  // after the batch, two blanks per level
    std::vector<std::wstring> Log;   // the lines the batch added
};

const std::wstring kPressure = L"Float.Chamber Pressure", kOut3 = L"Output.OUT 3";
const std::vector<THook> kPlantA = {THook::Connect, THook::Rename, THook::AddGroup, THook::AddPressure, THook::AddOut3};

const TBatchCase kCases[] = {
    {"AddsOfOneCallShowTogether",
     {},
     kPlantA,
     {L"Client Plant A", L"  G1", L"    " + kPressure, L"    " + kOut3},
     {L"Client connected Ok", L"Client SetName Ok", L"Add Group G1 ok", L"Add Item " + kPressure + L" ok",
      L"Add Item " + kOut3 + L" ok"}},
    {"AnItemAddedAndRemovedInOneBatchNeverAppears",
     {THook::Connect, THook::Rename, THook::AddGroup},
     {THook::AddPressure, THook::AddOut3, THook::RemovePressure},
     {L"Client Plant A", L"  G1", L"    " + kOut3},
     {L"Add Item " + kPressure + L" ok", L"Add Item " + kOut3 + L" ok", L"Remove Item " + kPressure + L" ok"}},
    {"AGroupRemovedTakesItsPendingItemsAlong",
     {THook::Connect, THook::Rename, THook::AddGroup},
     {THook::AddPressure, THook::RemoveGroup, THook::RemovePressure},
     {L"Client Plant A"},
     {L"Add Item " + kPressure + L" ok", L"Remove Group G1 ok", L"Remove Item " + kPressure + L" ok"}},
    {"AClientComingAndGoingInOneBatchLeavesOnlyItsLogLines",
     {},
     {THook::Connect, THook::Rename, THook::AddGroup, THook::AddPressure, THook::Disconnect, THook::RemoveGroup,
      THook::RemovePressure},
     {},
     {L"Client connected Ok", L"Client SetName Ok", L"Add Group G1 ok", L"Add Item " + kPressure + L" ok",
      L"Client disconnected Ok", L"Remove Group G1 ok", L"Remove Item " + kPressure + L" ok"}},
    {"RemovalsOfShownNodesLogInTheOrderOfTheHooks",
     kPlantA,
     {THook::RemoveOut3, THook::Disconnect, THook::RemoveGroup, THook::RemovePressure},
     {},
     {L"Remove Item " + kOut3 + L" ok", L"Client disconnected Ok", L"Remove Group G1 ok",
      L"Remove Item " + kPressure + L" ok"}},
    {"AHungClientIsMarked",
     {THook::Connect, THook::Rename},
     {THook::Hung},
     {L"Client Plant A (not responding)"},
     {L"Client not responding"}},
    {"TheMarkStaysThroughARename",
     {THook::Connect},
     {THook::Hung, THook::Rename},
     {L"Client Plant A (not responding)"},
     {L"Client not responding", L"Client SetName Ok"}},
    {"TheMarkGoesWhenTheClientRespondsAgain",
     {THook::Connect, THook::Rename, THook::Hung},
     {THook::Responding},
     {L"Client Plant A"},
     {L"Client responding again"}},
    {"HungAndRespondingInOneBatchLeaveNoMarkButBothLines",
     {THook::Connect, THook::Rename},
     {THook::Hung, THook::Responding},
     {L"Client Plant A"},
     {L"Client not responding", L"Client responding again"}},
};

class TConnectionHooks : public TFormTest {
protected:
    void SetUp() override
    {
        TFormTest::SetUp();
        zev.AttachConnectionEvents(&events);
    }
    void TearDown() override
    {
        zev.AttachConnectionEvents(nullptr);
        TFormTest::TearDown();
    }

    std::vector<std::wstring> LogLines() const
    {
        std::vector<std::wstring> lines;
        for (int i = 0; i < form->ServerLog.LineCount(); ++i) lines.push_back(form->ServerLog.Line(i));
        return lines;
    }
    void Outline(HTREEITEM parent, const std::wstring& indent, std::vector<std::wstring>& lines) const
    {
        const TClientTree& tree = form->ClientTree;
        for (HTREEITEM n = tree.FirstChild(parent); n; n = tree.NextSibling(n)) {
            lines.push_back(indent + tree.NodeText(n));
            Outline(n, indent + L"  ", lines);
        }
    }
    std::vector<std::wstring> Tree() const
    {
        std::vector<std::wstring> lines;
        Outline(nullptr, L"", lines);
        return lines;
    }

    // Sends the hook as the core does. A record ends right after the hook
    // that announces its removal, after its texts changed, and a decoy of
    // the same kind may take its memory: the batch must show the texts the
    // hooks saw.
    void Send(THook hook)
    {
        switch (hook) {
        case THook::Connect:
            SendNotify(zev, TNotifyCode::ClientConnected, *client);
            break;
        case THook::Rename:
            client->ClientName = L"Plant A";
            SendNotify(zev, TNotifyCode::ClientRenamed, *client);
            client->ClientName = L"Renamed after the hook";
            break;
        case THook::Hung:
            client->Hung = true;
            SendNotify(zev, TNotifyCode::ClientHung, *client);
            break;
        case THook::Responding:
            client->Hung = false;
            SendNotify(zev, TNotifyCode::ClientResponding, *client);
            break;
        case THook::Disconnect:
            SendNotify(zev, TNotifyCode::ClientDisconnected, *client);
            client->ClientName = L"Ended";
            client.reset();
            clientDecoys.push_back(std::make_unique<TFakeClient>());
            clientDecoys.back()->ClientName = L"Decoy";
            break;
        case THook::AddGroup:
            SendNotify(zev, TNotifyCode::GroupAdded, *group);
            break;
        case THook::RemoveGroup:
            SendNotify(zev, TNotifyCode::GroupRemoved, *group);
            group->Name = L"Ended";
            group.reset();
            groupDecoys.push_back(std::make_unique<TFakeGroup>(decoyOwner, L"Decoy"));
            break;
        case THook::AddPressure:
            SendNotify(zev, TNotifyCode::ItemAdded, *pressure);
            break;
        case THook::RemovePressure:
            SendNotify(zev, TNotifyCode::ItemRemoved, *pressure);
            pressure.reset();
            break;
        case THook::AddOut3:
            SendNotify(zev, TNotifyCode::ItemAdded, *out3);
            break;
        case THook::RemoveOut3:
            SendNotify(zev, TNotifyCode::ItemRemoved, *out3);
            out3.reset();
            break;
        }
    }

    TZEV30 zev;
    TConnectionViewEvents events;
    TFakeClient decoyOwner;
    std::vector<std::unique_ptr<TFakeClient>> clientDecoys;
    std::vector<std::unique_ptr<TFakeGroup>> groupDecoys;
    std::unique_ptr<TFakeClient> client = std::make_unique<TFakeClient>();
    std::unique_ptr<TFakeGroup> group = std::make_unique<TFakeGroup>(*client, L"G1");
    // Items end before the group whose list names them.
    std::unique_ptr<TAttachedGroupItem> pressure = std::make_unique<TAttachedGroupItem>(*group, kPressure);
    std::unique_ptr<TAttachedGroupItem> out3 = std::make_unique<TAttachedGroupItem>(*group, kOut3);
};

class TConnectionBatch : public TConnectionHooks, public ::testing::WithParamInterface<TBatchCase> {};

TEST_P(TConnectionBatch, ShowsTheStateAfterTheLastHookAndEveryLineInOrder)
{
    const TBatchCase& c = GetParam();
    for (THook hook : c.Before) Send(hook);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    const size_t logBefore = LogLines().size();
    const std::vector<std::wstring> treeBefore = Tree();

    for (THook hook : c.Batch) Send(hook);
    EXPECT_EQ(Tree(), treeBefore) << "nothing changes inside the client's call";
    EXPECT_EQ(LogLines().size(), logBefore);

    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(Tree(), c.Tree);
    const std::vector<std::wstring> log = LogLines();
    EXPECT_EQ(std::vector<std::wstring>(log.begin() + std::min(logBefore, log.size()), log.end()), c.Log);

    // Whatever is still connected goes before its records end.
    if (client) Send(THook::Disconnect);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(form->ClientTree.NodeCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Hooks, TConnectionBatch, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TBatchCase>& info) { return info.param.Name; });

}  // namespace

TEST_F(TConnectionHooks, ANodeWhoseRecordIsGoingOpensNoBox)
{
    for (THook hook : kPlantA) Send(hook);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    const HTREEITEM node = ConnectionView::NodeOf(*pressure);
    ASSERT_NE(node, nullptr);
    form->ClientTree.Select(node);
    form->TreeViewDblClick();
    ASSERT_EQ(boxes.size(), 1u) << "the live record's box";

    Send(THook::RemovePressure);  // the record has ended; its node waits for the batch
    form->ClientTree.Select(node);
    form->TreeViewDblClick();
    EXPECT_EQ(boxes.size(), 1u);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
    EXPECT_EQ(form->ClientTree.NodeCount(), 3);
    Send(THook::Disconnect);
    ASSERT_TRUE(WaitForConnectionBatch(*form));
}
