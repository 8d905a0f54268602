// The X-axis time spans the user chooses from, in days as the program has
// always used them (0.0624999 for 90 minutes, not the exact fraction).
#pragma once
#include <array>

struct TTimeSpanEntry {
    const wchar_t* Caption;
    double Days;
    const wchar_t* PopupCaption;  // null: not in the chart's popup menu
};

constexpr int kTimeSpanCount = 12;
constexpr int kDefaultTimeSpan = 5;     // "10 min"
constexpr int kFirstPopupTimeSpan = 5;  // the popup lists "10 min" to "8 hr"

inline constexpr std::array<TTimeSpanEntry, kTimeSpanCount> TimeSpanTable{{
    {L"10 sec", 0.0001157, nullptr},
    {L"30 sec", 0.0003472, nullptr},
    {L"60 sec", 0.0006944, nullptr},
    {L"2 min", 0.0013889, nullptr},
    {L"5 min", 0.0034722, nullptr},
    {L"10 min", 0.0069444, L"X-axis Time Span - 10 min"},
    {L"30 min", 0.0208333, L"X-axis Time Span - 30 min"},
    {L"60 min", 0.0416667, L"X-axis Time Span - 60 min"},
    {L"90 min", 0.0624999, L"X-axis Time Span - 90 min"},
    {L"2 hr", 0.0833332, L"X-axis Time Span - 2 hr"},
    {L"4 hr", 0.1666664, L"X-axis Time Span - 4 hr"},
    {L"8 hr", 0.3333333, L"X-axis Time Span - 8 hr"},
}};
