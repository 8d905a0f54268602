// The trend chart's wiring on the main window: the timers, the start state of
// both pages, and real control messages reaching the chart's logic.
#include "UiTestUtil.h"  // windows.h before the common controls

#include <commctrl.h>

#include "ScreenCapture.h"
#include "TrendValues.h"

namespace {

class TTrendChartWindow : public TFormTest {
protected:
    TTrendChartView& view() { return form->Charting; }
    TTrendChart& trend() { return form->Charting.Trend; }
    TChartingPage& data() { return form->Charting.DataPage; }
    TSeriesPage& series() { return form->Charting.SeriesPage; }

    bool Visible(HWND hwnd) const { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }
    void ShowPage(int page)
    {
        form->PageControl1.Select(page);
        for (TPanel* sheet : {&form->TabSheet1, &form->TabSheet2, &form->TabSheet3})
            ShowWindow(sheet->Handle(), sheet == &form->TabSheet1 + page ? SW_SHOW : SW_HIDE);
        ASSERT_TRUE(Settle(*form));
    }
    // Logs `count` samples ending at the computer's clock, as the companion would.
    void LogUpToNow(int count)
    {
        form->Timer1.SetEnabled(false);
        const double now = NowDateTime();
        trend().Logger.Now = [now] { return now; };
        FillTrendTable(form->ItemValueTable, now);
        for (int i = count - 1; i >= 0; --i) {
            SimulatedTrendSample(form->ItemValueTable, now - i * kOneSecond, count - i);
            form->Timer1Timer();
        }
    }
};

}  // namespace

TEST_F(TTrendChartWindow, ValueLabelsStayInsideTheirAreaWhateverTheMaximumTyped)
{
    LogUpToNow(60);
    ShowPage(1);
    TChart& chart = data().Chart9;
    for (const auto& [typed, taken] : {std::pair{1e15, 1e15}, {1e308, 1e15}, {2.5e8, 2.5e8}}) {
        form->SSMaxEnter();
        form->SSMaxValueChanged(typed);
        form->Timer1Timer();
        EXPECT_EQ(chart.Model().Left().Maximum(), taken);
        chart.Repaint();
        const RECT all = chart.ClientRect();
        const TCapture shot = Capture(chart.Painter().MemoryDC(), 0, 0, all.right, all.bottom);
        // Left of the label area, nothing is drawn.
        const TPixelRect plot = chart.Model().PlotRect();
        const int areaLeft = plot.Left - chart.Model().Left().LabelWidth();
        int labels = 0, outside = 0;
        for (int y = plot.Top; y <= plot.Bottom; ++y)
            for (int x = 0; x < plot.Left - 4; ++x)
                if (shot.Dark(x, y)) ++(x >= areaLeft ? labels : outside);
        EXPECT_GT(labels, 50);
        EXPECT_EQ(outside, 0) << taken;
    }
}

TEST_F(TTrendChartWindow, DispatchesFiveTimersWithTheirIntervals)
{
    const struct {
        TTimer& Timer;
        UINT Interval;
        bool Enabled;
    } timers[] = {{form->Timer1, 1000, true},
                  {form->Timer2, 1000, false},
                  {form->Timer3, 1000, false},
                  {form->Timer5, 50, true}};
    for (const auto& t : timers) {
        EXPECT_EQ(t.Timer.Interval(), t.Interval) << t.Timer.Id();
        EXPECT_EQ(t.Timer.Enabled(), t.Enabled) << t.Timer.Id();
    }
    // Timer5 opens the readout gate on its own.
    trend().Readout.ReadoutAllowed = false;
    EXPECT_TRUE(PumpUntil([&] { return trend().Readout.ReadoutAllowed; }));
    // Timer1 samples once a second once every cell has a value.
    FillTrendTable(form->ItemValueTable, NowDateTime());
    EXPECT_TRUE(PumpUntil([&] { return trend().Chart9.Series(0).Count() > 0; }));
    EXPECT_EQ(series().S_Size.Text(), L"1 KB");
}

