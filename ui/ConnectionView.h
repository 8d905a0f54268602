// What the item server's connection hooks show on the server page: a node per
// client, group and group item in the main window's ClientTree, and a line
// per event in its ServerLog. The hooks run inside a client's call, so they
// only queue the change in the main window's ConnectionChanges, copying what
// it shows; the batch runs once the message loop is back. Each record keeps
// its node's key in UserData. While the main window does not exist, nothing
// is shown and no record changes. Main thread only, like the hooks that call
// these.
#pragma once
#include "contract/ClientInfo.h"  // windows.h first, then the common controls
#include "contract/GroupInfo.h"
#include "contract/GroupItemInfo.h"
#include <commctrl.h>

namespace ConnectionView {

// Appended to the node text of a client whose callback is overdue.
inline constexpr wchar_t kNotRespondingMark[] = L" (not responding)";

void ClientConnected(TClientInfo& client);     // "New Client started at ..."; "Client connected Ok"
void ClientDisconnected(TClientInfo& client);  // node and all below go; "Client disconnected Ok"
void ClientRenamed(TClientInfo& client);       // "Client <name>"; "Client SetName Ok"
void ClientHung(TClientInfo& client);          // the node is marked; "Client not responding"
void ClientResponding(TClientInfo& client);    // the mark goes; "Client responding again"
void GroupAdded(TGroupInfo& group);            // under its client; "Add Group <name> ok"
void GroupRemoved(TGroupInfo& group);          // with its items; "Remove Group <name> ok"
void ItemAdded(TGroupItemInfo& item);          // under its group; "Add Item <id> ok"
void ItemRemoved(TGroupItemInfo& item);        // "Remove Item <id> ok", also when no node is left

// The record's node in the tree as the last batch left it; null while its
// add waits for the batch, once its removal (or one above it) is queued, and
// while there is no main window.
HTREEITEM NodeOf(const TClientInfo& client);
HTREEITEM NodeOf(const TGroupInfo& group);
HTREEITEM NodeOf(const TGroupItemInfo& item);

}  // namespace ConnectionView

#include "ConnectionEvents.h"

// The item server's connection hooks, shown on the main window.
class TConnectionViewEvents final : public TConnectionEvents {
public:
    void ClientConnected(TClientInfo& client) override { ConnectionView::ClientConnected(client); }
    void ClientDisconnected(TClientInfo& client) override { ConnectionView::ClientDisconnected(client); }
    void ClientRenamed(TClientInfo& client) override { ConnectionView::ClientRenamed(client); }
    void ClientHung(TClientInfo& client) override { ConnectionView::ClientHung(client); }
    void ClientResponding(TClientInfo& client) override { ConnectionView::ClientResponding(client); }
    void GroupAdded(TGroupInfo& group) override { ConnectionView::GroupAdded(group); }
    void GroupRemoved(TGroupInfo& group) override { ConnectionView::GroupRemoved(group); }
    void ItemAdded(TGroupItemInfo& item) override { ConnectionView::ItemAdded(item); }
    void ItemRemoved(TGroupItemInfo& item) override { ConnectionView::ItemRemoved(item); }
};
