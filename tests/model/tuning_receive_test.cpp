#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "frame_helpers.h"
#include "link/bytes.h"
#include "model/tables.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"
#include "model/tuning_receive.h"

using namespace model;
using devlink::Frame;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A frame as the device sends it: to the PC, from the DSP unit.
Frame FromDevice(Frame f) {
    if (f.size() < 2) return f;
    f[0] = devlink::kNodePc;
    f[1] = devlink::kNodeDsp;
    devlink::SealFrame(f);
    return f;
}

// Everything a received frame could change, as raw bytes.
std::vector<uint8_t> Snapshot(const TuningModel& m) {
    std::vector<uint8_t> s;
    auto add = [&](const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        s.insert(s.end(), b, b + n);
    };
    for (int p = 0; p < kPresetCount; ++p) {
        add(&m.Preset(p), sizeof(DspPreset));
        for (int o = 0; o < kChannelCount; ++o) add(&m.Sections(p, o), sizeof(CrossoverSections));
        const int32_t lp = m.ListeningPoint(p);
        add(&lp, sizeof lp);
    }
    return s;
}

bool AnyFlag(const TuningModel& m) {
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o)
            for (int f = 0; f < kDirtyFlagCount; ++f)
                if (m.IsDirty(p, o, f)) return true;
    return m.IsMuteDirty() || m.IsListeningPointDirty();
}

int Offer(TuningModel& m, const Frame& f) { return ParseTuningMessage(m, f.data(), f.size()); }

// An 's' frame with the given linear gains (the rest 1.0).
Frame EqFrame(int preset, int channel, std::initializer_list<std::pair<int, float>> gains,
              uint32_t mask = 0, uint8_t eqOff = 0, uint8_t eqLink = 0) {
    DspChannelRecord r{};
    Frame f = BuildEqMessage(channel, r, preset);
    for (auto [k, g] : gains) devlink::PutF32LE(&f[7 + 4 * k], g);
    devlink::PutU32LE(&f[131], mask);
    f[135] = eqOff;
    f[136] = eqLink;
    return FromDevice(f);
}

struct XoFields {
    uint8_t type = kHighPass, model = kButterworth;
    float lp = 400, hp = 2000;
    uint8_t lfSlope = 24, hfSlope = 24, inv = 1, link = 0;
};

// A 't' frame with n sections of junk (the parser must not read them) and the given fields.
Frame CrossoverFrame(int preset, int channel, int n, const XoFields& x) {
    Frame f = devlink::NewFrame(devlink::kNodePc, devlink::DeviceCommand::Crossover,
                                CrossoverMessageLength(n));
    f[5] = static_cast<uint8_t>(preset);
    f[6] = static_cast<uint8_t>(channel);
    f[7] = static_cast<uint8_t>(n);
    for (int i = 8; i < 20 * n + 8; ++i) f[i] = 0xFF;  // NaN coefficients
    const size_t k = 20 * n + 8;
    f[k] = x.type;
    f[k + 1] = x.model;
    devlink::PutF32LE(&f[k + 2], x.lp);
    devlink::PutF32LE(&f[k + 6], x.hp);
    f[k + 10] = x.lfSlope;
    f[k + 11] = x.hfSlope;
    f[k + 12] = x.inv;
    f[k + 13] = x.link;
    return FromDevice(f);
}

Frame DelayFrame(int preset, int channel, const char* bytes7to14) {
    Frame f = msgtest::Hex("5A 46 00 10 75 00 00 " + std::string(bytes7to14) + " 00");
    f[5] = static_cast<uint8_t>(preset);
    f[6] = static_cast<uint8_t>(channel);
    return FromDevice(f);
}

Frame Resized(Frame f, size_t length) {
    f.resize(length, 0);
    devlink::PutU16BE(&f[2], static_cast<uint16_t>(length));
    return FromDevice(f);
}

}  // namespace

