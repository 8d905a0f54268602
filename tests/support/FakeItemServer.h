// An item server for tests: a table of items, which is also its address space,
// and a count of every call the core makes into it.
#pragma once
#include <windows.h>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "addrspace/AddressSpace.h"
#include "com/ComOwners.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "com/TextUtil.h"

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
    int hookCalls[8] = {};
    const void* hookRecord[8] = {};
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

    void ClientConnected(TClientInfo& r) override { Hook(1, &r); }
    void ClientDisconnected(TClientInfo& r) override { Hook(2, &r); }
    void ClientRenamed(TClientInfo& r) override { Hook(3, &r); }
    void GroupAdded(TGroupInfo& r) override { Hook(4, &r); }
    void GroupRemoved(TGroupInfo& r) override { Hook(5, &r); }
    void ItemAdded(TGroupItemInfo& r) override { Hook(6, &r); }
    void ItemRemoved(TGroupItemInfo& r) override { Hook(7, &r); }

private:
    void Hook(int code, const void* record)
    {
        ++hookCalls[code];
        hookRecord[code] = record;
        if (hooksRaise) throw std::runtime_error("hook failed");
    }

    std::map<std::wstring, TItem, LessTextI> items;
    LONG nextHandle = 1;
};
