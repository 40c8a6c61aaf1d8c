#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "frame_helpers.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"

using namespace model;
using msgtest::RecordingLink;
using msgtest::ToHex;

namespace {

// A model whose crossovers have sections to send without the filter design: a one-section
// identity in every record.
class SendCycle : public ::testing::Test {
protected:
    SendCycle() {
        link.watched = &m;
        for (int p = 0; p < kPresetCount; ++p)
            for (int o = 0; o < kChannelCount; ++o) {
                m.Sections(p, o).section.fill(IdentitySection());
                m.Record(p, o).crossover.sectionCount = 1;
            }
    }

    // Leaves only the given outputs with a speaker, in every preset.
    void KeepOnly(std::initializer_list<int> outputs) {
        for (int p = 0; p < kPresetCount; ++p)
            for (int o = 0; o < kChannelCount; ++o) {
                bool keep = false;
                for (int k : outputs) keep |= k == o;
                if (keep) continue;
                DspChannelRecord& r = m.Record(p, o);
                r.output = r.position = r.kind = kUnassigned;
            }
    }

    int Cycle() { return m.SendPendingChanges(link.sender, &log); }

    bool AnyChannelFlag() const {
        for (int p = 0; p < kPresetCount; ++p)
            for (int o = 0; o < kChannelCount; ++o)
                for (int f = 0; f < kDirtyFlagCount; ++f)
                    if (m.IsDirty(p, o, f)) return true;
        return false;
    }

    TuningModel m;
    RecordingLink link;
    std::ostringstream log;
};

}  // namespace

TEST_F(SendCycle, FullWriteOrderPacingAndLog) {
    KeepOnly({0, 1});
    m.MarkAllDirty();
    EXPECT_EQ(Cycle(), 1);

    // Per preset: the crossovers, delays, equalisers, EQ offs, EQ links, band masks of the two
    // channels in turn; no mute or listening-point frame, whose flags a full write leaves alone.
    const std::string perPreset = "ttuussvvwwxx";
    EXPECT_EQ(link.Commands(), perPreset + perPreset + perPreset + perPreset);
    ASSERT_EQ(link.frames.size(), 48u);
    for (size_t i = 0; i < link.frames.size(); ++i) {
        const auto& f = link.frames[i];
        EXPECT_EQ(f[5], i / 12) << "preset of frame " << i;
        EXPECT_EQ(f[6], i % 2) << "channel of frame " << i;
        EXPECT_TRUE(link.addressWrites[i]) << i;
        EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1)) << i;
        // Every frame costs 25 ms after its address byte and 45 ms after the rest.
        EXPECT_EQ(link.sentAt[i], 70 * i) << i;
    }
    const auto pauses = link.sleeper.Pauses();
    ASSERT_EQ(pauses.size(), 96u);
    for (size_t i = 0; i < pauses.size(); ++i) EXPECT_EQ(pauses[i], i % 2 ? 45u : 25u) << i;
    EXPECT_EQ(link.writesUnderLock, 0);

    std::string expectedLog;
    for (int i = 0; i < 8; ++i) expectedLog += "ok \n";
    EXPECT_EQ(log.str(), expectedLog);

    // Everything was taken: the next cycle is idle.
    EXPECT_FALSE(AnyChannelFlag());
    link.Clear();
    EXPECT_EQ(Cycle(), 0);
    EXPECT_TRUE(link.frames.empty());
    EXPECT_TRUE(link.sleeper.Pauses().empty());
}

