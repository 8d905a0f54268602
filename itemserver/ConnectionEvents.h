// Where the item server's connection hooks show what happens: the operator's
// view on the main window supplies it. Called on the main thread while the
// record is fully alive.
#pragma once

class TClientInfo;
class TGroupInfo;
class TGroupItemInfo;

class TConnectionEvents {
public:
    virtual void ClientConnected(TClientInfo& client) = 0;
    virtual void ClientDisconnected(TClientInfo& client) = 0;
    virtual void ClientRenamed(TClientInfo& client) = 0;
    // A callback into the client is overdue; then it returned.
    virtual void ClientHung(TClientInfo& client) = 0;
    virtual void ClientResponding(TClientInfo& client) = 0;
    virtual void GroupAdded(TGroupInfo& group) = 0;
    virtual void GroupRemoved(TGroupInfo& group) = 0;
    virtual void ItemAdded(TGroupItemInfo& item) = 0;
    virtual void ItemRemoved(TGroupItemInfo& item) = 0;

protected:
    ~TConnectionEvents() = default;
};
