// The simulator's run: phases and layers in order, material on the crystals,
// and the reactions to the remote START, STOP and RESET commands.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "ProcessModel.h"
#include "ZevCatalogue.h"

namespace {

std::map<std::wstring, std::wstring> ValuesOf(const TProcessModel& model)
{
    std::map<std::wstring, std::wstring> values;
    for (const auto& v : model.Values(L"1/2/2024 10:11:12 AM")) values[v.ItemId] = v.Text;
    return values;
}

std::wstring DmState(const TProcessModel& model) { return ValuesOf(model)[L"String.DM-State"]; }

// Advances in one-second steps until the DM state changes (at most limit seconds).
std::wstring NextState(TProcessModel& model, int limit = 300)
{
    const std::wstring before = DmState(model);
    for (int i = 0; i < limit && DmState(model) == before; ++i) model.Advance(1.0);
    return DmState(model);
}

TEST(ProcessModel, ALayerPassesThroughItsPhasesThenTheNextBegins)
{
    TProcessModel model;
    EXPECT_EQ(DmState(model), L"Idle");
    EXPECT_EQ(ValuesOf(model)[L"Number.Layer Number"], L"0") << "no run, no layer";
    model.Start();
    EXPECT_EQ(DmState(model), L"Rise");
    EXPECT_EQ(ValuesOf(model)[L"Number.Layer Number"], L"1");
    EXPECT_EQ(ValuesOf(model)[L"Flag.Process IS Running"], L"1");
    std::vector<std::wstring> states;
    for (int i = 0; i < 5; ++i) states.push_back(NextState(model));
    EXPECT_EQ(states, (std::vector<std::wstring>{L"Soak", L"Pre-Deposit", L"Deposit", L"Post-Deposit", L"Rise"}));
    EXPECT_EQ(model.Layer(), 2);
    EXPECT_EQ(model.LayerThicknessKA(), 0.0) << "a new layer starts from nothing";
}

TEST(ProcessModel, DepositingGrowsTheLayerToItsTargetAndTheFacingCrystalLosesFrequency)
{
    const TRunSheet sheet = DefaultRunSheet();
    TProcessModel model;
    model.Start();
    while (model.Phase() != TPhase::Deposit) model.Advance(1.0);
    const double x0 = model.CrystalHz(1), y0 = model.CrystalHz(2), monitor0 = model.CrystalHz(3);
    double last = 0;
    int rising = 0;
    for (int i = 0; i < 5; ++i) {
        model.Advance(1.0);
        if (model.LayerThicknessKA() > last) ++rising;
        last = model.LayerThicknessKA();
        EXPECT_GT(model.RateAps(), 0.0);
        EXPECT_GT(model.SourcePower(sheet.Layers[0].Source), 0.0);
    }
    EXPECT_EQ(rising, 5);
    EXPECT_LT(model.CrystalHz(1), x0) << "source X's crystal sees the layer";
    EXPECT_EQ(model.CrystalHz(2), y0) << "source Y is idle";
    EXPECT_LT(model.CrystalHz(3), monitor0);
    EXPECT_EQ(ValuesOf(model)[L"Output.OUT 1"], L"1") << "source X's shutter is open";

    while (model.Phase() == TPhase::Deposit) model.Advance(1.0);
    EXPECT_DOUBLE_EQ(model.LayerThicknessKA(), sheet.Layers[0].TargetKA);
    EXPECT_EQ(model.RateAps(), 0.0);
    EXPECT_EQ(ValuesOf(model)[L"Flag.Layer END"], L"1");
}

TEST(ProcessModel, StopHaltsTheRunAndStartResumesItWhereItStood)
{
    TProcessModel model;
    model.Start();
    while (model.Phase() != TPhase::Deposit) model.Advance(1.0);
    model.Advance(3.0);
    const double thickness = model.LayerThicknessKA();
    const double crystal = model.CrystalHz(1);
    model.Stop();
    EXPECT_EQ(model.State(), TRunState::Stopped);
    EXPECT_EQ(DmState(model), L"Stopped");
    EXPECT_EQ(ValuesOf(model)[L"Flag.Qmere Process Stopped"], L"1");
    model.Advance(30.0);
    EXPECT_EQ(model.LayerThicknessKA(), thickness) << "nothing deposits while stopped";
    EXPECT_EQ(model.CrystalHz(1), crystal);
    EXPECT_EQ(model.SourcePower(0), 0.0);
    EXPECT_EQ(ValuesOf(model)[L"String.Remote START-RESUME"], L"RESUME");

    model.Start();
    EXPECT_EQ(model.State(), TRunState::Running);
    EXPECT_EQ(model.Phase(), TPhase::Deposit);
    EXPECT_EQ(model.Layer(), 1);
    model.Advance(1.0);
    EXPECT_GT(model.LayerThicknessKA(), thickness) << "the layer goes on from where it stood";
}

TEST(ProcessModel, ResetReturnsToTheFirstLayerIdleFromAnyState)
{
    for (bool stopFirst : {false, true}) {
        TProcessModel model;
        model.Start();
        for (int i = 0; i < 80; ++i) model.Advance(1.0);
        ASSERT_GT(model.Layer() * 100 + static_cast<int>(model.Phase()), 100);
        if (stopFirst) model.Stop();
        model.Reset();
        EXPECT_EQ(model.State(), TRunState::Idle) << stopFirst;
        EXPECT_EQ(model.Layer(), 1);
        EXPECT_EQ(model.LayerThicknessKA(), 0.0);
        EXPECT_EQ(model.RunSeconds(), 0.0);
        EXPECT_EQ(DmState(model), L"Idle");
        EXPECT_EQ(ValuesOf(model)[L"Number.Layer Number"], L"0");
        model.Advance(20.0);
        EXPECT_EQ(model.State(), TRunState::Idle) << "a reset run waits for START";
        model.Stop();  // nothing to stop
        EXPECT_EQ(model.State(), TRunState::Idle);
    }
}

TEST(ProcessModel, TheLastLayerEndsTheRunAndStartBeginsANewOne)
{
    TProcessModel model(L'.', 1, TRunSheet{L"Short", {{L"TiO2", 0, 0.005, 5.0, 40.0}, {L"SiO2", 1, 0.005, 5.0, 30.0}}});
    model.Start();
    for (int i = 0; i < 200 && model.State() == TRunState::Running; ++i) model.Advance(1.0);
    EXPECT_EQ(model.State(), TRunState::Finished);
    EXPECT_EQ(DmState(model), L"Process End");
    EXPECT_EQ(model.Layer(), 2);
    model.Start();
    EXPECT_EQ(model.State(), TRunState::Running);
    EXPECT_EQ(model.Layer(), 1);
    EXPECT_EQ(DmState(model), L"Rise");
}

TEST(ProcessModel, ItFillsEveryRowOfTheServerOnce)
{
    // What the trend waits for: every row holds a value. The process software
    // writes all of them but the command flags, which it only fills.
    std::multiset<std::wstring> written;
    for (const auto& v : TProcessModel().Values(L"now")) written.insert(v.ItemId);
    for (const auto& id : TProcessModel::InputItemIds()) written.insert(id);
    std::multiset<std::wstring> rows;
    for (const auto& entry : ZevCatalogue())
        if (entry.Row != ZevNoRow) rows.insert(std::wstring(entry.ItemId));
    EXPECT_EQ(written, rows);
    for (const auto& v : TProcessModel().Values(L"now"))
        EXPECT_FALSE(v.Text.empty()) << std::string(v.ItemId.begin(), v.ItemId.end());
}

TEST(ProcessModel, NumbersUseTheGivenDecimalSeparator)
{
    TProcessModel comma(L',');
    comma.Start();
    comma.Advance(5.0);
    const auto values = ValuesOf(comma);
    for (const wchar_t* id : {L"Float.Chamber Pressure", L"String.Xtal-1 RawFreq", L"Float.Source X Power (%)"}) {
        EXPECT_NE(values.at(id).find(L','), std::wstring::npos) << std::string(id, id + wcslen(id));
        EXPECT_EQ(values.at(id).find(L'.'), std::wstring::npos);
    }
    EXPECT_EQ(values.at(L"String.Date And Time"), L"1/2/2024 10:11:12 AM") << "the clock text is the caller's";
}

TEST(ProcessModel, FlagsCountAsSetInTheFormsClientsWrite)
{
    for (const wchar_t* set : {L"1", L"-1", L"True", L"TRUE", L"on", L"yes", L" 1 "})
        EXPECT_TRUE(IsFlagSet(set)) << std::string(set, set + wcslen(set));
    for (const wchar_t* clear : {L"0", L"", L"False", L"2", L"off", L"Edit1"})
        EXPECT_FALSE(IsFlagSet(clear)) << std::string(clear, clear + wcslen(clear));
}

}  // namespace