TEST_F(SendCycle, EachEditSendsItsOwnMessage) {
    struct Case {
        const char* what;
        void (*edit)(TuningModel&);
        const char* commands;
        size_t length;
    } cases[] = {
        {"crossover", [](TuningModel& t) { t.SetDirty(2, 3, kDirtyCrossover); }, "t", 43},
        {"delay", [](TuningModel& t) { t.SetDirty(2, 3, kDirtyDelay); }, "u", 16},
        {"one band", [](TuningModel& t) { t.SetDirty(2, 3, kDirtyBand0 + 17); }, "s", 138},
        {"three bands, one frame",
         [](TuningModel& t) {
             t.SetDirty(2, 3, kDirtyBand0);
             t.SetDirty(2, 3, kDirtyBand0 + 9);
             t.SetDirty(2, 3, kDirtyBand0 + 30);
         },
         "s", 138},
        {"EQ off", [](TuningModel& t) { t.SetDirty(2, 3, kDirtyEqOff); }, "v", 9},
        {"EQ link", [](TuningModel& t) { t.SetDirty(2, 3, kDirtyEqLink); }, "w", 9},
        {"band switches", [](TuningModel& t) { t.SetDirty(2, 3, kDirtyBandMask); }, "x", 12},
        {"mutes", [](TuningModel& t) { t.SetMuteDirty(); }, "y", 7},
        {"listening points", [](TuningModel& t) { t.SetListeningPointDirty(); }, "\x96", 7},
    };
    for (const Case& c : cases) {
        TuningModel t;
        t.Sections(2, 3).section[0] = IdentitySection();
        t.Record(2, 3).crossover.sectionCount = 1;
        RecordingLink l;
        l.watched = &t;
        c.edit(t);
        EXPECT_EQ(t.SendPendingChanges(l.sender, nullptr), 1) << c.what;
        ASSERT_EQ(l.Commands(), c.commands) << c.what;
        EXPECT_EQ(l.frames[0].size(), c.length) << c.what;
        if (c.length != 7) {
            EXPECT_EQ(l.frames[0][5], 2) << c.what;
            EXPECT_EQ(l.frames[0][6], 3) << c.what;
        }
        EXPECT_EQ(l.writesUnderLock, 0) << c.what;
        for (int f = 0; f < kDirtyFlagCount; ++f) EXPECT_FALSE(t.IsDirty(2, 3, f)) << c.what;
        EXPECT_FALSE(t.IsMuteDirty());
        EXPECT_FALSE(t.IsListeningPointDirty());
    }
}

TEST_F(SendCycle, FramesCarryTheModelsValues) {
    m.Record(1, 4).EQGain[3] = 6.0f;
    m.Record(1, 4).EQOff = 1;
    m.Record(1, 4).crossover.delay = 300;
    m.Record(1, 4).crossover.distance = 756;
    m.Record(1, 4).crossover.delayTrim = -4;
    m.SetMuteValue(0, 1);
    m.SetMuteValue(7, 1);
    m.SetListeningPointValue(0, 1);
    m.SetListeningPointValue(1, 2);
    m.SetListeningPointValue(2, 3);
    m.SetDirty(1, 4, kDirtyDelay);
    m.SetDirty(1, 4, kDirtyBand0 + 3);
    m.SetMuteDirty();
    m.SetListeningPointDirty();
    EXPECT_EQ(Cycle(), 1);
    ASSERT_EQ(link.Commands(), "us\x79\x96");
    EXPECT_EQ(ToHex(link.frames[0]), "46 5A 00 10 75 01 04 01 2C 02 F4 FF FF FF FC 46");
    EXPECT_NEAR(msgtest::F32At(link.frames[1], 7 + 4 * 3), 1.99526231f, 2e-7);
    EXPECT_EQ(link.frames[1][135], 1);
    EXPECT_EQ(ToHex(link.frames[2]), "46 5A 00 07 79 81 A1");
    EXPECT_EQ(ToHex(link.frames[3]), "46 5A 00 07 96 39 76");
}

TEST_F(SendCycle, MutesAndListeningPointsFollowAllPresets) {
    m.SetMuteDirty();
    m.SetListeningPointDirty();
    m.SetDirty(3, 7, kDirtyBandMask);
    m.SetDirty(0, 0, kDirtyCrossover);
    EXPECT_EQ(Cycle(), 1);
    EXPECT_EQ(link.Commands(), "tx\x79\x96");
}

