#include "TrendLogger.h"

#include <cmath>

#include "ConvertError.h"
#include "DateText.h"
#include "NumberPicture.h"
#include "NumberText.h"
#include "ValueLabelStyle.h"
#include "com/TextUtil.h"

namespace {

std::wstring CellText(const TItemValueTable& table, int row) { return AnsiToWide(table.Value(row)); }

}  // namespace

void TTrendLogger::SetUpSeries()
{
    SeriesLogged.fill(true);
    for (int n = 0; n < kTrendSeriesCount && n < chart_.SeriesCount(); ++n)
        chart_.Series(n).SetVisible(n != kRunSheetSeries);
    LoggedSeriesCount = 0;
    for (bool logged : SeriesLogged) LoggedSeriesCount += logged ? 1 : 0;
    RamEstimateKB = 0;
}

bool TTrendLogger::LogSample()
{
    if (WaitForFirstValues) {
        for (int row = 0; row < TItemValueTable::RowCount; ++row)
            if (table_.Value(row).empty()) return false;
        WaitForFirstValues = false;
    }
    TTrendSample sample;
    if (!ReadSample(sample)) return false;
    TrendSample = sample;
    AddPoints(sample);
    ApplyCap();
    ShowRamEstimate();
    SetAxes(sample);
    return true;
}

bool TTrendLogger::ReadSample(TTrendSample& sample) const
{
    try {
        sample.SampleTime = TextToDateTime(CellText(table_, kSampleTimeRow));
        for (int n = 0; n < kTrendSeriesCount; ++n) {
            const TTrendSeriesInfo& info = TrendSeriesTable[static_cast<size_t>(n)];
            double& value = sample.Values[static_cast<size_t>(n)];
            switch (info.Value) {
            case TTrendValue::WholeNumber:
                value = static_cast<double>(
                    RoundToInteger(TextToNumber(CellText(table_, info.Row)), TRounding::HalfToEven));
                break;
            case TTrendValue::Number:
                value = TextToNumber(CellText(table_, info.Row));
                break;
            case TTrendValue::Deposition:
                value = table_.Value(info.Row) == "Deposit" ? 1 : 0;
                break;
            case TTrendValue::LayerNumber:
                value = TextToInteger(CellText(table_, info.Row));
                break;
            case TTrendValue::Nothing:
                value = 0;
                break;
            case TTrendValue::RunSheet:
                value = 0;
                sample.RunSheetName = CellText(table_, info.Row).substr(0, kRunSheetNameLength);
                break;
            }
        }
    } catch (const EConvertError&) {
        return false;  // the next tick tries again
    }
    return true;
}

void TTrendLogger::AddPoints(const TTrendSample& sample)
{
    for (int n = 0; n < kTrendSeriesCount && n < chart_.SeriesCount(); ++n) {
        const TTrendSeriesInfo& info = TrendSeriesTable[static_cast<size_t>(n)];
        if (!SeriesLogged[static_cast<size_t>(n)] || info.Value == TTrendValue::Nothing) continue;
        const std::wstring_view label =
            info.Value == TTrendValue::RunSheet ? std::wstring_view(sample.RunSheetName) : std::wstring_view();
        chart_.Series(n).AddXY(sample.SampleTime, sample.Values[static_cast<size_t>(n)], info.StartColor, label);
    }
}

void TTrendLogger::ApplyCap()
{
    if (RamEstimateKB > kRamCapKB) {
        for (int n = 0; n < kTrendSeriesCount && n < chart_.SeriesCount(); ++n)
            if (SeriesLogged[static_cast<size_t>(n)] && n != kCommSeries) chart_.Series(n).DeleteFirst();
        RamEstimateKB -= LoggedSeriesCount * kPointKB;
    }
    RamEstimateKB += LoggedSeriesCount * kPointKB;
}

void TTrendLogger::ShowRamEstimate()
{
    static constexpr TNumberPicture kGrouped = TNumberPicture::Parse("#,##0###");
    static constexpr TNumberPicture kPlain = TNumberPicture::Parse("0");
    const double r = std::round(RamEstimateKB);
    RamAllocationText = FormatNumberPicture(r, r >= 1000 ? kGrouped : kPlain) + L" KB";
}

void TTrendLogger::SetAxes(const TTrendSample& sample)
{
    TChartAxis& bottom = chart_.Bottom();
    if (navigation_.XAxisLive) {
        SetLeftAxis();
        const double now = Now ? Now() : NowDateTime();
        bottom.SetRange(now - navigation_.XAxisSpan + 0.000001, now + 0.000001);
        bottom.SetIncrement(navigation_.XAxisSpan / 10);
        bottom.SetTitle(BottomTitle(sample.SampleTime, sample));
    } else if (!navigation_.ChartZoomed) {
        SetLeftAxis();
        bottom.SetRange(navigation_.XAxisMin, navigation_.XAxisMax);
        bottom.SetIncrement((navigation_.XAxisMax - navigation_.XAxisMin) / 10);
        bottom.SetTitle(BottomTitle(navigation_.XAxisMin, sample));
    }
    SetLabelFormats();
}

void TTrendLogger::SetLeftAxis()
{
    TChartAxis& left = chart_.Left();
    if (navigation_.YAxisAuto) {
        left.SetAutomatic(true);
        left.SetIncrement((left.Maximum() - left.Minimum()) / 10);
    } else {
        left.SetAutomatic(false);
        left.SetRange(navigation_.YAxisMin, navigation_.YAxisMax);
        left.SetIncrement((navigation_.YAxisMax - navigation_.YAxisMin) / 10);
    }
}

std::wstring TTrendLogger::BottomTitle(double date, const TTrendSample& sample) const
{
    std::wstring title = L"Date: " + ShortDateOfDateText(date);
    if (sample.Values[kLayerSeries] != 0) title += L"  " + sample.RunSheetName;
    return title;
}

void TTrendLogger::SetLabelFormats()
{
    chart_.Bottom().SetLabelFormat(L"hh:mm:ss");
    TChartAxis& left = chart_.Left();
    const TValueLabelStyle style = ValueLabelStyleFor(left.Maximum());
    left.SetLabelFormat(style.Format);
    left.SetLabelWidth(style.Width);
}
