// TTrendChart: the trend chart of the "Data Charting" page with everything
// that drives it, without a window: the chart model with its twenty series,
// the logger, the navigation, the series options and the mouse readout, and
// the handlers that involve more than one of them. The window (TTrendChartView)
// forwards its controls' events here and shows the resulting state.
#pragma once
#include <string>

#include "ChartModel.h"
#include "ChartNavigation.h"
#include "ItemValueTable.h"
#include "MouseReadout.h"
#include "SeriesOptions.h"
#include "TrendLogger.h"

class TTrendChart {
public:
    explicit TTrendChart(const TItemValueTable& table);
    TTrendChart(const TTrendChart&) = delete;
    TTrendChart& operator=(const TTrendChart&) = delete;

    TChartModel Chart9;
    TChartNavigation Navigation{Chart9};
    TTrendLogger Logger;
    TSeriesOptions Options{Chart9};
    TMouseReadout Readout{Chart9, Logger.SeriesLogged};

    // The window set-up's steps for the chart, in their order.
    void SetUpSeries();            // step 3
    void SetUpAllSeriesCaption();  // step 4
    void SetUpNavigation();        // step 5
    void SetUpRanges(double now);  // step 6
    void SetUpFirstValues();       // step 7
    void SetUpColors();            // step 8
    void SetUpReadout();           // step 9

    void Timer1Timer() { Logger.LogSample(); }
    void Timer4Timer() { Options.Timer4Timer(); }
    void PM21Click();
    // PM1 ... PM20: n from 1.
    void PMSeriesClick(int n);
    void Chart9Zoom() { Navigation.Chart9Zoom(); }
    void Chart9UndoZoom(bool restored) { Navigation.Chart9UndoZoom(restored); }
};
