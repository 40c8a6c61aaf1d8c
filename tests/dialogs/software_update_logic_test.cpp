// The firmware dialog's decisions: its states, the bar's animation by phase, the result and its
// text, and the upload it runs once against the simulated unit.
#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/software_update_logic.h"
#include "link_harness.h"
#include "sim/firmware_store.h"

using dialogs::SoftwareUpdateLogic;
using dialogs::TextArea;

TEST(SoftwareUpdateLogic, StartWaitsForThePollThread) {
    SoftwareUpdateLogic logic;
    EXPECT_EQ(logic.State(), SoftwareUpdateLogic::kStateIdle);
    logic.Start();
    EXPECT_EQ(logic.State(), SoftwareUpdateLogic::kStateRunning);
    EXPECT_EQ(logic.GetPhase(), devlink::kFirmwarePhaseWaiting);
    EXPECT_EQ(logic.Refresh(), SoftwareUpdateLogic::View::Running);
    EXPECT_FALSE(logic.OkEnabled());
    EXPECT_STREQ(logic.ResultText(), "");
    // Waiting: the bar stays.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(logic.OnTimer(), -1);
    EXPECT_EQ(logic.Tick(), 0);
}

TEST(SoftwareUpdateLogic, ResultsAndTheirTexts) {
    struct Case {
        uint32_t lParam;
        uint16_t completed, second;
        const char* text;
        TextArea area;  // in the 300 x 220 dialog
    };
    const TextArea done{45, 65, 280, 165}, notDone{45, 60, 305, 160};
    const Case cases[] = {
        {1, 1, 0, SoftwareUpdateLogic::kCompletedText, done},
        {0, 0, 0, SoftwareUpdateLogic::kNotCompletedText, notDone},
        {0x00030000, 0, 3, SoftwareUpdateLogic::kNotCompletedText, notDone},
        {0x00020001, 1, 2, SoftwareUpdateLogic::kCompletedText, done},
        {2, 2, 0, SoftwareUpdateLogic::kNotCompletedText, notDone},  // only 1 means completed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lParam);
        SoftwareUpdateLogic logic;
        logic.Start();
        logic.OnResult(c.lParam);
        EXPECT_EQ(logic.State(), SoftwareUpdateLogic::kStateResult);
        EXPECT_EQ(logic.Refresh(), SoftwareUpdateLogic::View::Result);
        EXPECT_TRUE(logic.OkEnabled());
        EXPECT_EQ(logic.CompletedFlag(), c.completed);
        EXPECT_EQ(logic.SecondValue(), c.second);
        EXPECT_STREQ(logic.ResultText(), c.text);
        EXPECT_EQ(logic.ResultArea(300, 220), c.area);
        // A new update clears the last one's result.
        logic.Start();
        EXPECT_STREQ(logic.ResultText(), "");
        EXPECT_FALSE(logic.OkEnabled());
    }
    EXPECT_STREQ(SoftwareUpdateLogic::kCompletedText,
                 "Firmware update completed. Close this application and restart 'darvix' device.");
    EXPECT_STREQ(SoftwareUpdateLogic::kNotCompletedText, "Firmware update not completed.");
}

namespace {

class UpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.AddUnit();
        {
            auto g = h.bus.Lock();
            sim::InstallFirmwareStore(h.bus.unit(0), store);
        }
        link = h.MakeLink();
        ASSERT_EQ(link->Open(1), 1);
        h.bus.ClearTraces();
        file.assign(56 + 3000, 0x11);
    }
    size_t FirmwareFrames() {
        size_t n = 0;
        for (const devlink::Frame& f : h.bus.FramesFromPc(0))
            if (f.size() > 4 && (f[4] == 0xC8 || f[4] == 0xCA)) ++n;
        return n;
    }

    linktest::SimHarness h;
    sim::FirmwareStore store;
    std::unique_ptr<devlink::UsbLink> link;
    std::vector<uint8_t> file;
};

}  // namespace

TEST_F(UpdateRunTest, TheBarMovesOnlyWhileTheImageGoesOut) {
    SoftwareUpdateLogic logic;
    logic.Start();
    // The dialog's timer, beside the poll thread's pauses: what the bar would show in each phase.
    std::map<int, std::vector<int>> positions;
    h.sleeper.SetOnSleep([&](uint32_t) { positions[logic.GetPhase()].push_back(logic.OnTimer()); });
    std::vector<uint32_t> posted;
    file.assign(56 + 12000, 0x22);  // 24 blocks: the bar goes round more than once
    logic.RunFirmwareUpdate(*link, file, [&](uint32_t r) { posted.push_back(r); });
    EXPECT_EQ(posted, (std::vector<uint32_t>{1}));
    EXPECT_EQ(logic.GetPhase(), devlink::kFirmwarePhaseResult);
    for (int p : positions[devlink::kFirmwarePhaseResult]) EXPECT_EQ(p, -1);
    const std::vector<int>& sending = positions[devlink::kFirmwarePhaseSending];
    ASSERT_GT(sending.size(), 25u);
    for (size_t i = 0; i < sending.size(); ++i) EXPECT_EQ(sending[i], static_cast<int>(i % 20 + 1)) << i;
    logic.OnResult(posted[0]);
    EXPECT_STREQ(logic.ResultText(), SoftwareUpdateLogic::kCompletedText);
}

TEST_F(UpdateRunTest, RunsOnlyWhileTheDialogWaitsForIt) {
    SoftwareUpdateLogic logic;
    std::vector<uint32_t> posted;
    auto post = [&](uint32_t r) { posted.push_back(r); };
    logic.RunFirmwareUpdate(*link, file, post);  // never started
    EXPECT_EQ(FirmwareFrames(), 0u);
    logic.Start();
    logic.RunFirmwareUpdate(*link, file, post);
    const size_t once = FirmwareFrames();
    EXPECT_EQ(once, 1u + 6u + 1u);
    logic.RunFirmwareUpdate(*link, file, post);  // phase 4 stays until OK: no second upload
    EXPECT_EQ(FirmwareFrames(), once);
    EXPECT_EQ(posted.size(), 1u);
}
