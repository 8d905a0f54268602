#include "ConnectionView.h"

#include "MainUnit.h"
#include "RecordInfoText.h"
#include "cache/ServerItem.h"

namespace {

template <class TRecord>
HTREEITEM NodeOf(const TRecord* record)
{
    return record ? static_cast<HTREEITEM>(record->UserData) : nullptr;
}

std::wstring InfoTextOf(const TClientInfo& r) { return ClientInfoText(r); }
std::wstring InfoTextOf(const TGroupInfo& r) { return GroupInfoText(r); }
std::wstring InfoTextOf(const TGroupItemInfo& r) { return ItemInfoText(r); }

// The node forgets itself in the record when it goes; the record is alive for
// as long as its node is, since the core announces each removal first.
template <class TRecord>
TNodeLink LinkTo(TRecord& record)
{
    return TNodeLink{[&record] { record.UserData = nullptr; }, [&record] { return InfoTextOf(record); }};
}

std::wstring ItemIdOf(const TGroupItemInfo& item)
{
    const TServerItem* server = item.GetServerItem();
    return server ? server->ItemId() : std::wstring();
}

template <class TRecord>
void RemoveNode(TRecord& record)
{
    if (HTREEITEM node = NodeOf(&record)) MF->DeleteNode(node);
    record.UserData = nullptr;  // a node the tree no longer had is forgotten too
}

}  // namespace

namespace ConnectionView {

void ClientConnected(TClientInfo& client)
{
    if (!MF) return;
    client.UserData = MF->AddClientNode(LinkTo(client));
    MF->AddLogLine(L"Client connected Ok");
}

void ClientDisconnected(TClientInfo& client)
{
    if (!MF) return;
    RemoveNode(client);
    MF->AddLogLine(L"Client disconnected Ok");
}

void ClientRenamed(TClientInfo& client)
{
    if (!MF) return;
    MF->SetClientNodeName(NodeOf(&client), client.ClientName);
    MF->AddLogLine(L"Client SetName Ok");
}

void GroupAdded(TGroupInfo& group)
{
    if (!MF) return;
    group.UserData = MF->AddChildNode(NodeOf(group.Server), group.Name, LinkTo(group));
    MF->AddLogLine(L"Add Group " + group.Name + L" ok");
}

void GroupRemoved(TGroupInfo& group)
{
    if (!MF) return;
    RemoveNode(group);
    MF->AddLogLine(L"Remove Group " + group.Name + L" ok");
}

void ItemAdded(TGroupItemInfo& item)
{
    if (!MF) return;
    const std::wstring id = ItemIdOf(item);
    item.UserData = MF->AddChildNode(NodeOf(item.GetGroup()), id, LinkTo(item));
    MF->AddLogLine(L"Add Item " + id + L" ok");
}

void ItemRemoved(TGroupItemInfo& item)
{
    if (!MF) return;
    RemoveNode(item);
    MF->AddLogLine(L"Remove Item " + ItemIdOf(item) + L" ok");
}

}  // namespace ConnectionView
