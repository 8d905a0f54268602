#include "ConnectionView.h"

#include <string>
#include <string_view>

#include "MainUnit.h"
#include "RecordInfoText.h"
#include "cache/ServerItem.h"

namespace {

TNodeKey KeyOf(const void* userData) { return reinterpret_cast<uintptr_t>(userData); }
void* AsUserData(TNodeKey key) { return reinterpret_cast<void*>(static_cast<uintptr_t>(key)); }

template <class TRecord>
TNodeKey KeyOf(const TRecord* record)
{
    return record ? KeyOf(record->UserData) : 0;
}

std::wstring InfoTextOf(const TClientInfo& r) { return ClientInfoText(r); }
std::wstring InfoTextOf(const TGroupInfo& r) { return GroupInfoText(r); }
std::wstring InfoTextOf(const TGroupItemInfo& r) { return ItemInfoText(r); }

// The information box reads the record when it opens; the changes drop this
// when the record's removal is queued, before the record may end.
template <class TRecord>
std::function<std::wstring()> LiveInfoText(TRecord& record)
{
    return [&record] { return InfoTextOf(record); };
}

std::wstring ItemIdOf(const TGroupItemInfo& item)
{
    const TServerItem* server = item.GetServerItem();
    return server ? server->ItemId() : std::wstring();
}

TConnectionChanges* Changes() { return MF ? &MF->ConnectionChanges : nullptr; }

// A log line in one allocation: hooks run inside a client's call, a hundred
// times in one AddItems.
std::wstring LogLine(std::wstring_view before, const std::wstring& name, std::wstring_view after)
{
    std::wstring line;
    line.reserve(before.size() + name.size() + after.size());
    line.append(before).append(name).append(after);
    return line;
}

template <class TRecord>
void RemoveNode(TConnectionChanges& changes, TRecord& record)
{
    changes.RemoveNode(KeyOf(&record));
    record.UserData = nullptr;
}

template <class TRecord>
HTREEITEM ShownNode(const TRecord& record)
{
    const TConnectionChanges* changes = Changes();
    return changes ? changes->NodeOf(KeyOf(&record)) : nullptr;
}

}  // namespace

namespace ConnectionView {

void ClientConnected(TClientInfo& client)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    client.UserData = AsUserData(changes->AddTopNode(NewClientNodeText(), LiveInfoText(client)));
    changes->AddLogLine(L"Client connected Ok");
}

void ClientDisconnected(TClientInfo& client)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    RemoveNode(*changes, client);
    changes->AddLogLine(L"Client disconnected Ok");
}

void ClientRenamed(TClientInfo& client)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    changes->SetNodeText(KeyOf(&client), ClientNodeText(client.ClientName));
    changes->AddLogLine(L"Client SetName Ok");
}

void ClientHung(TClientInfo& client)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    changes->SetNodeMark(KeyOf(&client), kNotRespondingMark);
    changes->AddLogLine(L"Client not responding");
}

void ClientResponding(TClientInfo& client)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    changes->SetNodeMark(KeyOf(&client), std::wstring());
    changes->AddLogLine(L"Client responding again");
}

void GroupAdded(TGroupInfo& group)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    group.UserData = AsUserData(changes->AddChildNode(KeyOf(group.Server), group.Name, LiveInfoText(group)));
    changes->AddLogLine(LogLine(L"Add Group ", group.Name, L" ok"));
}

void GroupRemoved(TGroupInfo& group)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    RemoveNode(*changes, group);
    changes->AddLogLine(LogLine(L"Remove Group ", group.Name, L" ok"));
}

void ItemAdded(TGroupItemInfo& item)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    std::wstring id = ItemIdOf(item);
    std::wstring line = LogLine(L"Add Item ", id, L" ok");
    item.UserData = AsUserData(changes->AddChildNode(KeyOf(item.GetGroup()), std::move(id), LiveInfoText(item)));
    changes->AddLogLine(std::move(line));
}

void ItemRemoved(TGroupItemInfo& item)
{
    TConnectionChanges* changes = Changes();
    if (!changes) return;
    RemoveNode(*changes, item);
    const TServerItem* server = item.GetServerItem();
    changes->AddLogLine(LogLine(L"Remove Item ", server ? server->ItemId() : std::wstring(), L" ok"));
}

HTREEITEM NodeOf(const TClientInfo& client) { return ShownNode(client); }
HTREEITEM NodeOf(const TGroupInfo& group) { return ShownNode(group); }
HTREEITEM NodeOf(const TGroupItemInfo& item) { return ShownNode(item); }

}  // namespace ConnectionView
