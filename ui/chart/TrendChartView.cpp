#include "TrendChartView.h"

#include "ColorDialog.h"
#include "TimeSpanTable.h"

namespace {

COLORREF ScreenColor(TChartColor color) { return ResolveChartColor(color); }

}  // namespace

TTrendChartView::TTrendChartView(const TItemValueTable& table) : Trend(table)
{
    ChooseColor = [this](TChartColor current) -> std::optional<TChartColor> {
        const auto chosen = ChooseColorDialog(DataPage.Chart9.Handle(), ScreenColor(current));
        if (!chosen) return std::nullopt;
        return static_cast<TChartColor>(*chosen);
    };
    Trend.Readout.XorLine = [this](int x0, int y0, int x1, int y1, TChartColor color) {
        DataPage.Chart9.DrawXorLine(x0, y0, x1, y1, ScreenColor(color));
    };
    Trend.Readout.RepaintChart = [this] { DataPage.Chart9.Repaint(); };
}

void TTrendChartView::Create(HWND chartingPage, HWND seriesPage, HFONT font, TTimer& timer2, TTimer& timer3)
{
    timer2_ = &timer2;
    timer3_ = &timer3;
    DataPage.Create(chartingPage, font);
    SeriesPage.Create(seriesPage, font);
    Wire();
}

void TTrendChartView::Layout(int pageWidth, int pageHeight, int top)
{
    DataPage.Layout(pageWidth, pageHeight, top);
    SeriesPage.Layout(pageWidth, pageHeight, top);
}

void TTrendChartView::Wire()
{
    TChartingPage& d = DataPage;
    TSeriesPage& s = SeriesPage;
    d.ScrlX.OnChanging = [this] { ScrlXChanging(); };
    d.ScrlX.OnClick = [this](int position) { ScrlXClick(position); };
    d.ScrlY.OnChanging = [this] { ScrlYChanging(); };
    d.ScrlY.OnClick = [this](int position) { ScrlYClick(position); };
    d.UndoZoomButton.OnClick = [this] { UndoZoomClick(); };
    d.ResetButton.OnClick = [this] { ResetXClick(); };
    d.Chart9.OnMouseMove = [this](WPARAM, int x, int y) { Chart9MouseMove(x, y); };
    d.Chart9.OnAfterDraw = [this] { Chart9AfterDraw(); };
    d.Chart9.OnUserZoom = [this] { ShowNavigation(); };
    d.Chart9.OnContextMenu = [this](POINT screen) { Chart9ContextMenu(screen); };
    d.PopupMenu.OnClick = [this](int entry) { PMClick(entry); };

    s.SeriesTabs.OnChange = [this] { SeriesPage.ShowSelectedInnerPage(); };
    for (int n = 1; n <= kTrendSeriesCount; ++n) {
        TSeriesRowControls& row = s.Rows[static_cast<size_t>(n - 1)];
        row.SH.OnClick = [this, n] { SHClick(n); };
        row.CP.OnDblClick = [this, n] { CPDblClick(n); };
        row.SSL.OnDblClick = [this, n] { SSLDblClick(n); };
    }
    s.ComboBox6.OnChange = [this] { ComboBox6Change(); };
    s.ComboBox6.OnCloseUp = [this] { ComboBox6CloseUp(); };
    s.SSMax.OnEnter = [this] { SSMaxEnter(); };
    s.SSMax.OnKeyUp = [this](UINT key) { SSMaxKeyUp(key); };
    s.SSMax.OnValueChanged = [this](double value) { SSMaxValueChanged(value); };
    s.SSMin.OnEnter = [this] { SSMinEnter(); };
    s.SSMin.OnKeyUp = [this](UINT key) { SSMinKeyUp(key); };
    s.SSMin.OnValueChanged = [this](double value) { SSMinValueChanged(value); };
    s.UndoZoomButton.OnClick = [this] { UndoZoomClick(); };
    s.HSAllS.OnClick = [this] { HSAllSClick(); };
    s.XAxisTS.OnClick = [this] { XAxisTSClick(); };
    s.XAxisScrl.OnChanging = [this] { XAxisScrlChanging(); };
    s.XAxisScrl.OnClick = [this](int position) { XAxisScrlClick(position); };
    s.ResetX.OnClick = [this] { ResetXClick(); };
    s.ResetSLW.OnClick = [this] { ResetSLWClick(); };
    // The reset panel's label steps series 1's width, as its name label does.
    s.ResetLabel.OnDblClick = [this] { SSLDblClick(1); };
}

