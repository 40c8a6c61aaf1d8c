// The external sources' frames and the unit's replies read into records: the frames worked out by
// hand, and every gain that goes between decibels and the unit's linear values checked byte for
// byte against values worked out apart from the program (Python's float arithmetic, IEEE single
// rounding), odd gains included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "dsp/eq.h"
#include "link/bytes.h"
#include "pages/output_level_logic.h"
#include "pages/source_messages.h"
#include "tests/model/frame_helpers.h"

namespace {

using msgtest::ToHex;
using pages::ExtSourceRecord;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ExtSourceFrames, ByteForByte) {
    ExtSourceRecord aux1 = pages::InitialSourceRecord();
    ExtSourceRecord phone = aux1;
    phone.sensitivity = -9.0f;
    std::array<ExtSourceRecord, 5> records{};
    records[1].enabled = records[4].enabled = 1;
    struct Case {
        const char* what;
        devlink::Frame frame;
        const char* expected;
    } cases[] = {
        {"Aux1 selected", pages::BuildSourceSelectMessage(0), "46 5A 00 07 7A 00 21"},
        {"Master selected", pages::BuildSourceSelectMessage(0xFF), "46 5A 00 07 7A FF 20"},
        {"Aux1 at 1.00 V", pages::BuildSourceSensitivityMessage(0, aux1), "46 5A 00 0B 89 00 00 00 00 1C 50"},
        {"Phone at -9 dB", pages::BuildSourceSensitivityMessage(4, phone), "46 5A 00 0B 89 04 00 00 00 F4 2C"},
        {"Aux2 and Phone exist", pages::BuildSourceLevelsMessage(records), "46 5A 00 0B AA 00 01 00 00 01 57"},
        {"master -45 dB", pages::BuildMasterLevelMessage(45.0f), "00 5A 00 07 0A 1E 89"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToHex(c.frame), c.expected) << c.what;
    // The code is 2 trunc(dB + 3): whole decibels only, whatever the range flag says.
    EXPECT_EQ(pages::SensitivityCode(21.5f), 48);
    EXPECT_EQ(pages::SensitivityCode(11.99f), 28);
    EXPECT_EQ(pages::SensitivityCode(-3.0f), 0);
    EXPECT_EQ(pages::SensitivityCode(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(pages::SensitivityCode(3e38f), 0);  // a multiple of 256, without an integer overflow
}

TEST(ExtSourceFrames, EqualiserFrameCarriesLinearGainsMaskAndOff) {
    ExtSourceRecord r = pages::InitialSourceRecord();
    r.gains[5] = 6.0f;
    r.gains[30] = -12.0f;
    r.bandSwitches[5] = 1;
    r.bandSwitches[30] = 7;
    r.eqOff = 1;
    const devlink::Frame f = pages::BuildSourceEqMessage(2, r);
    ASSERT_EQ(f.size(), 136u);
    EXPECT_EQ(ToHex(devlink::Frame(f.begin(), f.begin() + 6)), "46 5A 00 88 7B 02");
    EXPECT_EQ(ToHex(devlink::Frame(f.begin() + 26, f.begin() + 30)), "C1 64 FF 3F");
    EXPECT_FLOAT_EQ(msgtest::F32At(f, 6 + 4 * 30), 0.25118864f);
    EXPECT_EQ(msgtest::F32At(f, 6), 1.0f);
    EXPECT_EQ(devlink::GetU32LE(&f[130]), (1u << 5) | (1u << 30));
    EXPECT_EQ(f[134], 1);
    EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), 135));
}

// The equaliser frame carries each band as the single-precision 10^(dB/20); a gain with no finite
// single-precision linear value goes out as 1.0 (flat) instead.
TEST(ExtSourceFrames, EveryBandGainByteForByte) {
    struct Case {
        float dB;
        const char* bytes;  // little-endian single
    } cases[] = {
        {0.0f, "00 00 80 3F"},    {6.0f, "C1 64 FF 3F"},    {-6.0f, "CE 4D 00 3F"},
        {0.1f, "70 7B 81 3F"},    {-0.05f, "D4 87 7E 3F"},  {12.5f, "61 F1 86 40"},
        {-40.0f, "0A D7 23 3C"},  {20.0f, "00 00 20 41"},   {1e-7f, "00 00 80 3F"},
        {770.0f, "41 E7 6D 7F"},  {770.5f, "FF FF 7B 7F"},  // near the largest single
        {771.0f, "00 00 80 3F"},                            // beyond it: flat
        {-800.0f, "C2 16 01 00"},                           // a subnormal single
        {-1000.0f, "00 00 00 00"},                          // below the smallest: zero
        {kNaN, "00 00 80 3F"},    {kInf, "00 00 80 3F"},    {-kInf, "00 00 80 3F"},
    };
    for (const Case& c : cases) {
        ExtSourceRecord r = pages::InitialSourceRecord();
        for (int band : {0, 17, 30}) r.gains[band] = c.dB;
        const devlink::Frame f = pages::BuildSourceEqMessage(0, r);
        ASSERT_EQ(f.size(), 136u);
        for (int band : {0, 17, 30})
            EXPECT_EQ(ToHex(devlink::Frame(f.begin() + 6 + 4 * band, f.begin() + 10 + 4 * band)), c.bytes)
                << c.dB << " dB in band " << band;
        EXPECT_EQ(ToHex(devlink::Frame(f.begin() + 10, f.begin() + 14)), "00 00 80 3F") << "band 1 stays flat";
        EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), 135));
    }
}

