#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame_helpers.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"

using namespace model;
using msgtest::ExpectCrossoverFrame;
using msgtest::F32At;
using msgtest::Hex;
using msgtest::ToHex;

namespace {

DspChannelRecord FlatRecord() {
    DspChannelRecord r{};
    r.EQLink = 1;
    return r;
}

// Crossover sections written out from the textbook formulas (bilinear transform, 48 kHz), so that
// the frames below do not rest on the program's own filter design.
BiquadSection FirstOrderLowPass(double f) {
    const double k = std::tan(3.141592653589793 * f / 48000.0);
    BiquadSection s{};
    s.b[0] = k, s.b[1] = k;
    s.a[0] = 1 + k, s.a[1] = k - 1;
    s.order = 2;
    return s;
}

BiquadSection ButterworthSecondOrderLowPass(double f) {
    const double k = std::tan(3.141592653589793 * f / 48000.0);
    const double r2 = std::sqrt(2.0);
    BiquadSection s{};
    s.b[0] = k * k, s.b[1] = 2 * k * k, s.b[2] = k * k;
    s.a[0] = 1 + r2 * k + k * k, s.a[1] = 2 * k * k - 2, s.a[2] = 1 - r2 * k + k * k;
    s.order = 2;
    return s;
}

CrossoverParams Block(int type, int filterModel, float lp, float hp, float lfSlope, float hfSlope,
                      uint32_t inv, uint32_t link, int count) {
    CrossoverParams x{};
    x.FilterType = type;
    x.FilterModel = filterModel;
    x.LPFreq = lp;
    x.HPFreq = hp;
    x.LFSlope = lfSlope;
    x.HFSlope = hfSlope;
    x.bInvPhase = inv;
    x.bXoLink = link;
    x.sectionCount = count;
    return x;
}

}  // namespace

TEST(EqMessage, FlatChannelSendsUnityGains) {
    const auto f = BuildEqMessage(0, FlatRecord(), 0);
    ASSERT_EQ(f.size(), kEqMessageLength);
    EXPECT_EQ(ToHex({f.begin(), f.begin() + 7}), "46 5A 00 8A 73 00 00");
    for (int k = 0; k < kBandCount; ++k)
        EXPECT_EQ(ToHex({f.begin() + 7 + 4 * k, f.begin() + 11 + 4 * k}), "00 00 80 3F") << k;
    EXPECT_EQ(ToHex({f.begin() + 131, f.end()}), "00 00 00 00 00 01 BF");
}

