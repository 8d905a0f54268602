// TTrendChartView: the trend chart's two pages on the main window. It builds
// the pages' controls, sends their events to the trend logic (TTrendChart)
// and shows the logic's state in the controls after each of them. The main
// window owns the timers and forwards their ticks and its handlers here.
#pragma once
#include <functional>
#include <optional>

#include "ChartingPage.h"
#include "SeriesPage.h"
#include "Timer.h"
#include "TrendChart.h"

class TTrendChartView {
public:
    explicit TTrendChartView(const TItemValueTable& table);
    TTrendChartView(const TTrendChartView&) = delete;
    TTrendChartView& operator=(const TTrendChartView&) = delete;

    TTrendChart Trend;
    TChartingPage DataPage{Trend.Chart9};
    TSeriesPage SeriesPage;

    // How a colour is chosen; by default the platform's colour dialog.
    std::function<std::optional<TChartColor>(TChartColor current)> ChooseColor;

    // Builds both pages; the timers are the window's one-shot helpers.
    void Create(HWND chartingPage, HWND seriesPage, HFONT font, TTimer& timer2, TTimer& timer3);
    void Layout(int pageWidth, int pageHeight, int top);

    // Window set-up, steps 3 to 9; now is the computer's clock.
    void FormCreate(double now);

    // Handlers, as the main window names them.
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();  // the reset panel's step
    void Timer5Timer();
    void XAxisTSClick();
    void ResetXClick();
    void XAxisScrlChanging();
    void XAxisScrlClick(int position);
    void ScrlXChanging();
    void ScrlXClick(int position);
    void ScrlYChanging();
    void ScrlYClick(int position);
    void UndoZoomClick();
    void ComboBox6Change();
    void ComboBox6CloseUp();
    void SSMaxEnter();
    void SSMaxKeyUp(UINT key);
    void SSMaxValueChanged(double value);
    void SSMinEnter();
    void SSMinKeyUp(UINT key);
    void SSMinValueChanged(double value);
    void SHClick(int n);  // SH1 ... SH20: n from 1
    void HSAllSClick();
    void CPDblClick(int n);   // CP1 ... CP20
    void SSLDblClick(int n);  // SS1L ... SS20L
    void ResetSLWClick();
    void PMClick(int entry);  // PM1 ... PM29
    void Chart9MouseMove(int x, int y);
    void Chart9AfterDraw();
    void Chart9ContextMenu(POINT screen);

private:
    void Wire();
    void ShowNavigation();
    void ShowOptions();
    void ShowReadout();
    void ShowAll();

    TTimer* timer2_ = nullptr;
    TTimer* timer3_ = nullptr;
};
