#include "AxisLabels.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "DateText.h"

namespace {

constexpr int kMaxLabels = 200;
constexpr int kLabelGapX = 8;  // pixels between neighbouring time labels
constexpr int kLabelGapY = 3;
constexpr double kSecond = 1.0 / 86400.0;

// Whole-second steps that read well on a clock, then whole days.
constexpr double kTimeSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,    300,    600,   900,
                                 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 432000, 864000};

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

TNumberPicture PictureOf(const TChartAxis& axis)
{
    try {
        return TNumberPicture::Parse(Narrow(axis.LabelFormat()));
    } catch (const std::invalid_argument&) {
        return TNumberPicture::Parse("0.000");
    }
}

// Multiples of step from min to max; false when there would be too many.
bool Multiples(double min, double max, double step, std::vector<double>& out)
{
    out.clear();
    const double first = std::ceil(min / step - 1e-9);
    const double last = std::floor(max / step + 1e-9);
    if (!(last - first < kMaxLabels)) return false;
    for (double k = first; k <= last; ++k) {
        double v = k * step;
        if (std::fabs(v) < step * 1e-9) v = 0;  // no "-0.000"
        out.push_back(v);
    }
    return true;
}

}  // namespace

double TidyValueStep(double atLeast)
{
    if (!(atLeast > 0) || !std::isfinite(atLeast)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(atLeast)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= atLeast * (1 - 1e-9)) return m * power;
    return 10 * power;
}

double TidyTimeStep(double atLeastDays)
{
    if (!(atLeastDays > 0) || !std::isfinite(atLeastDays)) return kSecond;
    const double seconds = atLeastDays * 86400.0;
    for (double s : kTimeSteps)
        if (s >= seconds * (1 - 1e-6)) return s * kSecond;
    return TidyValueStep(atLeastDays);
}

TAxisLabels ValueAxisLabels(const TChartAxis& axis, const TAxisScale& scale, int labelHeight,
                            const TNumberSeparators& separators)
{
    TAxisLabels result;
    if (!scale.Valid()) return result;
    const TNumberPicture picture = PictureOf(axis);
    const double range = scale.Max - scale.Min;
    const double pixelsPerUnit = std::fabs(scale.PixelsPerUnit());
    const double roomStep = (labelHeight + kLabelGapY) / pixelsPerUnit;
    const double wanted = axis.Increment() > 0 ? axis.Increment() : range / 10;
    double step = TidyValueStep(std::max({wanted, roomStep, range * 1e-12}));
    std::vector<double> values;
    for (int attempt = 0; attempt < 40; ++attempt, step = TidyValueStep(step * 1.5)) {
        if (!Multiples(scale.Min, scale.Max, step, values)) continue;
        std::vector<TAxisLabel> labels;
        bool distinct = true;
        for (double v : values) {
            std::wstring text = FormatNumberPicture(v, picture, separators);
            // Labels that read the same say nothing: take a larger step.
            if (!labels.empty() && labels.back().Text == text) {
                distinct = false;
                break;
            }
            labels.push_back(TAxisLabel{v, scale.ToPixel(v), std::move(text)});
        }
        if (!distinct) continue;
        result.Step = step;
        result.Labels = std::move(labels);
        return result;
    }
    return result;
}

TAxisLabels TimeAxisLabels(const TChartAxis& axis, const TAxisScale& scale, const TTextMeasure& measure)
{
    TAxisLabels result;
    if (!scale.Valid()) return result;
    const std::wstring& format = axis.LabelFormat();
    const double pixelsPerDay = std::fabs(scale.PixelsPerUnit());
    // The widest a label of this picture gets: all digits at their widest.
    const int width = std::max(measure(FormatDateTimePicture(scale.Min, format)),
                               measure(FormatDateTimePicture(45999.0 + 86399.0 / 86400.0, format)));
    const double roomStep = (width + kLabelGapX) / pixelsPerDay;
    const double wanted = axis.Increment() > 0 ? axis.Increment() : (scale.Max - scale.Min) / 10;
    double step = TidyTimeStep(std::max(wanted, roomStep));
    std::vector<double> values;
    for (int attempt = 0; attempt < 40; ++attempt, step = TidyTimeStep(step * 1.5)) {
        if (!Multiples(scale.Min, scale.Max, step, values)) continue;
        result.Step = step;
        for (double v : values)
            result.Labels.push_back(TAxisLabel{v, scale.ToPixel(v), FormatDateTimePicture(v, format)});
        return result;
    }
    return result;
}
