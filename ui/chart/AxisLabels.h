// Where an axis puts its labels and what they read: tidy steps (1, 2, 5 times
// a power of ten for values; whole seconds, minutes, hours or days for times)
// at or above the axis' desired increment, as close as the room for the label
// texts allows, with texts that differ from their neighbours.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "AxisScale.h"
#include "ChartAxis.h"
#include "NumberPicture.h"

struct TAxisLabel {
    double Value;
    double Pixel;
    std::wstring Text;
};

struct TAxisLabels {
    double Step = 0;  // between labels, in axis units
    std::vector<TAxisLabel> Labels;
};

// The width of a text in pixels as the painter's font draws it.
using TTextMeasure = std::function<int(std::wstring_view)>;

// The next tidy value step at or above `atLeast` (> 0): 1, 2, 5 times a power of ten.
double TidyValueStep(double atLeast);
// The next tidy time step at or above `atLeastDays` (> 0), in days.
double TidyTimeStep(double atLeastDays);

// Labels of a vertical value axis; each needs `labelHeight` pixels of height.
TAxisLabels ValueAxisLabels(const TChartAxis& axis, const TAxisScale& scale, int labelHeight,
                            const TNumberSeparators& separators);
// Labels of a horizontal date-time axis; each needs its measured width and a gap.
TAxisLabels TimeAxisLabels(const TChartAxis& axis, const TAxisScale& scale, const TTextMeasure& measure);