void TTrendChartView::FormCreate(double now)
{
    Trend.SetUpSeries();
    Trend.SetUpAllSeriesCaption();
    Trend.SetUpNavigation();
    Trend.SetUpRanges(now);
    Trend.SetUpFirstValues();
    Trend.SetUpColors();
    for (int n = 1; n <= kTrendSeriesCount; ++n)
        DataPage.PopupMenu.SetCaption(n, SeriesPage.Rows[static_cast<size_t>(n - 1)].SSL.Text());
    Trend.SetUpReadout();
    ShowAll();
}

// ---- showing the state ----

void TTrendChartView::ShowNavigation()
{
    const TChartNavigation& nav = Trend.Navigation;
    TSeriesPage& s = SeriesPage;
    if (s.XAxisTS.Selected() != nav.TimeSpanIndex) s.XAxisTS.Select(nav.TimeSpanIndex);
    if (s.ComboBox6.Selected() != nav.YModeIndex) s.ComboBox6.Select(nav.YModeIndex);
    s.ComboBox6.SetEnabled(nav.YModeBoxEnabled);
    DataPage.PopupMenu.SetCaption(TChartingPage::kYModeEntry, nav.PM22Caption);
    DataPage.UndoZoomButton.SetEnabled(nav.UndoZoomEnabled);
    s.UndoZoomButton.SetEnabled(nav.UndoZoomEnabled);
    DataPage.ScrlY.SetEnabled(nav.ScrlYEnabled);
    s.XAxisScrl.SetPosition(nav.XAxisScrlPosition);
    DataPage.ScrlX.SetPosition(nav.ScrlXPosition);
    DataPage.ScrlY.SetPosition(nav.ScrlYPosition);
    if (s.SSMax.Value() != nav.SSMaxValue || s.SSMax.Scientific() != nav.SSMaxScientific)
        s.SSMax.SetValue(nav.SSMaxValue, nav.SSMaxScientific);
    if (s.SSMin.Value() != nav.SSMinValue || s.SSMin.Scientific() != nav.SSMinScientific)
        s.SSMin.SetValue(nav.SSMinValue, nav.SSMinScientific);
    if (timer2_) timer2_->SetEnabled(nav.Timer2Enabled);
}

void TTrendChartView::ShowOptions()
{
    const TSeriesOptions& o = Trend.Options;
    for (int n = 0; n < kTrendSeriesCount; ++n) {
        TSeriesRowControls& row = SeriesPage.Rows[static_cast<size_t>(n)];
        row.SH.SetText(o.SHCaption[static_cast<size_t>(n)]);
        row.SH.SetEnabled(o.SHEnabled[static_cast<size_t>(n)]);
        const COLORREF look = ScreenColor(o.RowColor(n));
        row.PP.SetBackground(look);
        row.SL.SetBackground(look);
        row.SSL.SetBackground(look);
        row.CP.SetBackground(ScreenColor(o.SwatchColor[static_cast<size_t>(n)]));
    }
    SeriesPage.HSAllS.SetText(o.HSAllSCaption);
    DataPage.PopupMenu.SetCaption(TChartingPage::kAllSeriesEntry, o.HSAllSCaption);
    SeriesPage.SerLineWidth.SetText(o.SerLineWidth);
    SeriesPage.Panel2.SetVisible(o.Panel2Visible);
    SeriesPage.Panel3.SetVisible(o.Panel3Visible);
    if (timer3_) timer3_->SetEnabled(o.Timer3Enabled);
    for (int n = 1; n <= kTrendSeriesCount; ++n)
        DataPage.PopupMenu.SetChecked(n, Trend.Readout.Checked[static_cast<size_t>(n - 1)]);
}

void TTrendChartView::ShowReadout()
{
    DataPage.Lvalue.SetText(Trend.Readout.Lvalue);
    DataPage.Xvalue.SetText(Trend.Readout.Xvalue);
    DataPage.YSvalue.SetText(Trend.Readout.YSvalue);
}

void TTrendChartView::ShowAll()
{
    ShowNavigation();
    ShowOptions();
    ShowReadout();
    SeriesPage.S_Size.SetText(Trend.Logger.RamAllocationText);
    DataPage.Chart9.RefreshIfChanged();
}

// ---- handlers ----

void TTrendChartView::Timer1Timer()
{
    if (Trend.Logger.LogSample()) {
        SeriesPage.S_Size.SetText(Trend.Logger.RamAllocationText);
        DataPage.Chart9.RefreshIfChanged();
    }
}

void TTrendChartView::Timer2Timer()
{
    Trend.Navigation.Timer2Timer();
    ShowAll();
}

void TTrendChartView::Timer3Timer()
{
    Trend.Options.Timer3Timer();
    ShowOptions();
}

void TTrendChartView::Timer4Timer()
{
    Trend.Timer4Timer();
    SeriesPage.Panel3.SetVisible(Trend.Options.Panel3Visible);
}

