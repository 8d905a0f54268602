// TTrendLogger: once a second, twenty values from the item list become
// points of the trend chart's series; the same step keeps the estimate of the
// chart's memory with its cap, the "RAM Allocation" text, and sets the axes
// for the navigation mode. It runs on the user-interface thread, like every
// reader of the item list.
#pragma once
#include <array>
#include <functional>
#include <string>

#include "ChartModel.h"
#include "ChartNavigation.h"
#include "ItemValueTable.h"
#include "TrendSeriesTable.h"

// The values of one sample, all read before any point is added.
struct TTrendSample {
    double SampleTime = 0;
    std::array<double, kTrendSeriesCount> Values{};
    std::wstring RunSheetName;
};

class TTrendLogger {
public:
    static constexpr double kPointKB = 0.04;
    static constexpr double kRamCapKB = 100000;

    TTrendLogger(TChartModel& chart, const TItemValueTable& table, const TNavigationState& navigation)
        : chart_(chart), table_(table), navigation_(navigation)
    {
    }
    TTrendLogger(const TTrendLogger&) = delete;
    TTrendLogger& operator=(const TTrendLogger&) = delete;

    std::array<bool, kTrendSeriesCount> SeriesLogged{};
    int LoggedSeriesCount = 0;
    double RamEstimateKB = 0;
    bool WaitForFirstValues = false;
    TTrendSample TrendSample;
    std::wstring RamAllocationText = L" ";  // S_Size

    // The computer's clock as a date-time; tests put their own.
    std::function<double()> Now;

    // Window set-up: every series logged, 1 to 19 visible and 20 not, the
    // estimate at zero. Then, later in the set-up, the first-values wait.
    void SetUpSeries();
    void StartWaitingForFirstValues() { WaitForFirstValues = true; }

    // The logging method. False when the sample ended early: a value cell
    // still empty in the first-values wait, or a text that is no date, number
    // or whole number; nothing is then added or changed.
    bool LogSample();

private:
    bool ReadSample(TTrendSample& sample) const;
    void AddPoints(const TTrendSample& sample);
    void ApplyCap();
    void ShowRamEstimate();
    void SetAxes(const TTrendSample& sample);
    void SetLeftAxis();
    std::wstring BottomTitle(double date, const TTrendSample& sample) const;
    void SetLabelFormats();

    TChartModel& chart_;
    const TItemValueTable& table_;
    const TNavigationState& navigation_;
};
