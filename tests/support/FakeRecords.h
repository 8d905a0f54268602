// Client, group and group-item records for tests, as the core hands them to
// the item server's hooks.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "contract/ClientInfo.h"
#include "contract/GroupInfo.h"
#include "contract/GroupItemInfo.h"
#include "cache/ItemCache.h"
#include "cache/ServerItem.h"

class TFakeClient : public TClientInfo {
public:
    size_t GroupCount() const override { return 0; }
    TGroupInfo* GroupAt(size_t) const override { return nullptr; }
    void Disconnect() override {}
};

class TFakeGroup : public TGroupInfo {
public:
    TFakeGroup() = default;
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

class TFakeGroupItem : public TGroupItemInfo {
public:
    explicit TFakeGroupItem(TGroupInfo* group = nullptr) : group_(group) {}

    TServerItem* serverItem = nullptr;
    std::atomic<int> pushes{0};
    UniqueVariant lastPushed;  // written under the cache's group-item lock
    WORD lastQuality = 0;

    TServerItem* GetServerItem() const override { return serverItem; }
    TGroupInfo* GetGroup() const override { return group_; }
    double LastUpdateTime() const override { return 0.0; }
    UniqueVariant GetValue() const override { return UniqueVariant::CopyOf(lastPushed.get()); }
    void ValuePushed(const VARIANT& value, WORD quality) noexcept override
    {
        VariantCopy(lastPushed.put(), const_cast<VARIANT*>(&value));
        lastQuality = quality;
        ++pushes;
    }

private:
    TGroupInfo* group_;
};

// A group item of group that holds the shared server item of itemId for its
// whole life, as the core's group items do.
class TAttachedGroupItem : public TFakeGroupItem {
public:
    TAttachedGroupItem(TFakeGroup& group, const std::wstring& itemId) : TFakeGroupItem(&group)
    {
        serverItem = AcquireServerItem(*this, itemId);
        group.items.push_back(this);
    }
    ~TAttachedGroupItem() override { ReleaseServerItem(*serverItem, *this); }
};
