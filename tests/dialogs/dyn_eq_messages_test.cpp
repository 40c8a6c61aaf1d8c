// The dynamic-equalisation record and the device messages that carry it, worked out by hand: the
// Easy curve, the reset records, the frames of every message and the linear gains a curve carries.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "dialogs/dyn_eq_messages.h"
#include "frame_helpers.h"
#include "link/bytes.h"

namespace {

using devlink::Frame;
using msgtest::ToHex;

TEST(DynEqCurve, EasyGainsTiltBandsUpToSeventeen) {
    for (float level : {6.0f, -6.0f, 1.5f, 0.0f}) {
        float gains[31];
        dialogs::EasyCurveGains(level, gains);
        for (int i = 0; i < 31; ++i) {
            const double want = i <= 17 ? level * (18.0 - i) / 18.0 : 0.0;
            EXPECT_NEAR(gains[i], want, 1e-5) << "level " << level << " band " << i;
        }
    }
    float g[31];
    dialogs::EasyCurveGains(6.0f, g);
    EXPECT_FLOAT_EQ(g[0], 6.0f);
    EXPECT_NEAR(g[1], 5.667f, 5e-4);
    EXPECT_NEAR(g[17], 0.333f, 5e-4);
    EXPECT_EQ(g[18], 0.0f);
    EXPECT_EQ(g[30], 0.0f);
}

TEST(DynEqCurve, ResetRecordsHoldTheirLevelsAndNeutralSections) {
    const dialogs::DynEqCurveRecord low = dialogs::ResetDynEqCurve(0), high = dialogs::ResetDynEqCurve(1);
    EXPECT_EQ(low.index, 0);
    EXPECT_EQ(high.index, 1);
    EXPECT_EQ(low.eqLevel, 6.0f);
    EXPECT_EQ(high.eqLevel, -6.0f);
    EXPECT_EQ(low.reference, -30.0f);
    EXPECT_EQ(high.reference, 0.0f);
    EXPECT_NEAR(high.gains[17], -1.0f / 3.0f, 1e-5);
    for (const auto& r : {low, high}) {
        EXPECT_EQ(r.chartColoured, 0);
        for (int i = 0; i < 31; ++i) {
            EXPECT_EQ(r.enables[i], 0);
            const model::BiquadSection& s = r.sections[i];
            EXPECT_EQ(s.order, 2);
            for (int k = 0; k < 9; ++k) {
                EXPECT_EQ(s.b[k], k == 1 ? 1.0 : 0.0);
                EXPECT_EQ(s.a[k], k == 0 ? 1.0 : 0.0);
            }
        }
    }
}

TEST(DynEqMessages, FramesWorkedOutByHand) {
    const struct {
        const char* what;
        Frame frame;
        const char* hex;
    } cases[] = {
        {"open", dialogs::BuildDynEqStartMessage(-1), "46 5A 00 07 87 00 2E"},
        {"start High", dialogs::BuildDynEqStartMessage(1), "46 5A 00 07 87 02 30"},
        {"close", dialogs::BuildDynEqStopMessage(-1), "46 5A 00 07 88 00 2F"},
        {"stop Low", dialogs::BuildDynEqStopMessage(0), "46 5A 00 07 88 01 30"},
        {"mode off, enabled", dialogs::BuildDynEqModeMessage(2, 1), "46 5A 00 08 8B 02 01 36"},
        {"mode Easy, disabled", dialogs::BuildDynEqModeMessage(0, 0), "46 5A 00 08 8B 00 00 33"},
        {"Low at -30 dB", dialogs::BuildDynEqLevelMessage(0, 30.0f, 1), "46 5A 00 09 94 01 3C 01 7B"},
        {"High at -45.5 dB, full send", dialogs::BuildDynEqLevelMessage(1, 45.5f, 0), "46 5A 00 09 94 02 1D 00 5C"},
        {"Low at 0 dB", dialogs::BuildDynEqLevelMessage(0, -0.0f, 1), "46 5A 00 09 94 01 78 01 B7"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToHex(c.frame), c.hex) << c.what;
}

TEST(DynEqMessages, ReferenceLevelBytes) {
    const struct {
        float reference;
        int byte;
    } cases[] = {{-30.0f, 60}, {-45.5f, 29}, {0.0f, 120}, {-60.0f, 0}, {-0.3f, 119}, {-59.9f, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(dialogs::DynEqLevelByte(c.reference), c.byte) << c.reference;
        EXPECT_EQ(dialogs::BuildDynEqLevelMessage(0, -c.reference, 1)[6], c.byte) << c.reference;
    }
    EXPECT_EQ(dialogs::DynEqLevelByte(std::numeric_limits<float>::quiet_NaN()), -1);
    // Finite references that no byte or int can hold (a damaged file's) stay outside 0..255.
    const struct {
        float reference;
        int byte;
    } outside[] = {{-1.2114e33f, -1}, {-std::numeric_limits<float>::max(), -1}, {-61.0f, -1},
                   {68.0f, 256}, {3.0e9f, 256}, {std::numeric_limits<float>::max(), 256}};
    for (const auto& c : outside) EXPECT_EQ(dialogs::DynEqLevelByte(c.reference), c.byte) << c.reference;
}

TEST(DynEqMessages, CurveCarriesLinearGains) {
    float gains[31];
    for (int i = 0; i < 31; ++i) gains[i] = static_cast<float>(i % 5) * 3.0f - 6.0f;  // -6, -3, 0, 3, 6
    const Frame f = dialogs::BuildDynEqCurveMessage(1, gains);
    ASSERT_EQ(f.size(), 131u);
    EXPECT_EQ(ToHex(Frame(f.begin(), f.begin() + 6)), "46 5A 00 83 8A 02");
    EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
    for (int i = 0; i < 31; ++i) {
        const double want = std::pow(10.0, gains[i] / 20.0);
        EXPECT_NEAR(devlink::GetF32LE(&f[6 + 4 * i]), want, want * 1e-6) << i;
    }
    EXPECT_EQ(devlink::GetF32LE(&f[6 + 4 * 2]), 1.0f);            // 0 dB
    EXPECT_NEAR(devlink::GetF32LE(&f[6 + 4 * 4]), 1.9953f, 1e-4);  // +6 dB
}

// The curve frame of a table of gains, exact decibels and odd ones (a negative zero, a subnormal,
// the Easy curve's thirds, gains whose linear value is subnormal or underflows to zero, the largest
// a float holds): each band's four bytes are the single-precision value of 10^(dB / 20), worked out
// by hand where it is exact (1, 10, 100, 1000, 1e6, 0.1) and from the formula in double precision
// rounded once to single precision otherwise. The checksum is the byte sum of the frame.
TEST(DynEqMessages, CurveGainBytesForATableOfGains) {
    const struct {
        float dB;
        const char* bytes;
    } bands[31] = {
        {0.0f, "00 00 80 3F"},        {-0.0f, "00 00 80 3F"},        {6.0f, "C1 64 FF 3F"},
        {-6.0f, "CE 4D 00 3F"},       {20.0f, "00 00 20 41"},        {-20.0f, "CD CC CC 3D"},
        {40.0f, "00 00 C8 42"},       {-40.0f, "0A D7 23 3C"},       {60.0f, "00 00 7A 44"},
        {-60.0f, "6F 12 83 3A"},      {120.0f, "00 24 74 49"},       {-120.0f, "BD 37 86 35"},
        {360.0f, "6B 0B 5E 5D"},      {-360.0f, "EF 92 93 21"},      {0.1f, "70 7B 81 3F"},
        {-0.1f, "D1 11 7D 3F"},       {0.05f, "2C BD 80 3F"},        {1.5f, "D7 20 98 3F"},
        {-1.5f, "AC 65 57 3F"},       {12.0f, "E1 C9 7E 40"},        {-12.0f, "CC 9B 80 3E"},
        {5.6666665f, "36 C7 F5 3F"},  {0.33333334f, "F6 01 85 3F"},  {-5.999999f, "CF 4D 00 3F"},
        {1e-40f, "00 00 80 3F"},      {700.0f, "0C 13 9A 79"},       {770.0f, "41 E7 6D 7F"},
        {-770.0f, "25 6F 22 00"},     {-900.0f, "01 00 00 00"},      {-1000.0f, "00 00 00 00"},
        {-3.0f, "EF 3B 35 3F"},
    };
    float gains[31];
    std::string payload;
    for (int i = 0; i < 31; ++i) {
        gains[i] = bands[i].dB;
        payload += std::string(" ") + bands[i].bytes;
    }
    const struct {
        int curve;
        const char* head;
        const char* checksum;
    } curves[] = {{0, "46 5A 00 83 8A 01", " BC"}, {1, "46 5A 00 83 8A 02", " BD"}};
    for (const auto& c : curves)
        EXPECT_EQ(ToHex(dialogs::BuildDynEqCurveMessage(c.curve, gains)), c.head + payload + c.checksum)
            << "curve " << c.curve;
}

}  // namespace
