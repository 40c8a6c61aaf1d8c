// A tuning unlike the defaults in every field the device keeps, and the comparison of a tuning
// read back from the device with the one that was sent.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dsp/eq.h"
#include "model/tables.h"
#include "model/tuning_model.h"

namespace msgtest {

using namespace model;

// A tuning unlike the defaults in every field the device keeps.
inline void EditEverything(TuningModel& m) {
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
inline void ExpectSameReadBack(const TuningModel& got, const TuningModel& sent) {
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

}  // namespace msgtest
