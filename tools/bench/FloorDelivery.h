// The floor server's delivery: one thread per server object that calls each
// advised group's OnDataChange at the group's rate with all of its items and
// canned values, as a server that delivers from a thread per server object
// does, minus any work of its own. The thread starts with the first advised
// group.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "opcda.h"
#include "com/UniqueHandle.h"

class TFloorDelivery {
public:
    // texts: the canned values, item i gets texts[i % size].
    explicit TFloorDelivery(const std::vector<std::wstring>& texts);
    ~TFloorDelivery();
    TFloorDelivery(const TFloorDelivery&) = delete;
    TFloorDelivery& operator=(const TFloorDelivery&) = delete;

    // Delivers to the sink registered in the global interface table under
    // cookie, from now on; replaces what that cookie had.
    void Subscribe(DWORD cookie, OPCHANDLE group, DWORD rateMs, const std::vector<OPCHANDLE>& items);
    void Unsubscribe(DWORD cookie);

private:
    struct TSubscription {
        DWORD Cookie = 0;
        OPCHANDLE Group = 0;
        DWORD RateMs = 0;
        std::vector<OPCHANDLE> Items;
    };
    void Run();
    HRESULT Deliver(IOPCDataCallback& sink, const TSubscription& to);

    const std::vector<std::wstring>& texts_;
    std::mutex mutex_;
    std::vector<TSubscription> subscriptions_;
    bool stop_ = false;
    TUniqueEvent wake_;
    std::thread thread_;
};