TEST_F(SendCycle, GroupsThatCannotBeSentLoseTheirFlag) {
    // A crossover without sections: logged, flagged as taken, nothing on the line.
    m.Record(0, 2).crossover.sectionCount = 0;
    m.SetDirty(0, 2, kDirtyCrossover);
    EXPECT_EQ(Cycle(), 1);
    EXPECT_TRUE(link.frames.empty());
    EXPECT_EQ(log.str(), "errore !!!!!!!! \n");
    EXPECT_FALSE(m.IsDirty(0, 2, kDirtyCrossover));

    // A delay plus trim the device cannot hold: dropped silently, and the cycle reports nothing.
    struct DelayCase {
        int32_t delay, trim;
    } bad[] = {{1000, 100}, {0, -1}, {1056, 1}, {2000000000, 2000000000}};
    for (const DelayCase& c : bad) {
        m.Record(1, 1).crossover.delay = c.delay;
        m.Record(1, 1).crossover.delayTrim = c.trim;
        m.SetDirty(1, 1, kDirtyDelay);
        EXPECT_EQ(Cycle(), 0) << c.delay << " " << c.trim;
        EXPECT_TRUE(link.frames.empty());
        EXPECT_FALSE(m.IsDirty(1, 1, kDirtyDelay));
    }
    // The edges are fine.
    m.Record(1, 1).crossover.delay = 1056;
    m.Record(1, 1).crossover.delayTrim = 0;
    m.SetDirty(1, 1, kDirtyDelay);
    EXPECT_EQ(Cycle(), 1);
    EXPECT_EQ(link.Commands(), "u");
    EXPECT_EQ(log.str(), "errore !!!!!!!! \n");
}

TEST_F(SendCycle, ChannelsWithoutSpeakerOrOutputNeverSend) {
    m.Record(0, 5).kind = kUnassigned;  // no speaker kind
    m.Record(2, 6).output = 9;           // an output the device does not have
    for (int f = 0; f < kDirtyFlagCount; ++f) {
        m.SetDirty(0, 5, f);
        m.SetDirty(2, 6, f);
    }
    EXPECT_EQ(Cycle(), 0);
    EXPECT_TRUE(link.frames.empty());
    EXPECT_EQ(log.str(), "");
    EXPECT_FALSE(AnyChannelFlag());
}

TEST_F(SendCycle, IdleCycleAndNoLog) {
    EXPECT_EQ(Cycle(), 0);
    EXPECT_TRUE(link.frames.empty());
    m.SetDirty(0, 0, kDirtyCrossover);
    EXPECT_EQ(m.SendPendingChanges(link.sender, nullptr), 1);  // no send log open
    EXPECT_EQ(link.Commands(), "t");
}

TEST_F(SendCycle, MarkAndClearTouchOnlyAssignedChannelFlags) {
    KeepOnly({2, 5});
    m.SetMuteDirty();
    m.SetListeningPointDirty();
    m.MarkAllDirty();
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o)
            for (int f = 0; f < kDirtyFlagCount; ++f)
                EXPECT_EQ(m.IsDirty(p, o, f), o == 2 || o == 5) << p << " " << o << " " << f;

    m.ClearAllDirty();
    EXPECT_FALSE(AnyChannelFlag());
    EXPECT_TRUE(m.IsMuteDirty());
    EXPECT_TRUE(m.IsListeningPointDirty());

    // A full write marks everything even while edits do not (dirty tracking off).
    m.SetOnline(0);
    m.SetDirty(0, 2, kDirtyDelay);
    EXPECT_FALSE(m.IsDirty(0, 2, kDirtyDelay));
    m.MarkAllDirty();
    EXPECT_TRUE(m.IsDirty(0, 2, kDirtyDelay));
}

TEST_F(SendCycle, RoutingMapFromPresetZero) {
    EXPECT_EQ(m.SendRoutingMap(nullptr), 0);
    m.Record(1, 0).kind = kTweeter;  // other presets do not count
    EXPECT_EQ(m.SendRoutingMap(&link.sender), 1);
    ASSERT_EQ(link.frames.size(), 1u);
    EXPECT_EQ(link.frames[0], BuildRoutingMessage(m.Preset(0)));
    EXPECT_EQ(link.sleeper.Pauses(), (std::vector<uint32_t>{25, 45}));
}