// Each band's factor is 10^(dB/20) rounded once to the nearest float. The bytes were worked out
// to 80 digits outside the program; they include gains no slider gives (a damaged file's) and the
// edges of what a float holds.
TEST(EqMessage, BandFactorsForATableOfGains) {
    const struct {
        float dB;
        const char* bytes;
    } cases[] = {
        {0.0f, "00 00 80 3F"},     {20.0f, "00 00 20 41"},    {-20.0f, "CD CC CC 3D"},
        {40.0f, "00 00 C8 42"},    {-40.0f, "0A D7 23 3C"},   {120.0f, "00 24 74 49"},
        {0.1f, "70 7B 81 3F"},     {-0.05f, "D4 87 7E 3F"},   {3.3f, "9F 28 BB 3F"},
        {-15.5f, "D7 E8 2B 3E"},   {6.0206f, "00 00 00 40"},  {12.34f, "DB 7A 84 40"},
        {-0.3f, "1C 4F 77 3F"},    {1e-7f, "00 00 80 3F"},    {770.0f, "41 E7 6D 7F"},
        {-800.0f, "C2 16 01 00"},  {-1000.0f, "00 00 00 00"},
        {-std::numeric_limits<float>::infinity(), "00 00 00 00"},
    };
    for (const auto& c : cases) {
        DspChannelRecord r = FlatRecord();
        r.EQGain[7] = c.dB;
        const auto f = BuildEqMessage(1, r, 2);
        ASSERT_EQ(f.size(), kEqMessageLength) << c.dB;
        EXPECT_EQ(ToHex({f.begin() + 7 + 4 * 7, f.begin() + 11 + 4 * 7}), c.bytes) << c.dB;
        EXPECT_EQ(ToHex({f.begin() + 7 + 4 * 8, f.begin() + 11 + 4 * 8}), "00 00 80 3F") << c.dB;
    }
    // A factor beyond the largest float, or no number at all, sends no frame.
    for (float dB : {780.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        DspChannelRecord r = FlatRecord();
        r.EQGain[30] = dB;
        EXPECT_TRUE(BuildEqMessage(0, r, 0).empty()) << dB;
    }
}

TEST(EqMessage, GainsMaskAndFlags) {
    DspChannelRecord r = FlatRecord();
    r.EQGain[17] = 6.0f;
    r.EQGain[0] = -12.0f;
    r.btmskSel[0] = 1;
    r.btmskSel[30] = 5;  // any non-zero switch sets its bit
    r.EQOff = 1;
    r.EQLink = 0;
    const auto f = BuildEqMessage(6, r, 3);
    ASSERT_EQ(f.size(), kEqMessageLength);
    EXPECT_EQ(f[5], 3);
    EXPECT_EQ(f[6], 6);
    // 10^(6/20) = 1.99526231, 10^(-12/20) = 0.251188643
    EXPECT_NEAR(F32At(f, 7 + 4 * 17), 1.99526231f, 2e-7);
    EXPECT_NEAR(F32At(f, 7), 0.251188643f, 3e-8);
    EXPECT_EQ(F32At(f, 7 + 4 * 16), 1.0f);
    EXPECT_EQ(ToHex({f.begin() + 131, f.begin() + 137}), "01 00 00 40 01 00");
    EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
}

TEST(EqMessage, GainNoFloatHoldsSendsNothing) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      1000.0f}) {
        DspChannelRecord r = FlatRecord();
        r.EQGain[4] = bad;
        EXPECT_TRUE(BuildEqMessage(0, r, 0).empty()) << bad;
    }
}

TEST(CrossoverMessage, FullRangeIdentityByteForByte) {
    CrossoverSections s;
    s.section.fill(IdentitySection());
    const auto f = BuildCrossoverMessage(0, 0, Block(kFullRange, kLinkwitz, 50, 100, 12, 12, 0, 1, 1), s);
    // The identity's a-terms are sent as -0.0: the device cannot tell, but the bytes can.
    EXPECT_EQ(ToHex(f),
              "46 5A 00 2B 74 00 00 01 00 00 00 80 00 00 00 80 00 00 00 00 00 00 00 00 00 00 80 3F "
              "00 00 00 00 48 42 00 00 C8 42 0C 0C 00 01 AC");
}

TEST(CrossoverMessage, LinkwitzLowPassCoefficientsNormalised) {
    // Linkwitz 12 dB low pass at 500 Hz: two equal first-order sections with a0 = 1 + K.
    CrossoverSections s;
    s.section[0] = s.section[1] = FirstOrderLowPass(500);
    const auto f = BuildCrossoverMessage(0, 0, Block(kLowPass, kLinkwitz, 500, 80, 12, 12, 0, 1, 2), s);
    ExpectCrossoverFrame(
        f, Hex("46 5A 00 3F 74 00 00 02 00 00 00 80 2A C5 6F 3F 00 00 00 00 B4 D6 01 3D B4 D6 01 3D "
               "00 00 00 80 2A C5 6F 3F 00 00 00 00 B4 D6 01 3D B4 D6 01 3D "
               "01 00 00 00 FA 43 00 00 A0 42 0C 0C 00 01 E8"));
}

