#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "model/frequency_steps.h"
#include "model/tables.h"
#include "model/tuning_model.h"
#include "test_support.h"

using namespace model;

namespace {

uint32_t Id(float f) { return static_cast<uint32_t>(GetFrequencyMenuId(FindFrequencyIndex(f, -1))); }

// Every output unassigned in every preset, so that a position can be laid out by hand.
void ClearLayout(TuningModel& m) {
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord& r = m.Record(p, o);
            r.output = r.position = r.kind = kUnassigned;
        }
}

struct Xo {
    int type;
    float lp, hp;
};

void Place(TuningModel& m, int output, int position, int kind, Xo x) {
    for (int p = 0; p < kPresetCount; ++p) {
        DspChannelRecord& r = m.Record(p, output);
        r.output = output;
        r.position = position;
        r.kind = kind;
        r.inUse = 1;
        CrossoverParams& c = r.crossover;
        c.FilterType = x.type;
        c.typeMenuId = static_cast<uint32_t>(FilterTypeMenuId(x.type));
        c.LPFreq = x.lp;
        c.HPFreq = x.hp;
        c.lpFreqMenuId = Id(x.lp);
        c.hpFreqMenuId = Id(x.hp);
    }
}

void ExpectXo(const TuningModel& m, int output, Xo x, int preset = 0) {
    const CrossoverParams& c = m.Record(preset, output).crossover;
    EXPECT_EQ(c.FilterType, x.type) << "output " << output;
    EXPECT_EQ(c.LPFreq, x.lp) << "output " << output;
    EXPECT_EQ(c.HPFreq, x.hp) << "output " << output;
    if (FindFrequencyIndex(x.lp, -1) >= 0) {
        EXPECT_EQ(c.lpFreqMenuId, Id(x.lp)) << "output " << output;
    }
    if (FindFrequencyIndex(x.hp, -1) >= 0) {
        EXPECT_EQ(c.hpFreqMenuId, Id(x.hp)) << "output " << output;
    }
}

CrossoverParams PanelFrom(const TuningModel& m, int output, Xo x) {
    CrossoverParams c = m.Record(m.CurrentPreset(), output).crossover;
    c.FilterType = x.type;
    c.typeMenuId = static_cast<uint32_t>(FilterTypeMenuId(x.type));
    c.LPFreq = x.lp;
    c.HPFreq = x.hp;
    c.lpFreqMenuId = Id(x.lp);
    c.hpFreqMenuId = Id(x.hp);
    return c;
}

}  // namespace

TEST(MirrorChannel, PairsLeftAndRightOfTheSameKind) {
    TuningModel m;  // FL W M T on 0..2, FR W M T on 3..5, Subwoofer L on 6, Subwoofer R on 7
    struct Case {
        int output, mirror;
    } cases[] = {{0, 3}, {1, 4}, {2, 5}, {5, 2}, {6, 7}, {7, 6}, {-1, -1}, {8, -1}};
    for (const Case& c : cases) EXPECT_EQ(m.FindMirrorChannel(c.output), c.mirror) << c.output;
    EXPECT_EQ(m.GetMirrorChannel(2), 5);

    ClearLayout(m);
    Place(m, 0, kRearLeft, kFull, {kFullRange, 50, 100});
    Place(m, 1, kRearRight, kFull, {kFullRange, 50, 100});
    Place(m, 2, kCenter, kWoofer, {kLowPass, 500, 80});
    Place(m, 3, kSubwooferSpot, kSubwoofer, {kLowPass, 150, 6000});
    Place(m, 4, kFrontLeft, kTweeter, {kHighPass, 16000, 5000});  // no front-right tweeter
    EXPECT_EQ(m.FindMirrorChannel(0), 1);
    EXPECT_EQ(m.FindMirrorChannel(1), 0);
    EXPECT_EQ(m.FindMirrorChannel(2), -1) << "the center has no partner";
    EXPECT_EQ(m.FindMirrorChannel(3), -1) << "neither has the plain subwoofer";
    EXPECT_EQ(m.FindMirrorChannel(4), -1);
    EXPECT_EQ(m.FindMirrorChannel(5), -1) << "unassigned";
}

