#include "RecordInfoText.h"

#include "cache/ServerItem.h"

TClientInfoFacts FactsOf(const TClientInfo& client)
{
    TClientInfoFacts f;
    f.Name = client.ClientName;
    f.LastUpdate = client.LastUpdateTime;
    f.State = static_cast<long>(client.ServerState);
    return f;
}

TGroupInfoFacts FactsOf(const TGroupInfo& group)
{
    TGroupInfoFacts f;
    f.Name = group.Name;
    f.Public = group.Public;
    f.Active = group.Active;
    f.UpdateRate = group.UpdateRate;
    f.ClientHandle = group.ClientHandle;
    f.Enabled = group.Enabled;
    f.ItemCount = static_cast<long>(group.ItemCount());
    f.DataCallback = group.HasDataCallback();
    for (int i = 0; i < 3; ++i) f.AdviseSinks[i] = group.HasAdviseSink(i);
    return f;
}

TItemInfoFacts FactsOf(const TGroupItemInfo& item)
{
    TItemInfoFacts f;
    if (const TServerItem* server = item.GetServerItem()) {
        f.ItemId = server->ItemId();
        f.ItemHandle = static_cast<DWORD>(server->Handle());
        f.CanonicalType = server->CanonicalType();
        f.AccessRights = server->AccessRights();
    }
    f.ClientHandle = item.ClientHandle;
    f.Active = item.Active;
    f.RequestedType = item.RequestedType;
    f.LastUpdate = item.LastUpdateTime();
    return f;
}
