// The item server of the ZEV-30 deposition controller: the fixed catalogue of
// 132 items, all readable and writable, whose values are texts in the item
// value table. The core calls every operation on the main thread.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "ConnectionEvents.h"
#include "contract/ItemServer.h"
#include "ItemValueTable.h"

class TZEV30 : public TOpcItemServer {
public:
    TZEV30() = default;

    // Where reads and writes go. The main window attaches the table it shows
    // while it is set up, before the message loop delivers the first client
    // call, and attaches null before that table is destroyed. While no table
    // is attached the item server's own table serves, so a read or write
    // never meets a missing table (values written there stay there).
    void AttachValueTable(TItemValueTable* table) noexcept
    {
        table_ = table ? table : &ownTable_;
        ++tableGeneration_;
    }
    TItemValueTable& ValueTable() noexcept { return *table_; }

    // The catalogue handle of itemId with rights {Read, Write}; the access
    // path is left alone. EOpcError(OPC_E_INVALIDITEMID) for an unknown ID.
    LONG ResolveItem(const std::wstring& itemId, std::wstring& accessPath, TAccessRights& rights) override;
    // Handles hold nothing and stay valid: nothing to do.
    void ReleaseItemHandle(LONG handle) override;
    // The 132 items as leaves of a flat space, in handle order, with their
    // published types.
    void BuildAddressSpace(TItemIdList& root) override;
    // The cell's text as VT_BSTR; the quality stays as the core preset it.
    // EOpcError(OPC_E_INVALIDHANDLE) outside 1 to 132.
    void ReadItemValue(LONG handle, WORD& quality, VARIANT& value) override;
    // The cell's version, so that polling reads only cells that changed.
    bool ItemChangeCount(LONG handle, uint64_t& count) noexcept override;
    // Stores the value as text; EVariantError for a pattern item given no
    // number, EOpcError(OPC_E_INVALIDHANDLE) outside 1 to 132.
    void WriteItemValue(LONG handle, const VARIANT& value) override;

    // Where the connection hooks show clients, groups and items; null (the
    // default, and before the main window exists) shows nothing.
    void AttachConnectionEvents(TConnectionEvents* events) noexcept { events_ = events; }
    void ClientConnected(TClientInfo& client) override;
    void ClientDisconnected(TClientInfo& client) override;
    void ClientRenamed(TClientInfo& client) override;
    void ClientHung(TClientInfo& client) override;
    void ClientResponding(TClientInfo& client) override;
    void GroupAdded(TGroupInfo& group) override;
    void GroupRemoved(TGroupInfo& group) override;
    void ItemAdded(TGroupItemInfo& item) override;
    void ItemRemoved(TGroupItemInfo& item) override;

private:
    TItemValueTable ownTable_;
    TItemValueTable* table_ = &ownTable_;
    uint64_t tableGeneration_ = 0;  // another table holds other values
    TConnectionEvents* events_ = nullptr;
};
