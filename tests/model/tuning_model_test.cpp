#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/tables.h"
#include "model/tuning_model.h"

using namespace model;

namespace {

class RecordingObserver : public TuningObserver {
public:
    bool ViewsReady() override { return ready; }
    void SpeakerAssigned(int output, int position, int kind, int variant, uint32_t amp) override {
        calls.push_back("assign " + std::to_string(output) + " " + std::to_string(position) + " " +
                        std::to_string(kind) + " " + std::to_string(variant) + " " +
                        std::to_string(amp));
    }
    void ResetCrossoverPanel() override { calls.push_back("panel"); }
    void ResetDisplaySwitches() override { calls.push_back("switches"); }
    void ClearChartCurves() override { calls.push_back("chart"); }
    void ShowListeningPoint(int p) override { calls.push_back("lp " + std::to_string(p)); }
    void RefreshPages() override { calls.push_back("refresh"); }
    void WorkingModeChanged(uint32_t mode) override { calls.push_back("mode " + std::to_string(mode)); }
    void ShowCrossover(int o) override { calls.push_back("crossover " + std::to_string(o)); }
    void ShowEqualiser(int o) override { calls.push_back("eq " + std::to_string(o)); }
    void EqualiserCurveChanged(int o) override { calls.push_back("eq curve " + std::to_string(o)); }
    void PresetSelected(int p) override { calls.push_back("selected " + std::to_string(p)); }
    void ClearSpeakers() override { calls.push_back("clear speakers"); }
    void AssignmentLoaded(int p) override { calls.push_back("loaded " + std::to_string(p)); }
    void LevelIconChanged(int o, int, int, int) override { calls.push_back("icon " + std::to_string(o)); }
    void ChannelStatesChanged() override { calls.push_back("states"); }
    void FullWriteRequested() override { calls.push_back("full write"); }

    bool ready = true;
    std::vector<std::string> calls;
};

struct Expected {
    int position, kind, type;
    float lp, hp;
};

// The default tuning: woofers LP 500, midranges BP 500..5000, tweeters HP 5000, subwoofers LP 150.
constexpr Expected kDefaultTuning[kChannelCount] = {
    {kFrontLeft, kWoofer, kLowPass, 500, 80},       {kFrontLeft, kMidrange, kBandPass, 500, 5000},
    {kFrontLeft, kTweeter, kHighPass, 16000, 5000}, {kFrontRight, kWoofer, kLowPass, 500, 80},
    {kFrontRight, kMidrange, kBandPass, 500, 5000}, {kFrontRight, kTweeter, kHighPass, 16000, 5000},
    {kSubwooferSpot, kSubwooferL, kLowPass, 150, 6000},
    {kSubwooferSpot, kSubwooferR, kLowPass, 150, 6000},
};

uint32_t FreqId(float f) { return static_cast<uint32_t>(GetFrequencyMenuId(FindFrequencyIndex(f, -1))); }

// Clears the outputs so that one position can be laid out by hand.
void ClearOutputs(TuningModel& m) {
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord& r = m.Record(p, o);
            r.output = r.position = r.kind = kUnassigned;
        }
}

void Place(TuningModel& m, int output, int position, int kind, int variant = 0) {
    for (int p = 0; p < kPresetCount; ++p) {
        m.Record(p, output).passiveVariant = variant;
    }
    m.SetDefaultChannelCrossover(output, position, kind);
}

}  // namespace

