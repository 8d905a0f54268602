#include "ProcessModel.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Frequency a crystal loses per Angstrom deposited on it.
constexpr double kHzPerAngstrom = 2.5;
// The optical monitor's signal runs through one period per quarter-wave layer.
constexpr double kQuarterWaveKA = 0.0625;
constexpr double kBasePressure = 8.0e-7;  // Torr, pumped down, no gas
constexpr double kProcessPressure = 2.0e-4;
constexpr double kGasFlow[2] = {12.0, 4.0};  // sccm while running
constexpr wchar_t kSourceNames[3] = {L'X', L'Y', L'Z'};

std::wstring Clock(double seconds)
{
    const long total = static_cast<long>(seconds);
    wchar_t text[32];
    std::swprintf(text, 32, L"%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

std::wstring Bit(bool on) { return on ? L"1" : L"0"; }

}  // namespace

TRunSheet DefaultRunSheet()
{
    return {L"AR-Coating 550nm",
            {
                {L"TiO2", 0, 0.0150, 2.5, 46.0},
                {L"SiO2", 1, 0.0340, 5.0, 38.0},
                {L"TiO2", 0, 0.1180, 2.5, 46.0},
                {L"SiO2", 1, 0.0890, 5.0, 38.0},
                {L"TiO2", 0, 0.0560, 2.5, 46.0},
                {L"SiO2", 1, 0.0940, 5.0, 38.0},
            }};
}

const wchar_t* TProcessModel::PhaseName(TPhase phase)
{
    switch (phase) {
    case TPhase::Idle:
        return L"Idle";
    case TPhase::Rise:
        return L"Rise";
    case TPhase::Soak:
        return L"Soak";
    case TPhase::PreDeposit:
        return L"Pre-Deposit";
    case TPhase::Deposit:
        return L"Deposit";
    case TPhase::PostDeposit:
        return L"Post-Deposit";
    }
    return L"Idle";
}

const std::vector<std::wstring>& TProcessModel::InputItemIds()
{
    static const std::vector<std::wstring> kInputs = {
        L"Flag.Remote START", L"Flag.Remote RESET", L"Flag.Remote STOP",
        L"Flag.REM-CL-START", L"Flag.REM-CL-RESET", L"Flag.REM-CL-STOP",
    };
    return kInputs;
}

bool IsFlagSet(const std::wstring& text)
{
    std::wstring t;
    for (wchar_t c : text)
        if (c != L' ') t += static_cast<wchar_t>(std::towlower(c));
    return t == L"1" || t == L"-1" || t == L"true" || t == L"on" || t == L"yes";
}

TProcessModel::TProcessModel(wchar_t decimalSeparator, unsigned seed, TRunSheet sheet)
    : separator_(decimalSeparator), random_(seed), sheet_(std::move(sheet))
{
}

void TProcessModel::Start()
{
    if (state_ == TRunState::Running) return;
    if (state_ == TRunState::Stopped) {
        state_ = TRunState::Running;
        EnterPhase(phase_);  // the interrupted phase starts over (a deposit keeps its thickness)
        return;
    }
    if (state_ == TRunState::Finished) Reset();
    state_ = TRunState::Running;
    runSeconds_ = 0;
    EnterPhase(TPhase::Rise);
}

void TProcessModel::Stop()
{
    if (state_ != TRunState::Running) return;
    state_ = TRunState::Stopped;
    rate_ = 0;
    std::fill(std::begin(power_), std::end(power_), 0.0);
}

void TProcessModel::Reset()
{
    state_ = TRunState::Idle;
    layer_ = 0;
    runSeconds_ = 0;
    thicknessKA_ = 0;
    depositSeconds_ = 0;
    rate_ = 0;
    std::fill(std::begin(power_), std::end(power_), 0.0);
    EnterPhase(TPhase::Idle);
}

double TProcessModel::PhaseLength(TPhase phase) const
{
    switch (phase) {
    case TPhase::Rise:
        return 8.0;
    case TPhase::Soak:
        return 6.0;
    case TPhase::PreDeposit:
        return 4.0;
    case TPhase::PostDeposit:
        return 5.0;
    default:
        return 0.0;  // Deposit ends on thickness, Idle never
    }
}

void TProcessModel::EnterPhase(TPhase phase)
{
    phase_ = phase;
    phaseSeconds_ = 0;
    if (phase == TPhase::Rise && state_ == TRunState::Running && depositSeconds_ == 0) thicknessKA_ = 0;
}

void TProcessModel::Advance(double seconds)
{
    if (seconds <= 0) return;
    ++ticks_;
    if (state_ == TRunState::Running) {
        runSeconds_ += seconds;
        // In steps of at most a second, so a long pause does not skip a phase's effects.
        for (double left = seconds; left > 1e-9 && state_ == TRunState::Running;) {
            const double step = std::min(left, 1.0);
            StepRunning(step);
            left -= step;
        }
    }
    UpdateMeasurements(seconds);
}

void TProcessModel::StepRunning(double seconds)
{
    const TLayerRecipe& recipe = Recipe();
    phaseSeconds_ += seconds;
    double& power = power_[recipe.Source];
    switch (phase_) {
    case TPhase::Idle:
        break;
    case TPhase::Rise:
        power = recipe.PowerPercent * std::min(1.0, phaseSeconds_ / PhaseLength(TPhase::Rise));
        rate_ = 0;
        break;
    case TPhase::Soak:
    case TPhase::PreDeposit:
        power = recipe.PowerPercent;
        rate_ = 0;
        break;
    case TPhase::Deposit: {
        power = recipe.PowerPercent + Noise(1.5);
        rate_ = std::max(0.0, recipe.RateAps * (1.0 + Noise(0.06)));
        const double angstrom = rate_ * seconds;
        thicknessKA_ += angstrom / 1000.0;
        depositSeconds_ += seconds;
        // The crystal that faces the source loses frequency; crystal 3
        // monitors both sources; crystal 4 is the reference.
        crystalHz_[recipe.Source] -= angstrom * kHzPerAngstrom;
        crystalHz_[2] -= angstrom * kHzPerAngstrom * 0.8;
        if (thicknessKA_ >= recipe.TargetKA) {
            thicknessKA_ = recipe.TargetKA;
            rate_ = 0;
            EnterPhase(TPhase::PostDeposit);
        }
        return;
    }
    case TPhase::PostDeposit:
        power = std::max(0.0, recipe.PowerPercent * (1.0 - phaseSeconds_ / PhaseLength(TPhase::PostDeposit)));
        rate_ = 0;
        break;
    }
    const double length = PhaseLength(phase_);
    if (length <= 0 || phaseSeconds_ < length) return;
    switch (phase_) {
    case TPhase::Rise:
        EnterPhase(TPhase::Soak);
        break;
    case TPhase::Soak:
        EnterPhase(TPhase::PreDeposit);
        break;
    case TPhase::PreDeposit:
        EnterPhase(TPhase::Deposit);
        break;
    case TPhase::PostDeposit:
        power = 0;
        depositSeconds_ = 0;
        if (layer_ + 1 < LayerCount()) {
            ++layer_;
            EnterPhase(TPhase::Rise);
        } else {
            state_ = TRunState::Finished;
            EnterPhase(TPhase::Idle);
        }
        break;
    default:
        break;
    }
}

void TProcessModel::UpdateMeasurements(double seconds)
{
    const bool gasOn = state_ == TRunState::Running;
    for (int g = 0; g < 2; ++g) gasFlow_[g] = gasOn ? kGasFlow[g] + Noise(0.15) : 0.0;
    // The pressure follows the gas with a lag of a few seconds.
    const double target = gasOn ? kProcessPressure : kBasePressure;
    const double follow = std::min(1.0, seconds / 4.0);
    pressure_ += (target - pressure_) * follow;
    pressure_ = std::max(1e-7, pressure_ * (1.0 + Noise(0.02)));
    // The reference crystal drifts with temperature only.
    crystalHz_[3] += Noise(0.4);
}

double TProcessModel::Noise(double amplitude)
{
    std::uniform_real_distribution<double> d(-amplitude, amplitude);
    return d(random_);
}

std::wstring TProcessModel::Num(double value, int decimals) const
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%.*f", decimals, value);
    std::wstring s(text);
    if (const auto dot = s.find(L'.'); dot != std::wstring::npos) s[dot] = separator_;
    return s;
}

