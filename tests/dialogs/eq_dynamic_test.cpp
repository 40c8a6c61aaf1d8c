// The dynamic-equalisation dialog without its window: the Easy curve, the device messages worked
// out by hand, the order in which the poll thread serves the pending messages, the device's
// replies, the user's calibration flow with its status texts, the close decisions and the wait on
// closing.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "app/pending_commands.h"
#include "dialogs/eq_dynamic_logic.h"
#include "dyn_eq_view.h"
#include "frame_helpers.h"
#include "dsp/eq.h"
#include "link/bytes.h"

namespace {

using dialogs::DynEqControl;
using dialogs::EqDynamicLogic;
using devlink::Frame;
using msgtest::Hex;
using msgtest::ToHex;

// The dialog after Reset Settings with its stand-in window, a recording link and a sleeper that
// returns at once.
struct Dialog {
    dyneqtest::FakeView view;
    os::FakeSleeper sleeper;
    EqDynamicLogic logic{&view, &sleeper};
    msgtest::RecordingLink link;

    Dialog() { logic.Reset(); }
    // What one poll cycle sends, as hex frames.
    std::vector<std::string> Serve() {
        link.frames.clear();
        logic.SendPendingChanges(&link.sender);
        std::vector<std::string> out;
        for (const Frame& f : link.frames) out.push_back(ToHex(f));
        return out;
    }
    // Only the command bytes of one cycle.
    std::vector<int> ServeCommands() {
        link.frames.clear();
        logic.SendPendingChanges(&link.sender);
        std::vector<int> out;
        for (const Frame& f : link.frames) out.push_back(f.size() > 4 ? f[4] : -1);
        return out;
    }
    void Calibrate(float volume, float eqLevel) {
        logic.OnTimer(dialogs::kDynEqReadyTimer);
        logic.OnVolumeMoved(volume);
        logic.OnStart();
        logic.OnEqSliderMoved(eqLevel);
        logic.OnTimer(dialogs::kDynEqSaveTimer);
        logic.OnSave();
    }
};

Frame CurveReply(int curveByte, const float linear[31], uint8_t level, size_t length = 132) {
    Frame f = devlink::NewFrame(devlink::kNodePc, devlink::DeviceCommand::DynEqCurve, length);
    f[0] = devlink::kNodePc;
    f[1] = devlink::kNodeDsp;
    f[5] = static_cast<uint8_t>(curveByte);
    for (size_t i = 0; i < 31 && 6 + 4 * i + 4 <= length; ++i) devlink::PutF32LE(&f[6 + 4 * i], linear[i]);
    if (length > 130) f[130] = level;
    devlink::SealFrame(f);
    return f;
}

Frame ModeReply(int mode, std::array<uint8_t, 4> switches, size_t length = 11) {
    Frame f = devlink::NewFrame(devlink::kNodePc, devlink::DeviceCommand::DynEqMode, length);
    f[5] = static_cast<uint8_t>(mode);
    for (size_t p = 0; p < 4 && 6 + p < length - 1; ++p) f[6 + p] = switches[p];
    devlink::SealFrame(f);
    return f;
}

TEST(DynEqCurve, EasyGainsTiltBandsUpToSeventeen) {
    for (float level : {6.0f, -6.0f, 1.5f, 0.0f}) {
        float gains[31];
        dialogs::EasyCurveGains(level, gains);
        for (int i = 0; i < 31; ++i) {
            const double want = i <= 17 ? level * (18.0 - i) / 18.0 : 0.0;
            EXPECT_NEAR(gains[i], want, 1e-5) << "level " << level << " band " << i;
        }
    }
    float g[31];
    dialogs::EasyCurveGains(6.0f, g);
    EXPECT_FLOAT_EQ(g[0], 6.0f);
    EXPECT_NEAR(g[1], 5.667f, 5e-4);
    EXPECT_NEAR(g[17], 0.333f, 5e-4);
    EXPECT_EQ(g[18], 0.0f);
    EXPECT_EQ(g[30], 0.0f);
}

TEST(DynEqCurve, ResetRecordsHoldTheirLevelsAndNeutralSections) {
    const dialogs::DynEqCurveRecord low = dialogs::ResetDynEqCurve(0), high = dialogs::ResetDynEqCurve(1);
    EXPECT_EQ(low.index, 0);
    EXPECT_EQ(high.index, 1);
    EXPECT_EQ(low.eqLevel, 6.0f);
    EXPECT_EQ(high.eqLevel, -6.0f);
    EXPECT_EQ(low.reference, -30.0f);
    EXPECT_EQ(high.reference, 0.0f);
    EXPECT_NEAR(high.gains[17], -1.0f / 3.0f, 1e-5);
    for (const auto& r : {low, high}) {
        EXPECT_EQ(r.chartColoured, 0);
        for (int i = 0; i < 31; ++i) {
            EXPECT_EQ(r.enables[i], 0);
            const model::BiquadSection& s = r.sections[i];
            EXPECT_EQ(s.order, 2);
            for (int k = 0; k < 9; ++k) {
                EXPECT_EQ(s.b[k], k == 1 ? 1.0 : 0.0);
                EXPECT_EQ(s.a[k], k == 0 ? 1.0 : 0.0);
            }
        }
    }
}

TEST(DynEqMessages, FramesWorkedOutByHand) {
    const struct {
        const char* what;
        Frame frame;
        const char* hex;
    } cases[] = {
        {"open", dialogs::BuildDynEqStartMessage(-1), "46 5A 00 07 87 00 2E"},
        {"start High", dialogs::BuildDynEqStartMessage(1), "46 5A 00 07 87 02 30"},
        {"close", dialogs::BuildDynEqStopMessage(-1), "46 5A 00 07 88 00 2F"},
        {"stop Low", dialogs::BuildDynEqStopMessage(0), "46 5A 00 07 88 01 30"},
        {"mode off, enabled", dialogs::BuildDynEqModeMessage(2, 1), "46 5A 00 08 8B 02 01 36"},
        {"mode Easy, disabled", dialogs::BuildDynEqModeMessage(0, 0), "46 5A 00 08 8B 00 00 33"},
        {"Low at -30 dB", dialogs::BuildDynEqLevelMessage(0, 30.0f, 1), "46 5A 00 09 94 01 3C 01 7B"},
        {"High at -45.5 dB, full send", dialogs::BuildDynEqLevelMessage(1, 45.5f, 0), "46 5A 00 09 94 02 1D 00 5C"},
        {"Low at 0 dB", dialogs::BuildDynEqLevelMessage(0, -0.0f, 1), "46 5A 00 09 94 01 78 01 B7"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToHex(c.frame), c.hex) << c.what;
}

TEST(DynEqMessages, ReferenceLevelBytes) {
    const struct {
        float reference;
        int byte;
    } cases[] = {{-30.0f, 60}, {-45.5f, 29}, {0.0f, 120}, {-60.0f, 0}, {-0.3f, 119}, {-59.9f, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(dialogs::DynEqLevelByte(c.reference), c.byte) << c.reference;
        EXPECT_EQ(dialogs::BuildDynEqLevelMessage(0, -c.reference, 1)[6], c.byte) << c.reference;
    }
    EXPECT_EQ(dialogs::DynEqLevelByte(std::numeric_limits<float>::quiet_NaN()), -1);
    // Finite references that no byte or int can hold (a damaged file's) stay outside 0..255.
    const struct {
        float reference;
        int byte;
    } outside[] = {{-1.2114e33f, -1}, {-std::numeric_limits<float>::max(), -1}, {-61.0f, -1},
                   {68.0f, 256}, {3.0e9f, 256}, {std::numeric_limits<float>::max(), 256}};
    for (const auto& c : outside) EXPECT_EQ(dialogs::DynEqLevelByte(c.reference), c.byte) << c.reference;
}

TEST(DynEqMessages, CurveCarriesLinearGains) {
    float gains[31];
    for (int i = 0; i < 31; ++i) gains[i] = static_cast<float>(i % 5) * 3.0f - 6.0f;  // -6, -3, 0, 3, 6
    const Frame f = dialogs::BuildDynEqCurveMessage(1, gains);
    ASSERT_EQ(f.size(), 131u);
    EXPECT_EQ(ToHex(Frame(f.begin(), f.begin() + 6)), "46 5A 00 83 8A 02");
    EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
    for (int i = 0; i < 31; ++i) {
        const double want = std::pow(10.0, gains[i] / 20.0);
        EXPECT_NEAR(devlink::GetF32LE(&f[6 + 4 * i]), want, want * 1e-6) << i;
    }
    EXPECT_EQ(devlink::GetF32LE(&f[6 + 4 * 2]), 1.0f);            // 0 dB
    EXPECT_NEAR(devlink::GetF32LE(&f[6 + 4 * 4]), 1.9953f, 1e-4);  // +6 dB
}

TEST(DynEqSend, ModeChoiceSendsCurveModeAndLevels) {
    Dialog d;
    EXPECT_TRUE(d.Serve().empty());  // Reset raises nothing
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    // Curve, then the mode with the selected curve's level, then the level message itself.
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8A, 0x8B, 0x94, 0x94}));
    EXPECT_EQ(d.link.frames[1], Hex("46 5A 00 08 8B 00 01 34"));
    EXPECT_EQ(d.link.frames[2], Hex("46 5A 00 09 94 01 3C 01 7B"));
    EXPECT_EQ(d.logic.SendPendingChanges(&d.link.sender), 0);

