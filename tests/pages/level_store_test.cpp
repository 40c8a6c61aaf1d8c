// The simulated device's level store against the page's own frames: what the page sends is kept
// and comes back in the level report as the page shows it, to the half decibel.
#include <gtest/gtest.h>

#include <cmath>

#include "pages/output_level_logic.h"
#include "sim/level_store.h"
#include "tests/messages/frame_helpers.h"

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
