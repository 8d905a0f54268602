// The hidden server window: hook delivery, queued tasks, timer ticks and
// failures inside them.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <utility>

#include "FakeItemServer.h"
#include "FakeRecords.h"
#include "MessagePump.h"
#include "host/ServerWindow.h"

namespace {

class TRecordingTask : public TQueuedTask {
public:
    TRecordingTask(int& runs, bool& destroyed, bool raise = false) : runs_(runs), destroyed_(destroyed), raise_(raise) {}
    ~TRecordingTask() override { destroyed_ = true; }
    void Run() override
    {
        ++runs_;
        if (raise_) throw std::runtime_error("task failed");
    }

private:
    int& runs_;
    bool& destroyed_;
    bool raise_;
};

class TCountingTarget : public TTimerTarget {
public:
    int ticks = 0;
    bool raise = false;
    void TimerTick() override
    {
        ++ticks;
        if (raise) throw std::runtime_error("tick failed");
    }
};

class ServerWindowTest : public ::testing::Test {
protected:
    TFakeItemServer server;
    HWND Window() { return server.ServerWindow().Handle(); }
    int TotalHookCalls() const { return server.TotalHookCalls(); }
};

TEST_F(ServerWindowTest, EachNotifyCodeReachesItsHookWithTheRecord)
{
    TFakeClient client;
    TFakeGroup group;
    TFakeGroupItem item(&group);
    SendNotify(server, TNotifyCode::ClientConnected, client);
    SendNotify(server, TNotifyCode::ClientDisconnected, client);
    SendNotify(server, TNotifyCode::ClientRenamed, client);
    SendNotify(server, TNotifyCode::GroupAdded, group);
    SendNotify(server, TNotifyCode::GroupRemoved, group);
    SendNotify(server, TNotifyCode::ItemAdded, item);
    SendNotify(server, TNotifyCode::ItemRemoved, item);
    const std::pair<TNotifyCode, const void*> expected[] = {
        {TNotifyCode::ClientConnected, &client}, {TNotifyCode::ClientDisconnected, &client},
        {TNotifyCode::ClientRenamed, &client},   {TNotifyCode::GroupAdded, &group},
        {TNotifyCode::GroupRemoved, &group},     {TNotifyCode::ItemAdded, &item},
        {TNotifyCode::ItemRemoved, &item},
    };
    for (const auto& [code, record] : expected) {
        EXPECT_EQ(server.HookCalls(code), 1) << static_cast<int>(code);
        EXPECT_EQ(server.HookRecord(code), record) << static_cast<int>(code);
    }
}

TEST_F(ServerWindowTest, CodeThatDoesNotFitTheRecordIsNotSent)
{
    TFakeClient client;
    TFakeGroup group;
    SendNotify(server, TNotifyCode::GroupAdded, client);
    SendNotify(server, TNotifyCode::ClientConnected, group);
    EXPECT_EQ(TotalHookCalls(), 0);
}

TEST_F(ServerWindowTest, UnknownCodesAndStrayNotificationsDoNothing)
{
    EXPECT_EQ(SendMessageW(Window(), NotifyMessage, 0, 1), 0);
    EXPECT_EQ(SendMessageW(Window(), NotifyMessage, 8, 1), 0);
    // A known code with something that is no pending notification: ignored, not dereferenced.
    EXPECT_EQ(SendMessageW(Window(), NotifyMessage, 1, 0x12345678), 0);
    EXPECT_EQ(SendMessageW(Window(), NotifyMessage, 6, -1), 0);
    EXPECT_EQ(TotalHookCalls(), 0);
    EXPECT_EQ(server.exceptionsHandled, 0);
}

TEST_F(ServerWindowTest, RaisingHookGoesToHandleExceptionAndTheWindowKeepsWorking)
{
    TFakeClient client;
    server.hooksRaise = true;
    SendNotify(server, TNotifyCode::ClientConnected, client);
    EXPECT_EQ(server.exceptionsHandled, 1);
    EXPECT_EQ(server.lastExceptionText, "hook failed");

    server.hooksRaise = false;
    SendNotify(server, TNotifyCode::ClientRenamed, client);
    EXPECT_EQ(server.HookCalls(TNotifyCode::ClientRenamed), 1);
    EXPECT_EQ(server.exceptionsHandled, 1);

    int runs = 0;
    bool destroyed = false;
    server.ServerWindow().PostTask(std::make_unique<TRecordingTask>(runs, destroyed));
    PumpMessages();
    EXPECT_EQ(runs, 1);
}

TEST_F(ServerWindowTest, RaisingHandlerMakesTheProcedureReturnOne)
{
    TCountingTarget target;
    target.raise = true;
    const DWORD id = server.ServerWindow().AddTimerTarget(target);
    EXPECT_EQ(SendMessageW(Window(), WM_TIMER, id, 0), 1);
    EXPECT_EQ(server.exceptionsHandled, 1);
    target.raise = false;
    EXPECT_EQ(SendMessageW(Window(), WM_TIMER, id, 0), 0);
    EXPECT_EQ(target.ticks, 2);
    server.ServerWindow().RemoveTimerTarget(id);
}

TEST_F(ServerWindowTest, TaskRunsAfterTheCallThatQueuedItAndIsDestroyed)
{
    int runs = 0;
    bool destroyed = false;
    server.ServerWindow().PostTask(std::make_unique<TRecordingTask>(runs, destroyed));
    EXPECT_EQ(runs, 0);  // posted, not run on the spot
    PumpMessages();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(SendMessageW(Window(), TaskMessage, 0, 0), 0);
}

TEST_F(ServerWindowTest, RaisingTaskIsStillDestroyed)
{
    int runs = 0;
    bool destroyed = false;
    server.ServerWindow().PostTask(std::make_unique<TRecordingTask>(runs, destroyed, true));
    PumpMessages();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(server.exceptionsHandled, 1);
    EXPECT_EQ(server.lastExceptionText, "task failed");
}

TEST(ServerWindow, TasksStillQueuedAtTheEndAreDestroyedUnrun)
{
    int runs = 0;
    bool destroyed = false;
    {
        TFakeItemServer server;
        server.ServerWindow().PostTask(std::make_unique<TRecordingTask>(runs, destroyed));
    }
    PumpMessages();
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(destroyed);
}

TEST_F(ServerWindowTest, TimerTicksReachTheirTargetUntilStopped)
{
    TCountingTarget target, other;
    const DWORD id = server.ServerWindow().AddTimerTarget(target);
    const DWORD otherId = server.ServerWindow().AddTimerTarget(other);
    server.ServerWindow().StartTimer(id, 10);
    EXPECT_TRUE(PumpUntil([&] { return target.ticks >= 3; }));
    EXPECT_EQ(other.ticks, 0);

    server.ServerWindow().StopTimer(id);
    server.ServerWindow().RemoveTimerTarget(id);
    const int ticks = target.ticks;
    // A late tick for a target that is gone, and one for no target at all.
    EXPECT_EQ(SendMessageW(Window(), WM_TIMER, id, 0), 0);
    EXPECT_EQ(SendMessageW(Window(), WM_TIMER, 0xABCDEF, 0), 0);
    // Another timer of the same period ticks twice: the stopped one would have too.
    server.ServerWindow().StartTimer(otherId, 10);
    EXPECT_TRUE(PumpUntil([&] { return other.ticks >= 2; }));
    EXPECT_EQ(target.ticks, ticks);
    EXPECT_EQ(server.exceptionsHandled, 0);
    server.ServerWindow().StopTimer(otherId);
    server.ServerWindow().RemoveTimerTarget(otherId);
}

TEST_F(ServerWindowTest, StoppingOneTimerLeavesTheOthersTicking)
{
    TCountingTarget stopped, running;
    const DWORD stoppedId = server.ServerWindow().AddTimerTarget(stopped);
    const DWORD runningId = server.ServerWindow().AddTimerTarget(running);
    server.ServerWindow().StartTimer(stoppedId, 10);
    server.ServerWindow().StartTimer(runningId, 10);
    ASSERT_TRUE(PumpUntil([&] { return stopped.ticks >= 1 && running.ticks >= 1; }));
    // Groups come and go all the time; the others must not miss a beat.
    for (int i = 0; i < 20; ++i) {
        server.ServerWindow().StopTimer(stoppedId);
        server.ServerWindow().StartTimer(stoppedId, 10);
    }
    server.ServerWindow().StopTimer(stoppedId);
    const int before = running.ticks;
    EXPECT_TRUE(PumpUntil([&] { return running.ticks >= before + 3; }));
    server.ServerWindow().StopTimer(runningId);
    server.ServerWindow().RemoveTimerTarget(stoppedId);
    server.ServerWindow().RemoveTimerTarget(runningId);
}

TEST_F(ServerWindowTest, KnowsItsThread)
{
    EXPECT_TRUE(server.ServerWindow().OnWindowThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = server.ServerWindow().OnWindowThread(); }).join();
    EXPECT_FALSE(elsewhere);
}

}  // namespace
