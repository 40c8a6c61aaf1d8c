// The simulated device's tuning: what the DSP unit keeps of every tuning message it receives,
// and the stream of frames with which it answers a read-all request. Kept as the bytes the
// messages carry, as a device would: it stores what it is sent and sends it back.
//
// It plugs into a unit's command table with InstallTuningStore; the unit's own read-all handler
// sends the store's frames and then the closing 0x93.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame.h"

namespace sim {

class SimUnit;

// The routing a unit holds before the PC sends one (a scenario sets it).
struct RoutingOptions {
    bool set = false;                 // the unit has a routing (a wizard ran on it before)
    std::array<uint8_t, 40> bytes{};  // the five arrays of its 0xA4
    size_t streamedLength = 46;       // the length of the 0xA4 it streams (another: a damaged one)
};

class TuningStore {
public:
    static constexpr int kPresets = 4;
    static constexpr int kChannels = 8;
    static constexpr int kBands = 31;
    static constexpr int kMaxSections = 9;

    // A device fresh from the factory: flat equalisers, full-range crossovers (one identity
    // section), no delay, nothing muted, listening points 0, no routing (unless one is given).
    explicit TuningStore(const RoutingOptions& routing = {});

    // Applies a frame the PC sent to the DSP unit. True when it was a tuning message and was
    // stored; false for any other frame, and for a tuning message with a bad checksum, a wrong
    // length or a preset or channel the device does not have (the device ignores those).
    bool Apply(const uint8_t* frame, size_t length);

    // The answer to a read-all request: for every preset and channel its equaliser ('s'),
    // crossover ('t') and delay ('u'), then the listening points (0x96), and the routing (0xA4)
    // once the unit has one; addressed to the PC.
    std::vector<devlink::Frame> ReadAllFrames() const;
    // Back to a unit from the factory (after the PC resets its settings): no routing either.
    void Reset() { *this = TuningStore(); }

    // What the tests look at.
    float Gain(int preset, int channel, int band) const;
    uint32_t BandMask(int preset, int channel) const;
    uint8_t EqOff(int preset, int channel) const { return channel_[preset][channel].eqOff; }
    uint8_t EqLink(int preset, int channel) const { return channel_[preset][channel].eqLink; }
    int SectionCount(int preset, int channel) const { return channel_[preset][channel].sections; }
    uint8_t MuteMask() const { return muteMask_; }
    uint8_t ListeningPoints() const { return listeningPoints_; }
    const std::array<uint8_t, 40>& Routing() const { return routing_; }
    bool HasRouting() const { return routingKept_; }

private:
    struct Channel {
        std::array<uint8_t, 4 * kBands> gains{};   // f32 little-endian, linear
        std::array<uint8_t, 4> bandMask{};          // u32 little-endian
        uint8_t eqOff = 0;
        uint8_t eqLink = 0;
        int sections = 1;
        std::array<uint8_t, 20 * kMaxSections> coefficients{};
        std::array<uint8_t, 14> crossover{};        // type, model, LP, HP, slopes, phase, link
        std::array<uint8_t, 8> delay{};             // delay, distance (16-bit), trim (32-bit), BE
    };

    Channel& At(const uint8_t* frame) { return channel_[frame[5]][frame[6]]; }

    std::array<std::array<Channel, kChannels>, kPresets> channel_;
    uint8_t muteMask_ = 0;
    uint8_t listeningPoints_ = 0;
    std::array<uint8_t, 40> routing_{};
    bool routingKept_ = false;
    size_t routingLength_ = 46;
};

// Makes the unit keep its tuning in the store: the tuning messages go to it, and a read-all
// streams it. The store must live as long as the unit may receive frames. Call it under the
// bus's lock when the unit is on a bus.
void InstallTuningStore(SimUnit& unit, TuningStore& store);

}  // namespace sim