    // Back to off: the mode alone.
    d.logic.OnModeClicked(dialogs::kDynEqOff);
    EXPECT_EQ(d.Serve(), (std::vector<std::string>{"46 5A 00 08 8B 02 01 36"}));
    // The checked switch clicked again sends nothing.
    d.logic.OnModeClicked(dialogs::kDynEqOff);
    EXPECT_TRUE(d.Serve().empty());
    EXPECT_TRUE(d.view.Checked(DynEqControl::Off));
}

TEST(DynEqSend, EnableByteFollowsTheCurrentPresetsSwitch) {
    Dialog d;
    d.logic.SetDeviceState(2, 0);
    d.logic.SetSwitchValue(1);
    d.logic.OnModeClicked(dialogs::kDynEqAdvanced);
    d.ServeCommands();
    EXPECT_EQ(d.link.frames[1], Hex("46 5A 00 08 8B 01 00 34"));
    d.logic.SetDeviceState(1, 0);
    EXPECT_EQ(d.logic.GetSwitchValue(), 0u);
}

TEST(DynEqSend, FullSendAloneThenTheRest) {
    Dialog d;
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    d.Serve();
    d.logic.OnTimer(dialogs::kDynEqReadyTimer);
    d.logic.OnStart();
    d.logic.RequestFullSend();
    const std::vector<std::string> full = d.Serve();
    ASSERT_EQ(full.size(), 5u);
    EXPECT_EQ(full[0], "46 5A 00 08 8B 00 01 34");
    EXPECT_EQ(full[1].substr(0, 17), "46 5A 00 83 8A 01");
    EXPECT_EQ(full[2], "46 5A 00 09 94 01 3C 00 7A");
    EXPECT_EQ(full[3].substr(0, 17), "46 5A 00 83 8A 02");
    EXPECT_EQ(full[4], "46 5A 00 09 94 02 78 00 B7");
    EXPECT_EQ(d.Serve(), (std::vector<std::string>{"46 5A 00 07 87 01 2F"}));

    // Without a link the full send is dropped and the other flags wait.
    d.logic.RequestFullSend();
    d.logic.OnEqSliderMoved(2.0f);
    EXPECT_EQ(d.logic.SendPendingChanges(nullptr), 1);
    EXPECT_EQ(d.logic.PendingFlags().full, 0);
    EXPECT_EQ(d.logic.SendPendingChanges(nullptr), 0);
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8A}));
}

