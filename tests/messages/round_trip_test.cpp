#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "dsp/eq.h"
#include "frame_helpers.h"
#include "model/tables.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"
#include "model/tuning_receive.h"
#include "sim/tuning_store.h"

using namespace model;
using msgtest::RecordingLink;

namespace {

// A tuning unlike the defaults in every field the device keeps.
void EditEverything(TuningModel& m) {
    const struct {
        int type, filterModel;
        float lp, hp, lfSlope, hfSlope;
    } shapes[] = {
        {kLowPass, kButterworth, 300, 80, 18, 12},   {kBandPass, kLinkwitz, 250, 3500, 24, 12},
        {kHighPass, kLinkwitz, 16000, 6000, 12, 48}, {kLowPass, kLinkwitz, 750, 80, 36, 12},
        {kBandPass, kButterworth, 400, 4000, 30, 6}, {kHighPass, kButterworth, 80, 2750, 12, 42},
        {kFullRange, kLinkwitz, 50, 100, 12, 12},    {kLowPass, kLinkwitz, 90, 6000, 48, 12},
    };
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord& r = m.Record(p, o);
            for (int k = 0; k < kBandCount; ++k) {
                r.EQGain[k] = static_cast<float>(((p * 7 + o * 3 + k) % 49) - 24) * 0.5f;
                r.btmskSel[k] = (k + o + p) % 4 == 0;
            }
            r.EQOff = (o + p) % 2;
            r.EQLink = (o + p) % 3 == 0;
            const auto& s = shapes[(o + p) % kChannelCount];
            CrossoverParams& x = r.crossover;
            x.FilterType = s.type;
            x.FilterModel = s.filterModel;
            x.LPFreq = s.lp;
            x.HPFreq = s.hp;
            x.LFSlope = s.lfSlope;
            x.HFSlope = s.hfSlope;
            x.bInvPhase = o % 2;
            x.bXoLink = p % 2;
            x.distance = 100 * o + p;
            x.delay = 1000 - 100 * o;
            x.delayTrim = o - 4;
            CrossoverToMenuIds(&x);
        }
    for (int p = 0; p < kPresetCount; ++p) m.SetListeningPointValue(p, (p + 1) % 4);
    m.SetMuteValue(2, 1);
    m.SetMuteValue(5, 1);
    m.DesignAllPresets();
}

// Every field that a received 's', 't', 'u' or 0x96 frame carries.
void ExpectSameReadBack(const TuningModel& got, const TuningModel& sent) {
    for (int p = 0; p < kPresetCount; ++p) {
        EXPECT_EQ(got.ListeningPoint(p), sent.ListeningPoint(p)) << p;
        for (int o = 0; o < kChannelCount; ++o) {
            SCOPED_TRACE("preset " + std::to_string(p) + " output " + std::to_string(o));
            const DspChannelRecord& g = got.Record(p, o);
            const DspChannelRecord& s = sent.Record(p, o);
            for (int k = 0; k < kBandCount; ++k) {
                EXPECT_NEAR(g.EQGain[k], s.EQGain[k], 1e-4) << "band " << k;
                EXPECT_EQ(g.btmskSel[k], s.btmskSel[k]) << "band " << k;
            }
            // The band filters are the ones designed from the gains as received.
            DspChannelRecord recomputed = g;
            dsp::ComputeEqBands(&recomputed);
            EXPECT_EQ(std::memcmp(recomputed.eqSections, g.eqSections, sizeof g.eqSections), 0);
            EXPECT_EQ(g.EQOff, s.EQOff);
            EXPECT_EQ(g.EQLink, s.EQLink);

            const CrossoverParams& gx = g.crossover;
            const CrossoverParams& sx = s.crossover;
            EXPECT_EQ(gx.FilterType, sx.FilterType);
            EXPECT_EQ(gx.FilterModel, sx.FilterModel);
            EXPECT_EQ(gx.LPFreq, sx.LPFreq);
            EXPECT_EQ(gx.HPFreq, sx.HPFreq);
            EXPECT_EQ(gx.LFSlope, sx.LFSlope);
            EXPECT_EQ(gx.HFSlope, sx.HFSlope);
            EXPECT_EQ(gx.bInvPhase, sx.bInvPhase);
            EXPECT_EQ(gx.bXoLink, sx.bXoLink);
            EXPECT_EQ(gx.typeMenuId, sx.typeMenuId);
            EXPECT_EQ(gx.lpFreqMenuId, sx.lpFreqMenuId);
            EXPECT_EQ(gx.lfSlopeMenuId, sx.lfSlopeMenuId);
            EXPECT_EQ(gx.hpFreqMenuId, sx.hpFreqMenuId);
            EXPECT_EQ(gx.hfSlopeMenuId, sx.hfSlopeMenuId);
            EXPECT_EQ(gx.familyMenuId, sx.familyMenuId);
            ASSERT_EQ(gx.sectionCount, sx.sectionCount);
            EXPECT_EQ(std::memcmp(got.Sections(p, o).section.data(), sent.Sections(p, o).section.data(),
                                  sizeof(BiquadSection) * static_cast<size_t>(gx.sectionCount)),
                      0);
            EXPECT_EQ(gx.delay, sx.delay);
            EXPECT_EQ(gx.distance, sx.distance);
            EXPECT_EQ(gx.delayTrim, sx.delayTrim);
        }
    }
}

