// The dynamic-equalisation dialog without its window: the device's replies, the user's calibration
// flow with its status texts, the close decisions and the Dynamic Equalization On/Off menu's switch.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/pending_commands.h"
#include "dsp/eq.h"
#include "dyn_eq_fixture.h"
#include "link/bytes.h"

namespace {

using dialogs::DynEqControl;
using dialogs::EqDynamicLogic;
using devlink::Frame;
using dyneqtest::CurveReply;
using dyneqtest::Dialog;
using dyneqtest::ModeReply;
using msgtest::Hex;
using msgtest::ToHex;

TEST(DynEqFlow, CalibratingBothCurvesInEasyMode) {
    Dialog d;
    EXPECT_EQ(d.logic.StatusIndex(), 0);
    EXPECT_STREQ(d.logic.StatusText(), "Select mode (Easy or Advanced)");
    EXPECT_FALSE(d.view.Enabled(DynEqControl::Low));
    EXPECT_TRUE(d.view.Checked(DynEqControl::Off));
    EXPECT_TRUE(d.view.Checked(DynEqControl::Low));
    EXPECT_EQ(d.logic.ValueText(0), "");

    d.logic.TurnOn();
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    EXPECT_STREQ(d.logic.StatusText(), "Use Volume slider to set reference level for the Low-level curve");
    EXPECT_TRUE(d.view.compact);
    EXPECT_EQ(d.view.timers.at(dialogs::kDynEqReadyTimer), 2000u);
    EXPECT_EQ(d.view.sliders.at(0), -30.0f);
    EXPECT_EQ(d.view.sliders.at(1), 6.0f);
    EXPECT_EQ(d.logic.ValueText(0), "-30.");
    EXPECT_EQ(d.logic.ValueText(1), "6.0");
    EXPECT_TRUE(d.view.chart.at(0).shown && d.view.chart.at(2).shown);
    EXPECT_EQ(d.view.highlight, 0);
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8A, 0x8B, 0x94, 0x94, 0x87}));

    d.logic.OnTimer(dialogs::kDynEqReadyTimer);
    EXPECT_STREQ(d.logic.StatusText(), "When volume level is set, press START button.");
    EXPECT_TRUE(d.view.Enabled(DynEqControl::Start));
    EXPECT_EQ(d.view.timers.count(dialogs::kDynEqReadyTimer), 0u);

    d.logic.OnVolumeMoved(-45.5f);
    EXPECT_EQ(d.Serve(), (std::vector<std::string>{"46 5A 00 09 94 01 1D 01 5C"}));

    d.logic.OnStart();
    EXPECT_STREQ(d.logic.StatusText(), "Use EQ slider to calibrate equalization for the Low-level curve.");
    EXPECT_FALSE(d.view.Visible(DynEqControl::Start));
    EXPECT_TRUE(d.view.Visible(DynEqControl::Save));
    EXPECT_FALSE(d.view.Enabled(DynEqControl::Save));
    EXPECT_FALSE(d.view.Enabled(DynEqControl::VolumeSlider));
    EXPECT_FALSE(d.view.Enabled(DynEqControl::Easy));
    EXPECT_TRUE(d.view.Enabled(DynEqControl::EqSlider));
    EXPECT_EQ(d.view.timers.at(dialogs::kDynEqSaveTimer), 3000u);
    EXPECT_EQ(d.Serve(), (std::vector<std::string>{"46 5A 00 07 87 01 2F"}));

    // During the calibration the switches, the Volume slider and the close button do nothing.
    d.logic.OnModeClicked(dialogs::kDynEqOff);
    d.logic.OnVolumeMoved(-3.0f);
    d.logic.OnCloseButton();
    d.logic.OnSave();  // SAVE not enabled yet
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqEasy);
    EXPECT_EQ(d.view.closedPosts + d.view.questions, 0);
    EXPECT_TRUE(d.Serve().empty());

    d.logic.OnEqSliderMoved(3.0f);
    EXPECT_STREQ(d.logic.StatusText(), "When done, press SAVE to save the equalization settings.");
    const dialogs::DynEqCurveRecord low = d.logic.Record(0);
    EXPECT_NEAR(low.gains[9], 3.0f * 9 / 18, 1e-6);
    EXPECT_EQ(low.reference, -45.5f);
    // The chart got sections designed from the new gains: band 0's numerator is no delay.
    EXPECT_NE(d.view.chart.at(0).sections[0].b[0], 0.0);
    EXPECT_EQ(d.view.chart.at(0).fill.g, 255);
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8A}));
    EXPECT_NEAR(devlink::GetF32LE(&d.link.frames[0][6]), std::pow(10.0, 3.0 / 20.0), 1e-6);

    d.logic.OnTimer(dialogs::kDynEqSaveTimer);
    EXPECT_TRUE(d.view.Enabled(DynEqControl::Save));
    d.logic.OnSave();
    EXPECT_TRUE(d.logic.Calibrated(0));
    EXPECT_EQ(d.logic.Curve(), 1);
    EXPECT_TRUE(d.view.Checked(DynEqControl::High));
    EXPECT_FALSE(d.view.Checked(DynEqControl::Low));
    EXPECT_TRUE(d.view.Checked(DynEqControl::Easy));
    EXPECT_TRUE(d.view.Visible(DynEqControl::Start));
    EXPECT_FALSE(d.view.Enabled(DynEqControl::Start));
    EXPECT_EQ(d.view.chart.at(0).fill.b, 255);  // the saved curve in blue
    EXPECT_STREQ(d.logic.StatusText(), "Use Volume slider to set reference level for the High-level curve");
    // The stop names the curve that was saved, then the High curve's gains and level follow.
    const std::vector<std::string> sent = d.Serve();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], "46 5A 00 07 88 01 30");
    EXPECT_EQ(sent[1].substr(0, 17), "46 5A 00 83 8A 02");
    EXPECT_EQ(sent[2], "46 5A 00 09 94 02 78 01 B8");

    d.Calibrate(-5.0f, -4.0f);
    EXPECT_TRUE(d.logic.Calibrated(1));
    EXPECT_EQ(d.logic.Curve(), 0);
    d.logic.OnCloseButton();
    EXPECT_EQ(d.view.questions, 0);
    EXPECT_EQ(d.view.closedPosts, 1);
}

