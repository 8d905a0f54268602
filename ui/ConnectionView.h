// What the item server's connection hooks show on the server page: a node per
// client, group and group item in the main window's ClientTree, and a line
// per event in its ServerLog. Each record keeps its node in UserData; deleting
// a node clears UserData in the record of every node deleted with it. While
// the main window does not exist, nothing is shown and no record changes.
// Main thread only, like the hooks that call these.
#pragma once
#include "contract/ClientInfo.h"
#include "contract/GroupInfo.h"
#include "contract/GroupItemInfo.h"

namespace ConnectionView {

void ClientConnected(TClientInfo& client);     // "New Client started at ..."; "Client connected Ok"
void ClientDisconnected(TClientInfo& client);  // node and all below go; "Client disconnected Ok"
void ClientRenamed(TClientInfo& client);       // "Client <name>"; "Client SetName Ok"
void GroupAdded(TGroupInfo& group);            // under its client; "Add Group <name> ok"
void GroupRemoved(TGroupInfo& group);          // with its items; "Remove Group <name> ok"
void ItemAdded(TGroupItemInfo& item);          // under its group; "Add Item <id> ok"
void ItemRemoved(TGroupItemInfo& item);        // "Remove Item <id> ok", also when no node is left

}  // namespace ConnectionView

#include "ConnectionEvents.h"

// The item server's connection hooks, shown on the main window.
class TConnectionViewEvents final : public TConnectionEvents {
public:
    void ClientConnected(TClientInfo& client) override { ConnectionView::ClientConnected(client); }
    void ClientDisconnected(TClientInfo& client) override { ConnectionView::ClientDisconnected(client); }
    void ClientRenamed(TClientInfo& client) override { ConnectionView::ClientRenamed(client); }
    void GroupAdded(TGroupInfo& group) override { ConnectionView::GroupAdded(group); }
    void GroupRemoved(TGroupInfo& group) override { ConnectionView::GroupRemoved(group); }
    void ItemAdded(TGroupItemInfo& item) override { ConnectionView::ItemAdded(item); }
    void ItemRemoved(TGroupItemInfo& item) override { ConnectionView::ItemRemoved(item); }
};
