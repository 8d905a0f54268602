#include "SeriesOptions.h"

namespace {
constexpr int kAllButtons = kTrendSeriesCount - 1;  // the all-series switch leaves row 20 alone
}

void TSeriesOptions::SetUpRows()
{
    for (int n = 0; n < kTrendSeriesCount; ++n) {
        SHCaption[static_cast<size_t>(n)] = L"Show";
        SHEnabled[static_cast<size_t>(n)] = n != kRunSheetSeries;
    }
}

void TSeriesOptions::SetUpAllSeriesCaption() { HSAllSCaption = L"Hide All Series"; }

void TSeriesOptions::SetUpColors()
{
    for (int n = 0; n < kTrendSeriesCount && n < chart_.SeriesCount(); ++n) {
        const TChartColor color = TrendSeriesTable[static_cast<size_t>(n)].StartColor;
        SwatchColor[static_cast<size_t>(n)] = color;
        chart_.Series(n).SetColor(color);
    }
}

void TSeriesOptions::SHClick(int n)
{
    if (n < 0 || n >= kTrendSeriesCount || n >= chart_.SeriesCount()) return;
    std::wstring& caption = SHCaption[static_cast<size_t>(n)];
    const bool show = caption == L"Show";
    chart_.Series(n).SetVisible(show);
    caption = show ? L"Hide" : L"Show";
}

void TSeriesOptions::HSAllSClick()
{
    const bool showAll = HSAllSCaption != L"Hide All Series";
    HSAllSCaption = showAll ? L"Hide All Series" : L"Show All Series";
    for (int n = 0; n < kAllButtons; ++n)
        if (SHEnabled[static_cast<size_t>(n)]) SHCaption[static_cast<size_t>(n)] = showAll ? L"Show" : L"Hide";
    for (int n = 0; n < kAllButtons; ++n)
        if (SHEnabled[static_cast<size_t>(n)]) SHClick(n);
}

void TSeriesOptions::CPDblClick(int n, const std::function<std::optional<TChartColor>(TChartColor)>& chooseColor)
{
    if (n < 0 || n >= kTrendSeriesCount || n >= chart_.SeriesCount() || !chooseColor) return;
    const std::optional<TChartColor> chosen = chooseColor(SwatchColor[static_cast<size_t>(n)]);
    if (!chosen) return;
    SwatchColor[static_cast<size_t>(n)] = *chosen;
    chart_.Series(n).SetColor(*chosen);
}

void TSeriesOptions::SSLDblClick(int n)
{
    if (n < 0 || n >= kTrendSeriesCount || n >= chart_.SeriesCount()) return;
    TChartSeries& series = chart_.Series(n);
    const int width = series.LineWidth();
    if (width == 1 || width == 2) {
        series.SetLineWidth(width + 1);
    } else if (width == 3) {
        series.SetLineWidth(1);
    }
    SerLineWidth = std::wstring(TrendSeriesTable[static_cast<size_t>(n)].Name) + L"  -  Line Width = " +
                   std::to_wstring(series.LineWidth());
    Panel2Visible = true;
    Timer3Enabled = true;
}

void TSeriesOptions::Timer3Timer()
{
    Panel2Visible = false;
    Timer3Enabled = false;
}

void TSeriesOptions::Timer4Timer()
{
    AnyWideLine = false;
    for (int n = 0; n < chart_.SeriesCount(); ++n) AnyWideLine = AnyWideLine || chart_.Series(n).LineWidth() != 1;
    Panel3Visible = AnyWideLine;
}

void TSeriesOptions::ResetSLWClick()
{
    for (int n = 0; n < chart_.SeriesCount(); ++n) chart_.Series(n).SetLineWidth(1);
}
