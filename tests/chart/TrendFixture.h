// A trend chart set up as the window sets it up, on a table of its own, with
// a clock the test moves.
#pragma once
#include <gtest/gtest.h>

#include "TrendChart.h"
#include "TrendValues.h"

class TTrendFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        trend.Logger.Now = [this] { return now; };
        trend.Chart9.SetSize(726, 440);
        trend.SetUpSeries();
        trend.SetUpAllSeriesCaption();
        trend.SetUpNavigation();
        trend.SetUpRanges(now);
        trend.SetUpFirstValues();
        trend.SetUpColors();
        trend.SetUpReadout();
    }

    // `count` samples one second apart from kTrendStart, the clock following.
    void LogSamples(int count, int layer = 3)
    {
        FillTrendTable(table, kTrendStart, layer);
        for (int i = 0; i < count; ++i) {
            NextTrendSample(table, kTrendStart + (logged_ + i) * kOneSecond, logged_ + i);
            now = kTrendStart + (logged_ + i) * kOneSecond;
            ASSERT_TRUE(trend.Logger.LogSample());
        }
        logged_ += count;
    }

    TItemValueTable table;
    TTrendChart trend{table};
    TChartNavigation& nav = trend.Navigation;
    TNavigationState& state = trend.Navigation.State;
    TChartAxis& bottom = trend.Chart9.Bottom();
    TChartAxis& left = trend.Chart9.Left();
    double now = kTrendStart;

private:
    int logged_ = 0;
};