TEST(ReceiveEq, GainsInDbSwitchesFlagsAndSections) {
    TuningModel m;
    const Frame f = EqFrame(2, 5, {{0, 1.0f}, {3, 10.0f}, {17, 0.5f}, {30, 0.1f}},
                            (1u << 0) | (1u << 30) | (1u << 31), 1, 0);
    EXPECT_EQ(Offer(m, f), 1);
    const DspChannelRecord& r = m.Record(2, 5);
    EXPECT_NEAR(r.EQGain[0], 0.0f, 1e-6);
    EXPECT_NEAR(r.EQGain[3], 20.0f, 1e-5);
    EXPECT_NEAR(r.EQGain[17], -6.0206f, 1e-4);
    EXPECT_NEAR(r.EQGain[30], -20.0f, 1e-5);
    EXPECT_EQ(r.btmskSel[0], 1u);
    EXPECT_EQ(r.btmskSel[1], 0u);
    EXPECT_EQ(r.btmskSel[30], 1u);
    EXPECT_EQ(r.EQOff, 1u);
    EXPECT_EQ(r.EQLink, 0u);
    // The band filters follow the new gains.
    DspChannelRecord expected = r;
    dsp::ComputeEqBands(&expected);
    EXPECT_EQ(std::memcmp(expected.eqSections, r.eqSections, sizeof r.eqSections), 0);
    EXPECT_NE(r.eqSections[3].b[0], r.eqSections[3].a[0]);  // no longer flat
    // Other records are untouched, and nothing is to be sent back.
    EXPECT_EQ(m.Record(2, 4).EQGain[3], 0.0f);
    EXPECT_FALSE(AnyFlag(m));
}

// Received factors become 20 log10(factor) dB; the references were worked out to 40 digits outside
// the program, for factors no slider makes as well as ordinary ones.
TEST(ReceiveEq, FactorsBecomeDecibels) {
    const struct {
        float factor;
        double dB;
    } cases[] = {
        {1.5f, 3.5218251811136248}, {3.0f, 9.5424250943932487},   {1e-3f, -59.999999587442390},
        {0.999f, -0.0086901235410320750}, {1e-30f, -599.99999997245638}, {3e38f, 769.54242511031088},
        {1e-40f, -800.00004681610305},
    };
    for (const auto& c : cases) {
        TuningModel m;
        ASSERT_EQ(Offer(m, EqFrame(1, 2, {{9, c.factor}})), 1);
        EXPECT_FLOAT_EQ(m.Record(1, 2).EQGain[9], static_cast<float>(c.dB)) << c.factor;
    }
}

TEST(ReceiveEq, NonPositiveGainKeepsThatBand) {
    TuningModel m;
    m.Record(0, 1).EQGain[4] = 3.0f;
    m.Record(0, 1).EQGain[5] = -2.0f;
    EXPECT_EQ(Offer(m, EqFrame(0, 1, {{4, 0.0f}, {5, -1.0f}, {6, 2.0f}})), 1);
    EXPECT_EQ(m.Record(0, 1).EQGain[4], 3.0f);
    EXPECT_EQ(m.Record(0, 1).EQGain[5], -2.0f);
    EXPECT_NEAR(m.Record(0, 1).EQGain[6], 6.0206f, 1e-4);
    for (int k = 0; k < kBandCount; ++k) EXPECT_TRUE(std::isfinite(m.Record(0, 1).eqSections[k].b[0]));
}

