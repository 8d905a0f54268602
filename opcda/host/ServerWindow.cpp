#include "host/ServerWindow.h"

#include "contract/ClientInfo.h"
#include "contract/GroupInfo.h"
#include "contract/GroupItemInfo.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"

TServerWindow::TServerWindow(TOpcItemServer& server) : server_(server)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TServerWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ServerWindowClassName;
    // The class outlives the window: a later item server finds it registered.
    RegisterClassW(&windowClass);

    window_ = CreateWindowExW(0, ServerWindowClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    threadId_ = GetCurrentThreadId();
    if (window_ == nullptr) throw EOpcServer("OPCSERV: Could not allocate Opc Window");
}

TServerWindow::~TServerWindow()
{
    DestroyWindow(window_);  // its timers die with it
    for (TQueuedTask* task : tasks_.TakeAll()) delete task;
}

bool TServerWindow::OnWindowThread() const noexcept
{
    return threadId_ == GetCurrentThreadId();
}

void TServerWindow::PostTask(std::unique_ptr<TQueuedTask> task)
{
    if (!task) return;
    const DWORD handle = tasks_.Add(task.get());
    if (!PostMessageW(window_, TaskMessage, handle, 0)) {
        tasks_.Remove(handle);
        const DWORD error = GetLastError();
        RaiseOpcError(error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL);
    }
    task.release();  // the window destroys it after running it
}

DWORD TServerWindow::AddTimerTarget(TTimerTarget& target)
{
    return timers_.Add(&target);
}

void TServerWindow::RemoveTimerTarget(DWORD handle) noexcept
{
    timers_.Remove(handle);
}

void TServerWindow::StartTimer(DWORD handle, UINT intervalMs)
{
    if (SetTimer(window_, handle, intervalMs, nullptr) == 0) {
        const DWORD error = GetLastError();
        RaiseOpcError(error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL);
    }
}

void TServerWindow::StopTimer(DWORD handle) noexcept
{
    // Other targets' ticks stay queued: a tick already on its way for this
    // handle finds no target once the handle is removed, so nothing reaches
    // a target that is gone.
    KillTimer(window_, handle);
}

void TServerWindow::SendNotify(TPendingNotify& pending) noexcept
{
    if (GetCurrentThreadId() == threadId_) {
        // On the window's own thread a sent message is a direct call; making
        // it directly spares the system's message path, which costs more than
        // the hook itself (a 132-item AddItems sends 132 of them).
        try {
            Deliver(pending);
        } catch (...) {
            try {
                server_.HandleException(std::current_exception());
            } catch (...) {
                // Nothing may leave a hook's sender; the item server was told if it could be.
            }
        }
        return;
    }
    DWORD handle = 0;
    try {
        handle = notifications_.Add(&pending);
    } catch (...) {
        return;  // out of memory: the hook is not told
    }
    SendMessageW(window_, NotifyMessage, static_cast<WPARAM>(pending.code), handle);
    notifications_.Remove(handle);
}

LRESULT CALLBACK TServerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TServerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (self == nullptr || (message != WM_TIMER && message != NotifyMessage && message != TaskMessage))
        return DefWindowProcW(window, message, wParam, lParam);

    // Nothing may unwind through the system's window code.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        try {
            self->server_.HandleException(std::current_exception());
        } catch (...) {
            // The item server's handler failed too; there is nobody left to tell.
        }
        return 1;
    }
}

LRESULT TServerWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam <= 0xFFFFFFFF) {
            if (TTimerTarget* target = timers_.Find(static_cast<DWORD>(wParam))) target->TimerTick();
        }
        return 0;
    case NotifyMessage:
        Notify(wParam, lParam);
        return 0;
    case TaskMessage:
        if (wParam != 0 && wParam <= 0xFFFFFFFF) {
            // Destroyed after running, also when Run raises.
            std::unique_ptr<TQueuedTask> task(tasks_.Take(static_cast<DWORD>(wParam)));
            if (task) task->Run();
        }
        return 0;
    default:
        return 0;
    }
}

void TServerWindow::Notify(WPARAM code, LPARAM handle)
{
    if (handle <= 0 || handle > 0xFFFFFFFF) return;
    TPendingNotify* pending = notifications_.Find(static_cast<DWORD>(handle));
    if (pending == nullptr || static_cast<WPARAM>(pending->code) != code) return;
    Deliver(*pending);
}

void TServerWindow::Deliver(TPendingNotify& notify)
{
    TPendingNotify* pending = &notify;
    switch (pending->code) {
    case TNotifyCode::ClientConnected: server_.ClientConnected(*pending->client); break;
    case TNotifyCode::ClientDisconnected: server_.ClientDisconnected(*pending->client); break;
    case TNotifyCode::ClientRenamed: server_.ClientRenamed(*pending->client); break;
    case TNotifyCode::ClientHung: server_.ClientHung(*pending->client); break;
    case TNotifyCode::ClientResponding: server_.ClientResponding(*pending->client); break;
    case TNotifyCode::GroupAdded: server_.GroupAdded(*pending->group); break;
    case TNotifyCode::GroupRemoved: server_.GroupRemoved(*pending->group); break;
    case TNotifyCode::ItemAdded: server_.ItemAdded(*pending->item); break;
    case TNotifyCode::ItemRemoved: server_.ItemRemoved(*pending->item); break;
    }
}

namespace {

bool IsClientCode(TNotifyCode code)
{
    return code == TNotifyCode::ClientConnected || code == TNotifyCode::ClientDisconnected ||
           code == TNotifyCode::ClientRenamed || code == TNotifyCode::ClientHung ||
           code == TNotifyCode::ClientResponding;
}

bool IsGroupCode(TNotifyCode code)
{
    return code == TNotifyCode::GroupAdded || code == TNotifyCode::GroupRemoved;
}

bool IsItemCode(TNotifyCode code)
{
    return code == TNotifyCode::ItemAdded || code == TNotifyCode::ItemRemoved;
}

}  // namespace

void SendNotify(TOpcItemServer& server, TNotifyCode code, TClientInfo& client) noexcept
{
    if (!IsClientCode(code)) return;
    TServerWindow::TPendingNotify pending{code, &client, nullptr, nullptr};
    server.ServerWindow().SendNotify(pending);
}

void SendNotify(TOpcItemServer& server, TNotifyCode code, TGroupInfo& group) noexcept
{
    if (!IsGroupCode(code)) return;
    TServerWindow::TPendingNotify pending{code, nullptr, &group, nullptr};
    server.ServerWindow().SendNotify(pending);
}

void SendNotify(TOpcItemServer& server, TNotifyCode code, TGroupItemInfo& item) noexcept
{
    if (!IsItemCode(code)) return;
    TServerWindow::TPendingNotify pending{code, nullptr, nullptr, &item};
    server.ServerWindow().SendNotify(pending);
}