TEST(DynEqFlow, AdvancedModeEditsTheGraphicEqualiser) {
    Dialog d;
    d.logic.OnModeClicked(dialogs::kDynEqAdvanced);
    EXPECT_FALSE(d.view.compact);
    ASSERT_EQ(d.view.eqGains.size(), 31u);
    EXPECT_EQ(d.view.eqGains[0], 6.0f);  // the Low curve's reset gains
    d.logic.OnTimer(dialogs::kDynEqReadyTimer);
    d.logic.OnBandSwitch(4, 1);
    d.logic.OnStart();
    EXPECT_STREQ(d.logic.StatusText(),
                 "Create your personal equalization for the Low-level curve. Use Graphic Equalizer below.");
    EXPECT_TRUE(d.view.Enabled(DynEqControl::GraphicEq));
    EXPECT_FALSE(d.view.Enabled(DynEqControl::EqSlider));
    ASSERT_EQ(d.view.eqEnables.size(), 31u);
    EXPECT_EQ(d.view.eqEnables[4], 1);
    EXPECT_EQ(d.view.eqEnables[5], 0);
    d.Serve();

    float values[31] = {};
    values[20] = -4.5f;
    d.logic.OnBandEdit(20, values);
    const dialogs::DynEqCurveRecord r = d.logic.Record(0);
    EXPECT_EQ(r.gains[20], -4.5f);
    EXPECT_EQ(r.gains[0], 0.0f);
    model::BiquadSection want{};
    dsp::ComputeEqBand(&want, std::pow(10.0, -4.5 / 20.0), 20);
    EXPECT_EQ(r.sections[20].b[0], want.b[0]);
    EXPECT_EQ(r.sections[20].a[2], want.a[2]);
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8A}));
    EXPECT_NEAR(devlink::GetF32LE(&d.link.frames[0][6 + 80]), std::pow(10.0, -4.5 / 20.0), 1e-6);

    // Flat: every section at unity gain.
    d.logic.OnBandEdit(-1, values);
    model::BiquadSection unity{};
    dsp::ComputeEqBand(&unity, 1.0, 20);
    EXPECT_EQ(d.logic.Record(0).sections[20].b[0], unity.b[0]);
    d.logic.OnBandSwitch(-1, 0);
    EXPECT_EQ(d.logic.Record(0).enables[4], 0);

    // Several bands moved; a value that is no number is refused.
    values[3] = std::numeric_limits<float>::quiet_NaN();
    d.logic.OnBandEdit(-2, values);
    EXPECT_EQ(d.logic.Record(0).gains[20], -4.5f);
    EXPECT_EQ(d.logic.Record(0).gains[3], 0.0f);
}

