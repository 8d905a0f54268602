// Keys typed as an operator types them, through the program's own message
// dispatch: Tab and Shift+Tab move between a page's controls.
#include "MessageDispatch.h"
#include "UiTestUtil.h"

namespace {

// A key through the system's input queue, handled as the program's loop handles it.
void Press(WORD key, bool shift = false)
{
    if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(PumpAsProgramUntil([] { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; }));
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
        EXPECT_TRUE(PumpAsProgramUntil([&] { return GetFocus() == c.To; })) << c.From;
    }
    // "Max [%]", End, Tab, 7: the 7 goes to the minimum, the maximum keeps its value.
    Press(VK_END);
    Press(VK_TAB);
    Press('7');
    Press(VK_TAB, true);
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMin, 7);
    EXPECT_EQ(form->Charting.Trend.Navigation.State.YAxisMax, 100);
}
