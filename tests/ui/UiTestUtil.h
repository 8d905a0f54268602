// Shared helpers of the window tests: a main window per test, message
// pumping, and boxes recorded instead of shown.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "DeferredRedraw.h"
#include "MainUnit.h"
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

inline RECT BoundsInParent(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
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