std::vector<TSimulatedValue> TProcessModel::Values(const std::wstring& dateTime) const
{
    const TLayerRecipe& recipe = Recipe();
    const bool running = state_ == TRunState::Running;
    const bool depositing = running && phase_ == TPhase::Deposit;
    const std::wstring dmState = state_ == TRunState::Stopped    ? L"Stopped"
                                 : state_ == TRunState::Finished ? L"Process End"
                                                                 : PhaseName(phase_);
    const double omSignal =
        state_ == TRunState::Idle ? 0.0 : 50.0 + 35.0 * std::sin(2 * kPi * thicknessKA_ / kQuarterWaveKA);
    const bool sourceX = recipe.Source == 0, sourceY = recipe.Source == 1;
    const std::wstring startResume = running ? L"RUNNING" : state_ == TRunState::Stopped ? L"RESUME" : L"START";

    std::vector<TSimulatedValue> v = {
        {L"String.ZEV-30 Firmware Version", L"ZEV-30 V3.12"},
        {L"String.Coating Plant Name", L"Coater 2"},
        {L"String.Last Process Run Sheet", sheet_.Name},
        {L"String.Last I/O Assignment", L"IO-Standard-04"},
        {L"String.Last Source/Sensor/OM Config", L"XY-Quartz-OM550"},
        {L"Counter.COMM-ZEV-30", std::to_wstring(ticks_)},
        {L"String.Date And Time", dateTime},
        {L"String.Xtal-1 RawFreq", Num(crystalHz_[0], 1)},
        {L"String.Xtal-2 RawFreq", Num(crystalHz_[1], 1)},
        {L"String.Xtal-3 RawFreq", Num(crystalHz_[2], 1)},
        {L"String.Xtal-4 RawFreq", Num(crystalHz_[3], 1)},
        {L"Float.Rate Measured (A/s)", Num(rate_, 3)},
        {L"Float.Thickness Measured (kA)", Num(thicknessKA_, 5)},
        {L"Number.Layer Number", std::to_wstring(state_ == TRunState::Idle ? 0 : Layer())},
        {L"Float.Chamber Pressure", Num(pressure_, 10)},
        {L"Float.Gas 1 Flow Measured", Num(gasFlow_[0], 3)},
        {L"Float.Gas 2 Flow Measured", Num(gasFlow_[1], 3)},
        {L"Float.Source X Rate Measured (A/s)", Num(depositing && sourceX ? rate_ : 0.0, 3)},
        {L"Float.Source Y Rate Measured (A/s)", Num(depositing && sourceY ? rate_ : 0.0, 3)},
        {L"Float.Source Z Rate Measured (A/s)", Num(0.0, 3)},
        {L"Float.Source X Power (%)", Num(power_[0], 2)},
        {L"Float.Source Y Power (%)", Num(power_[1], 2)},
        {L"Float.Source Z Power (%)", Num(power_[2], 2)},
        {L"Float.OM Signal", Num(omSignal, 3)},
        {L"String.DM-State", dmState},
        {L"Timer.Deposit", Clock(depositSeconds_)},
        {L"Flag.Qmere Process Stopped", Bit(state_ == TRunState::Stopped)},
        {L"Flag.ZEV-30 Process Stopped", Bit(state_ != TRunState::Running)},
        {L"String.MRLD Layer Material", recipe.Material},
        {L"Number.MRLD Layer Number", std::to_wstring(Layer())},
        {L"String.MRLD DM-State", dmState},
        {L"Timer.MRLD Timer (msec)", std::to_wstring(static_cast<long long>(phaseSeconds_ * 1000))},
        {L"Float.MRLD Thickness Target (kA)", Num(recipe.TargetKA, 4)},
        {L"Float.MRLD Thickness Measured (kA)", Num(thicknessKA_, 5)},
        {L"Float.MRLD Rate Measured (A/s)", Num(rate_, 3)},
        {L"Float.MRLD Source Power (%)", Num(power_[recipe.Source], 2)},
        {L"String.MRLD Xtal RawFreq (Hz)", Num(crystalHz_[recipe.Source], 1)},
        {L"Flag.Disturbance", L"0"},
        {L"Flag.Process IS Running", Bit(running)},
        {L"Flag.Simulation", L"1"},
        {L"Flag.Spare-Flag-1", L"0"},
        {L"Flag.Layer END", Bit(running && phase_ == TPhase::PostDeposit)},
        {L"Number.Xtal 1 ACT POS", L"1"},
        {L"Number.Xtal 2 ACT POS", L"2"},
        {L"Number.Xtal 3 ACT POS", L"3"},
        {L"Number.Xtal 4 ACT POS", L"4"},
        {L"Number.Source X ACT POS", std::to_wstring(sourceX ? 2 : 1)},
        {L"Number.Source Y ACT POS", std::to_wstring(sourceY ? 3 : 1)},
        {L"Number.Source Z ACT POS", L"1"},
        {L"Float.Gas 1 Control (Volt)", Num(gasFlow_[0] / 20.0 * 5.0, 4)},
        {L"Float.Gas 2 Control (Volt)", Num(gasFlow_[1] / 10.0 * 5.0, 4)},
    };
    // Outputs: shutters of X and Y, gas valves, the source supplies.
    const bool outputs[32] = {depositing && sourceX, depositing && sourceY, running, running,
                              power_[0] > 0,         power_[1] > 0};
    for (int i = 0; i < 32; ++i) v.push_back({L"Output.OUT " + std::to_wstring(i + 1), Bit(outputs[i])});
    // Inputs: door closed, vacuum ready, water flow.
    for (int i = 0; i < 16; ++i) v.push_back({L"Input.IN " + std::to_wstring(i + 1), Bit(i < 3)});
    // Relays: roughing pump, high-vacuum pump.
    for (int i = 0; i < 15; ++i) v.push_back({L"Output.REL " + std::to_wstring(i + 1), Bit(i < 2)});
    const std::vector<TSimulatedValue> remote = {
        {L"String.Remote Process Time", Clock(runSeconds_)},
        {L"String.Remote Layer Number", std::to_wstring(Layer()) + L" / " + std::to_wstring(LayerCount())},
        {L"String.Remote Source", std::wstring(1, kSourceNames[recipe.Source])},
        {L"String.Remote Layer Material", recipe.Material},
        {L"String.Remote State", dmState},
        {L"String.Remote State Time", Clock(phaseSeconds_)},
        {L"String.Remote Layer Time", Clock(depositSeconds_)},
        {L"String.Remote START-RESUME", startResume},
        {L"String.Remote Pressure", Num(pressure_ * 1e6, 2) + L" E-6 Torr"},
        {L"String.Remote Gas1 Flow", Num(gasFlow_[0], 1) + L" sccm"},
        {L"String.Remote Gas2 Flow", Num(gasFlow_[1], 1) + L" sccm"},
    };
    v.insert(v.end(), remote.begin(), remote.end());
    return v;
}
