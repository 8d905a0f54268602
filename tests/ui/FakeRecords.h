// Client, group and group-item records as the core hands them to the hooks,
// with an item server that knows two item IDs, for the window tests.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "ClientInfo.h"
#include "GroupInfo.h"
#include "GroupItemInfo.h"
#include "ItemServer.h"
#include "OpcError.h"
#include "ServerItem.h"
#include "TextUtil.h"

class TTwoItemServer : public TOpcItemServer {
public:
    LONG ResolveItem(const std::wstring& itemId, std::wstring&, TAccessRights& rights) override
    {
        rights = TAccessRights::FromOpc(AccessReadable | AccessWriteable);
        if (SameTextI(itemId, L"Float.Chamber Pressure")) return 15;
        if (SameTextI(itemId, L"Output.OUT 3")) return 101;
        RaiseOpcError(OPC_E_INVALIDITEMID);
    }
    void ReadItemValue(LONG, WORD&, VARIANT& value) override
    {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(L"");
    }
    void WriteItemValue(LONG, const VARIANT&) override {}
};

class TFakeClient : public TClientInfo {
public:
    size_t GroupCount() const override { return 0; }
    TGroupInfo* GroupAt(size_t) const override { return nullptr; }
    void Disconnect() override {}
};

class TFakeGroup : public TGroupInfo {
public:
    TFakeGroup(TClientInfo& client, std::wstring name)
    {
        Server = &client;
        Name = std::move(name);
    }
    std::vector<TGroupItemInfo*> items;
    bool dataCallback = false;
    bool adviseSinks[3]{};
    size_t ItemCount() const override { return items.size(); }
    TGroupItemInfo* ItemAt(size_t i) const override { return i < items.size() ? items[i] : nullptr; }
    bool HasDataCallback() const override { return dataCallback; }
    bool HasAdviseSink(int i) const override { return i >= 0 && i < 3 && adviseSinks[i]; }
};

// A group item that takes its shared server item from the item cache, as the
// core's group items do.
class TFakeGroupItem : public TGroupItemInfo {
public:
    TFakeGroupItem(TOpcItemServer& server, TFakeGroup& group, const std::wstring& itemId)
        : server_(server), group_(group), item_(server.ItemCache().Acquire(*this, itemId))
    {
        group.items.push_back(this);
    }
    ~TFakeGroupItem() override { server_.ItemCache().Release(*item_, *this); }
    double lastUpdate = 0;
    TServerItem* GetServerItem() const override { return item_; }
    TGroupInfo* GetGroup() const override { return &group_; }
    double LastUpdateTime() const override { return lastUpdate; }
    UniqueVariant GetValue() const override { return {}; }
    void ValuePushed(const VARIANT&, WORD) noexcept override {}

private:
    TOpcItemServer& server_;
    TFakeGroup& group_;
    TServerItem* item_;
};