TEST(ReceiveCrossover, FieldsAfterTheSectionsMenuIdsAndDesign) {
    TuningModel m;
    const XoFields x;  // Butterworth 24 dB high pass at 2000 Hz, inverted, unlinked
    const Frame f = CrossoverFrame(1, 6, 2, x);
    ASSERT_EQ(f.size(), 63u);
    EXPECT_EQ(f[48], kHighPass);  // FilterType at byte 48, bXoLink at byte 61
    EXPECT_EQ(Offer(m, f), 1);

    const CrossoverParams& c = m.Record(1, 6).crossover;
    EXPECT_EQ(c.FilterType, kHighPass);
    EXPECT_EQ(c.FilterModel, kButterworth);
    EXPECT_EQ(c.LPFreq, 400.0f);
    EXPECT_EQ(c.HPFreq, 2000.0f);
    EXPECT_EQ(c.LFSlope, 24.0f);
    EXPECT_EQ(c.HFSlope, 24.0f);
    EXPECT_EQ(c.bInvPhase, 1u);
    EXPECT_EQ(c.bXoLink, 0u);
    EXPECT_EQ(c.typeMenuId, kIdHighPass);
    EXPECT_EQ(c.familyMenuId, kIdButterworth);
    EXPECT_EQ(c.hpFreqMenuId, static_cast<uint32_t>(GetFrequencyMenuId(FindFrequencyIndex(2000, -1))));
    EXPECT_EQ(c.hfSlopeMenuId, kIdSlope6 + 3);

    // Designed by the model, not copied from the frame's (junk) sections.
    CrossoverParams expectedBlock = c;
    CrossoverSections expected;
    ASSERT_EQ(dsp::DesignCrossover(expectedBlock, expected), 1);
    EXPECT_EQ(c.sectionCount, 3);
    EXPECT_EQ(std::memcmp(&expected, &m.Sections(1, 6), sizeof expected), 0);
    // Delay words are not the crossover frame's business.
    EXPECT_EQ(c.distance, 0);
    EXPECT_FALSE(AnyFlag(m));
}

TEST(ReceiveCrossover, UnusedFrequencyKeptAsReceived) {
    // A low pass does not use HPFreq: an odd value there is stored, so switching back shows it.
    TuningModel m;
    XoFields x;
    x.type = kLowPass;
    x.model = kLinkwitz;
    x.lp = 700;     // not in the choice table: the old id stays
    x.hp = 30000;   // beyond any filter, but unused
    x.lfSlope = 12;
    const uint32_t oldLpId = m.Record(0, 0).crossover.lpFreqMenuId;
    EXPECT_EQ(Offer(m, CrossoverFrame(0, 0, 1, x)), 1);
    EXPECT_EQ(m.Record(0, 0).crossover.LPFreq, 700.0f);
    EXPECT_EQ(m.Record(0, 0).crossover.HPFreq, 30000.0f);
    EXPECT_EQ(m.Record(0, 0).crossover.lpFreqMenuId, oldLpId);
    EXPECT_EQ(m.Record(0, 0).crossover.sectionCount, 2);
}

TEST(ReceiveCrossover, RefusedByTheDesignKeepsTheSections) {
    // Crossing band-pass edges are stored as the device holds them; the sections stay as they were.
    TuningModel m;
    const CrossoverSections before = m.Sections(0, 1);
    const int count = m.Record(0, 1).crossover.sectionCount;
    XoFields x;
    x.type = kBandPass;
    x.model = kLinkwitz;
    x.lp = 5000;
    x.hp = 500;
    x.lfSlope = 12;
    EXPECT_EQ(Offer(m, CrossoverFrame(0, 1, 2, x)), 1);
    EXPECT_EQ(m.Record(0, 1).crossover.LPFreq, 5000.0f);
    EXPECT_EQ(m.Record(0, 1).crossover.sectionCount, count);
    EXPECT_EQ(std::memcmp(&before, &m.Sections(0, 1), sizeof before), 0);
}

TEST(ReceiveDelay, BigEndianSigned) {
    TuningModel m;
    EXPECT_EQ(Offer(m, DelayFrame(3, 2, "01 2C 02 F4 FF FF FF FC")), 1);
    EXPECT_EQ(m.Record(3, 2).crossover.delay, 300);
    EXPECT_EQ(m.Record(3, 2).crossover.distance, 756);
    EXPECT_EQ(m.Record(3, 2).crossover.delayTrim, -4);
    // 16-bit values are taken as signed numbers.
    EXPECT_EQ(Offer(m, DelayFrame(3, 2, "FF FF 80 00 00 01 00 00")), 1);
    EXPECT_EQ(m.Record(3, 2).crossover.delay, -1);
    EXPECT_EQ(m.Record(3, 2).crossover.distance, -32768);
    EXPECT_EQ(m.Record(3, 2).crossover.delayTrim, 65536);
    EXPECT_FALSE(AnyFlag(m));
}

