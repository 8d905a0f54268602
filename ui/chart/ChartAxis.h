// TChartAxis: the range, scaling and labels of one axis. A manual axis holds
// the range it is given (even a minimum above its maximum, which draws
// nothing); an automatic one takes the range of the data from its chart.
// Setting a range or the scaling ends a zoom of the chart that was in force:
// there is then no zoom left to undo.
#pragma once
#include <string>

class TChartModel;

class TChartAxis {
public:
    TChartAxis(TChartModel& chart, bool dateTime) : chart_(chart), dateTime_(dateTime) {}
    TChartAxis(const TChartAxis&) = delete;
    TChartAxis& operator=(const TChartAxis&) = delete;

    double Minimum() const;
    double Maximum() const;
    void SetMinimum(double value);
    void SetMaximum(double value);
    void SetRange(double minimum, double maximum);

    bool Automatic() const noexcept { return automatic_; }
    void SetAutomatic(bool automatic);

    // The step between labels the axis should come closest to, in axis units
    // (days on a date-time axis); the labels take the next tidy step at or
    // above it that leaves room between them. 0: the axis chooses.
    double Increment() const noexcept { return increment_; }
    void SetIncrement(double increment);

    // A number picture ("0.000") or, on a date-time axis, a date-time picture
    // ("hh:mm:ss").
    const std::wstring& LabelFormat() const noexcept { return labelFormat_; }
    void SetLabelFormat(std::wstring format);
    // Pixels between the chart's title column and the plot that the labels of
    // a vertical axis have.
    int LabelWidth() const noexcept { return labelWidth_; }
    void SetLabelWidth(int pixels);

    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(std::wstring title);

    bool DateTime() const noexcept { return dateTime_; }
    unsigned long long Revision() const noexcept { return revision_; }

private:
    friend class TChartModel;
    void Changed() noexcept { ++revision_; }
    // The zoom's own way to the range: it leaves the zoom in force.
    void Apply(double minimum, double maximum, bool automatic);

    TChartModel& chart_;
    bool dateTime_;
    // An automatic axis' range is the chart's to refresh, also through const access.
    mutable double minimum_ = 0, maximum_ = 1;
    bool automatic_ = false;
    double increment_ = 0;
    std::wstring labelFormat_;
    int labelWidth_ = 58;
    std::wstring title_;
    unsigned long long revision_ = 0;
};
