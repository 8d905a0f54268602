// The hidden window of the item server. Hooks, queued asynchronous tasks and
// group timer ticks all run through its window procedure, and so on the one
// thread that created it (the main thread).
#pragma once
#include <windows.h>
#include <memory>

#include "com/HandleTable.h"

class TOpcItemServer;
class TClientInfo;
class TGroupInfo;
class TGroupItemInfo;

constexpr UINT NotifyMessage = 0x8FFE;  // wParam: TNotifyCode, lParam: handle of the pending notification
constexpr UINT TaskMessage = 0x8FFF;    // wParam: handle of a queued task, or 0
constexpr wchar_t ServerWindowClassName[] = L"QuovOpcServerWindow";

// The hooks of the item server that NotifyMessage delivers.
enum class TNotifyCode : WPARAM {
    ClientConnected = 1,
    ClientDisconnected = 2,
    ClientRenamed = 3,
    GroupAdded = 4,
    GroupRemoved = 5,
    ItemAdded = 6,
    ItemRemoved = 7,
    ClientHung = 8,
    ClientResponding = 9,
};

// Work queued to run after the COM call that queued it has returned. The
// window runs it once and destroys it; a task still queued when the window
// goes is destroyed unrun.
class TQueuedTask {
public:
    virtual ~TQueuedTask() = default;
    virtual void Run() = 0;
};

// Something with a periodic timer on the window (a group's update tick).
class TTimerTarget {
public:
    virtual void TimerTick() = 0;

protected:
    ~TTimerTarget() = default;
};

class TServerWindow {
public:
    // Registers the window class (once per process) and creates the window;
    // raises EOpcServer("OPCSERV: Could not allocate Opc Window") without one.
    explicit TServerWindow(TOpcItemServer& server);
    ~TServerWindow();
    TServerWindow(const TServerWindow&) = delete;
    TServerWindow& operator=(const TServerWindow&) = delete;

    HWND Handle() const noexcept { return window_; }
    // True on the thread that owns the window: every hook, task and tick runs there.
    bool OnWindowThread() const noexcept;

    // Posts a task to run later on the window's thread. The window takes
    // ownership; if posting fails the task is destroyed and EOpcError raised.
    void PostTask(std::unique_ptr<TQueuedTask> task);

    // Timer targets are known by a 32-bit handle, which is the timer ID.
    // Ticks for a handle no longer registered are ignored.
    DWORD AddTimerTarget(TTimerTarget& target);
    void RemoveTimerTarget(DWORD handle) noexcept;
    // Raises EOpcError when the system refuses the timer.
    void StartTimer(DWORD handle, UINT intervalMs);
    // Kills the timer. A tick of it still queued is ignored once the target's
    // handle is removed; the ticks of other targets are kept.
    void StopTimer(DWORD handle) noexcept;

    // One notification on its way to a hook; exactly one record is set.
    struct TPendingNotify {
        TNotifyCode code;
        TClientInfo* client = nullptr;
        TGroupInfo* group = nullptr;
        TGroupItemInfo* item = nullptr;
    };
    // Sends NotifyMessage and waits for the hook. The message carries a handle
    // of the pending notification, never a pointer, so that a stray message
    // from elsewhere cannot make the window dereference anything.
    void SendNotify(TPendingNotify& pending) noexcept;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Notify(WPARAM code, LPARAM handle);
    // Calls the hook of a notification.
    void Deliver(TPendingNotify& pending);

    TOpcItemServer& server_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;  // the thread that created the window
    THandleTable<TQueuedTask> tasks_;
    THandleTable<TTimerTarget> timers_;
    THandleTable<TPendingNotify> notifications_;
};

// Sends NotifyMessage to the item server's window and waits for the hook to
// return. The code must match the kind of record, or nothing is sent. Never
// raises (hooks are also sent from destructors).
void SendNotify(TOpcItemServer& server, TNotifyCode code, TClientInfo& client) noexcept;
void SendNotify(TOpcItemServer& server, TNotifyCode code, TGroupInfo& group) noexcept;
void SendNotify(TOpcItemServer& server, TNotifyCode code, TGroupItemInfo& item) noexcept;