TEST_F(TTrendChartWindow, StartsWithTheSetUpState)
{
    for (TLabel* panel : {&data().Lvalue, &data().Xvalue, &data().YSvalue, &series().S_Size})
        EXPECT_EQ(panel->Text(), L" ");
    TPopupMenu& menu = data().PopupMenu;
    ASSERT_EQ(menu.EntryCount(), 29);
    EXPECT_EQ(menu.Caption(1), L"Xtal 1 Frequency [Hz]");
    EXPECT_EQ(menu.Caption(20), L"Run Number");
    EXPECT_EQ(menu.Caption(21), L"Hide All Series");
    EXPECT_EQ(menu.Caption(22), L"Y-Axis Auto ON");
    EXPECT_EQ(menu.Caption(23), L"X-axis Time Span - 10 min");
    EXPECT_EQ(menu.Caption(29), L"X-axis Time Span - 8 hr");
    // Three columns: a break before PM11 and before PM21; PM1 to PM20 are radio entries.
    for (int entry : {1, 11, 20, 21}) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu.Handle(), static_cast<UINT>(entry), FALSE, &info);
        EXPECT_EQ((info.fType & MFT_MENUBARBREAK) != 0, entry == 11 || entry == 21) << entry;
        EXPECT_EQ((info.fType & MFT_RADIOCHECK) != 0, entry <= 20) << entry;
    }
    EXPECT_EQ(series().HSAllS.Text(), L"Hide All Series");
    EXPECT_FALSE(series().Rows[19].SH.Enabled());
    EXPECT_TRUE(series().Rows[18].SH.Enabled());
    EXPECT_EQ(series().Rows[0].PP.Background(), RGB(192, 192, 192));
    EXPECT_EQ(series().Rows[4].CP.Background(), RGB(0, 0, 255));
    EXPECT_EQ(series().Rows[13].CP.Background(), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(series().XAxisTS.Selected(), 5);
    EXPECT_EQ(series().ComboBox6.Selected(), 0);
    EXPECT_FALSE(data().UndoZoomButton.Enabled());
    EXPECT_FALSE(series().UndoZoomButton.Enabled());
    EXPECT_EQ(series().SSMax.Text(), L"100" + TNumberSeparators::User().Decimal + L"00");
    EXPECT_FALSE(Visible(series().Panel2.Handle()));
    EXPECT_FALSE(Visible(series().Panel3.Handle()));
    EXPECT_EQ(trend().Chart9.Left().Title(), L" ");
    EXPECT_EQ(data().Hints.HintOf(data().ScrlX.Handle()), L"Scroll Plot along X-axis");
    EXPECT_EQ(data().Hints.HintOf(data().ScrlY.Handle()), L"Scroll Plot along Y-axis");
    EXPECT_EQ(series().Hints.HintOf(series().XAxisScrl.Handle()), L"Shift Plot along X-axis");
    EXPECT_EQ(series().Hints.HintOf(series().ResetX.Handle()), L"Reset X-axis to 10 min Time Span");
}

