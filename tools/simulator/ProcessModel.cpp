#include "ProcessModel.h"

#include <windows.h>

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLayerSeconds = 120.0;

std::wstring Number(double value)
{
    // The locale's decimal separator, as the process software writes it.
    wchar_t sep[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
    wchar_t text[64];
    std::swprintf(text, 64, L"%.6f", value);
    std::wstring s(text);
    if (const auto dot = s.find(L'.'); dot != std::wstring::npos) s.replace(dot, 1, sep);
    return s;
}

std::wstring Integer(long long value) { return std::to_wstring(value); }

std::wstring NowText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[64] = {}, time[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

}  // namespace

std::vector<std::wstring> SimulatedItemIds()
{
    std::vector<std::wstring> ids;
    for (const auto& v : SimulatedValues(0, 0)) ids.push_back(v.ItemId);
    return ids;
}

std::vector<TSimulatedValue> SimulatedValues(double t, unsigned tick)
{
    const int layer = 1 + static_cast<int>(t / kLayerSeconds);
    const double inLayer = std::fmod(t, kLayerSeconds);
    const bool depositing = inLayer > 15.0 && inLayer < 105.0;
    const double rate = depositing ? 2.5 + 0.3 * std::sin(2 * kPi * t / 17.0) : 0.0;
    const double thickness = depositing ? (inLayer - 15.0) * 2.5 / 1000.0 : 0.0;
    const double pressure = 2.0e-6 + 0.4e-6 * std::sin(2 * kPi * t / 90.0);
    auto xtal = [&](int n) { return 5950000.0 - 40.0 * t - 250.0 * n + 3.0 * std::sin(t / (3.0 + n)); };

    return {
        {L"String.ZEV-30 Firmware Version", L"ZEV-30 V3.12"},
        {L"String.Coating Plant Name", L"Coater 2"},
        {L"String.Last Process Run Sheet", L"AR-Coating 550nm"},
        {L"Counter.COMM-ZEV-30", Integer(tick)},
        {L"String.Date And Time", NowText()},
        {L"String.Xtal-1 RawFreq", Number(xtal(1))},
        {L"String.Xtal-2 RawFreq", Number(xtal(2))},
        {L"String.Xtal-3 RawFreq", Number(xtal(3))},
        {L"String.Xtal-4 RawFreq", Number(xtal(4))},
        {L"Float.Rate Measured (A/s)", Number(rate)},
        {L"Float.Thickness Measured (kA)", Number(thickness)},
        {L"Number.Layer Number", Integer(layer)},
        {L"Float.Chamber Pressure", Number(pressure)},
        {L"Float.Gas 1 Flow Measured", Number(12.0 + 0.5 * std::sin(t / 11.0))},
        {L"Float.Gas 2 Flow Measured", Number(4.0 + 0.2 * std::cos(t / 7.0))},
        {L"Float.Source X Rate Measured (A/s)", Number(depositing ? rate * 0.6 : 0.0)},
        {L"Float.Source Y Rate Measured (A/s)", Number(depositing ? rate * 0.4 : 0.0)},
        {L"Float.Source Z Rate Measured (A/s)", Number(0.0)},
        {L"Float.Source X Power (%)", Number(depositing ? 42.0 + 2.0 * std::sin(t / 5.0) : 0.0)},
        {L"Float.Source Y Power (%)", Number(depositing ? 31.0 + 1.5 * std::cos(t / 6.0) : 0.0)},
        {L"Float.Source Z Power (%)", Number(0.0)},
        {L"Float.OM Signal", Number(50.0 + 40.0 * std::sin(2 * kPi * inLayer / kLayerSeconds))},
        {L"String.DM-State", depositing ? L"Deposit" : L"Idle"},
        {L"Flag.Process IS Running", L"1"},
    };
}
