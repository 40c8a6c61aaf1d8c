#include <gtest/gtest.h>

#include <cstring>

#include "model/records.h"

using namespace model;

TEST(Records, SizesMatchTheFileLayout) {
    // The static_asserts in the header fix every offset; these pin the totals the files rely on.
    EXPECT_EQ(sizeof(BiquadSection), 152u);
    EXPECT_EQ(sizeof(CrossoverParams), 76u);
    EXPECT_EQ(sizeof(DspChannelRecord), 5072u);
    EXPECT_EQ(sizeof(DspPreset), 40576u);
    EXPECT_EQ(sizeof(DspPreset) * kPresetCount, 162304u);
}

TEST(Records, IdentitySection) {
    const BiquadSection s = IdentitySection();
    EXPECT_EQ(s.b[0], 1.0);
    EXPECT_EQ(s.a[0], 1.0);
    for (int i = 1; i < kCoefficientCount; ++i) {
        EXPECT_EQ(s.b[i], 0.0);
        EXPECT_EQ(s.a[i], 0.0);
    }
    EXPECT_EQ(s.order, 2);
    EXPECT_EQ(s.reserved, 0u);
}

namespace {

CrossoverParams Filled(int32_t base) {
    CrossoverParams p;
    int32_t words[kCrossoverWordCount];
    for (int i = 0; i < kCrossoverWordCount; ++i) words[i] = base + i;
    std::memcpy(&p, words, sizeof p);
    return p;
}

int32_t Word(const CrossoverParams& p, int i) {
    int32_t w;
    std::memcpy(&w, reinterpret_cast<const char*>(&p) + 4 * i, 4);
    return w;
}

}  // namespace

TEST(Records, CopyCrossoverParams) {
    const CrossoverParams src = Filled(100);
    for (int whole : {0, 1, -3}) {
        CrossoverParams dst = Filled(500);
        CopyCrossoverParams(&dst, &src, whole);
        for (int i = 0; i < kCrossoverWordCount; ++i) {
            const bool distanceWord = i >= kFirstDistanceWord && i <= kLastDistanceWord;
            int32_t expected = (whole == 0 && distanceWord) ? 500 + i : 100 + i;
            if (i == 16) expected = 0;        // the section-array word is never carried
            if (i == 17) expected = 500 + i;  // nor the count of the destination's own sections
            EXPECT_EQ(Word(dst, i), expected) << "whole " << whole << " word " << i;
        }
    }
    CrossoverParams dst = Filled(7);
    CopyCrossoverParams(&dst, nullptr, 1);
    CopyCrossoverParams(nullptr, &src, 1);
    EXPECT_EQ(Word(dst, 0), 7);
}
