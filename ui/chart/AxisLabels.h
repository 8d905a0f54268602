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

// A label format as a number picture; one it cannot read as "0.000".
TNumberPicture LabelPicture(std::wstring_view format);

// The next tidy value step at or above `atLeast` (> 0): 1, 2, 5 times a power of ten.
double TidyValueStep(double atLeast);
// The next tidy time step at or above `atLeastDays` (> 0), in days.
double TidyTimeStep(double atLeastDays);

// How wide the labels of a vertical axis may be: the measure of the painter's
// font and the pixels between the label area's left edge and the ticks. No
// measure: any width.
struct TLabelRoom {
    TTextMeasure Measure;
    int Width = 0;
    bool Fits(std::wstring_view text) const { return !Measure || Measure(text) <= Width; }
};

// The narrowest range from lo to about hi in which the labels still read
// differently, at least two of them: two steps of the smallest difference
// their picture shows, in the exponent form when the picture's texts do not
// fit the room; never so narrow that doubles could no longer tell them apart.
double NarrowestLabelledRange(const TNumberPicture& picture, double lo, double hi, const TLabelRoom& room);
// The same for an axis with its picture; on a date-time axis two seconds.
double NarrowestLabelledRange(const TChartAxis& axis, double lo, double hi, const TLabelRoom& room);

// Labels of a vertical value axis; each needs `labelHeight` pixels of height.
// Labels wider than the room are written in exponent form instead, with as
// few decimals as keep at least two apart; where no form does, fewer labels.
TAxisLabels ValueAxisLabels(const TChartAxis& axis, const TAxisScale& scale, int labelHeight,
                            const TNumberSeparators& separators, const TLabelRoom& room = {});
// Labels of a horizontal date-time axis; each needs its measured width and a gap.
TAxisLabels TimeAxisLabels(const TChartAxis& axis, const TAxisScale& scale, const TTextMeasure& measure);
