#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "link/bytes.h"
#include "model/tuning_model.h"
#include "test_support.h"

using namespace model;
using filetest::RecordingView;

namespace {

// The sections of every record of a preset equal a fresh design of its parameters.
void ExpectDesigned(TuningModel& m, int preset) {
    for (int o = 0; o < kChannelCount; ++o) {
        SCOPED_TRACE("preset " + std::to_string(preset) + " output " + std::to_string(o));
        DspChannelRecord r = m.Record(preset, o);
        CrossoverSections want;
        dsp::DesignCrossover(r.crossover, want);
        dsp::ComputeEqBands(&r);
        const int count = m.Record(preset, o).crossover.sectionCount;
        EXPECT_EQ(count, r.crossover.sectionCount);
        for (int s = 0; s < count; ++s)
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(m.Sections(preset, o).section[s].b[i], want.section[s].b[i], 1e-12);
                EXPECT_NEAR(m.Sections(preset, o).section[s].a[i], want.section[s].a[i], 1e-12);
            }
        for (int k = 0; k < kBandCount; ++k)
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(m.Record(preset, o).eqSections[k].b[i], r.eqSections[k].b[i], 1e-12);
    }
}

void Scramble(TuningModel& m, int preset) {
    for (int o = 0; o < kChannelCount; ++o) {
        for (auto& s : m.Sections(preset, o).section) s.b[0] = s.a[1] = 42.0;
        for (auto& s : m.Record(preset, o).eqSections) s.b[0] = 42.0;
    }
}

bool AnyDirty(const TuningModel& m) {
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o)
            for (int f = 0; f < kDirtyFlagCount; ++f)
                if (m.IsDirty(p, o, f)) return true;
    return false;
}

std::vector<uint8_t> EqCurveFrame(int output, const float (&gain)[kBandCount]) {
    std::vector<uint8_t> f(131, 0);
    f[0] = 0x5A;
    f[1] = 0x46;
    f[2] = 0;
    f[3] = 131;
    f[4] = 0x74;
    f[5] = static_cast<uint8_t>(output);
    for (int k = 0; k < kBandCount; ++k) devlink::PutF32LE(&f[6 + 4 * k], gain[k]);
    unsigned sum = 0;
    for (size_t i = 0; i < 130; ++i) sum += f[i];
    f[130] = static_cast<uint8_t>(sum);
    return f;
}

}  // namespace

TEST(SelectPreset, ShowsAndDesignsTheNewPresetWithoutMarkingAnything) {
    RecordingView view;
    TuningModel m(&view);
    m.SetListeningPointValue(2, 3);
    Scramble(m, 2);
    view.calls.clear();

    m.SelectPreset(0);
    m.SelectPreset(4);
    m.SelectPreset(-1);
    EXPECT_TRUE(view.calls.empty()) << "the current preset again, or none";

    m.SelectPreset(2);
    EXPECT_EQ(m.CurrentPreset(), 2);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"reset panel", "clear chart", "refresh",
                                                    "selected 2", "listening 3", "channel states"}));
    ExpectDesigned(m, 2);
    EXPECT_TRUE(m.DirtyTracking());
    EXPECT_FALSE(AnyDirty(m));

    m.SetOnline(0);
    m.SelectPreset(1);
    EXPECT_FALSE(m.DirtyTracking()) << "tracking stays as it was";
}

TEST(CopyPreset, CopiesRecordsAndListeningPointAndDesignsTheCopy) {
    RecordingView view;
    TuningModel m(&view);
    DspChannelRecord& src = m.Record(1, 3);
    src.EQGain[7] = 4.5f;
    src.crossover.LPFreq = 1200;
    src.crossover.FilterModel = kButterworth;
    src.crossover.LFSlope = 36;
    src.crossover.distance = 99;
    m.SetListeningPointValue(1, 2);
    m.DesignPreset(1);
    Scramble(m, 0);
    view.calls.clear();

    m.CopyPreset(1, 0);
    for (int o = 0; o < kChannelCount; ++o) {
        DspChannelRecord a = m.Record(0, o), b = m.Record(1, o);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << o;
    }
    EXPECT_EQ(m.ListeningPoint(0), 2);
    ExpectDesigned(m, 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"reset panel", "reset switches", "clear chart",
                                                    "refresh", "channel states", "listening 2"}));

    // Any other source gives the destination its defaults; a destination out of range is ignored.
    m.CopyPreset(-1, 0);
    EXPECT_EQ(m.Record(0, 3).EQGain[7], 0.0f);
    EXPECT_EQ(m.Record(0, 3).crossover.LPFreq, 300.0f);
    EXPECT_EQ(m.ListeningPoint(0), 0);
    ExpectDesigned(m, 0);
    const DspChannelRecord before = m.Record(1, 3);
    m.CopyPreset(0, 4);
    m.CopyPreset(0, -1);
    EXPECT_EQ(std::memcmp(&before, &m.Record(1, 3), sizeof before), 0);
}