TEST(TuningModel, FreshModelHasTheDefaultTuningInEveryPreset) {
    TuningModel m;
    for (int p = 0; p < kPresetCount; ++p) {
        for (int o = 0; o < kChannelCount; ++o) {
            SCOPED_TRACE("preset " + std::to_string(p) + " output " + std::to_string(o));
            const DspChannelRecord& r = m.Record(p, o);
            const Expected& e = kDefaultTuning[o];
            EXPECT_EQ(r.inUse, 1u);
            EXPECT_EQ(r.output, o);
            EXPECT_EQ(r.position, e.position);
            EXPECT_EQ(r.kind, e.kind);
            const CrossoverParams& x = r.crossover;
            EXPECT_EQ(x.FilterType, e.type);
            EXPECT_EQ(x.typeMenuId, 40013u + e.type);
            EXPECT_EQ(x.LPFreq, e.lp);
            EXPECT_EQ(x.HPFreq, e.hp);
            EXPECT_EQ(x.lpFreqMenuId, FreqId(e.lp));
            EXPECT_EQ(x.hpFreqMenuId, FreqId(e.hp));
            EXPECT_EQ(x.LFSlope, 12.0f);
            EXPECT_EQ(x.HFSlope, 12.0f);
            EXPECT_EQ(x.lfSlopeMenuId, 40018u);
            EXPECT_EQ(x.hfSlopeMenuId, 40018u);
            EXPECT_EQ(x.FilterModel, kLinkwitz);
            EXPECT_EQ(x.familyMenuId, 40026u);
            EXPECT_EQ(x.distance, 0);
            EXPECT_EQ(x.delay, 0);
            EXPECT_EQ(x.delayTrim, 0);
            EXPECT_EQ(x.bXoLink, 1u);
            EXPECT_EQ(x.bInvPhase, 0u);
            EXPECT_EQ(x.sectionArray, 0u);
            EXPECT_EQ(r.EQLink, 1u);
            EXPECT_EQ(r.EQOff, 0u);
            EXPECT_EQ(r.amplifier, 0u);
            EXPECT_EQ(r.passiveVariant, 0);
            EXPECT_EQ(r.reserved, 0u);
            for (int k = 0; k < kBandCount; ++k) {
                EXPECT_EQ(r.EQGain[k], 0.0f);
                EXPECT_EQ(r.btmskSel[k], 0u);
            }
            for (int f = 0; f < kDirtyFlagCount; ++f) EXPECT_FALSE(m.IsDirty(p, o, f));
        }
        EXPECT_EQ(m.ListeningPoint(p), 0);
    }
    EXPECT_EQ(m.CurrentPreset(), 0);
    EXPECT_EQ(m.AssignedCount(), 8);
    EXPECT_EQ(m.WorkingMode(), 1u);
    EXPECT_TRUE(m.DirtyTracking());
    EXPECT_FALSE(m.Connected());
    EXPECT_FALSE(m.IsChanged());
    EXPECT_FALSE(m.IsMuteDirty());
    EXPECT_FALSE(m.IsListeningPointDirty());
    for (int o = 0; o < kChannelCount; ++o) EXPECT_EQ(m.Mute(o), 0u);
    EXPECT_EQ(m.Ways(kFrontLeft), 3);
    EXPECT_EQ(m.Ways(kSubwooferSpot), 2);
    EXPECT_EQ(m.Ways(kCenter), 0);
}

TEST(TuningModel, AssignChannelReportsAndCounts) {
    RecordingObserver obs;
    TuningModel m(&obs);
    ASSERT_EQ(obs.calls.size(), 8u);
    EXPECT_EQ(obs.calls[0], "assign 0 0 1 0 0");
    EXPECT_EQ(obs.calls[6], "assign 6 4 6 0 0");
    EXPECT_EQ(obs.calls[7], "assign 7 4 4 0 0");

    // All eight handed out.
    EXPECT_EQ(m.AssignChannel(kCenter, kFull, -1, 0, 0, 1), 0);

    m.ResetAssignedCount();
    obs.calls.clear();
    EXPECT_EQ(m.AssignChannel(kCenter, kFull, -1, 2, 1, 0), 1);
    EXPECT_EQ(obs.calls, std::vector<std::string>{"assign 0 1 0 2 1"});
    EXPECT_EQ(m.Record(0, 0).kind, kWoofer) << "without defaults the record is left alone";
    EXPECT_EQ(m.AssignChannel(kCenter, kFull, 5, 0, 0, 1), 1);
    EXPECT_EQ(m.Record(3, 5).position, kCenter);
    EXPECT_EQ(m.Record(3, 5).crossover.FilterType, kFullRange);
    EXPECT_EQ(m.AssignedCount(), 2);

    struct Bad {
        int position, kind, output;
    } bad[] = {{-1, 0, -1}, {0, -1, -1}, {12, 0, -1}, {0, 12, -1}, {0, 0, 8}, {0, 0, -2}};
    for (const Bad& b : bad)
        EXPECT_EQ(m.AssignChannel(b.position, b.kind, b.output, 0, 0, 1), 0)
            << b.position << "," << b.kind << "," << b.output;
    EXPECT_EQ(m.AssignChannel(11, 11, -1, 0, 0, 0), 1);  // the upper bound is accepted
    EXPECT_EQ(m.AssignedCount(), 3);

    obs.ready = false;
    EXPECT_EQ(m.AssignChannel(kCenter, kFull, -1, 0, 0, 1), 0);
    EXPECT_EQ(m.AssignedCount(), 3);
}