TEST(CrossoverMessage, InvertedPhaseNegatesOnlyTheFirstNumerator) {
    CrossoverSections s;
    s.section[0] = s.section[1] = ButterworthSecondOrderLowPass(1000);
    const auto f = BuildCrossoverMessage(5, 2, Block(kLowPass, kLinkwitz, 1000, 100, 24, 12, 1, 0, 2), s);
    ExpectCrossoverFrame(
        f, Hex("46 5A 00 3F 74 02 05 02 C8 BC 54 BF 19 5D E8 3F DA 52 80 BB DA 52 00 BC DA 52 80 BB "
               "C8 BC 54 BF 19 5D E8 3F DA 52 80 3B DA 52 00 3C DA 52 80 3B "
               "01 00 00 00 7A 44 00 00 C8 42 18 0C 01 00 9E"));
    EXPECT_NEAR(F32At(f, 8), -0.831005573f, 1e-7);
    EXPECT_NEAR(F32At(f, 12), 1.81534111f, 2e-7);
    EXPECT_LT(F32At(f, 24), 0.0f);  // section 0: -b0/a0
    EXPECT_GT(F32At(f, 44), 0.0f);  // section 1: b0/a0
}

TEST(CrossoverMessage, SlopesTruncatedAndWideTypeBytes) {
    CrossoverSections s;
    s.section.fill(IdentitySection());
    const auto f = BuildCrossoverMessage(1, 1, Block(kHighPass, kButterworth, 80, 5000, 18.9f, 47.99f, 0, 0, 3), s);
    ASSERT_EQ(f.size(), 83u);
    const size_t t = 20 * 3 + 8;
    EXPECT_EQ(f[t], kHighPass);
    EXPECT_EQ(f[t + 1], kButterworth);
    EXPECT_EQ(F32At(f, t + 2), 80.0f);
    EXPECT_EQ(F32At(f, t + 6), 5000.0f);
    EXPECT_EQ(f[t + 10], 18);
    EXPECT_EQ(f[t + 11], 47);
}

TEST(CrossoverMessage, NothingToSend) {
    CrossoverSections identity;
    identity.section.fill(IdentitySection());
    CrossoverSections degenerate = identity;
    degenerate.section[1].a[0] = 0.0;  // 1 / a0 is infinite
    CrossoverSections poisoned = identity;
    poisoned.section[0].b[1] = std::numeric_limits<double>::quiet_NaN();

    struct Case {
        const char* what;
        int count;
        const CrossoverSections* sections;
    } cases[] = {
        {"no sections", 0, &identity},
        {"negative count", -3, &identity},
        {"more sections than the model holds", kMaxCrossoverSections + 1, &identity},
        {"a0 of zero", 2, &degenerate},
        {"NaN coefficient", 1, &poisoned},
    };
    for (const Case& c : cases) {
        const auto block = Block(kLowPass, kLinkwitz, 500, 80, 12, 12, 0, 1, c.count);
        EXPECT_TRUE(BuildCrossoverMessage(0, 0, block, *c.sections).empty()) << c.what;
    }
    // The largest cascade is fine.
    EXPECT_EQ(BuildCrossoverMessage(0, 0, Block(kBandPass, kButterworth, 500, 5000, 48, 12, 0, 1, 9),
                                    identity).size(),
              CrossoverMessageLength(9));
}