TEST(ApplyConfiguration, BuildsTheDefaultTuningOfTheNewLayout) {
    RecordingView view;
    TuningModel m(&view);
    m.SetMuteValue(4, 1);
    m.SetListeningPointValue(3, 2);
    m.SetCurrentPreset(1);
    m.SetConnected(1);

    std::vector<OutputAssignment> table = {
        {0, kRearLeft, kFull, 1, 5},    {1, kRearRight, kFull, 0, 5}, {8, kCenter, kFull, 0},
        {2, kFrontLeft, kWoofer, 0, 5}, {4, 12, kFull, 0},            {5, kCenter, -1, 0},
        {3, kFrontLeft, kTweeter, 1, 5},
    };
    table.resize(kConfigurationEntries, OutputAssignment{-1, -1, -1, 0});
    table.push_back({7, kCenter, kFull, 0});  // past the entries looked at
    view.calls.clear();
    m.ApplyConfiguration(table);

    EXPECT_EQ(m.CurrentPreset(), 1);
    EXPECT_EQ(m.AssignedCount(), 4);
    EXPECT_EQ(m.Mute(4), 0u);
    EXPECT_EQ(m.ListeningPoint(3), 0);
    for (int p = 0; p < kPresetCount; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(m.Record(p, 0).position, kRearLeft);
        EXPECT_EQ(m.Record(p, 0).amplifier, 1u);
        EXPECT_EQ(m.Record(p, 0).passiveVariant, 5);
        EXPECT_EQ(m.Record(p, 0).crossover.FilterType, kFullRange);
        EXPECT_EQ(m.Record(p, 2).crossover.FilterType, kLowPass);  // two-way front woofer
        EXPECT_EQ(m.Record(p, 2).crossover.LPFreq, 5000.0f);
        EXPECT_EQ(m.Record(p, 3).crossover.FilterType, kHighPass);
        EXPECT_EQ(m.Record(p, 3).crossover.HPFreq, 5000.0f);
        for (int o : {4, 5, 6, 7}) {
            EXPECT_FALSE(IsAssigned(m.Record(p, o))) << o;
            EXPECT_EQ(m.Record(p, o).EQLink, 1u) << "Standard mode links";
        }
        ExpectDesigned(m, p);
    }
    EXPECT_TRUE(view.Saw("assign 3 0 3 5 1"));
    EXPECT_TRUE(view.Saw("selected 1"));
    EXPECT_EQ(view.calls.back(), "full write");
    EXPECT_TRUE(m.DirtyTracking());
    EXPECT_FALSE(AnyDirty(m));

    // Expert mode leaves the links cleared; not connected, nothing is written.
    m.SetWorkingModeValue(0);
    m.SetConnected(0);
    view.calls.clear();
    m.ApplyConfiguration(table);
    EXPECT_EQ(m.Record(0, 7).EQLink, 0u);
    EXPECT_FALSE(view.Saw("full write"));

    // Without the views nothing happens.
    view.ready = false;
    view.calls.clear();
    m.ApplyConfiguration({});
    EXPECT_TRUE(view.calls.empty());
    EXPECT_TRUE(IsAssigned(m.Record(0, 0)));
}

TEST(ApplyDeviceConfiguration, ReassignsAndKeepsTheReceivedTuning) {
    RecordingView view;
    TuningModel m(&view);
    m.Record(2, 5).EQGain[3] = -4.0f;
    m.Record(2, 5).crossover.distance = 250;
    m.SetMuteValue(1, 1);
    m.SetOnline(0);
    const std::vector<OutputAssignment> table = {{5, kRearRight, kFull, 1}, {9, kCenter, kFull, 0}};
    m.ApplyDeviceConfiguration(table);

    EXPECT_EQ(m.Mute(1), 0u);
    EXPECT_EQ(m.AssignedCount(), 1);
    EXPECT_FALSE(m.DirtyTracking()) << "not changed";
    for (int p = 0; p < kPresetCount; ++p) {
        for (int o = 0; o < kChannelCount; ++o) {
            const DspChannelRecord& r = m.Record(p, o);
            EXPECT_EQ(IsAssigned(r), o == 5) << p << " " << o;
            EXPECT_EQ(r.inUse, o == 5 ? 1u : 0u);
        }
        EXPECT_EQ(m.Record(p, 5).position, kRearRight);
        EXPECT_EQ(m.Record(p, 5).amplifier, 1u);
    }
    EXPECT_EQ(m.Record(2, 5).EQGain[3], -4.0f);
    EXPECT_EQ(m.Record(2, 5).crossover.distance, 250);
    EXPECT_EQ(m.Record(2, 5).crossover.FilterType, kHighPass) << "the tuning is kept";
    EXPECT_FALSE(view.Saw("full write"));
}

