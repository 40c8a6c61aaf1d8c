// The simulated device's external sources: the selected source, each source's equaliser (linear
// band gains, band mask, EQ off) and sensitivity bytes as the PC sent them, the source flags, and
// the frames it adds to a read-all (each source's equaliser, the input configuration, the
// selected source). The master level (0x0A) stays with the level store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame.h"

namespace sim {

class SimUnit;

// Damage the unit does to the frames it streams on a read-all.
enum class SourceFault {
    None,
    ShortEq,      // the first source's equaliser frame is one byte short (139)
    Source7,      // the first source's equaliser frame names source 7
    ZeroGain,     // band 0 of the first source's equaliser is 0.0
    NaNGain,      // band 0 of the first source's equaliser is NaN
    ShortConfig,  // the input configuration is one byte short (19)
};

// What a unit holds before the PC sends anything (a scenario sets it).
struct SourceOptions {
    uint8_t source = 0xFF;                  // 0..4, or 0xFF: no external source
    std::array<uint8_t, 5> flags{};         // the sources that exist
    uint8_t inputType = 0;                  // 0 low-level main inputs, 1 high-level
    std::array<uint8_t, 8> codes{40, 48, 0, 0, 0, 0, 0, 0};  // the main inputs' routing codes
    uint8_t deviceFlag = 0;                 // byte 135 of every equaliser frame it sends
    SourceFault fault = SourceFault::None;
};

class SourceStore {
public:
    static constexpr int kSources = 5;
    static constexpr int kBands = 31;

    explicit SourceStore(const SourceOptions& options = {});

    // Applies a frame the PC sent: 'z' (7 bytes), '{' (136), 0x89 (11) and 0xAA (11), all to the
    // DSP unit. False for anything else, for a bad checksum, length or node, or a source above 4.
    bool Apply(const uint8_t* frame, size_t length);

    // The read-all's frames: five '{' of 140 bytes, the 20-byte input configuration, 'z'.
    std::vector<devlink::Frame> ReadAllFrames() const;
    // Back to a unit from the factory (after the PC resets its settings): no source selected, no
    // equalisation, the default input configuration.
    void Reset() { *this = SourceStore(); }

    uint8_t Source() const { return source_; }
    float Gain(int s, int band) const { return gains_[s][band]; }
    uint32_t Mask(int s) const { return mask_[s]; }
    uint8_t EqOff(int s) const { return eqOff_[s]; }
    uint8_t RangeFlag(int s) const { return range_[s]; }
    uint8_t Code(int s) const { return code_[s]; }
    const std::array<uint8_t, 5>& Flags() const { return options_.flags; }
    // An input configuration the PC sent (bytes 5..18 of its 0xA3: type + 1, the five source
    // flags, the eight codes): streamed from now on in place of the unit's own.
    void KeepInputConfig(const std::array<uint8_t, 14>& bytes);
    // The eight main inputs' routing codes of the configuration it streams.
    std::array<uint8_t, 8> InputCodes() const { return options_.codes; }
    int SelectFrames() const { return selectFrames_; }

private:
    SourceOptions options_;
    uint8_t source_;
    std::array<std::array<float, kBands>, kSources> gains_;
    std::array<uint32_t, kSources> mask_{};
    std::array<uint8_t, kSources> eqOff_{};
    std::array<uint8_t, kSources> range_{};
    std::array<uint8_t, kSources> code_{};
    int selectFrames_ = 0;
};

// Makes the unit keep its sources in the store and stream them on a read-all. Call under the
// bus's lock when the unit is on a bus.
void InstallSourceStore(SimUnit& unit, SourceStore& store);

}  // namespace sim
