// Item value tables prepared for the trend chart: every cell filled, and
// samples written the way the companion software writes them, in the
// regional formats of the run.
#pragma once
#include <windows.h>

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
