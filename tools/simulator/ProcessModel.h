// A made-up deposition run as the companion process software would drive
// it: a run sheet of layers, each passing through rise, soak, pre-deposit,
// deposit and post-deposit, with the values it writes to the server. Plain
// code without COM or clock: the caller advances it and reads its values.
#pragma once
#include <random>
#include <string>
#include <vector>

struct TSimulatedValue {
    std::wstring ItemId;
    std::wstring Text;  // written as text; the server formats its number items itself
};

enum class TRunState { Idle, Running, Stopped, Finished };

enum class TPhase { Idle, Rise, Soak, PreDeposit, Deposit, PostDeposit };

struct TLayerRecipe {
    const wchar_t* Material;
    int Source;           // 0 = X, 1 = Y, 2 = Z
    double TargetKA;      // layer thickness in kA
    double RateAps;       // deposition rate in A/s
    double PowerPercent;  // source power while depositing
};

// What the run sheet holds: its name and its layers.
struct TRunSheet {
    std::wstring Name;
    std::vector<TLayerRecipe> Layers;
};
TRunSheet DefaultRunSheet();

class TProcessModel {
public:
    // decimalSeparator: how numbers are written (the user's locale's, since
    // the server reads them with it); seed: of the measurement noise.
    explicit TProcessModel(wchar_t decimalSeparator = L'.', unsigned seed = 1, TRunSheet sheet = DefaultRunSheet());

    // The remote commands. Start begins a run from the first layer (when
    // idle or finished) or resumes a stopped one at the start of its phase;
    // Stop halts a running run, sources off; Reset ends any run and returns
    // to layer 1, idle.
    void Start();
    void Stop();
    void Reset();
    // Lets seconds of process time pass.
    void Advance(double seconds);

    TRunState State() const noexcept { return state_; }
    TPhase Phase() const noexcept { return phase_; }
    int Layer() const noexcept { return layer_ + 1; }  // 1-based
    int LayerCount() const noexcept { return static_cast<int>(sheet_.Layers.size()); }
    double LayerThicknessKA() const noexcept { return thicknessKA_; }
    double RateAps() const noexcept { return rate_; }
    // Raw frequency of crystal 1..4 in Hz.
    double CrystalHz(int crystal) const noexcept { return crystalHz_[crystal - 1]; }
    double SourcePower(int source) const noexcept { return power_[source]; }
    double RunSeconds() const noexcept { return runSeconds_; }

    // Every value the process software writes now, in a fixed order of item
    // IDs; dateTime is the controller's date and time as text.
    std::vector<TSimulatedValue> Values(const std::wstring& dateTime) const;

    static const wchar_t* PhaseName(TPhase phase);
    // The command flags that clients write and the process software reads;
    // it only fills them when they are empty.
    static const std::vector<std::wstring>& InputItemIds();

private:
    const TLayerRecipe& Recipe() const { return sheet_.Layers[static_cast<size_t>(layer_)]; }
    double PhaseLength(TPhase phase) const;
    void EnterPhase(TPhase phase);
    void StepRunning(double seconds);
    void UpdateMeasurements(double seconds);
    double Noise(double amplitude);
    std::wstring Num(double value, int decimals) const;

    wchar_t separator_;
    std::mt19937 random_;
    TRunSheet sheet_;
    TRunState state_ = TRunState::Idle;
    TPhase phase_ = TPhase::Idle;
    int layer_ = 0;
    double phaseSeconds_ = 0;
    double runSeconds_ = 0;
    double depositSeconds_ = 0;
    double thicknessKA_ = 0;
    double rate_ = 0;
    double crystalHz_[4] = {5985000.0, 5991000.0, 5978000.0, 6002000.0};
    double power_[3] = {0, 0, 0};
    double pressure_ = 8.0e-7;
    double gasFlow_[2] = {0, 0};
    unsigned long long ticks_ = 0;
};

// Whether a flag's text means "set": 1, -1, true, on or yes (any case).
bool IsFlagSet(const std::wstring& text);