TEST(TuningModel, DefaultChannelCrossoverFollowsThePositionsLayout) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> others;  // (position, kind) on outputs 1.. before the test
        int position, kind, variant;
        int type;
        float lp, hp;
    } cases[] = {
        {"full", {}, kFrontLeft, kFull, 0, kFullRange, 50, 100},
        {"side woofer", {}, kRearLeft, kWoofer, 0, kLowPass, 5000, 80},
        {"lone front woofer", {}, kFrontLeft, kWoofer, 0, kHighPass, 5000, 100},
        {"two-way front woofer", {{kFrontLeft, kTweeter}}, kFrontLeft, kWoofer, 0, kLowPass, 5000, 80},
        {"front woofer with midrange", {{kFrontLeft, kMidrange}}, kFrontLeft, kWoofer, 0, kLowPass, 500, 80},
        {"three-way front woofer", {{kFrontLeft, kTweeter}, {kFrontLeft, kFull}}, kFrontLeft, kWoofer, 0,
         kLowPass, 500, 80},
        {"mid with woofer, pair left", {{kFrontLeft, kWoofer}}, kFrontLeft, kMidrange, 3, kHighPass, 14000, 500},
        {"mid with woofer, pair right", {{kFrontRight, kWoofer}}, kFrontRight, kMidrange, 7, kHighPass, 14000, 500},
        {"mid with woofer", {{kFrontLeft, kWoofer}}, kFrontLeft, kMidrange, 1, kBandPass, 500, 16000},
        {"mid with tweeter", {{kFrontLeft, kTweeter}}, kFrontLeft, kMidrange, 0, kBandPass, 100, 5000},
        {"lone mid", {}, kRearRight, kMidrange, 0, kHighPass, 5000, 100},
        {"three-way mid", {{kFrontLeft, kWoofer}, {kFrontLeft, kTweeter}}, kFrontLeft, kMidrange, 0,
         kBandPass, 500, 5000},
        {"side tweeter", {}, kCenter, kTweeter, 0, kHighPass, 80, 5000},
        {"lone front tweeter", {}, kFrontRight, kTweeter, 0, kHighPass, 16000, 100},
        {"two-way front tweeter", {{kFrontRight, kWoofer}}, kFrontRight, kTweeter, 0, kHighPass, 16000, 5000},
        {"subwoofer R", {}, kSubwooferSpot, kSubwooferR, 0, kLowPass, 150, 6000},
        {"subwoofer", {}, kSubwooferSpot, kSubwoofer, 0, kLowPass, 150, 6000},
        {"subwoofer L", {}, kSubwooferSpot, kSubwooferL, 0, kLowPass, 150, 6000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TuningModel m;
        ClearOutputs(m);
        int output = 1;
        for (auto [position, kind] : c.others) Place(m, output++, position, kind);
        // Leave traces that the defaults must not touch.
        for (int p = 0; p < kPresetCount; ++p) {
            DspChannelRecord& r = m.Record(p, 0);
            r.crossover.distance = 40 + p;
            r.crossover.bInvPhase = 1;
            r.btmskSel[3] = 1;
            r.EQGain[5] = 3.0f;
            r.amplifier = 1;
        }
        Place(m, 0, c.position, c.kind, c.variant);
        for (int p = 0; p < kPresetCount; ++p) {
            const DspChannelRecord& r = m.Record(p, 0);
            EXPECT_EQ(r.crossover.FilterType, c.type) << "preset " << p;
            EXPECT_EQ(r.crossover.typeMenuId, 40013u + c.type);
            EXPECT_EQ(r.crossover.LPFreq, c.lp);
            EXPECT_EQ(r.crossover.HPFreq, c.hp);
            EXPECT_EQ(r.crossover.lpFreqMenuId, FreqId(c.lp));
            EXPECT_EQ(r.crossover.hpFreqMenuId, FreqId(c.hp));
            EXPECT_EQ(r.crossover.distance, 40 + p);
            EXPECT_EQ(r.crossover.bInvPhase, 1u);
            EXPECT_EQ(r.btmskSel[3], 1u);
            EXPECT_EQ(r.amplifier, 1u);
            EXPECT_EQ(r.EQGain[5], 0.0f);
            EXPECT_EQ(r.passiveVariant, c.variant);
        }
    }
}

