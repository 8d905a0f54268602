// An item server for tests: a table of items, which is also its address space,
// and a count of every call the core makes into it.
#pragma once
#include <windows.h>
#include <array>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "addrspace/AddressSpace.h"
#include "com/ComOwners.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "com/TextUtil.h"
#include "host/ServerWindow.h"

class TFakeItemServer : public TOpcItemServer {
public:
    struct TItem {
        LONG handle = 0;
        UniqueVariant value;
        DWORD rights = OPC_READABLE | OPC_WRITEABLE;
        bool failRead = false;  // every read raises
        int reads = 0;          // ReadItemValue calls for this item
    };
    enum class TWriteFailure { None, VariantError, StdConversion, OpcRange };

    void AddItem(const std::wstring& id, UniqueVariant value, DWORD rights = OPC_READABLE | OPC_WRITEABLE)
    {
        TItem& item = items[id];
        item.handle = nextHandle++;
        item.value = std::move(value);
        item.rights = rights;
    }
    TItem& Item(const std::wstring& id) { return items.at(id); }
    TItem* ItemByHandle(LONG handle)
    {
        for (auto& entry : items)
            if (entry.second.handle == handle) return &entry.second;
        return nullptr;
    }

    // What the tests set.
    bool subscribe = false;
    bool subscribeRaises = false;
    TServerOptions options = 0;
    TWriteFailure writeFailure = TWriteFailure::None;
    bool hooksRaise = false;

    // What the tests read.
    int resolveCalls = 0;
    std::vector<LONG> releasedHandles;
    int subscribeCalls = 0;
    int unsubscribeCalls = 0;
    int readCalls = 0;
    WORD qualityOnRead = 0;
    int writeCalls = 0;
    UniqueVariant lastWritten;
    std::map<LONG, TItemChangeCallback> callbacks;
    // Calls of each hook the fake overrides, and the record of its last call.
    // A code it does not override (ClientHung, ClientResponding) is out of range.
    int HookCalls(TNotifyCode code) const { return hookCalls_.at(Slot(code)); }
    const void* HookRecord(TNotifyCode code) const { return hookRecords_.at(Slot(code)); }
    int TotalHookCalls() const
    {
        int total = 0;
        for (int calls : hookCalls_) total += calls;
        return total;
    }
    int exceptionsHandled = 0;
    std::string lastExceptionText;
    int buildCalls = 0;
    int errorTextCalls = 0;
    WORD lastErrorLanguage = 0;

    LONG ResolveItem(const std::wstring& itemId, std::wstring&, TAccessRights& rights) override
    {
        ++resolveCalls;
        const auto it = items.find(itemId);
        if (it == items.end()) RaiseOpcError(OPC_E_INVALIDITEMID);
        rights = TAccessRights::FromOpc(it->second.rights);
        return it->second.handle;
    }
    void ReleaseItemHandle(LONG handle) override { releasedHandles.push_back(handle); }
    bool SubscribeItem(LONG handle, TItemChangeCallback callback) override
    {
        ++subscribeCalls;
        if (subscribeRaises) RaiseOpcError(E_FAIL);
        if (subscribe) callbacks[handle] = std::move(callback);
        return subscribe;
    }
    void UnsubscribeItem(LONG handle) override
    {
        ++unsubscribeCalls;
        callbacks.erase(handle);
    }
    void ReadItemValue(LONG handle, WORD& quality, VARIANT& value) override
    {
        ++readCalls;
        qualityOnRead = quality;
        TItem* item = ItemByHandle(handle);
        if (item == nullptr) RaiseOpcError(OPC_E_INVALIDHANDLE);
        ++item->reads;
        if (item->failRead) RaiseOpcError(E_FAIL);
        RaiseIfFailed(VariantCopy(&value, &item->value.get()));
    }
    void WriteItemValue(LONG, const VARIANT& value) override
    {
        ++writeCalls;
        switch (writeFailure) {
        case TWriteFailure::VariantError: throw EVariantError("not a value for this item");
        case TWriteFailure::StdConversion: (void)std::stod("no number"); break;
        case TWriteFailure::OpcRange: RaiseOpcError(OPC_E_RANGE);
        case TWriteFailure::None: break;
        }
        lastWritten = UniqueVariant::CopyOf(value);
    }
    TServerOptions ServerOptions() override { return options; }
    // Every item of the table, with its rights and the type of its value.
    void BuildAddressSpace(TItemIdList& root) override
    {
        ++buildCalls;
        for (const auto& [id, item] : items)
            AddItemId(root, id, TAccessRights::FromOpc(item.rights), V_VT(&item.value.get()));
    }
    void ErrorText(HRESULT code, WORD languageId, std::wstring& text) override
    {
        ++errorTextCalls;
        lastErrorLanguage = languageId;
        TOpcItemServer::ErrorText(code, languageId, text);
    }
    void HandleException(std::exception_ptr error) override
    {
        ++exceptionsHandled;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            lastExceptionText = e.what();
        } catch (...) {
            lastExceptionText = "?";
        }
    }

    void ClientConnected(TClientInfo& r) override { Hook(TNotifyCode::ClientConnected, &r); }
    void ClientDisconnected(TClientInfo& r) override { Hook(TNotifyCode::ClientDisconnected, &r); }
    void ClientRenamed(TClientInfo& r) override { Hook(TNotifyCode::ClientRenamed, &r); }
    void GroupAdded(TGroupInfo& r) override { Hook(TNotifyCode::GroupAdded, &r); }
    void GroupRemoved(TGroupInfo& r) override { Hook(TNotifyCode::GroupRemoved, &r); }
    void ItemAdded(TGroupItemInfo& r) override { Hook(TNotifyCode::ItemAdded, &r); }
    void ItemRemoved(TGroupItemInfo& r) override { Hook(TNotifyCode::ItemRemoved, &r); }

private:
    static constexpr size_t HookSlots = static_cast<size_t>(TNotifyCode::ItemRemoved) + 1;
    static size_t Slot(TNotifyCode code) { return static_cast<size_t>(code); }
    void Hook(TNotifyCode code, const void* record)
    {
        ++hookCalls_.at(Slot(code));
        hookRecords_.at(Slot(code)) = record;
        if (hooksRaise) throw std::runtime_error("hook failed");
    }

    std::array<int, HookSlots> hookCalls_{};
    std::array<const void*, HookSlots> hookRecords_{};

    std::map<std::wstring, TItem, LessTextI> items;
    LONG nextHandle = 1;
};