TEST(DynEqFlow, CloseDecisions) {
    // mode, Low and High calibrated, the answer -> question asked, closed.
    const struct {
        int mode;
        bool calibrated;
        bool answer;
        int questions, closed;
    } cases[] = {
        {dialogs::kDynEqOff, false, false, 0, 1},
        {dialogs::kDynEqEasy, false, false, 1, 0},
        {dialogs::kDynEqEasy, false, true, 1, 1},
        {dialogs::kDynEqAdvanced, false, true, 1, 1},
        {dialogs::kDynEqEasy, true, false, 0, 1},
    };
    for (const auto& c : cases) {
        Dialog d;
        // Opened while on (as after a read-back): the question is asked all the same.
        if (c.mode != dialogs::kDynEqOff) d.logic.OnModeClicked(c.mode);
        d.logic.TurnOn();
        if (c.calibrated) {
            d.Calibrate(-20.0f, 1.0f);
            d.Calibrate(-20.0f, 1.0f);
        }
        d.view.answer = c.answer;
        d.logic.OnCloseButton();
        EXPECT_EQ(d.view.questions, c.questions) << c.mode << c.calibrated << c.answer;
        EXPECT_EQ(d.view.closedPosts, c.closed) << c.mode << c.calibrated << c.answer;
    }
}

TEST(DynEqReply, CurveAndModeRepliesFillTheDialog) {
    Dialog d;
    float linear[31];
    for (int i = 0; i < 31; ++i) linear[i] = static_cast<float>(std::pow(10.0, (i % 7 - 3) / 20.0));
    linear[30] = 0.0f;
    EXPECT_EQ(d.logic.ConvertDeviceCurve(CurveReply(2, linear, 29).data(), 132), 1);
    const dialogs::DynEqCurveRecord high = d.logic.Record(1);
    EXPECT_EQ(high.index, 1);
    EXPECT_EQ(high.reference, -45.5f);
    EXPECT_NEAR(high.gains[0], -3.0, 1e-5);
    EXPECT_EQ(high.eqLevel, high.gains[0]);
    EXPECT_NEAR(high.gains[6], 3.0, 1e-5);
    EXPECT_NEAR(high.gains[30], -360.0, 1e-9);
    EXPECT_TRUE(d.Serve().empty());  // the records change silently

    EXPECT_EQ(d.logic.ConvertDeviceCurve(ModeReply(1, {0, 1, 0, 0}).data(), 11), 1);
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqAdvanced);
    EXPECT_EQ(d.logic.Curve(), 0);
    EXPECT_TRUE(d.view.Checked(DynEqControl::Advanced));
    EXPECT_TRUE(d.view.Checked(DynEqControl::Low));
    d.logic.SetDeviceState(1, 0);
    EXPECT_EQ(d.logic.GetSwitchValue(), 1u);
    // Applying the reply echoes neither the mode nor the curve; the level goes out.
    EXPECT_EQ(d.logic.PendingFlags(), (EqDynamicLogic::Pending{0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x94}));
    // A later user's choice is sent again.
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    EXPECT_EQ(d.logic.PendingFlags().mode, 1);
}

