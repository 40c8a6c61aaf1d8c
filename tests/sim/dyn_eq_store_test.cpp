// The simulated unit's dynamic equalisation: it keeps what the dialog's messages set, streams it
// back in the order the read-back expects, and the dialog takes that stream in again; the scenario
// settings seed it and its damaged replies.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dialogs/dyn_eq_messages.h"
#include "dialogs/eq_dynamic_logic.h"
#include "dyn_eq_view.h"
#include "sim/dyn_eq_store.h"

namespace {

using dialogs::EqDynamicLogic;

struct Fixture {
    dyneqtest::FakeView view;
    os::FakeSleeper sleeper;
    EqDynamicLogic logic{&view, &sleeper};
    Fixture() { logic.Reset(); }
};

TEST(DynEqStore, KeepsWhatTheDialogSendsAndStreamsItBack) {
    sim::DynEqStore store;
    float gains[31];
    for (int i = 0; i < 31; ++i) gains[i] = static_cast<float>(i % 7) - 3.0f;
    for (const devlink::Frame& f : {dialogs::BuildDynEqCurveMessage(1, gains), dialogs::BuildDynEqLevelMessage(1, 45.5f, 0),
                                    dialogs::BuildDynEqModeMessage(1, 1), dialogs::BuildDynEqStartMessage(0),
                                    dialogs::BuildDynEqStopMessage(-1)})
        EXPECT_TRUE(store.Apply(f.data(), f.size()));
    EXPECT_EQ(store.State().mode, 1);
    EXPECT_EQ(store.State().levels[1], 29);
    EXPECT_NEAR(store.State().gains[1][5], std::pow(10.0, 2.0 / 20.0), 1e-6);
    EXPECT_EQ(store.Starts(), 1);
    EXPECT_EQ(store.Stops(), 1);
    // The device ignores a mode it does not know and a frame with a bad checksum.
    devlink::Frame bad = dialogs::BuildDynEqModeMessage(3, 1);
    EXPECT_FALSE(store.Apply(bad.data(), bad.size()));
    bad = dialogs::BuildDynEqModeMessage(0, 1);
    bad.back() ^= 1;
    EXPECT_FALSE(store.Apply(bad.data(), bad.size()));
    EXPECT_EQ(store.State().mode, 1);

    const std::vector<devlink::Frame> report = store.ReportFrames();
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0].size(), 132u);
    EXPECT_EQ(report[0][4], 0x8A);
    EXPECT_EQ(report[1][5], 2);
    EXPECT_EQ(report[2].size(), 11u);
    EXPECT_EQ(report[2][4], 0x8B);

    Fixture d;
    for (const devlink::Frame& f : report) EXPECT_EQ(d.logic.ConvertDeviceCurve(f.data(), f.size()), 1);
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqAdvanced);
    const dialogs::DynEqCurveRecord high = d.logic.Record(1);
    EXPECT_EQ(high.reference, -45.5f);
    for (int i = 0; i < 31; ++i) EXPECT_NEAR(high.gains[i], gains[i], 1e-4) << i;
    EXPECT_EQ(d.logic.Record(0).reference, -30.0f);  // the store's Low level byte 60
}

TEST(DynEqStore, ScenarioSettings) {
    const struct {
        const char* value;
        bool ok;
    } cases[] = {
        {"mode 1", true},        {"mode 3", false},          {"switches 0 1 0 1", true},
        {"switches 0 1", false}, {"curve 2 29 0.5 nan", true}, {"curve 3 29 1", false},
        {"curve 1 300 1", false}, {"curve 1 29", false},      {"fault mode3", true},
        {"fault other", false},  {"colour red", false},       {"mode 1 2", false},
    };
    for (const auto& c : cases) {
        sim::DynEqState state;
        sim::DynEqFault fault = sim::DynEqFault::None;
        std::string why;
        EXPECT_EQ(sim::ParseDynEqSetting(c.value, state, fault, why), c.ok) << c.value;
        EXPECT_EQ(why.empty(), c.ok) << c.value;
    }
    sim::DynEqState state;
    sim::DynEqFault fault = sim::DynEqFault::None;
    std::string why;
    ASSERT_TRUE(sim::ParseDynEqSetting("curve 2 29 0.5 nan", state, fault, why));
    EXPECT_EQ(state.levels[1], 29);
    EXPECT_EQ(state.gains[1][0], 0.5f);
    EXPECT_TRUE(std::isnan(state.gains[1][1]) && std::isnan(state.gains[1][30]));
}

// Each damaged reply of a read-back is taken and leaves the dialog as it was (a NaN gain too).
TEST(DynEqStore, DamagedReadBacksChangeNothing) {
    sim::DynEqState nanGain;
    std::string why;
    sim::DynEqFault none = sim::DynEqFault::None;
    ASSERT_TRUE(sim::ParseDynEqSetting("curve 1 29 nan", nanGain, none, why));
    ASSERT_TRUE(sim::ParseDynEqSetting("curve 2 29 nan", nanGain, none, why));
    ASSERT_TRUE(sim::ParseDynEqSetting("mode 2", nanGain, none, why));
    // Which records keep their reset gains (+6 dB and -6 dB on band 0) after the two curves.
    const struct {
        const char* what;
        sim::DynEqStore store;
        bool lowKept, highKept;
    } cases[] = {
        {"curve byte 0", sim::DynEqStore({}, sim::DynEqFault::CurveByteZero), true, false},
        {"curve byte 3", sim::DynEqStore({}, sim::DynEqFault::CurveByteThree), false, true},
        {"131 bytes", sim::DynEqStore({}, sim::DynEqFault::ShortCurve), true, false},
        {"NaN gains", sim::DynEqStore(nanGain), true, true},
        {"sound", sim::DynEqStore(), false, false},
    };
    for (const auto& c : cases) {
        Fixture d;
        const std::vector<devlink::Frame> report = c.store.ReportFrames();
        for (int k = 0; k < 2; ++k) EXPECT_EQ(d.logic.ConvertDeviceCurve(report[k].data(), report[k].size()), 1) << c.what;
        EXPECT_EQ(d.logic.Record(0).gains[0], c.lowKept ? 6.0f : 0.0f) << c.what;
        EXPECT_EQ(d.logic.Record(1).gains[0], c.highKept ? -6.0f : 0.0f) << c.what;
    }
    Fixture d;
    const devlink::Frame mode = sim::DynEqStore({}, sim::DynEqFault::ModeThree).ReportFrames()[2];
    EXPECT_EQ(d.logic.ConvertDeviceCurve(mode.data(), mode.size()), 1);
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqOff);
}

}  // namespace
