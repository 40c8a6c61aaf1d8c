// The simulated device's level store against the page's own frames: what the page sends is kept
// and comes back in the level report as the page shows it, to the half decibel.
#include <gtest/gtest.h>

#include <cmath>

#include "pages/output_level_logic.h"
#include "sim/level_store.h"
#include "sim/tuning_store.h"
#include "tests/link/link_harness.h"
#include "tests/model/frame_helpers.h"

namespace {

using msgtest::Hex;
using msgtest::ToHex;

TEST(LevelStore, KeepsWhatTheDeviceWouldAndIgnoresTheRest) {
    sim::LevelStore store;
    EXPECT_TRUE(store.Apply(Hex("46 5A 00 09 7E 02 05 07 35").data(), 9));
    EXPECT_EQ(store.Attenuation(2, 5), 7);
    EXPECT_TRUE(store.Apply(Hex("00 5A 00 07 0A 1E 89").data(), 7));
    EXPECT_EQ(store.Master(), 30);
    EXPECT_TRUE(store.Apply(Hex("00 5A 00 07 0D 10 7E").data(), 7));
    EXPECT_EQ(store.Subwoofer(), 16);
    struct Case {
        const char* what;
        const char* frame;
    } refused[] = {
        {"bad checksum", "46 5A 00 09 7E 02 05 09 32"},
        {"preset 4", "46 5A 00 09 7E 04 05 09 39"},
        {"channel 8", "46 5A 00 09 7E 00 08 09 38"},
        {"master to the DSP node", "46 5A 00 07 0A 1E CF"},
        {"channel level to the level node", "00 5A 00 09 7E 00 00 07 E8"},
        {"another command", "46 5A 00 07 7D 01 25"},
    };
    for (const Case& c : refused) {
        const devlink::Frame f = Hex(c.frame);
        EXPECT_FALSE(store.Apply(f.data(), f.size())) << c.what;
    }
    EXPECT_EQ(store.Attenuation(0, 0), 6);
    EXPECT_EQ(store.Master(), 30);
    EXPECT_EQ(ToHex(sim::LevelStore::ClipReply(0x05)), "5A 46 00 07 7F 05 2B");
}

TEST(LevelStore, RoundTripThroughTheDeviceToAFreshPage) {
    pages::OutputLevelLogic edited;
    msgtest::RecordingLink link;
    // Levels on and between the half-decibel steps, in every preset.
    for (int p = 0; p < 4; ++p) {
        edited.SelectPreset(p, 1);
        for (int c = 0; c < 8; ++c) edited.OnFaderMoved(c, -0.3f - 4.7f * c - 0.25f * p, 0.0f);
    }
    edited.OnFaderMoved(8, -33.3f, 0.0f);
    edited.OnFaderMoved(9, -7.8f, 0.0f);
    edited.RequestFullSend();
    EXPECT_EQ(edited.SendPendingLevels(link.sender, nullptr), 1);
    sim::LevelStore device;
    for (const devlink::Frame& f : link.frames) EXPECT_TRUE(device.Apply(f.data(), f.size())) << ToHex(f);
    EXPECT_EQ(device.ChannelFrames(), 32);

    pages::OutputLevelLogic fresh;
    const devlink::Frame report = device.ReportFrame();
    ASSERT_EQ(report.size(), 41u);
    EXPECT_TRUE(devlink::FrameChecksumValid(report.data(), 40));
    bool applied = false;
    EXPECT_EQ(fresh.ParseLevelResponse(report.data(), report.size(), &applied), 1);
    EXPECT_TRUE(applied);
    for (int p = 0; p < 4; ++p)
        for (int c = 0; c < 8; ++c) {
            // The device keeps attenuation rounded up to the half decibel: the level rounded down.
            const float sent = edited.Level(p, c);
            EXPECT_EQ(fresh.Level(p, c), std::floor(2.0f * sent) * 0.5f) << p << "/" << c;
            EXPECT_EQ(pages::LevelReadout(fresh.Level(p, c)), pages::LevelReadout(sent));
        }
    // Master and subwoofer are truncated towards their bottom: -33.3 -> -33.5, -7.8 -> -8.0.
    EXPECT_EQ(fresh.Fader(8), -33.5f);
    EXPECT_EQ(fresh.Fader(9), -8.0f);
}

}  // namespace

namespace {

// The page over the real USB link and a simulated unit with both stores: the clip poll's
// exchange, the write, and the read-all that brings the levels into a fresh page.
class LevelsOnTheLink : public ::testing::Test {
protected:
    LevelsOnTheLink() {
        sim::UnitConfig config;
        config.clipMask = 0x21;
        sim::SimUnit& unit = h.AddUnit(config);
        {
            auto g = h.bus.Lock();
            sim::InstallTuningStore(unit, tuning);
            sim::InstallLevelStore(unit, levels);
        }
        link = h.MakeLink();
        page.SetNotifier(&posts);
    }
    ~LevelsOnTheLink() override {
        if (link) link->Close();
    }

    // Declared first: the unit's handlers use them until the bus is gone.
    sim::TuningStore tuning;
    sim::LevelStore levels;
    linktest::SimHarness h;
    std::unique_ptr<devlink::UsbLink> link;
    devlink::RecordingNotifier posts;
    pages::OutputLevelLogic page;
};

TEST_F(LevelsOnTheLink, ClipPollWriteAndReadBack) {
    ASSERT_EQ(link->Open(1), 1);
    link->SetReceiveGate(1);
    page.OnShow(true);
    for (int poll = 0; poll < 2; ++poll) {
        page.OnClipTimer();
        EXPECT_EQ(page.SendPendingLevels(link->Sender(), link.get()), 1);
    }
    ASSERT_EQ(posts.Posts().size(), 1u);  // the second poll's answer
    EXPECT_EQ(posts.Posts()[0], (devlink::RecordingNotifier::Posted{0x8022, 0x21, 0}));
    EXPECT_EQ(link->ReceiveGateClosed(), 1);
    EXPECT_EQ(link->ReceivedCount(), 0u);

    page.OnFaderMoved(5, -17.3f, 0.0f);
    page.OnFaderMoved(8, -20.0f, 0.0f);
    page.RequestFullSend();
    EXPECT_EQ(page.SendPendingLevels(link->Sender(), link.get()), 1);
    EXPECT_EQ(levels.Attenuation(0, 5), 35);
    EXPECT_EQ(levels.Master(), 80);

    // The read-all, with the gate open as the poll thread opens it: the tuning's frames, then
    // the level report.
    link->SetReceiveGate(0);
    ASSERT_EQ(link->QueryCommand92(), 1);
    pages::OutputLevelLogic fresh;
    int reports = 0;
    for (const devlink::ReceivedFrame& f : link->ReceivedFrames()) {
        bool applied = false;
        if (fresh.ParseLevelResponse(f.bytes.data(), f.bytes.size(), &applied) && applied) ++reports;
    }
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(fresh.Level(0, 5), -17.5f);
    EXPECT_EQ(fresh.Fader(8), -20.0f);
    EXPECT_EQ(fresh.Level(3, 7), -3.0f);
}

}  // namespace
