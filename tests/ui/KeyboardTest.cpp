// Keys as an operator types them, through the program's own message
// dispatch: Tab and Shift+Tab move between a page's controls instead of
// reaching the field that has the focus.
#include "MessageDispatch.h"
#include "UiTestUtil.h"

namespace {

class TKeyboard : public TFormTest {
protected:
    void SetUp() override
    {
        TFormTest::SetUp();
        SetForegroundWindow(form->Handle());
        Pump(200);
    }
    // Pumps as the program's message loop does.
    static void Pump(DWORD ms)
    {
        const ULONGLONG deadline = GetTickCount64() + ms;
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchWindowMessage(msg);
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) return;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        }
    }
    // Keys through the system's input queue, as the keyboard sends them.
    static void Press(WORD key, bool shift = false)
    {
        std::vector<INPUT> input;
        const auto add = [&](WORD vk, bool up) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            input.push_back(in);
        };
        if (shift) add(VK_SHIFT, false);
        add(key, false);
        add(key, true);
        if (shift) add(VK_SHIFT, true);
        SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
        Pump(150);
    }
    void ShowOptionsPage()
    {
        form->PageControl1.Select(2);
        for (TPanel* sheet : {&form->TabSheet1, &form->TabSheet2, &form->TabSheet3})
            ShowWindow(sheet->Handle(), sheet == &form->TabSheet3 ? SW_SHOW : SW_HIDE);
        TSeriesPage& series = form->Charting.SeriesPage;
        series.SeriesTabs.Select(2);
        series.ShowSelectedInnerPage();
        Pump(100);
    }
};

}  // namespace

TEST_F(TKeyboard, TabAndShiftTabMoveBetweenAPagesControls)
{
    TSeriesPage& series = form->Charting.SeriesPage;
    const struct {
        const char* Name;
        bool OptionsPage;
        HWND From;
        bool Shift;
        HWND To;
    } cases[] = {{"Y maximum to minimum", true, series.SSMax.Handle(), false, series.SSMin.Handle()},
                 {"Y minimum back to maximum", true, series.SSMin.Handle(), true, series.SSMax.Handle()},
                 {"mode box to Y maximum", true, series.ComboBox6.Handle(), false, series.SSMax.Handle()},
                 {"tree to item list", false, form->ClientTree.Handle(), false, form->ItemList.Handle()},
                 {"item list to log", false, form->ItemList.Handle(), false, form->ServerLog.Handle()},
                 {"log back to item list", false, form->ServerLog.Handle(), true, form->ItemList.Handle()}};
    for (const auto& c : cases) {
        if (c.OptionsPage) ShowOptionsPage();
        SetFocus(c.From);
        Pump(50);
        ASSERT_EQ(GetFocus(), c.From) << c.Name;
        Press(VK_TAB, c.Shift);
        EXPECT_EQ(GetFocus(), c.To) << c.Name;
    }
}

TEST_F(TKeyboard, ATabTypedInTheYMaximumLeavesItsValueAlone)
{
    ShowOptionsPage();
    TSeriesPage& series = form->Charting.SeriesPage;
    const std::wstring shown = series.SSMax.Text();
    SetFocus(series.SSMax.Handle());
    Press(VK_END);
    Press(VK_TAB);
    Press('7');  // into the minimum, whose text Tab selected
    EXPECT_EQ(series.SSMax.Text(), shown);
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMax, 100);
    Press(VK_TAB, true);  // back: the minimum takes its 7
    EXPECT_EQ(GetFocus(), series.SSMax.Handle());
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMin, 7);
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMax, 100);
}