TEST(DynEqReply, BadRepliesAreTakenAndChangeNothing) {
    float linear[31];
    for (float& g : linear) g = 1.0f;
    float nanGain[31], infGain[31];
    std::memcpy(nanGain, linear, sizeof linear);
    std::memcpy(infGain, linear, sizeof linear);
    nanGain[12] = std::numeric_limits<float>::quiet_NaN();
    infGain[0] = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        Frame frame;
        int taken;
    } cases[] = {
        {"curve byte 0", CurveReply(0, linear, 60), 1},
        {"curve byte 3", CurveReply(3, linear, 60), 1},
        {"131 bytes", CurveReply(1, linear, 60, 131), 1},
        {"NaN gain", CurveReply(1, nanGain, 60), 1},
        {"infinite gain", CurveReply(1, infGain, 60), 1},
        {"mode 3", ModeReply(3, {0, 0, 0, 0}), 1},
        {"mode reply of 10 bytes", ModeReply(1, {0, 0, 0, 0}, 10), 1},
        {"another command", Hex("5A 46 00 07 7D 01 25"), 0},
        {"six bytes", Hex("5A 46 00 06 8A 30"), 0},
    };
    for (const auto& c : cases) {
        Dialog d;
        const dialogs::DynEqCurveRecord low = d.logic.Record(0), high = d.logic.Record(1);
        EXPECT_EQ(d.logic.ConvertDeviceCurve(c.frame.data(), c.frame.size()), c.taken) << c.what;
        const dialogs::DynEqCurveRecord lowAfter = d.logic.Record(0), highAfter = d.logic.Record(1);
        EXPECT_EQ(std::memcmp(&low, &lowAfter, sizeof low), 0) << c.what;
        EXPECT_EQ(std::memcmp(&high, &highAfter, sizeof high), 0) << c.what;
        EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqOff) << c.what;
        EXPECT_EQ(d.logic.PendingFlags(), (EqDynamicLogic::Pending{})) << c.what;
    }
    Dialog d;
    EXPECT_EQ(d.logic.ConvertDeviceCurve(nullptr, 132), 0);
}

}  // namespace

namespace {

// The Dynamic Equalization On/Off menu stores into the current preset's slot of the dialog, and
// both the 0x95 switch message and the mode message's enable byte read it from there.
TEST(DynEqSwitch, MenuSwitchLivesInTheDialog) {
    Dialog d;
    app::PendingCommands pending;
    pending.SetSwitchStore([&] { return d.logic.GetSwitchValue(); },
                           [&](uint32_t off) { d.logic.SetSwitchValue(off); });
    d.logic.SetDeviceState(2, 0);
    pending.SetDynamicEqSwitch(1);
    EXPECT_EQ(pending.DynamicEqSwitch(), 1u);
    EXPECT_TRUE(pending.TakeChanged());
    EXPECT_TRUE(pending.SendPendingDynamicEq(d.link.sender));
    ASSERT_EQ(d.link.frames.size(), 1u);
    EXPECT_EQ(ToHex(d.link.frames[0]), "46 5A 00 07 95 00 3C");
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    EXPECT_EQ(d.ServeCommands()[1], 0x8B);
    EXPECT_EQ(d.link.frames[1][6], 0) << "preset 2 is off";
    d.logic.SetDeviceState(0, 0);
    EXPECT_EQ(pending.DynamicEqSwitch(), 0u);
    pending.SetDynamicEqSwitch(0);
    d.link.frames.clear();
    EXPECT_TRUE(pending.SendPendingDynamicEq(d.link.sender));
    EXPECT_EQ(ToHex(d.link.frames[0]), "46 5A 00 07 95 01 3D");
}

}  // namespace
