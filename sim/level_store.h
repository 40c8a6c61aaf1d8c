// The simulated device's output levels: the attenuation byte of every preset and channel, the
// master and the subwoofer level as the level messages set them, the clip indicators it reports,
// and the 41-byte level report it adds to a read-all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/frame.h"

namespace sim {

class SimUnit;

class LevelStore {
public:
    static constexpr int kPresets = 4;
    static constexpr int kChannels = 8;
    static constexpr size_t kReportLength = 41;

    // A device from the factory: every channel at -3 dB (6), master -45 dB (30), subwoofer 0 dB (24).
    LevelStore();

    // Applies a level frame the PC sent: '~' (9 bytes, to the DSP unit) keeps the byte of its
    // preset and channel; 0x0A and 0x0D (7 bytes, to the level node) the master's and the
    // subwoofer's. False for anything else, and for a frame with a bad checksum, a wrong length,
    // node, preset or channel (the device ignores those).
    bool Apply(const uint8_t* frame, size_t length);

    // The level report of a read-all: master, subwoofer, then preset by preset the channels.
    devlink::Frame ReportFrame() const;
    // Back to a unit from the factory (after the PC resets its settings).
    void Reset() { *this = LevelStore(); }
    // The answer to a clip request (0x7F): the mask in the byte before the checksum.
    static devlink::Frame ClipReply(uint8_t mask);

    uint8_t Attenuation(int preset, int channel) const { return attenuation_[preset][channel]; }
    uint8_t Master() const { return master_; }
    uint8_t Subwoofer() const { return subwoofer_; }
    int ChannelFrames() const { return channelFrames_; }

private:
    std::array<std::array<uint8_t, kChannels>, kPresets> attenuation_;
    uint8_t master_ = 30;
    uint8_t subwoofer_ = 24;
    int channelFrames_ = 0;
};

// Makes the unit keep its levels in the store, answer clip requests with the unit's clip mask,
// and stream the level report on a read-all. Call under the bus's lock when the unit is on a bus.
void InstallLevelStore(SimUnit& unit, LevelStore& store);

}  // namespace sim
