// Values pushed from the item server's own thread while group items come and
// go on the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "cache/ServerItemList.h"
#include "FakeItemServer.h"
#include "FakeRecords.h"
#include "cache/ItemCache.h"
#include "TestValues.h"

namespace {

TEST(ItemCacheConcurrency, PushesWhileGroupItemsAttachAndDetachLoseNothing)
{
    constexpr int Pushes = 20000;
    constexpr int Rounds = 3000;

    TFakeItemServer server;
    server.subscribe = true;
    server.AddItem(L"Float.Rate", MakeR8(0));
    server.AddItem(L"Float.Other", MakeR8(0));

    TFakeGroup group;
    TFakeGroupItem steady(&group);
    TServerItem* rate = AcquireServerItem(steady, L"Float.Rate");
    const TItemChangeCallback push = server.callbacks.at(server.Item(L"Float.Rate").handle);

    std::atomic<bool> started{false};
    std::thread pusher([&] {
        started = true;
        for (int i = 1; i <= Pushes; ++i) push(MakeI4(i).get(), QualityGood);
    });
    while (!started) std::this_thread::yield();

    int transientPushes = 0;
    for (int round = 0; round < Rounds; ++round) {
        // Joins and leaves the pushed item ...
        TFakeGroupItem visitor(&group);
        TServerItem* shared = AcquireServerItem(visitor, round % 2 ? L"FLOAT.RATE" : L"Float.Rate");
        ASSERT_EQ(shared, rate);
        // ... and creates and destroys a second item, which takes the map lock.
        TFakeGroupItem passer(&group);
        TServerItem* other = AcquireServerItem(passer, L"Float.Other");
        ReleaseServerItem(*other, passer);
        ReleaseServerItem(*shared, visitor);
        transientPushes += visitor.pushes;
    }
    pusher.join();

    EXPECT_EQ(steady.pushes, Pushes);            // no delivery lost
    EXPECT_EQ(V_I4(&steady.lastPushed.get()), Pushes);
    EXPECT_LE(transientPushes, Pushes);
    EXPECT_EQ(rate->GroupItemCount(), 1u);       // no attachment lost or left behind
    EXPECT_EQ(server.resolveCalls, 1 + Rounds);  // Float.Rate once, Float.Other every round
    EXPECT_EQ(static_cast<int>(server.releasedHandles.size()), Rounds);
    EXPECT_EQ(server.ItemCache().Count(), 1u);

    ReleaseServerItem(*rate, steady);
    EXPECT_EQ(static_cast<int>(server.releasedHandles.size()), Rounds + 1);
    EXPECT_EQ(server.unsubscribeCalls, Rounds + 1);
    EXPECT_EQ(server.ItemCache().Count(), 0u);
}

}  // namespace
