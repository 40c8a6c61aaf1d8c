// The dynamic-equalisation dialog's send cycle: the order in which the poll thread serves the
// pending messages, the full send, the open and close messages with the wait on closing, and the
// poll thread sending while the user edits.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "dyn_eq_fixture.h"
#include "link/bytes.h"

namespace {

using dialogs::DynEqControl;
using devlink::Frame;
using dyneqtest::Dialog;
using msgtest::Hex;
using msgtest::ToHex;

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
    d.logic.MarkAllDirty();
    const std::vector<std::string> full = d.Serve();
    ASSERT_EQ(full.size(), 5u);
    EXPECT_EQ(full[0], "46 5A 00 08 8B 00 01 34");
    EXPECT_EQ(full[1].substr(0, 17), "46 5A 00 83 8A 01");
    EXPECT_EQ(full[2], "46 5A 00 09 94 01 3C 00 7A");
    EXPECT_EQ(full[3].substr(0, 17), "46 5A 00 83 8A 02");
    EXPECT_EQ(full[4], "46 5A 00 09 94 02 78 00 B7");
    EXPECT_EQ(d.Serve(), (std::vector<std::string>{"46 5A 00 07 87 01 2F"}));

    // Without a link the full send is dropped and the other flags wait.
    d.logic.MarkAllDirty();
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
            d.logic.MarkAllDirty();
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
    d.logic.MarkAllDirty();
    d.link.frames.clear();
    d.logic.SendPendingChanges(&d.link.sender);
    ASSERT_EQ(d.link.frames.size(), 5u);
    EXPECT_NEAR(devlink::GetF32LE(&d.link.frames[1][6]), std::pow(10.0, 5.0 / 20.0), 1e-6);
}

}  // namespace
