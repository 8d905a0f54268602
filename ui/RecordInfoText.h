// The information box texts of the core's client, group and group-item records.
#pragma once
#include <string>

#include "contract/ClientInfo.h"
#include "contract/GroupInfo.h"
#include "contract/GroupItemInfo.h"
#include "InfoText.h"

TClientInfoFacts FactsOf(const TClientInfo& client);
TGroupInfoFacts FactsOf(const TGroupInfo& group);
TItemInfoFacts FactsOf(const TGroupItemInfo& item);

inline std::wstring ClientInfoText(const TClientInfo& client) { return ClientInfoText(FactsOf(client)); }
inline std::wstring GroupInfoText(const TGroupInfo& group) { return GroupInfoText(FactsOf(group)); }
inline std::wstring ItemInfoText(const TGroupItemInfo& item) { return ItemInfoText(FactsOf(item)); }