// A band's section is the peaking design at the band's linear gain 10^(dB/20) worked out in double
// precision from the single-precision dB; a gain the frame could not carry leaves the flat design.
TEST(ExtSourceFrames, SectionsAreDesignedFromTheLinearGain) {
    const float gains[] = {0.0f, 6.0f, -6.0f, 0.1f, -12.5f, 15.0f, 770.0f, 771.0f, -1000.0f, kNaN, kInf};
    for (float dB : gains) {
        ExtSourceRecord r;
        for (int k = 0; k < pages::kSourceBands; ++k) r.gains[k] = dB;
        pages::DesignSourceSections(&r);
        for (int k = 0; k < pages::kSourceBands; ++k) {
            model::BiquadSection expected{};
            dsp::ComputeEqBand(&expected, 1.0, k);
            const double g = std::pow(10.0, static_cast<double>(dB) / 20.0);
            if (std::isfinite(dB) && std::isfinite(g) && g <= 3.4028234663852886e38)
                dsp::ComputeEqBand(&expected, g, k);
            EXPECT_EQ(std::memcmp(&r.sections[k], &expected, sizeof expected), 0) << dB << " dB, band " << k;
        }
    }
}

// The unit's linear gains become 20 log10(g) in double precision rounded to single; a band whose
// gain is zero or below keeps its value and section; the sensitivity is code / 2 - 3 dB, 12 dB
// lower with the range flag.
TEST(ExtSourceReplies, LinearGainsBecomeDecibelsByteForByte) {
    struct Case {
        float linear;
        const char* dB;  // little-endian single; empty: the band keeps its gain
    } cases[] = {
        {2.0f, "C1 A8 C0 40"},
        {0.5f, "C1 A8 C0 C0"},
        {1.0f, "00 00 00 00"},
        {1.9952623f, "00 00 C0 40"},
        {1e-30f, "00 00 16 C4"},
        {std::numeric_limits<float>::max(), "C1 A8 40 44"},
        {std::numeric_limits<float>::min(), "1E A6 3D C4"},
        {std::numeric_limits<float>::denorm_min(), "71 44 60 C4"},
        {0.0f, ""},
        {-1.0f, ""},
    };
    for (const Case& c : cases) {
        ExtSourceRecord r = pages::InitialSourceRecord();
        r.gains[3] = 4.5f;
        pages::DesignSourceSections(&r);
        const ExtSourceRecord before = r;
        pages::SourceEqReply reply;
        reply.linear.fill(1.0f);
        reply.linear[3] = c.linear;
        reply.mask = 1u << 3;
        reply.rangeFlag = 1;
        reply.sensitivity = 5.0f;
        pages::ApplySourceEqReply(reply, &r);
        devlink::Frame bytes(4);
        devlink::PutF32LE(bytes.data(), r.gains[3]);
        if (*c.dB) {
            EXPECT_EQ(ToHex(bytes), c.dB) << c.linear;
            model::BiquadSection expected = before.sections[3];
            dsp::ComputeEqBand(&expected, static_cast<double>(c.linear), 3);
            EXPECT_EQ(std::memcmp(&r.sections[3], &expected, sizeof expected), 0) << c.linear;
        } else {
            EXPECT_EQ(r.gains[3], 4.5f) << c.linear;
            EXPECT_EQ(std::memcmp(&r.sections[3], &before.sections[3], sizeof(model::BiquadSection)), 0) << c.linear;
        }
        EXPECT_EQ(r.gains[4], 0.0f);
        EXPECT_EQ(r.bandSwitches[3], 1u);
        EXPECT_EQ(r.bandSwitches[4], 0u);
        EXPECT_EQ(r.rangeFlag, 1u);
        EXPECT_EQ(r.sensitivity, 5.0f);
    }
}

}  // namespace
