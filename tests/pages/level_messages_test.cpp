// The output levels' frames worked out by hand.
#include <gtest/gtest.h>

#include <limits>

#include "pages/level_messages.h"
#include "tests/model/frame_helpers.h"

namespace {

using msgtest::ToHex;

TEST(LevelFrames, ByteForByte) {
    struct Case {
        int fader, preset;
        float dB;
        const char* frame;
    } cases[] = {
        {0, 0, -3.2f, "46 5A 00 09 7E 00 00 07 2E"},
        {0, 0, 0.0f, "46 5A 00 09 7E 00 00 00 27"},
        {3, 2, -10.25f, "46 5A 00 09 7E 02 03 15 41"},
        {7, 3, -40.0f, "46 5A 00 09 7E 03 07 50 81"},
        {8, 0, -45.0f, "00 5A 00 07 0A 1E 89"},
        {8, 1, -45.3f, "00 5A 00 07 0A 1D 88"},
        {8, 0, 0.0f, "00 5A 00 07 0A 78 E3"},
        {8, 0, -60.0f, "00 5A 00 07 0A 00 6B"},
        {9, 0, 0.0f, "00 5A 00 07 0D 18 86"},
        {9, 0, -12.0f, "00 5A 00 07 0D 00 6E"},
        {42, 0, -6.0f, "00 5A 00 07 0D 0C 7A"},  // any other fader is the subwoofer level
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToHex(pages::BuildLevelMessage(c.fader, c.preset, -c.dB)), c.frame)
            << "fader " << c.fader << " at " << c.dB << " dB";
    EXPECT_EQ(ToHex(pages::BuildLevelsRequest()), "46 5A 00 06 7F 25");
    // A value no fader can hold stays a byte instead of wrapping through undefined conversion.
    EXPECT_EQ(pages::BuildLevelMessage(0, 0, std::numeric_limits<float>::quiet_NaN())[7], 0);
    EXPECT_EQ(pages::BuildLevelMessage(0, 0, 500.0f)[7], 255);
}

}  // namespace