TEST(DynEqSend, OpenAndCloseMessages) {
    Dialog d;
    d.logic.TurnOn();
    EXPECT_EQ(d.Serve(), (std::vector<std::string>{"46 5A 00 07 87 00 2E"}));
    // A close raised while the open is still pending drops it.
    d.logic.TurnOn();
    std::thread poll([&] {
        while (d.logic.PendingFlags().close == 0) std::this_thread::yield();
        d.logic.SendPendingChanges(&d.link.sender);
    });
    d.link.frames.clear();
    d.logic.TurnOff();
    poll.join();
    ASSERT_EQ(d.link.frames.size(), 1u);
    EXPECT_EQ(ToHex(d.link.frames[0]), "46 5A 00 07 88 00 2F");
}

TEST(DynEqSend, TurnOffWaitsAtMostOneSecondPerMessage) {
    Dialog d;
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    d.Serve();
    d.sleeper.Clear();
    d.logic.TurnOff();  // nobody serves: the mode and then the close wait run out
    EXPECT_EQ(d.sleeper.Pauses(), std::vector<uint32_t>(20, 100));
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqOff);
    EXPECT_TRUE(d.view.Checked(DynEqControl::Off));
    EXPECT_FALSE(d.view.Checked(DynEqControl::Easy));
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8B, 0x88}));
}

