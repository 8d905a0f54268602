// Keys typed as an operator types them, through the program's own message
// dispatch: Tab and Shift+Tab move between a page's controls.
#include "MessageDispatch.h"
#include "UiTestUtil.h"

namespace {

// Keys through the system's input queue, then pumped as the program's loop does.
void Press(WORD key, bool shift = false)
{
    std::vector<INPUT> input;
    for (const auto& [vk, up] : {std::pair{VK_SHIFT, false}, {key, false}, {key, true}, {VK_SHIFT, true}}) {
        if (vk == VK_SHIFT && !shift) continue;
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        input.push_back(in);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    const ULONGLONG deadline = GetTickCount64() + 150;
    MSG msg;
    while (GetTickCount64() < deadline)
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchWindowMessage(msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
}

}  // namespace

using TKeyboard = TFormTest;

TEST_F(TKeyboard, TabAndShiftTabMoveBetweenAPagesControls)
{
    SetForegroundWindow(form->Handle());
    TSeriesPage& series = form->Charting.SeriesPage;
    const struct {
        HWND From;
        bool Shift;
        HWND To;
    } cases[] = {{form->ClientTree.Handle(), false, form->ItemList.Handle()},
                 {form->ServerLog.Handle(), true, form->ItemList.Handle()},
                 {series.ComboBox6.Handle(), false, series.SSMax.Handle()},
                 {series.SSMin.Handle(), true, series.SSMax.Handle()}};
    for (const auto& c : cases) {
        if (c.From == series.ComboBox6.Handle()) {  // the "Options" page from here on
            form->PageControl1.Select(2);
            ShowWindow(form->TabSheet1.Handle(), SW_HIDE);
            ShowWindow(form->TabSheet3.Handle(), SW_SHOW);
            series.SeriesTabs.Select(2);
            series.ShowSelectedInnerPage();
        }
        SetFocus(c.From);
        Press(VK_TAB, c.Shift);
        EXPECT_EQ(GetFocus(), c.To) << c.From;
    }
    // "Max [%]", End, Tab, 7: the 7 goes to the minimum, the maximum keeps its value.
    Press(VK_END);
    Press(VK_TAB);
    Press('7');
    Press(VK_TAB, true);
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMin, 7);
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMax, 100);
}
