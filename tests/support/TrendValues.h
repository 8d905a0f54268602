// Item value tables prepared for the trend chart: every cell filled, and
// samples written the way the companion software writes them, in the
// regional formats of the run.
#pragma once
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "DateText.h"
#include "ItemValueTable.h"
#include "NumberPicture.h"
#include "com/TextUtil.h"

// 8 December 2025, 14:00:00.
inline constexpr double kTrendDay = 45999.0;
inline constexpr double kTrendStart = kTrendDay + 14.0 / 24.0;
inline constexpr double kOneSecond = 1.0 / 86400.0;

// A number text with the user's decimal separator for every "." of pointText.
inline std::string LocalNumber(std::string_view pointText)
{
    const std::string separator = WideToAnsi(TNumberSeparators::User().Decimal);
    std::string out;
    for (char c : pointText)
        if (c == '.')
            out += separator;
        else
            out += c;
    return out;
}

// A date and time as the controller's clock row shows it.
inline std::string DateTimeCell(double date)
{
    const SYSTEMTIME t = DateTimeToSystemTime(date);
    return WideToAnsi(ShortDateText(t) + L" " + LongTimeText(t));
}

struct TTrendRow {
    int Row;
    std::string Text;
};

// Every cell holds something, so the first-values wait ends at once; the
// trend rows hold a plausible sample at `date`.
inline void FillTrendTable(TItemValueTable& table, double date, int layer = 3)
{
    for (int row = 0; row < TItemValueTable::RowCount; ++row) table.SetValue(row, "0");
    const TTrendRow rows[] = {{2, "AR-Coating 550nm"},
                              {6, DateTimeCell(date)},
                              {7, LocalNumber("5998321.44")},
                              {8, LocalNumber("5997010.5")},
                              {9, LocalNumber("6000000")},
                              {10, LocalNumber("5999999.5")},
                              {11, LocalNumber("2.5")},
                              {12, LocalNumber("1.250")},
                              {13, std::to_string(layer)},
                              {14, LocalNumber("0.0000025")},
                              {15, LocalNumber("18.5")},
                              {16, LocalNumber("4.0")},
                              {17, LocalNumber("1.5")},
                              {18, LocalNumber("1.0")},
                              {19, "0"},
                              {20, LocalNumber("41.7")},
                              {21, LocalNumber("30.9")},
                              {22, "0"},
                              {23, LocalNumber("73.25")},
                              {24, "Deposit"}};
    for (const TTrendRow& r : rows) table.SetValue(r.Row, r.Text);
}

// The next second's sample: a new clock time and a slowly moving OM signal.
inline void NextTrendSample(TItemValueTable& table, double date, int second)
{
    table.SetValue(6, DateTimeCell(date));
    table.SetValue(23, LocalNumber(std::to_string(50 + second % 40) + ".25"));
}

// A made-up deposition run for pictures of the chart: layers of two minutes,
// each with a deposition phase, and the values the companion would write.
inline void SimulatedTrendSample(TItemValueTable& table, double date, int second)
{
    const double t = second;
    const int layer = 1 + second / 120;
    const double inLayer = second % 120;
    const bool depositing = inLayer > 15 && inLayer < 105;
    const double rate = depositing ? 2.5 + 0.3 * std::sin(t / 2.7) : 0.0;
    const auto number = [](double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.9g", v);
        return LocalNumber(text);
    };
    table.SetValue(2, "AR-Coating 550nm");
    table.SetValue(6, DateTimeCell(date));
    for (int n = 0; n < 4; ++n) table.SetValue(7 + n, number(5950000 - 40 * t - 250 * n));
    table.SetValue(11, number(rate));
    table.SetValue(12, number(depositing ? (inLayer - 15) * 0.025 : 0.0));
    table.SetValue(13, std::to_string(layer));
    table.SetValue(14, number(2.0e-6 + 0.4e-6 * std::sin(t / 14.0)));
    table.SetValue(15, number(12.0 + 0.5 * std::sin(t / 11.0)));
    table.SetValue(16, number(4.0 + 0.2 * std::cos(t / 7.0)));
    table.SetValue(17, number(rate * 0.6));
    table.SetValue(18, number(rate * 0.4));
    table.SetValue(19, "0");
    table.SetValue(20, number(depositing ? 42.0 + 2.0 * std::sin(t / 5.0) : 8.0));
    table.SetValue(21, number(depositing ? 31.0 + 1.5 * std::cos(t / 6.0) : 6.0));
    table.SetValue(22, "0");
    table.SetValue(23, number(50.0 + 40.0 * std::sin(2 * 3.14159265358979 * inLayer / 120.0)));
    table.SetValue(24, depositing ? "Deposit" : "Idle");
}