TEST(TuningModel, DefaultChannelCrossoverIgnoresOutputsOutOfRange) {
    TuningModel m;
    const DspChannelRecord before = m.Record(0, 0);
    m.SetDefaultChannelCrossover(8, kCenter, kFull);
    m.SetDefaultChannelCrossover(-1, kCenter, kFull);
    EXPECT_EQ(std::memcmp(&before, &m.Record(0, 0), sizeof before), 0);
}

TEST(TuningModel, CurrentPresetDefault) {
    RecordingObserver obs;
    TuningModel m(&obs);
    m.SetCurrentPreset(2);
    for (int p = 0; p < kPresetCount; ++p) m.SetListeningPointValue(p, 3);
    for (int o = 0; o < kChannelCount; ++o) {
        m.Record(2, o).EQGain[0] = 6.0f;
        m.Record(2, o).crossover.FilterModel = kButterworth;
        m.Record(2, o).crossover.LFSlope = 48.0f;
    }
    m.Record(2, 7).output = kUnassigned;  // not assigned: left alone
    obs.calls.clear();

    m.SetDefaultCrossovers(-1);  // the current preset
    EXPECT_EQ(obs.calls, (std::vector<std::string>{"panel", "switches", "chart", "lp 0", "refresh"}));
    const Expected expected[] = {
        {kFrontLeft, kWoofer, kLowPass, 300, 6000},     {kFrontLeft, kMidrange, kBandPass, 300, 4000},
        {kFrontLeft, kTweeter, kHighPass, 300, 4000},   {kFrontRight, kWoofer, kLowPass, 300, 6000},
        {kFrontRight, kMidrange, kBandPass, 300, 4000}, {kFrontRight, kTweeter, kHighPass, 300, 4000},
        {kSubwooferSpot, kSubwooferL, kLowPass, 150, 6000},
    };
    for (int o = 0; o < 7; ++o) {
        const CrossoverParams& x = m.Record(2, o).crossover;
        EXPECT_EQ(x.FilterType, expected[o].type) << o;
        EXPECT_EQ(x.LPFreq, expected[o].lp) << o;
        EXPECT_EQ(x.HPFreq, expected[o].hp) << o;
        EXPECT_EQ(x.hpFreqMenuId, FreqId(expected[o].hp)) << o;
        EXPECT_EQ(x.FilterModel, kLinkwitz);
        EXPECT_EQ(x.LFSlope, 12.0f);
        EXPECT_EQ(m.Record(2, o).EQGain[0], 0.0f);
    }
    EXPECT_EQ(m.Record(2, 7).EQGain[0], 6.0f);
    EXPECT_EQ(m.ListeningPoint(2), 0);
    EXPECT_EQ(m.ListeningPoint(1), 3);
    EXPECT_EQ(m.Record(1, 0).crossover.LPFreq, 500.0f) << "other presets are untouched";

    // A full-range speaker and another preset than the current one.
    m.Record(1, 0).kind = kFull;
    obs.calls.clear();
    m.SetDefaultCrossovers(1);
    EXPECT_EQ(m.Record(1, 0).crossover.FilterType, kFullRange);
    EXPECT_EQ(m.Record(1, 0).crossover.LPFreq, 300.0f);
    EXPECT_EQ(obs.calls, (std::vector<std::string>{"panel", "switches", "chart", "refresh"}));
    EXPECT_EQ(m.ListeningPoint(1), 0);

    // Nothing assigned: nothing reset, nothing refreshed.
    for (int o = 0; o < kChannelCount; ++o) m.Record(3, o).kind = kUnassigned;
    obs.calls.clear();
    m.SetDefaultCrossovers(3);
    EXPECT_TRUE(obs.calls.empty());
}