TEST(ReceiveListeningPoints, UnpackedPerPresetWithoutFlag) {
    TuningModel m;
    EXPECT_EQ(Offer(m, FromDevice(msgtest::Hex("5A 46 00 07 96 39 00"))), 1);
    EXPECT_EQ(m.ListeningPoint(0), 1);
    EXPECT_EQ(m.ListeningPoint(1), 2);
    EXPECT_EQ(m.ListeningPoint(2), 3);
    EXPECT_EQ(m.ListeningPoint(3), 0);
    EXPECT_FALSE(m.IsListeningPointDirty());
}

// Frames of the tuning's kinds that must be taken from the queue and change nothing.
TEST(Receive, TakenAndIgnored) {
    XoFields slope54;
    slope54.lfSlope = 54;
    XoFields hfSlope60;
    hfSlope60.type = kLowPass;
    hfSlope60.hfSlope = 60;
    XoFields lpZero;
    lpZero.type = kLowPass;
    lpZero.lp = 0;
    XoFields hpNyquist;
    hpNyquist.hp = 24000;
    XoFields bpNegative;
    bpNegative.type = kBandPass;
    bpNegative.lp = -100;
    XoFields unusedNaN;
    unusedNaN.type = kLowPass;
    unusedNaN.hp = kNaN;
    XoFields usedInf;
    usedInf.hp = kInf;

    Frame tTooShortForN = CrossoverFrame(0, 0, 2, XoFields{});
    tTooShortForN[7] = 3;  // 3 sections need 83 bytes

    Frame liveCurve = Resized(EqFrame(0, 0, {}), devlink::kLiveEqCurveLength);
    liveCurve[4] = 0x74;
    liveCurve = FromDevice(liveCurve);

    const struct Case {
        const char* what;
        Frame frame;
    } cases[] = {
        {"'s' of 137 bytes", Resized(EqFrame(0, 0, {{3, 10.0f}}), 137)},
        {"'s' of 139 bytes", Resized(EqFrame(0, 0, {{3, 10.0f}}), 139)},
        {"'s' preset 4", EqFrame(4, 0, {{3, 10.0f}})},
        {"'s' channel 8", EqFrame(0, 8, {{3, 10.0f}})},
        {"'s' NaN gain", EqFrame(0, 0, {{3, 10.0f}, {9, kNaN}})},
        {"'s' infinite gain", EqFrame(0, 0, {{3, 10.0f}, {9, kInf}})},
        {"'t' of 42 bytes", Resized(CrossoverFrame(0, 0, 1, XoFields{}), 42)},
        {"'t' shorter than its sections", tTooShortForN},
        {"'t' live equaliser curve", liveCurve},
        {"'t' preset 7", CrossoverFrame(7, 0, 1, XoFields{})},
        {"'t' channel 200", CrossoverFrame(0, 200, 1, XoFields{})},
        {"'t' LF slope 54", CrossoverFrame(0, 0, 1, slope54)},
        {"'t' unused HF slope 60", CrossoverFrame(0, 0, 1, hfSlope60)},
        {"'t' low pass at 0 Hz", CrossoverFrame(0, 0, 1, lpZero)},
        {"'t' high pass at 24000 Hz", CrossoverFrame(0, 0, 1, hpNyquist)},
        {"'t' band pass from -100 Hz", CrossoverFrame(0, 0, 1, bpNegative)},
        {"'t' unused NaN frequency", CrossoverFrame(0, 0, 1, unusedNaN)},
        {"'t' infinite frequency", CrossoverFrame(0, 0, 1, usedInf)},
        {"'u' of 15 bytes", Resized(DelayFrame(0, 0, "01 2C 02 F4 FF FF FF FC"), 15)},
        {"'u' preset 4", DelayFrame(4, 0, "01 2C 02 F4 FF FF FF FC")},
        {"'u' channel 8", DelayFrame(0, 8, "01 2C 02 F4 FF FF FF FC")},
        {"0x96 of 8 bytes", FromDevice(msgtest::Hex("5A 46 00 08 96 39 00 00"))},
        {"0xA3 input configuration", Resized(FromDevice(msgtest::Hex("5A 46 00 07 A3 01 00")), 20)},
    };
    for (const Case& c : cases) {
        TuningModel m;
        const auto before = Snapshot(m);
        EXPECT_EQ(Offer(m, c.frame), 1) << c.what;
        EXPECT_EQ(Snapshot(m), before) << c.what;
        EXPECT_FALSE(AnyFlag(m)) << c.what;
    }
}