void TTrendChartView::Timer5Timer() { Trend.Readout.Timer5Timer(); }

void TTrendChartView::XAxisTSClick()
{
    Trend.Navigation.TimeSpanIndex = SeriesPage.XAxisTS.Selected();
    Trend.Navigation.XAxisTSClick();
    ShowAll();
}

void TTrendChartView::ResetXClick()
{
    Trend.Navigation.ResetXClick();
    ShowAll();
}

void TTrendChartView::XAxisScrlChanging() { Trend.Navigation.XAxisScrlChanging(); }

void TTrendChartView::XAxisScrlClick(int position)
{
    Trend.Navigation.XAxisScrlClick(position);
    ShowNavigation();
}

void TTrendChartView::ScrlXChanging() { Trend.Navigation.ScrlXChanging(); }

void TTrendChartView::ScrlXClick(int position)
{
    Trend.Navigation.ScrlXClick(position);
    ShowNavigation();
}

void TTrendChartView::ScrlYChanging() { Trend.Navigation.ScrlYChanging(); }

void TTrendChartView::ScrlYClick(int position)
{
    Trend.Navigation.ScrlYClick(position);
    ShowNavigation();
}

void TTrendChartView::UndoZoomClick()
{
    Trend.Navigation.UndoZoomClick();
    ShowAll();
}

void TTrendChartView::ComboBox6Change()
{
    Trend.Navigation.YModeIndex = SeriesPage.ComboBox6.Selected();
    Trend.Navigation.ComboBox6Change();
    ShowNavigation();
}

void TTrendChartView::ComboBox6CloseUp() { SetFocus(SeriesPage.TimeSpanPanel.Handle()); }

void TTrendChartView::SSMaxEnter() { Trend.Navigation.SSMaxEnter(); }

void TTrendChartView::SSMaxKeyUp(UINT key)
{
    if (key == VK_RETURN || key == VK_DOWN) SeriesPage.SSMin.Focus();
}

void TTrendChartView::SSMaxValueChanged(double value)
{
    Trend.Navigation.SSMaxValueChanged(value);
    ShowNavigation();
}

void TTrendChartView::SSMinEnter() { Trend.Navigation.SSMinEnter(); }

void TTrendChartView::SSMinKeyUp(UINT key)
{
    if (key == VK_RETURN || key == VK_UP) SeriesPage.SSMax.Focus();
}

void TTrendChartView::SSMinValueChanged(double value)
{
    Trend.Navigation.SSMinValueChanged(value);
    ShowNavigation();
}

void TTrendChartView::SHClick(int n)
{
    Trend.Options.SHClick(n - 1);
    ShowOptions();
    DataPage.Chart9.RefreshIfChanged();
}

void TTrendChartView::HSAllSClick()
{
    Trend.Options.HSAllSClick();
    ShowOptions();
    DataPage.Chart9.RefreshIfChanged();
}

void TTrendChartView::CPDblClick(int n)
{
    Trend.Options.CPDblClick(n - 1, ChooseColor);
    ShowOptions();
    DataPage.Chart9.RefreshIfChanged();
}

void TTrendChartView::SSLDblClick(int n)
{
    Trend.Options.SSLDblClick(n - 1);
    ShowOptions();
    DataPage.Chart9.RefreshIfChanged();
}

void TTrendChartView::ResetSLWClick()
{
    Trend.Options.ResetSLWClick();
    DataPage.Chart9.RefreshIfChanged();
}

void TTrendChartView::PMClick(int entry)
{
    if (entry >= 1 && entry <= kTrendSeriesCount) {
        Trend.PMSeriesClick(entry);
    } else if (entry == TChartingPage::kAllSeriesEntry) {
        Trend.PM21Click();
    } else if (entry == TChartingPage::kYModeEntry) {
        Trend.Navigation.PM22Click();
    } else if (entry >= TChartingPage::kFirstSpanEntry &&
               entry < TChartingPage::kFirstSpanEntry + kTimeSpanCount - kFirstPopupTimeSpan) {
        Trend.Navigation.PMTimeSpanClick(kFirstPopupTimeSpan + entry - TChartingPage::kFirstSpanEntry);
    }
    ShowAll();
}

void TTrendChartView::Chart9MouseMove(int x, int y)
{
    if (!Trend.Readout.ReadoutAllowed) return;
    Trend.Readout.Chart9MouseMove(x, y);
    ShowReadout();
}

void TTrendChartView::Chart9AfterDraw() { Trend.Readout.Chart9AfterDraw(); }

void TTrendChartView::Chart9ContextMenu(POINT screen) { DataPage.PopupMenu.Popup(DataPage.Chart9.Handle(), screen); }