TEST(Delays, FollowTheFarthestSpeakerAndKeepTrimsInRange) {
    TuningModel m;
    ClearLayout(m);
    Place(m, 0, kFrontLeft, kFull, {kFullRange, 50, 100});
    Place(m, 1, kFrontRight, kFull, {kFullRange, 50, 100});
    Place(m, 2, kRearLeft, kFull, {kFullRange, 50, 100});
    Place(m, 3, kRearRight, kFull, {kFullRange, 50, 100});
    auto x = [&](int o) -> CrossoverParams& { return m.Record(1, o).crossover; };
    x(0).distance = 0;
    x(1).distance = 400;
    x(2).distance = 1200;
    x(3).distance = 1200;
    x(3).delay = 0;
    x(1).delayTrim = -1000;  // delay 800: becomes -800
    x(2).delayTrim = 1100;   // delay 0: becomes 1056
    x(0).delayTrim = 50;     // delay 1056: becomes 0
    m.Record(1, 5).crossover.distance = 100000;  // unassigned: does not count

    EXPECT_EQ(m.ComputeDelaysFromDistances(1, 1), 1);
    EXPECT_EQ(x(0).delay, 1056) << "1200 - 0, clamped";
    EXPECT_EQ(x(1).delay, 800);
    EXPECT_EQ(x(2).delay, 0);
    EXPECT_EQ(x(1).delayTrim, -800);
    EXPECT_EQ(x(2).delayTrim, 1056);
    EXPECT_EQ(x(0).delayTrim, 0);
    for (int o = 0; o < 3; ++o) EXPECT_TRUE(m.IsDirty(1, o, kDirtyDelay)) << o;
    EXPECT_FALSE(m.IsDirty(1, 3, kDirtyDelay)) << "output 3 did not change";
    EXPECT_FALSE(m.IsDirty(0, 1, kDirtyDelay)) << "another preset";

    // Nothing left to change: 0 for the output, whose flag is set all the same.
    m.TakeDirty(1, 3, kDirtyDelay);
    EXPECT_EQ(m.ComputeDelaysFromDistances(1, 3), 0);
    EXPECT_TRUE(m.IsDirty(1, 3, kDirtyDelay));

    // A trim of -50 on a delay of 20 becomes -20.
    x(3).distance = 1180;
    x(3).delayTrim = -50;
    EXPECT_EQ(m.ComputeDelaysFromDistances(1, 3), 1);
    EXPECT_EQ(x(3).delay, 20);
    EXPECT_EQ(x(3).delayTrim, -20);

    // Distances as a file may hold them do not overflow.
    x(0).distance = INT32_MIN;
    x(2).distance = INT32_MAX;
    m.ComputeDelaysFromDistances(1, 0);
    EXPECT_EQ(x(0).delay, 1056);
    EXPECT_EQ(x(2).delay, 0);

    EXPECT_EQ(m.ComputeDelaysFromDistances(4, 0), 0);
    EXPECT_EQ(m.ComputeDelaysFromDistances(-1, 0), 0);
}

TEST(FrequencySteps, OrderAndSeparateBandEdges) {
    struct Case {
        float lp, hp;
        float wantLp, wantHp;
        bool changed;
    } cases[] = {
        {5000, 500, 500, 5000, true},       // crossed: swapped
        {5000, 5000, 5000, 5500, true},     // equal: the upper edge takes the next entry
        {20000, 20000, 19000, 20000, true}, // at the top: the lower edge takes the entry below
        {500, 5000, 500, 5000, false},
        {700, 700, 700, 750, true},         // not in the list: its neighbour by value, not 10 Hz
        {25000, 25000, 20000, 25000, true},
        {5, 5, 5, 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lp) + " " + std::to_string(c.hp));
        CrossoverParams x{};
        x.LPFreq = c.lp;
        x.HPFreq = c.hp;
        x.lpFreqMenuId = 1111;
        x.hpFreqMenuId = 2222;
        EXPECT_EQ(OrderBandEdges(x), c.changed);
        EXPECT_EQ(x.LPFreq, c.wantLp);
        EXPECT_EQ(x.HPFreq, c.wantHp);
        if (c.lp > c.hp) {
            EXPECT_EQ(x.lpFreqMenuId, 2222u) << "ids travel with their values";
            EXPECT_EQ(x.hpFreqMenuId, 1111u);
        }
    }
    EXPECT_EQ(StepBelow(700), 650.0f);
    EXPECT_EQ(StepAbove(700), 750.0f);
    EXPECT_EQ(StepBelow(10), 3500.0f) << "off the end of the list";
    EXPECT_EQ(StepAbove(20000), 3500.0f);
}

