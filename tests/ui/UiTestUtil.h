// Shared helpers of the window tests: a main window per test, message
// pumping, and boxes recorded instead of shown.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DeferredRedraw.h"
#include "MainUnit.h"
#include "MessageDispatch.h"
#include "MessagePump.h"

struct TShownBox {
    std::wstring Text, Caption;
    UINT Flags;
};

inline std::wstring WindowText(HWND hwnd)
{
    wchar_t buffer[512]{};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

inline LOGFONTW FontOf(HWND hwnd)
{
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
}

// Pumps until the server page's tree and log have had the repaint they defer
// to the end of a burst (it waits for a timer), then paints what is still
// invalid.
inline bool Settle(TMF& form)
{
    const bool settled = PumpUntil(
        [&] { return !RedrawDeferred(form.ServerLog.Handle()) && !RedrawDeferred(form.ClientTree.Handle()); });
    PumpMessages();
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return settled;
}

// Pumps until the batch of tree and log changes that the connection hooks
// queued is applied.
inline bool WaitForConnectionBatch(TMF& form)
{
    return PumpUntil([&] { return !form.ConnectionChanges.Pending(); });
}

inline RECT BoundsInParent(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Pumps as the program's message loop does until done() holds or the limit passes.
inline bool PumpAsProgramUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    MSG msg;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchWindowMessage(msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return true;
}

// A control whose repaint waits for the end of a burst has its redraw off
// (a list box is hidden then; a tree view keeps its style but lays nothing
// out); true once it is drawn again, everything queued handled.
inline bool PumpUntilRedrawOn(HWND control)
{
    const bool on = PumpUntil(
        [&] { return !RedrawDeferred(control) && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0; });
    PumpMessages();
    return on;
}

// Drags the splitter right of a pane of the server page by dx pixels, in four moves.
inline void DragSplitterRightOf(TMF& form, HWND pane, int dx)
{
    const RECT r = BoundsInParent(pane);
    const HWND splitter = ChildWindowFromPoint(form.TabSheet1.Handle(), POINT{r.right + 1, 100});
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 50));
    for (int step = 1; step <= 4; ++step)
        SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + dx * step / 4, 50));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(1 + dx, 50));
}

// One main window, shown in normal state; the companion watch is stopped so
// that it does not hide the window while a test looks at it.
class TFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TMF>();
        form->QuitOnDestroy = false;
        form->ShowMessageBox = [this](const std::wstring& text, const std::wstring& caption, UINT flags) {
            boxes.push_back({text, caption, flags});
        };
        form->CreateForm();
        form->Timer4.SetEnabled(false);
        form->Show();
        ASSERT_TRUE(Settle(*form));
    }
    void TearDown() override { form.reset(); }

    std::unique_ptr<TMF> form;
    std::vector<TShownBox> boxes;
};