// The crossover frames of a new tuning in every preset. The expected frames were worked out apart
// from the program, with the bilinear-transform formulas of each filter (Linkwitz 12 dB = two
// equal first-order sections; the band pass two equal first-order band-pass sections), in double
// precision, each coefficient divided by a0 and rounded to single precision; shown for preset 0,
// channel 0.
TEST(DefaultTuning, CrossoverFramesOfAllFourPresets) {
    const char* woofer =
        "46 5A 00 3F 74 00 00 02 00 00 00 80 2A C5 6F 3F 00 00 00 00 B4 D6 01 3D B4 D6 01 3D "
        "00 00 00 80 2A C5 6F 3F 00 00 00 00 B4 D6 01 3D B4 D6 01 3D "
        "01 00 00 00 FA 43 00 00 A0 42 0C 0C 00 01 E8";
    const char* midrange =
        "46 5A 00 3F 74 00 00 02 B9 D5 08 BF 99 19 C0 3F 8E 54 6E BE 00 00 00 00 8E 54 6E 3E "
        "B9 D5 08 BF 99 19 C0 3F 8E 54 6E BE 00 00 00 00 8E 54 6E 3E "
        "03 00 00 00 FA 43 00 40 9C 45 0C 0C 00 01 13";
    const char* tweeter =
        "46 5A 00 3F 74 00 00 02 00 00 00 80 8F 7D FC 3E 00 00 00 00 64 1F 3F BF 64 1F 3F 3F "
        "00 00 00 80 8F 7D FC 3E 00 00 00 00 64 1F 3F BF 64 1F 3F 3F "
        "02 00 00 00 7A 46 00 40 9C 45 0C 0C 00 01 E1";
    const char* subwoofer =
        "46 5A 00 3F 74 00 00 02 00 00 00 80 AC 05 7B 3F 00 00 00 00 74 4A 1F 3C 74 4A 1F 3C "
        "00 00 00 80 AC 05 7B 3F 00 00 00 00 74 4A 1F 3C 74 4A 1F 3C "
        "01 00 00 00 16 43 00 80 BB 45 0C 0C 00 01 82";
    const char* byChannel[kChannelCount] = {woofer, midrange, tweeter, woofer,
                                            midrange, tweeter, subwoofer, subwoofer};

    TuningModel m;
    RecordingLink link;
    link.watched = &m;
    std::ostringstream log;
    m.MarkAllDirty();
    EXPECT_EQ(m.SendPendingChanges(link.sender, &log), 1);
    ASSERT_EQ(link.frames.size(), 4u * 8u * 6u);

    std::string expectedOrder;
    for (const char* kind : {"t", "u", "s", "v", "w", "x"})
        for (int ch = 0; ch < kChannelCount; ++ch) expectedOrder += kind;
    EXPECT_EQ(link.Commands(), expectedOrder + expectedOrder + expectedOrder + expectedOrder);

    for (int p = 0; p < kPresetCount; ++p)
        for (int ch = 0; ch < kChannelCount; ++ch) {
            SCOPED_TRACE("preset " + std::to_string(p) + " channel " + std::to_string(ch));
            devlink::Frame expected = msgtest::Hex(byChannel[ch]);
            expected[5] = static_cast<uint8_t>(p);
            expected[6] = static_cast<uint8_t>(ch);
            devlink::SealFrame(expected);
            msgtest::ExpectCrossoverFrame(link.frames[48 * p + ch], expected);
        }
    std::string expectedLog;
    for (int i = 0; i < 32; ++i) expectedLog += "ok \n";
    EXPECT_EQ(log.str(), expectedLog);
    EXPECT_EQ(link.sleeper.TotalMs(), 192u * 70u);
    EXPECT_EQ(link.writesUnderLock, 0);
}
