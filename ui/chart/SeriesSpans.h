// A series as vertical pixel spans: for every pixel column the line passes,
// the rows it covers there. The points are taken in index order and each
// span reaches to where the line enters the next column, so the spans join
// into one line whatever the number of points: a block of points that falls
// into one column is taken whole by its extent, and only the points at
// column edges are looked at one by one. X values may go back and forth; the
// line then simply goes back.
#pragma once
#include <vector>

#include "AxisScale.h"
#include "ChartSeries.h"
#include "ChartTypes.h"

struct TColumnSpan {
    int X;
    int Top, Bottom;  // inclusive rows, Top <= Bottom; may lie outside the plot
};

// Appends the spans of `series` inside the columns plot.Left..plot.Right to
// `out`. Nothing when a scale is not valid.
void BuildSeriesSpans(const TChartSeries& series, const TAxisScale& x, const TAxisScale& y, const TPixelRect& plot,
                      std::vector<TColumnSpan>& out);
