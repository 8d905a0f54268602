// The twenty trend series: name, the item list row each samples, how the
// row's text becomes a value, and the start colour.
#pragma once
#include <array>

#include "ChartTypes.h"

enum class TTrendValue {
    WholeNumber,  // the text as a number, rounded to a whole number, halves to even
    Number,       // the text as a number
    Deposition,   // 1 when the text is exactly "Deposit", else 0
    LayerNumber,  // the text as a whole number; "2.5" is none
    Nothing,      // no points at all
    RunSheet,     // 0, the text (its first 100 characters) as the point's label
};

struct TTrendSeriesInfo {
    const wchar_t* Name;
    int Row;  // of the item value table; -1 for none
    TTrendValue Value;
    TChartColor StartColor;
};

constexpr int kTrendSeriesCount = 20;
constexpr int kLayerSeries = 17;     // "Layer Number", index from 0
constexpr int kCommSeries = 18;      // "COMM-ZEV-30"
constexpr int kRunSheetSeries = 19;  // "Run Number"
constexpr int kSampleTimeRow = 6;    // "String.Date And Time"
constexpr int kRunSheetNameLength = 100;

// The system colour of window frames (COLOR_WINDOWFRAME).
constexpr TChartColor kWindowFrameColor = ChartSystemColor(6);

inline constexpr std::array<TTrendSeriesInfo, kTrendSeriesCount> TrendSeriesTable{{
    {L"Xtal 1 Frequency [Hz]", 7, TTrendValue::WholeNumber, 0},
    {L"Xtal 2 Frequency [Hz]", 8, TTrendValue::WholeNumber, 255},
    {L"Xtal 3 Frequency [Hz]", 9, TTrendValue::WholeNumber, 8388608},
    {L"Xtal 4 Frequency [Hz]", 10, TTrendValue::WholeNumber, 2300100},
    {L"Chamber Pressure [Torr]", 14, TTrendValue::Number, 16711680},
    {L"Gas 1 Flow [sccm]", 15, TTrendValue::Number, 306744},
    {L"Gas 2 Flow [sccm]", 16, TTrendValue::Number, 2503267},
    {L"Deposition Rate [A/sec]", 11, TTrendValue::Number, 32896},
    {L"Thickness [kA]", 12, TTrendValue::Number, 700100},
    {L"OM Signal [%]", 23, TTrendValue::Number, 16711935},
    {L"Source X Rate [A/sec]", 17, TTrendValue::Number, 5238783},
    {L"Source Y Rate [A/sec]", 18, TTrendValue::Number, 8421376},
    {L"Source Z Rate [A/sec]", 19, TTrendValue::Number, 8421504},
    {L"Source X Power [%]", 20, TTrendValue::Number, kWindowFrameColor},
    {L"Source Y Power [%]", 21, TTrendValue::Number, 823288},
    {L"Source Z Power [%]", 22, TTrendValue::Number, 6100100},
    {L"Deposition", 24, TTrendValue::Deposition, 6056456},
    {L"Layer Number", 13, TTrendValue::LayerNumber, 6172506},
    {L"COMM-ZEV-30", -1, TTrendValue::Nothing, 1143414},
    {L"Run Number", 2, TTrendValue::RunSheet, 6200001},
}};