TEST(SmallMessages, ByteForByte) {
    CrossoverParams delay{};
    delay.delay = 300;
    delay.distance = 756;
    delay.delayTrim = -4;

    uint32_t allBands[kBandCount];
    for (uint32_t& b : allBands) b = 1;
    uint32_t mutes[kChannelCount] = {1, 0, 0, 0, 0, 0, 0, 9};
    const int32_t points[kPresetCount] = {1, 2, 3, 0};

    struct Case {
        const char* what;
        devlink::Frame frame;
        const char* hex;
    } cases[] = {
        {"delay", BuildDelayMessage(0, delay, 0), "46 5A 00 10 75 00 00 01 2C 02 F4 FF FF FF FC 41"},
        {"EQ off on", BuildEqOffMessage(5, 1, 2), "46 5A 00 09 76 02 05 01 27"},
        {"EQ off, any non-zero", BuildEqOffMessage(5, 7, 2), "46 5A 00 09 76 02 05 01 27"},
        {"EQ off off", BuildEqOffMessage(5, 0, 2), "46 5A 00 09 76 02 05 00 26"},
        {"EQ link on", BuildEqLinkMessage(0, 1, 0), "46 5A 00 09 77 00 00 01 21"},
        {"band mask all", BuildEqBandMaskMessage(0, allBands, 0), "46 5A 00 0C 78 00 00 FF FF FF 7F A0"},
        {"mutes 0 and 7", BuildMuteMaskMessage(mutes), "46 5A 00 07 79 81 A1"},
        {"listening points", BuildListeningPointsMessage(PackListeningPoints(points)),
         "46 5A 00 07 96 39 76"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToHex(c.frame), c.hex) << c.what;
}

TEST(SmallMessages, ListeningPointOutOfRangeDoesNotSpill) {
    const int32_t points[kPresetCount] = {7, 1, -1, 3};
    EXPECT_EQ(PackListeningPoints(points), 0 + 4 * 1 + 16 * 0 + 64 * 3);
}

TEST(RoutingMessage, NothingAssigned) {
    DspPreset preset{};
    for (auto& r : preset.channel) r.output = r.position = r.kind = kUnassigned;
    EXPECT_EQ(ToHex(BuildRoutingMessage(preset)),
              "46 5A 00 2E A4 00 00 00 00 00 00 00 00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
              "FF 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 62");
}

TEST(RoutingMessage, DefaultTuning) {
    TuningModel m;
    EXPECT_EQ(ToHex(BuildRoutingMessage(m.Preset(0))),
              "46 5A 00 2E A4 2C 29 2B 34 31 33 88 90 00 00 00 02 02 02 04 04 01 02 03 01 02 03 06 "
              "04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 C6");
}

TEST(RoutingMessage, RecordsFillTheirOutputLaterWins) {
    DspPreset preset{};
    for (auto& r : preset.channel) r.output = r.position = r.kind = kUnassigned;
    auto set = [&](int i, int output, int position, int kind, int variant, uint32_t amp) {
        preset.channel[i].output = output;
        preset.channel[i].position = position;
        preset.channel[i].kind = kind;
        preset.channel[i].passiveVariant = variant;
        preset.channel[i].amplifier = amp;
    };
    set(0, 3, kFrontLeft, kMidrange, 3, 1);  // overwritten by record 5
    set(5, 3, kFrontRight, kMidrange, 7, 1);
    set(1, 8, kFrontLeft, kWoofer, 0, 0);    // no such output
    set(2, 0, kFrontLeft, 12, 0, 0);         // kind beyond the routed range
    set(3, 1, 12, kWoofer, 0, 0);            // position beyond the routed range
    set(4, 6, kCenter, kWoofer, 0, 1);
    const auto f = BuildRoutingMessage(preset);
    ASSERT_EQ(f.size(), kRoutingMessageLength);
    EXPECT_EQ(f[5 + 3], 50);  // Front Right midrange with variant 7
    EXPECT_EQ(f[13 + 3], kFrontRight);
    EXPECT_EQ(f[21 + 3], kMidrange);
    EXPECT_EQ(f[29 + 3], 7);
    EXPECT_EQ(f[37 + 3], 1);
    EXPECT_EQ(f[5 + 6], 100);  // Center woofer
    EXPECT_EQ(f[37 + 6], 1);
    for (int o : {0, 1, 2, 4, 5, 7}) {
        EXPECT_EQ(f[5 + o], 0) << o;
        EXPECT_EQ(f[13 + o], 0xFF) << o;
        EXPECT_EQ(f[21 + o], 0xFF) << o;
    }
    EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
}
