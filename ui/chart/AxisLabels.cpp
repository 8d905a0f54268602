#include "AxisLabels.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>

#include "DateText.h"

namespace {

constexpr int kMaxLabels = 200;
constexpr int kLabelGapX = 8;  // pixels between neighbouring time labels
constexpr int kLabelGapY = 3;
constexpr double kSecond = 1.0 / 86400.0;
// Narrower ranges than this share of their values leave too few bits of a
// double to tell labels apart.
constexpr double kFinestRelativeRange = 1e-12;
constexpr int kMostExponentDecimals = 4;

// Whole-second steps that read well on a clock, then whole days.
constexpr double kTimeSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,    300,    600,   900,
                                 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 432000, 864000};

TNumberPicture PictureOf(const TChartAxis& axis) { return LabelPicture(axis.LabelFormat()); }

// Multiples of step from min to max; false when there would be too many.
bool Multiples(double min, double max, double step, std::vector<double>& out)
{
    out.clear();
    const double first = std::ceil(min / step - 1e-9);
    const double last = std::floor(max / step + 1e-9);
    if (!(last - first < kMaxLabels)) return false;
    // Counted, not stepped: past 2^53 adding one to a double no longer moves it.
    const int count = static_cast<int>(last - first) + 1;
    for (int i = 0; i < count; ++i) {
        double v = (first + i) * step;
        if (std::fabs(v) < step * 1e-9) v = 0;  // no "-0.000"
        if (!out.empty() && !(v > out.back())) continue;
        out.push_back(v);
    }
    return true;
}

// Labels at tidy steps from `step` up whose texts all differ; none found: empty.
std::vector<TAxisLabel> DistinctLabels(const TAxisScale& scale, double step, const TNumberPicture& picture,
                                       const TNumberSeparators& separators, double& chosenStep)
{
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
        chosenStep = step;
        return labels;
    }
    return {};
}

bool AllFit(const std::vector<TAxisLabel>& labels, const TLabelRoom& room)
{
    return std::all_of(labels.begin(), labels.end(), [&](const TAxisLabel& l) { return room.Fits(l.Text); });
}

TNumberPicture ExponentPicture(int decimals)
{
    TNumberPicture p = TNumberPicture::Parse("0.0E+0");
    p.MinDecimals = p.MaxDecimals = decimals;
    return p;
}

// The smallest difference the picture shows near values of `magnitude`.
double Resolution(const TNumberPicture& picture, double magnitude)
{
    if (!picture.Scientific) return std::pow(10.0, -picture.MaxDecimals);
    if (!(magnitude > 0)) return 0;
    return std::pow(10.0, std::floor(std::log10(magnitude)) - picture.MaxDecimals);
}

}  // namespace

TNumberPicture LabelPicture(std::wstring_view format)
{
    std::string narrow;
    for (wchar_t c : format) narrow += c < 128 ? static_cast<char>(c) : '?';
    try {
        return TNumberPicture::Parse(narrow);
    } catch (const std::invalid_argument&) {
        return TNumberPicture::Parse("0.000");
    }
}

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

double NarrowestLabelledRange(const TNumberPicture& picture, double lo, double hi, const TLabelRoom& room)
{
    if (!std::isfinite(lo) || !std::isfinite(hi)) return std::numeric_limits<double>::infinity();
    const double magnitude = std::max(std::fabs(lo), std::fabs(hi));
    const double finest = std::max(magnitude * kFinestRelativeRange, std::numeric_limits<double>::min());
    const TNumberSeparators separators = TNumberSeparators::User();
    const auto fit = [&](const TNumberPicture& p) {
        return room.Fits(FormatNumberPicture(lo, p, separators)) && room.Fits(FormatNumberPicture(hi, p, separators));
    };
    if (fit(picture)) return std::max(2 * Resolution(picture, magnitude), finest);
    for (int decimals = kMostExponentDecimals; decimals >= 1; --decimals)
        if (fit(ExponentPicture(decimals)))
            return std::max(2 * Resolution(ExponentPicture(decimals), magnitude), finest);
    return std::max(2 * Resolution(ExponentPicture(0), magnitude), finest);
}

double NarrowestLabelledRange(const TChartAxis& axis, double lo, double hi, const TLabelRoom& room)
{
    if (axis.DateTime()) return std::max(2 * kSecond, std::max(std::fabs(lo), std::fabs(hi)) * kFinestRelativeRange);
    return NarrowestLabelledRange(PictureOf(axis), lo, hi, room);
}

TAxisLabels ValueAxisLabels(const TChartAxis& axis, const TAxisScale& scale, int labelHeight,
                            const TNumberSeparators& separators, const TLabelRoom& room)
{
    TAxisLabels result;
    if (!scale.Valid()) return result;
    const double range = scale.Max - scale.Min;
    const double pixelsPerUnit = std::fabs(scale.PixelsPerUnit());
    const double roomStep = (labelHeight + kLabelGapY) / pixelsPerUnit;
    const double wanted = axis.Increment() > 0 ? axis.Increment() : range / 10;
    const double step = TidyValueStep(std::max({wanted, roomStep, range * 1e-12}));
    result.Labels = DistinctLabels(scale, step, PictureOf(axis), separators, result.Step);
    if (AllFit(result.Labels, room)) return result;
    // Too wide for their area (a maximum of many digits): exponent form, and
    // where even that cannot keep two apart, the most labels that fit.
    TAxisLabels fewer;
    for (int decimals = 1; decimals <= kMostExponentDecimals; ++decimals) {
        TAxisLabels tried;
        tried.Labels = DistinctLabels(scale, step, ExponentPicture(decimals), separators, tried.Step);
        if (!AllFit(tried.Labels, room)) continue;
        if (tried.Labels.size() >= 2) return tried;
        if (tried.Labels.size() > fewer.Labels.size()) fewer = std::move(tried);
    }
    return fewer;
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