TEST(TuningModel, DirtyFlagsOnlyWhileTracking) {
    TuningModel m;
    m.SetDirty(1, 2, kDirtyCrossover);
    EXPECT_TRUE(m.IsDirty(1, 2, kDirtyCrossover));
    EXPECT_TRUE(m.TakeDirty(1, 2, kDirtyCrossover));
    EXPECT_FALSE(m.TakeDirty(1, 2, kDirtyCrossover));

    m.SetOnline(0);
    m.SetDirty(1, 2, kDirtyDelay);
    m.SetMuteDirty();
    m.SetListeningPointDirty();
    EXPECT_FALSE(m.IsDirty(1, 2, kDirtyDelay));
    EXPECT_FALSE(m.IsMuteDirty());
    EXPECT_FALSE(m.IsListeningPointDirty());

    m.SetOnline(1);
    m.SetMuteDirty();
    EXPECT_TRUE(m.TakeMuteDirty());
    EXPECT_FALSE(m.IsMuteDirty());
    // Indices out of range are ignored rather than written past the flags.
    m.SetDirty(4, 0, 0);
    m.SetDirty(0, 8, 0);
    m.SetDirty(0, 0, kDirtyFlagCount);
}

TEST(TuningModel, EveryPresetIsDesignedAndSectionsLiveOutsideTheRecords) {
    TuningModel m;
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            // Linkwitz 12 dB everywhere: one first-order section designed, then repeated; a band
            // pass likewise.
            EXPECT_EQ(m.Record(p, o).crossover.sectionCount, 2) << p << "," << o;
            const CrossoverSections& s = m.Sections(p, o);
            EXPECT_EQ(s.section[0].b[0], s.section[1].b[0]);
            EXPECT_NE(s.section[0].a[1], 0.0);
            // The equaliser is flat: b equals a in every band.
            for (int k = 0; k < kBandCount; ++k)
                EXPECT_NEAR(m.Record(p, o).eqSections[k].b[2], m.Record(p, o).eqSections[k].a[2], 1e-15);
        }
    // A whole-record copy neither shares nor carries sections.
    const double before = m.Sections(1, 0).section[0].b[1];
    m.Sections(0, 0).section[0].b[1] = 0.25;
    m.Record(1, 0) = m.Record(0, 0);
    EXPECT_EQ(m.Sections(1, 0).section[0].b[1], before);
    EXPECT_EQ(m.Record(1, 0).crossover.sectionArray, 0u);
}

TEST(TuningModel, ResetGivesFourFullSpeakersInStandardMode) {
    TuningModel m;
    m.SetCurrentPreset(2);
    m.SetWorkingModeValue(0);
    m.SetListeningPointValue(1, 3);
    m.SetMuteValue(4, 1);
    m.SetChanged(1);
    m.SetDirty(0, 0, kDirtyCrossover);
    m.Record(3, 6).EQGain[2] = 5.0f;
    m.ResetToDefaults();
    EXPECT_EQ(m.CurrentPreset(), 0);
    EXPECT_EQ(m.WorkingMode(), 1u);
    EXPECT_EQ(m.ListeningPoint(1), 0);
    EXPECT_EQ(m.Mute(4), 0u);
    EXPECT_FALSE(m.IsChanged());
    EXPECT_FALSE(m.IsDirty(0, 0, kDirtyCrossover));
    EXPECT_EQ(m.AssignedCount(), 4);
    const int positions[] = {kFrontLeft, kFrontRight, kRearLeft, kRearRight};
    for (int p = 0; p < kPresetCount; ++p) {
        for (int o = 0; o < 4; ++o) {
            const DspChannelRecord& r = m.Record(p, o);
            EXPECT_EQ(r.output, o);
            EXPECT_EQ(r.position, positions[o]);
            EXPECT_EQ(r.kind, kFull);
            EXPECT_EQ(r.crossover.FilterType, kFullRange);
            EXPECT_EQ(r.crossover.sectionCount, 1);
        }
        for (int o = 4; o < kChannelCount; ++o) {
            EXPECT_FALSE(IsAssigned(m.Record(p, o)));
            EXPECT_EQ(m.Record(p, o).EQGain[2], 0.0f);
            EXPECT_EQ(m.Record(p, o).EQLink, 1u);
        }
    }
}