TEST(ApplyEqCurve, TakesALiveCurveIntoTheChannelAndItsLinkedPartner) {
    RecordingView view;
    TuningModel m(&view);
    float gain[kBandCount];
    for (int k = 0; k < kBandCount; ++k) gain[k] = 1.0f;
    gain[0] = 10.0f;
    gain[17] = 0.5f;
    view.calls.clear();
    EXPECT_EQ(m.ApplyEqCurve(EqCurveFrame(1, gain)), 1);

    for (int o : {1, 4}) {  // the front-left midrange and, linked, the front-right one
        SCOPED_TRACE(o);
        const DspChannelRecord& r = m.Record(0, o);
        EXPECT_NEAR(r.EQGain[0], 20.0f, 1e-5);
        EXPECT_NEAR(r.EQGain[17], -6.0206f, 1e-4);
        EXPECT_EQ(r.EQGain[5], 0.0f);
        for (int k = 0; k < kBandCount; ++k) EXPECT_TRUE(m.IsDirty(0, o, kDirtyBand0 + k)) << k;
        BiquadSection want = IdentitySection();
        dsp::ComputeEqBand(&want, 10.0, 0);
        EXPECT_NEAR(r.eqSections[0].b[0], want.b[0], 1e-6);
        EXPECT_NEAR(r.eqSections[0].a[2], want.a[2], 1e-6);
    }
    EXPECT_EQ(view.calls, (std::vector<std::string>{"show eq 1", "eq curve 1"}));
    EXPECT_FALSE(m.IsDirty(0, 0, kDirtyBand0));

    // Without the link the partner stays as it was.
    m.Record(0, 2).EQLink = 0;
    EXPECT_EQ(m.ApplyEqCurve(EqCurveFrame(2, gain)), 1);
    EXPECT_NEAR(m.Record(0, 2).EQGain[0], 20.0f, 1e-5);
    EXPECT_EQ(m.Record(0, 5).EQGain[0], 0.0f);
}

TEST(ApplyEqCurve, OtherFramesAreLeftAndUnusableCurvesChangeNothing) {
    TuningModel m;
    float gain[kBandCount];
    for (float& g : gain) g = 2.0f;
    auto frame = EqCurveFrame(0, gain);

    const std::vector<uint8_t> shorter(frame.begin(), frame.end() - 1);
    auto longer = frame;
    longer.push_back(0);
    auto other = frame;
    other[4] = 0x73;
    EXPECT_EQ(m.ApplyEqCurve(shorter), 0) << "a crossover frame of another length";
    EXPECT_EQ(m.ApplyEqCurve(longer), 0);
    EXPECT_EQ(m.ApplyEqCurve(other), 0);
    EXPECT_EQ(m.ApplyEqCurve({}), 0);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        int output;
        int band;
        float value;
    } cases[] = {
        {"output 8", 8, 0, 2.0f},  {"output 255", 255, 0, 2.0f}, {"gain 0", 0, 30, 0.0f},
        {"negative gain", 0, 3, -1.0f}, {"NaN gain", 0, 0, nan},  {"infinite gain", 0, 9, inf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float g[kBandCount];
        std::memcpy(g, gain, sizeof g);
        g[c.band] = c.value;
        EXPECT_EQ(m.ApplyEqCurve(EqCurveFrame(c.output, g)), 1) << "taken";
        for (int o = 0; o < kChannelCount; ++o) {
            EXPECT_EQ(m.Record(0, o).EQGain[0], 0.0f) << o;
            EXPECT_FALSE(m.IsDirty(0, o, kDirtyBand0)) << o;
        }
    }
}

TEST(EditRecompute, MarksOnlyWhatWasDesignedAndOnlyWhileTracking) {
    TuningModel m;
    m.Record(0, 2).EQGain[4] = 3.0f;
    m.SetEqBandGain(2, 4);
    EXPECT_TRUE(m.IsDirty(0, 2, kDirtyBand0 + 4));
    EXPECT_FALSE(m.IsDirty(0, 2, kDirtyBand0 + 5));
    m.SetEqBandGain(2, 31);
    m.SetEqBandGain(2, -3);
    m.SetEqBandGain(8, -1);
    EXPECT_FALSE(m.IsDirty(0, 2, kDirtyBand0 + 30));
    m.SetEqBandGain(2, -2);
    EXPECT_TRUE(m.IsDirty(0, 2, kDirtyBand0 + 30));

    EXPECT_EQ(m.UpdateCrossoverCoefficients(2), 1);
    EXPECT_TRUE(m.IsDirty(0, 2, kDirtyCrossover));
    // A band pass whose edges cross cannot be designed: not marked, sections kept.
    m.Record(0, 1).crossover.LPFreq = 6000;
    const BiquadSection kept = m.Sections(0, 1).section[0];
    EXPECT_EQ(m.UpdateCrossoverCoefficients(1), 0);
    EXPECT_FALSE(m.IsDirty(0, 1, kDirtyCrossover));
    EXPECT_EQ(m.Sections(0, 1).section[0].b[0], kept.b[0]);
    EXPECT_EQ(m.UpdateCrossoverCoefficients(8), 0);

    m.SetOnline(0);
    m.SetEqBandGain(3, -1);
    m.UpdateCrossoverCoefficients(3);
    EXPECT_FALSE(m.IsDirty(0, 3, kDirtyBand0));
    EXPECT_FALSE(m.IsDirty(0, 3, kDirtyCrossover));
}