TEST(DynEqSend, BothCurvesCalibratedKeepTheModeOnClosing) {
    Dialog d;
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    d.Calibrate(-40.0f, 3.0f);
    d.Calibrate(-10.0f, -2.0f);
    d.Serve();
    d.sleeper.Clear();
    d.logic.TurnOff();
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqEasy);
    EXPECT_EQ(d.sleeper.Pauses().size(), 10u);  // only the close message was waited for
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x88}));
}

TEST(DynEqSend, PresetChangeDropsAPendingMode) {
    Dialog d;
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    d.logic.SetChanged(0);
    d.logic.SetDeviceState(1, 1);
    EXPECT_EQ(d.logic.IsChanged(), 1);
    EXPECT_EQ(d.ServeCommands(), (std::vector<int>{0x8A, 0x94}));
    d.logic.SetChanged(0);
    d.logic.SetDeviceState(1, 1);  // the same preset: nothing
    EXPECT_EQ(d.logic.IsChanged(), 0);
}

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

// The poll thread sends while the user edits: every frame must be whole and every edit reach the
// device in the end.
TEST(DynEqThreads, SenderAgainstEdits) {
    Dialog d;
    d.logic.OnModeClicked(dialogs::kDynEqEasy);
    d.logic.OnTimer(dialogs::kDynEqReadyTimer);
    d.logic.OnStart();
    std::atomic<bool> stop{false};
    std::thread poll([&] {
        while (!stop) {
            d.logic.SendPendingChanges(&d.link.sender);
            d.logic.RequestFullSend();
            d.logic.SendPendingChanges(&d.link.sender);
        }
    });
    for (int i = 0; i < 400; ++i) {
        d.logic.OnEqSliderMoved(static_cast<float>(i % 13) - 6.0f);
        d.logic.SetSwitchValue(i & 1);
        d.logic.SetDeviceState(i % 4, 1);
    }
    d.logic.OnEqSliderMoved(5.0f);
    stop = true;
    poll.join();
    d.link.frames.clear();
    d.logic.SendPendingChanges(&d.link.sender);
    for (const Frame& f : d.link.frames) EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
    d.logic.RequestFullSend();
    d.link.frames.clear();
    d.logic.SendPendingChanges(&d.link.sender);
    ASSERT_EQ(d.link.frames.size(), 5u);
    EXPECT_NEAR(devlink::GetF32LE(&d.link.frames[1][6]), std::pow(10.0, 5.0 / 20.0), 1e-6);
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
