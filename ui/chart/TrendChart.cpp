#include "TrendChart.h"

TTrendChart::TTrendChart(const TItemValueTable& table) : Logger(Chart9, table, Navigation.State)
{
    for (const TTrendSeriesInfo& info : TrendSeriesTable) Chart9.AddSeries(info.Name, info.StartColor);
    Chart9.OnZoom = [this] { Chart9Zoom(); };
    Chart9.OnUndoZoom = [this](bool restored) { Chart9UndoZoom(restored); };
}

void TTrendChart::SetUpSeries()
{
    Logger.SetUpSeries();
    Options.SetUpRows();
}

void TTrendChart::SetUpAllSeriesCaption() { Options.SetUpAllSeriesCaption(); }

void TTrendChart::SetUpNavigation() { Navigation.SetUpYModeAndSpan(); }

void TTrendChart::SetUpRanges(double now) { Navigation.SetUpRanges(now); }

void TTrendChart::SetUpFirstValues()
{
    Navigation.State.YAxisAuto = false;
    Logger.StartWaitingForFirstValues();
    Chart9.Left().SetTitle(L" ");
}

void TTrendChart::SetUpColors() { Options.SetUpColors(); }

void TTrendChart::SetUpReadout() { Readout.SetUp(); }

void TTrendChart::PM21Click()
{
    Options.HSAllSClick();
    if (Options.HSAllSCaption != L"Show All Series") return;
    Readout.ClearChecks();
    Chart9.Left().SetTitle(L" ");
}

void TTrendChart::PMSeriesClick(int n)
{
    const int index = n - 1;
    if (index < 0 || index >= kTrendSeriesCount) return;
    if (!Readout.SelectReadoutSeries(index)) {
        Chart9.Left().SetTitle(L" ");
        return;
    }
    Chart9.Left().SetTitle(TrendSeriesTable[static_cast<size_t>(index)].Name);
    Options.SHCaption[static_cast<size_t>(index)] = L"Show";
    Options.SHClick(index);
}
