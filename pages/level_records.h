// The output levels' record: four presets by eight channel levels and the ten faders that show
// them (the channels of the current preset, the master volume, the subwoofer level).
#pragma once

#include <array>

namespace pages {

constexpr int kLevelPresets = 4;
constexpr int kLevelChannels = 8;
constexpr int kLevelFaders = 10;
constexpr int kMasterFader = 8;
constexpr int kSubwooferFader = 9;

struct FaderRange {
    float min;
    float max;
    float initial;
};
// Faders 0..7 the channels, 8 the master volume, 9 the subwoofer level (dB).
constexpr FaderRange kFaderRanges[kLevelFaders] = {
    {-40.0f, 0.0f, -3.0f}, {-40.0f, 0.0f, -3.0f}, {-40.0f, 0.0f, -3.0f}, {-40.0f, 0.0f, -3.0f},
    {-40.0f, 0.0f, -3.0f}, {-40.0f, 0.0f, -3.0f}, {-40.0f, 0.0f, -3.0f}, {-40.0f, 0.0f, -3.0f},
    {-60.0f, 0.0f, -45.0f}, {-12.0f, 0.0f, 0.0f}};
constexpr float kDefaultChannelLevel = -3.0f;

// The channel levels of every preset (dB).
using LevelTable = std::array<std::array<float, kLevelChannels>, kLevelPresets>;

}  // namespace pages