TEST(Receive, NotTheTuningsFrames) {
    TuningModel m;
    const auto before = Snapshot(m);
    const struct Case {
        const char* what;
        Frame frame;
    } cases[] = {
        {"6-byte 's'", FromDevice(msgtest::Hex("5A 46 00 06 73 00"))},
        {"EQ off is never received", FromDevice(msgtest::Hex("5A 46 00 09 76 00 00 01 00"))},
        {"routing", Resized(FromDevice(msgtest::Hex("5A 46 00 07 A4 00 00")), 46)},
        {"preset select", FromDevice(msgtest::Hex("5A 46 00 07 7D 01 00"))},
        {"read-all done", FromDevice(msgtest::Hex("5A 46 00 07 93 01 00"))},
    };
    for (const Case& c : cases) EXPECT_EQ(Offer(m, c.frame), 0) << c.what;
    EXPECT_EQ(ParseTuningMessage(m, nullptr, 138), 0);
    EXPECT_EQ(Snapshot(m), before);
}

TEST(Receive, WhatTheBuildersSendReadsBack) {
    // Every field of 's', 't' and 'u' survives a trip through the frame into another model.
    TuningModel sent;
    DspChannelRecord& r = sent.Record(3, 4);
    for (int k = 0; k < kBandCount; ++k) {
        r.EQGain[k] = -12.0f + 0.75f * static_cast<float>(k);
        r.btmskSel[k] = k % 3 == 0;
    }
    r.EQOff = 1;
    r.EQLink = 0;
    r.crossover.FilterType = kBandPass;
    r.crossover.FilterModel = kButterworth;
    r.crossover.LPFreq = 250;
    r.crossover.HPFreq = 3500;
    r.crossover.LFSlope = 36;
    r.crossover.HFSlope = 18;
    r.crossover.bInvPhase = 1;
    r.crossover.bXoLink = 0;
    r.crossover.delay = 1000;
    r.crossover.distance = 56;
    r.crossover.delayTrim = -900;
    CrossoverToMenuIds(&r.crossover);
    ASSERT_EQ(sent.DesignRecord(3, 4), 1);

    TuningModel got;
    EXPECT_EQ(Offer(got, FromDevice(BuildEqMessage(4, r, 3))), 1);
    EXPECT_EQ(Offer(got, FromDevice(BuildCrossoverMessage(4, 3, r.crossover, sent.Sections(3, 4)))), 1);
    EXPECT_EQ(Offer(got, FromDevice(BuildDelayMessage(4, r.crossover, 3))), 1);

    const DspChannelRecord& g = got.Record(3, 4);
    for (int k = 0; k < kBandCount; ++k) {
        EXPECT_NEAR(g.EQGain[k], r.EQGain[k], 1e-4) << k;
        EXPECT_EQ(g.btmskSel[k], r.btmskSel[k]) << k;
    }
    EXPECT_EQ(g.EQOff, 1u);
    EXPECT_EQ(g.EQLink, 0u);
    CrossoverParams a = g.crossover, b = r.crossover;
    a.sectionArray = b.sectionArray = 0;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    EXPECT_EQ(std::memcmp(&got.Sections(3, 4), &sent.Sections(3, 4),
                          sizeof(BiquadSection) * static_cast<size_t>(g.crossover.sectionCount)),
              0);
}
