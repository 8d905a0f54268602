// Client, group and group-item records for tests.
#pragma once
#include <atomic>
#include <vector>

#include "ClientInfo.h"
#include "GroupInfo.h"
#include "GroupItemInfo.h"
#include "ServerItem.h"

class TFakeClient : public TClientInfo {
public:
    size_t GroupCount() const override { return 0; }
    TGroupInfo* GroupAt(size_t) const override { return nullptr; }
    void Disconnect() override {}
};

class TFakeGroup : public TGroupInfo {
public:
    std::vector<TGroupItemInfo*> items;
    size_t ItemCount() const override { return items.size(); }
    TGroupItemInfo* ItemAt(size_t i) const override { return i < items.size() ? items[i] : nullptr; }
    bool HasDataCallback() const override { return false; }
    bool HasAdviseSink(int) const override { return false; }
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