TEST_F(TTrendChartWindow, RowButtonsSwatchesAndNamesReachTheSeries)
{
    ShowPage(2);
    TSeriesRowControls& row = series().Rows[2];
    SendMessageW(row.SH.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(row.SH.Text(), L"Hide");
    EXPECT_EQ(row.PP.Background(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(row.SSL.Background(), GetSysColor(COLOR_BTNFACE));
    SendMessageW(row.SH.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(trend().Chart9.Series(2).Visible());

    view().ChooseColor = [](TChartColor) { return std::optional<TChartColor>(ChartRgb(10, 20, 30)); };
    SendMessageW(row.CP.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(row.CP.Background(), RGB(10, 20, 30));
    EXPECT_EQ(trend().Chart9.Series(2).Color(), ChartRgb(10, 20, 30));

    SendMessageW(row.SSL.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(trend().Chart9.Series(2).LineWidth(), 2);
    EXPECT_TRUE(Visible(series().Panel2.Handle()));
    EXPECT_EQ(series().SerLineWidth.Text(), L"Xtal 3 Frequency [Hz]  -  Line Width = 2");
    EXPECT_TRUE(form->Timer3.Enabled());
    EXPECT_TRUE(PumpUntil([&] { return !Visible(series().Panel2.Handle()); })) << "Timer3 hides the notice";
    EXPECT_FALSE(form->Timer3.Enabled());

    form->Timer4Timer();  // its first step: the reset panel
    EXPECT_TRUE(Visible(series().Panel3.Handle()));
    SendMessageW(series().ResetSLW.Handle(), BM_CLICK, 0, 0);
    form->Timer4Timer();
    EXPECT_FALSE(Visible(series().Panel3.Handle()));
}

TEST_F(TTrendChartWindow, OptionsControlsSetTheYAxisAndTheSpanGroupTheWindow)
{
    ShowPage(2);
    TComboBox& mode = series().ComboBox6;
    mode.Select(1);
    SendMessageW(GetParent(mode.Handle()), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(mode.Handle()));
    EXPECT_TRUE(trend().Navigation.State.YAxisAuto);
    EXPECT_EQ(data().PopupMenu.Caption(22), L"Y-Axis Auto OFF");
    EXPECT_FALSE(data().ScrlY.Enabled());
    form->PMClick(22);
    EXPECT_EQ(mode.Selected(), 0);
    EXPECT_TRUE(data().ScrlY.Enabled());

    TNumberEdit& max = series().SSMax;
    SetFocus(max.Handle());
    max.SetText(L"50");
    SendMessageW(max.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(trend().Navigation.State.YAxisMax, 50);
    const std::wstring point = TNumberSeparators::User().Decimal;
    EXPECT_EQ(max.Text(), L"5" + point + L"00E+01");
    EXPECT_EQ(series().SSMin.Text(), L"0" + point + L"00E+00");
    max.SetText(L"-20");  // below the edit's bound: refused
    SendMessageW(max.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(trend().Navigation.State.YAxisMax, 50);
    EXPECT_EQ(max.Text(), L"5" + point + L"00E+01");

    SendMessageW(series().XAxisTS.ButtonHandle(11), BM_CLICK, 0, 0);  // "8 hr"
    EXPECT_DOUBLE_EQ(trend().Navigation.State.XAxisSpan, 0.3333333);
    form->PMClick(24);  // "30 min" from the popup menu selects it in the group too
    EXPECT_EQ(series().XAxisTS.Selected(), 6);
    SendMessageW(series().ResetX.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(series().XAxisTS.Selected(), 5);
    EXPECT_TRUE(trend().Navigation.State.XAxisLive);
}

TEST_F(TTrendChartWindow, DraggingOverTheChartZoomsAndTheButtonsUndoIt)
{
    LogUpToNow(120);
    ShowPage(1);
    TChart& chart = data().Chart9;
    const TPixelRect plot = chart.Model().PlotRect();
    const LPARAM from = MAKELPARAM(plot.Left + 40, plot.Top + 30), to = MAKELPARAM(plot.Left + 200, plot.Top + 150);
    SendMessageW(chart.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, from);
    SendMessageW(chart.Handle(), WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageW(chart.Handle(), WM_LBUTTONUP, 0, to);
    EXPECT_TRUE(trend().Navigation.State.ChartZoomed);
    EXPECT_TRUE(data().UndoZoomButton.Enabled());
    EXPECT_TRUE(series().UndoZoomButton.Enabled());
    EXPECT_FALSE(series().ComboBox6.Enabled());
    SendMessageW(series().UndoZoomButton.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(trend().Navigation.State.ChartZoomed);
    EXPECT_FALSE(data().UndoZoomButton.Enabled());
    EXPECT_TRUE(series().ComboBox6.Enabled());
}

TEST_F(TTrendChartWindow, MouseMovesFillTheReadoutBarOncePerGateTick)
{
    LogUpToNow(120);
    ShowPage(1);
    TChart& chart = data().Chart9;
    const TPixelRect plot = chart.Model().PlotRect();
    form->Timer5.SetEnabled(false);
    trend().Readout.ReadoutAllowed = false;
    const LPARAM at = MAKELPARAM(plot.Right - 40, (plot.Top + plot.Bottom) / 2);
    SendMessageW(chart.Handle(), WM_MOUSEMOVE, 0, at);
    EXPECT_EQ(data().Xvalue.Text(), L" ") << "the gate is closed";
    form->Timer5Timer();
    SendMessageW(chart.Handle(), WM_MOUSEMOVE, 0, at);
    EXPECT_NE(data().Xvalue.Text(), L" ");
    EXPECT_NE(data().Lvalue.Text(), L" ");
    form->Timer5Timer();
    SendMessageW(chart.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // outside the plot
    EXPECT_EQ(data().Xvalue.Text(), L" ");
}

TEST_F(TTrendChartWindow, ArrowButtonsMoveTheWindow)
{
    LogUpToNow(30);
    ShowPage(1);
    const TUpDown& arrows = data().ScrlX;
    RECT r{};
    GetClientRect(arrows.Handle(), &r);
    const LPARAM left = MAKELPARAM(r.right / 4, r.bottom / 2);
    SendMessageW(arrows.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, left);
    SendMessageW(arrows.Handle(), WM_LBUTTONUP, 0, left);
    EXPECT_FALSE(trend().Navigation.State.XAxisLive);
    EXPECT_EQ(trend().Navigation.ScrlXPosition, -1);
    EXPECT_EQ(arrows.Position(), -1);
    SendMessageW(data().ResetButton.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(trend().Navigation.State.XAxisLive);
    EXPECT_EQ(arrows.Position(), 0);
}