void ReadBackInto(TuningModel& m, const sim::TuningStore& device) {
    for (const devlink::Frame& f : device.ReadAllFrames()) {
        ASSERT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
        EXPECT_EQ(ParseTuningMessage(m, f.data(), f.size()), 1) << msgtest::ToHex(f);
    }
}

}  // namespace

TEST(TuningStoreRoundTrip, FullWriteThenReadBack) {
    TuningModel edited;
    EditEverything(edited);
    edited.MarkAllDirty();
    edited.SetMuteDirty();
    edited.SetListeningPointDirty();

    RecordingLink link;
    std::ostringstream log;
    EXPECT_EQ(edited.SendPendingChanges(link.sender, &log), 1);
    sim::TuningStore device;
    for (const devlink::Frame& f : link.frames)
        EXPECT_TRUE(device.Apply(f.data(), f.size())) << msgtest::ToHex(f);
    EXPECT_EQ(device.MuteMask(), 0x24);

    TuningModel fresh;
    ReadBackInto(fresh, device);
    ExpectSameReadBack(fresh, edited);
}

TEST(TuningStoreRoundTrip, SingleEditsReachTheDevice) {
    // After a full write, an edit of one band, one switch and one flag sends only those.
    TuningModel edited;
    EditEverything(edited);
    edited.MarkAllDirty();
    edited.SetListeningPointDirty();
    RecordingLink link;
    edited.SendPendingChanges(link.sender, nullptr);
    sim::TuningStore device;
    for (const devlink::Frame& f : link.frames) device.Apply(f.data(), f.size());

    edited.Record(2, 6).EQGain[12] = 9.5f;
    edited.DesignRecord(2, 6);
    edited.SetDirty(2, 6, kDirtyBand0 + 12);
    edited.Record(1, 3).btmskSel[7] ^= 1;
    edited.SetDirty(1, 3, kDirtyBandMask);
    edited.Record(3, 0).EQOff ^= 1;
    edited.SetDirty(3, 0, kDirtyEqOff);
    link.Clear();
    EXPECT_EQ(edited.SendPendingChanges(link.sender, nullptr), 1);
    EXPECT_EQ(link.Commands(), "xsv");
    for (const devlink::Frame& f : link.frames) EXPECT_TRUE(device.Apply(f.data(), f.size()));

    TuningModel fresh;
    ReadBackInto(fresh, device);
    ExpectSameReadBack(fresh, edited);
}

TEST(TuningStore, IgnoresWhatTheDeviceWouldNot) {
    sim::TuningStore device;
    const auto before = device.ReadAllFrames();
    DspChannelRecord r{};
    r.EQGain[0] = 6.0f;
    devlink::Frame badChecksum = BuildEqMessage(0, r, 0);
    badChecksum.back() ^= 1;
    devlink::Frame badPreset = BuildEqMessage(0, r, 4);
    devlink::Frame badChannel = BuildEqOffMessage(8, 1, 0);
    CrossoverParams x{};
    x.sectionCount = 1;
    CrossoverSections sections;
    sections.section[0] = IdentitySection();
    devlink::Frame shortCrossover = BuildCrossoverMessage(0, 0, x, sections);
    shortCrossover[7] = 2;  // claims more sections than the frame holds
    devlink::SealFrame(shortCrossover);
    for (const devlink::Frame* f : {&badChecksum, &badPreset, &badChannel, &shortCrossover})
        EXPECT_FALSE(device.Apply(f->data(), f->size())) << msgtest::ToHex(*f);
    const devlink::Frame identify = devlink::BuildSimpleFrame(devlink::kNodeDsp,
                                                              devlink::DeviceCommand::Identify);
    EXPECT_FALSE(device.Apply(identify.data(), identify.size()));
    EXPECT_EQ(device.ReadAllFrames(), before);
}

TEST(TuningStore, BlankDeviceReadsBackAsFullRangeFlat) {
    // A read-back from a device that was never written: every crossover frame has a section
    // (a frame without one would be too short to be read).
    sim::TuningStore device;
    const auto frames = device.ReadAllFrames();
    ASSERT_EQ(frames.size(), 4u * 8u * 3u + 1u);
    for (const auto& f : frames) {
        EXPECT_EQ(f[0], devlink::kNodePc);
        EXPECT_EQ(f[1], devlink::kNodeDsp);
        if (f[4] == 0x74) {
            EXPECT_EQ(f.size(), 43u);
        }
    }
    EXPECT_EQ(msgtest::ToHex(sim::TuningStore::ReadAllDone()), "5A 46 00 07 93 01 3B");
    TuningModel m;
    ReadBackInto(m, device);
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            EXPECT_EQ(m.Record(p, o).crossover.FilterType, kFullRange);
            EXPECT_EQ(m.Record(p, o).crossover.sectionCount, 1);
            EXPECT_EQ(m.Record(p, o).EQGain[5], 0.0f);
        }
}