TEST(CrossoverRules, TwoWayPositionsShareTheirCrossoverPoint) {
    struct Case {
        const char* what;
        int ownKind;
        Xo own;
        int partnerKind;
        Xo partner;
        Xo wantOwn, wantPartner;
        int result;
    } cases[] = {
        {"low pass sets the tweeter", kWoofer, {kLowPass, 800, 80}, kTweeter, {kHighPass, 16000, 5000},
         {kLowPass, 800, 80}, {kHighPass, 16000, 800}, 1},
        {"high pass sets the woofer", kTweeter, {kHighPass, 16000, 3000}, kWoofer, {kLowPass, 500, 80},
         {kHighPass, 16000, 3000}, {kLowPass, 3000, 80}, 1},
        {"already joined", kWoofer, {kLowPass, 500, 80}, kTweeter, {kHighPass, 16000, 500},
         {kLowPass, 500, 80}, {kHighPass, 16000, 500}, 0},
        {"crossed band pass, tweeter follows its top", kMidrange, {kBandPass, 5000, 500}, kTweeter,
         {kHighPass, 16000, 4000}, {kBandPass, 500, 5000}, {kHighPass, 16000, 5000}, 1},
        {"lower band pass joins the upper one", kWoofer, {kBandPass, 100, 2000}, kMidrange,
         {kBandPass, 500, 5000}, {kBandPass, 100, 2000}, {kBandPass, 2000, 5000}, 1},
        {"joined band pass left empty is separated", kWoofer, {kBandPass, 100, 6000}, kMidrange,
         {kBandPass, 500, 5000}, {kBandPass, 100, 6000}, {kBandPass, 6000, 6500}, 1},
        {"upper band pass orders the lower one only", kMidrange, {kBandPass, 500, 5000}, kWoofer,
         {kBandPass, 5000, 400}, {kBandPass, 500, 5000}, {kBandPass, 400, 5000}, 1},
        {"high pass sets the band pass top", kTweeter, {kHighPass, 16000, 4000}, kMidrange,
         {kBandPass, 500, 3000}, {kHighPass, 16000, 4000}, {kBandPass, 500, 4000}, 1},
        {"low pass sets the band pass bottom", kWoofer, {kLowPass, 800, 80}, kMidrange,
         {kBandPass, 500, 5000}, {kLowPass, 800, 80}, {kBandPass, 800, 5000}, 1},
        {"band pass sets the woofer", kMidrange, {kBandPass, 300, 4000}, kWoofer, {kLowPass, 500, 80},
         {kBandPass, 300, 4000}, {kLowPass, 300, 80}, 1},
        {"a value off the list is shared as it is", kWoofer, {kLowPass, 700, 80}, kTweeter,
         {kHighPass, 16000, 5000}, {kLowPass, 700, 80}, {kHighPass, 16000, 700}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TuningModel m;
        ClearLayout(m);
        Place(m, 3, kRearLeft, c.ownKind, c.own);
        Place(m, 6, kRearLeft, c.partnerKind, c.partner);
        EXPECT_EQ(m.ApplyCrossoverRules(3, 2) != 0, c.result != 0);
        ExpectXo(m, 3, c.wantOwn, 2);
        ExpectXo(m, 6, c.wantPartner, 2);
        ExpectXo(m, 6, c.partner, 0);  // only the preset asked for
    }
}

TEST(CrossoverRules, AnOffListValueKeepsTheIdItCameWith) {
    TuningModel m;
    ClearLayout(m);
    Place(m, 0, kRearLeft, kWoofer, {kLowPass, 700, 80});
    Place(m, 1, kRearLeft, kTweeter, {kHighPass, 16000, 5000});
    m.Record(0, 0).crossover.lpFreqMenuId = 40055;
    m.ApplyCrossoverRules(0, 0);
    EXPECT_EQ(m.Record(0, 1).crossover.HPFreq, 700.0f);
    EXPECT_EQ(m.Record(0, 1).crossover.hpFreqMenuId, 40055u);
}

TEST(CrossoverRules, ThreeWayPositionsJoinAtTheMidrange) {
    TuningModel m;  // front left: woofer LP 500, midrange BP 500..5000, tweeter HP 5000
    m.Record(0, 1).crossover.LPFreq = 800;
    m.Record(0, 1).crossover.HPFreq = 8000;
    EXPECT_NE(m.ApplyCrossoverRules(1, 0), 0);
    ExpectXo(m, 0, {kLowPass, 800, 80});
    ExpectXo(m, 2, {kHighPass, 16000, 8000});
    EXPECT_EQ(m.ApplyCrossoverRules(0, 0), 0) << "joined already";

    // Band-pass outer ways join by their inner edges; a midrange with equal edges is separated first.
    ClearLayout(m);
    Place(m, 0, kFrontRight, kWoofer, {kBandPass, 50, 300});
    Place(m, 1, kFrontRight, kMidrange, {kBandPass, 1000, 1000});
    Place(m, 2, kFrontRight, kTweeter, {kBandPass, 4000, 20000});
    EXPECT_NE(m.ApplyCrossoverRules(2, 0), 0);
    ExpectXo(m, 1, {kBandPass, 1000, 1100});
    ExpectXo(m, 0, {kBandPass, 50, 1000});
    ExpectXo(m, 2, {kBandPass, 1100, 20000});

    // The tweeter the chain needs is missing.
    Place(m, 2, kFrontRight, kFull, {kFullRange, 50, 100});
    EXPECT_EQ(m.ApplyCrossoverRules(1, 0), 0);
}

TEST(CrossoverRules, ExpertModeAndOddArgumentsChangeNothing) {
    TuningModel m;
    m.Record(0, 1).crossover.LPFreq = 800;
    m.SetWorkingModeValue(0);
    EXPECT_EQ(m.ApplyCrossoverRules(1, 0), 0);
    EXPECT_EQ(m.Record(0, 0).crossover.LPFreq, 500.0f);
    const CrossoverParams panel = PanelFrom(m, 0, {kLowPass, 2000, 80});
    EXPECT_EQ(m.ApplyLinkedCrossovers(0, panel, 1), -1);
    EXPECT_EQ(m.Record(0, 0).crossover.LPFreq, 500.0f) << "Expert edits go through the page";

    m.SetWorkingModeValue(1);
    EXPECT_EQ(m.ApplyCrossoverRules(-1, 0), 0);
    EXPECT_EQ(m.ApplyCrossoverRules(8, 0), 0);
    EXPECT_EQ(m.ApplyLinkedCrossovers(8, panel, 1), -1);
    // A preset out of range means the current one.
    EXPECT_NE(m.ApplyCrossoverRules(1, 7), 0);
    EXPECT_EQ(m.Record(0, 0).crossover.LPFreq, 800.0f);
}

TEST(LinkedCrossovers, TwoWayEditsAreCorrectedAndShared) {
    struct Case {
        const char* what;
        int ownKind;
        Xo own;
        int nbKind;
        Xo nb;
        Xo panel;
        Xo wantOwn, wantNb;
        int result;  // 1 = the neighbour, -1 none
        bool corrected;
    } cases[] = {
        {"woofer to tweeter", kWoofer, {kLowPass, 500, 80}, kTweeter, {kHighPass, 16000, 500},
         {kLowPass, 2000, 80}, {kLowPass, 2000, 80}, {kHighPass, 16000, 2000}, 1, false},
        {"woofer above the top", kWoofer, {kLowPass, 500, 80}, kTweeter, {kHighPass, 16000, 500},
         {kLowPass, 25000, 80}, {kLowPass, 20000, 80}, {kHighPass, 16000, 20000}, 1, true},
        {"tweeter below the bottom", kTweeter, {kHighPass, 16000, 500}, kWoofer, {kLowPass, 500, 80},
         {kHighPass, 16000, 5}, {kHighPass, 16000, 10}, {kLowPass, 10, 80}, 1, true},
        {"woofer into the midrange's band", kWoofer, {kLowPass, 500, 80}, kMidrange,
         {kBandPass, 500, 5000}, {kLowPass, 6000, 80}, {kLowPass, 4750, 80}, {kBandPass, 4750, 5000},
         1, true},
        {"tweeter below the midrange's bottom", kTweeter, {kHighPass, 16000, 5000}, kMidrange,
         {kBandPass, 500, 5000}, {kHighPass, 16000, 300}, {kHighPass, 16000, 550},
         {kBandPass, 500, 550}, 1, true},
        {"lower band pass pushes the upper one", kWoofer, {kBandPass, 50, 500}, kMidrange,
         {kBandPass, 500, 5000}, {kBandPass, 50, 9000}, {kBandPass, 50, 4750}, {kBandPass, 4750, 5000},
         1, true},
        {"upper band pass pulls the lower one", kMidrange, {kBandPass, 500, 5000}, kWoofer,
         {kBandPass, 50, 500}, {kBandPass, 40, 5000}, {kBandPass, 60, 5000}, {kBandPass, 50, 60}, 1,
         true},
        {"band pass to the woofer", kMidrange, {kBandPass, 500, 5000}, kWoofer, {kLowPass, 500, 80},
         {kBandPass, 300, 5000}, {kBandPass, 300, 5000}, {kLowPass, 300, 80}, 1, false},
        {"band pass to the tweeter", kMidrange, {kBandPass, 500, 5000}, kTweeter,
         {kHighPass, 16000, 5000}, {kBandPass, 500, 7000}, {kBandPass, 500, 7000},
         {kHighPass, 16000, 7000}, 1, false},
        {"step off the list lands on 3500 Hz", kMidrange, {kBandPass, 500, 5000}, kWoofer,
         {kBandPass, 20000, 20000}, {kBandPass, 50, 5000}, {kBandPass, 3500, 5000},
         {kBandPass, 3500, 20000}, 1, true},
        {"a step from a value off the list goes to its neighbour", kWoofer, {kLowPass, 500, 80},
         kMidrange, {kBandPass, 100, 700}, {kLowPass, 800, 80}, {kLowPass, 650, 80},
         {kBandPass, 650, 700}, 1, true},
        {"no rule for two low passes", kWoofer, {kLowPass, 500, 80}, kTweeter, {kLowPass, 500, 80},
         {kLowPass, 600, 80}, {kLowPass, 600, 80}, {kLowPass, 500, 80}, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        filetest::RecordingView view;
        TuningModel m(&view);
        ClearLayout(m);
        Place(m, 2, kFrontLeft, c.ownKind, c.own);
        Place(m, 5, kFrontLeft, c.nbKind, c.nb);
        view.calls.clear();
        EXPECT_EQ(m.ApplyLinkedCrossovers(2, PanelFrom(m, 2, c.panel), 1), c.result == 1 ? 5 : -1);
        ExpectXo(m, 2, c.wantOwn);
        ExpectXo(m, 5, c.wantNb);
        EXPECT_EQ(view.Saw("show crossover 2"), c.corrected);
    }
}

TEST(LinkedCrossovers, ThreeWayEditsReachTheirNeighbours) {
    struct Case {
        const char* what;
        int output;
        Xo panel;
        Xo woofer, midrange, tweeter;
        int result;
    } cases[] = {
        {"midrange bottom moves the woofer", 1, {kBandPass, 800, 5000}, {kLowPass, 800, 80},
         {kBandPass, 800, 5000}, {kHighPass, 16000, 5000}, 0},
        {"midrange top moves the tweeter", 1, {kBandPass, 500, 8000}, {kLowPass, 500, 80},
         {kBandPass, 500, 8000}, {kHighPass, 16000, 8000}, 2},
        {"woofer into the midrange", 0, {kLowPass, 6000, 80}, {kLowPass, 4750, 80},
         {kBandPass, 4750, 5000}, {kHighPass, 16000, 5000}, 1},
        {"tweeter below the midrange", 2, {kHighPass, 16000, 400}, {kLowPass, 500, 80},
         {kBandPass, 500, 550}, {kHighPass, 16000, 550}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TuningModel m;  // front left woofer, midrange, tweeter on outputs 0, 1, 2
        EXPECT_EQ(m.ApplyLinkedCrossovers(c.output, PanelFrom(m, c.output, c.panel), 0), c.result);
        ExpectXo(m, 0, c.woofer);
        ExpectXo(m, 1, c.midrange);
        ExpectXo(m, 2, c.tweeter);
    }

    TuningModel m;
    // Unchanged type and frequencies: nothing to carry.
    EXPECT_EQ(m.ApplyLinkedCrossovers(1, m.Record(0, 1).crossover, 1), -1);
    // Without raw, the record keeps its distance, delay and trim; with raw it takes them.
    CrossoverParams panel = PanelFrom(m, 1, {kBandPass, 500, 8000});
    panel.distance = 77;
    panel.delayTrim = 3;
    m.ApplyLinkedCrossovers(1, panel, 0);
    EXPECT_EQ(m.Record(0, 1).crossover.distance, 0);
    EXPECT_EQ(m.Record(0, 1).crossover.delayTrim, 0);
    panel.HPFreq = 9000;
    m.ApplyLinkedCrossovers(1, panel, 1);
    EXPECT_EQ(m.Record(0, 1).crossover.distance, 77);
    EXPECT_EQ(m.Record(0, 1).crossover.delayTrim, 3);

    // A midrange needs both of its neighbours.
    Place(m, 2, kFrontLeft, kFull, {kFullRange, 50, 100});
    EXPECT_EQ(m.ApplyLinkedCrossovers(1, PanelFrom(m, 1, {kBandPass, 600, 5000}), 1), -1);
}

TEST(WorkingMode, ExpertOnlyStoresTheMode) {
    filetest::RecordingView view;
    TuningModel m(&view);
    m.Record(2, 0).crossover.FilterType = kHighPass;
    view.calls.clear();
    m.SetConfigMode(0);
    EXPECT_EQ(m.WorkingMode(), 0u);
    EXPECT_EQ(view.calls, std::vector<std::string>{"mode 0"});
    EXPECT_EQ(m.Record(2, 0).crossover.FilterType, kHighPass);
}

TEST(WorkingMode, StandardJoinsTheWaysOfEveryPosition) {
    filetest::RecordingView view;
    TuningModel m(&view);
    m.SetConfigMode(0);
    // Expert-mode edits that Standard mode must bring back into line, in preset C.
    DspChannelRecord* r[kChannelCount];
    for (int o = 0; o < kChannelCount; ++o) r[o] = &m.Record(2, o);
    r[0]->crossover.FilterType = kHighPass;  // woofer
    r[1]->crossover.FilterType = kLowPass;   // three-way midrange
    r[1]->crossover.LPFreq = 800;
    r[2]->crossover.FilterType = kLowPass;   // tweeter
    r[6]->crossover.FilterType = kBandPass;  // subwoofer L
    r[0]->EQGain[4] = 6.0f;                  // the first way's equaliser
    r[0]->EQOff = 1;
    r[3]->EQGain[4] = 6.0f;                  // the right side's first way, linked to it
    r[3]->EQOff = 1;
    r[1]->EQGain[4] = -3.0f;
    r[2]->EQLink = 0;
    r[0]->crossover.bXoLink = 1;
    r[1]->crossover.LFSlope = 24.0f;         // the midrange's crossover goes to its mirror
    r[4]->crossover.distance = 321;          // which keeps its own distance, delay and trim
    r[4]->crossover.delay = 12;
    r[4]->crossover.delayTrim = -2;
    view.calls.clear();

    m.SetConfigMode(1);
    EXPECT_EQ(m.WorkingMode(), 1u);
    ASSERT_FALSE(view.calls.empty());
    EXPECT_EQ(view.calls.front(), "mode 1");
    EXPECT_EQ(view.calls.back(), "refresh");

    EXPECT_EQ(r[0]->crossover.FilterType, kLowPass);
    EXPECT_EQ(r[0]->crossover.typeMenuId, 40014u);
    EXPECT_EQ(r[1]->crossover.FilterType, kBandPass);
    EXPECT_EQ(r[2]->crossover.FilterType, kHighPass);
    EXPECT_EQ(r[6]->crossover.FilterType, kLowPass);
    // The chain is joined at the midrange's edges.
    EXPECT_EQ(r[0]->crossover.LPFreq, 800.0f);
    EXPECT_EQ(r[2]->crossover.HPFreq, 5000.0f);
    // Every way of front left shares the woofer's equaliser and links.
    for (int o : {1, 2}) {
        EXPECT_EQ(r[o]->EQGain[4], 6.0f) << o;
        EXPECT_EQ(r[o]->EQOff, 1u) << o;
        EXPECT_EQ(r[o]->EQLink, 1u) << o;
    }
    // The front-right midrange took the front-left midrange's crossover but kept its distances.
    EXPECT_EQ(r[4]->crossover.LFSlope, 24.0f);
    EXPECT_EQ(r[4]->crossover.LPFreq, 800.0f);
    EXPECT_EQ(r[4]->crossover.distance, 321);
    EXPECT_EQ(r[4]->crossover.delay, 12);
    EXPECT_EQ(r[4]->crossover.delayTrim, -2);
    EXPECT_EQ(r[4]->EQGain[4], 6.0f) << "linked equaliser";

    // Preset C is not current, yet its sections match its new parameters.
    for (int o = 0; o < kChannelCount; ++o) {
        CrossoverParams x = r[o]->crossover;
        CrossoverSections expected;
        ASSERT_EQ(dsp::DesignCrossover(x, expected), 1) << o;
        EXPECT_EQ(r[o]->crossover.sectionCount, x.sectionCount) << o;
        for (int s = 0; s < x.sectionCount; ++s)
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(m.Sections(2, o).section[s].b[i], expected.section[s].b[i], 1e-12);
                EXPECT_NEAR(m.Sections(2, o).section[s].a[i], expected.section[s].a[i], 1e-12);
            }
    }
}

TEST(WorkingMode, TwoWayMidrangesFollowTheirPartner) {
    TuningModel m;
    ClearLayout(m);
    Place(m, 0, kRearLeft, kMidrange, {kHighPass, 500, 5000});
    Place(m, 1, kRearLeft, kTweeter, {kHighPass, 16000, 5000});
    Place(m, 2, kRearRight, kMidrange, {kLowPass, 500, 5000});
    Place(m, 3, kRearRight, kWoofer, {kLowPass, 500, 80});
    Place(m, 4, kCenter, kMidrange, {kHighPass, 500, 5000});
    m.SetConfigMode(1);
    EXPECT_EQ(m.Record(1, 0).crossover.FilterType, kLowPass) << "beside a tweeter";
    EXPECT_EQ(m.Record(1, 2).crossover.FilterType, kHighPass) << "beside a woofer";
    EXPECT_EQ(m.Record(1, 4).crossover.FilterType, kBandPass) << "alone";
    EXPECT_EQ(m.Record(1, 1).crossover.HPFreq, 500.0f) << "joined to the midrange's low pass";
}
