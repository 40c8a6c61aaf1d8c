// Builders of the tuning messages the PC sends to the DSP unit. Each returns the complete frame
// (checksum included) or an empty frame when there is nothing that may be sent; the one send
// function skips an empty frame.
//
// The preset is 0..3 and the channel the record's index 0..7 within its preset. Payload numbers
// are little-endian, except the integers of the delay message, which are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/frame.h"
#include "model/records.h"

namespace model {

constexpr size_t kEqMessageLength = 138;
constexpr size_t kDelayMessageLength = 16;
constexpr size_t kEqFlagMessageLength = 9;
constexpr size_t kBandMaskMessageLength = 12;
constexpr size_t kMuteMaskMessageLength = 7;
constexpr size_t kListeningPointsMessageLength = 7;
constexpr size_t kRoutingMessageLength = 46;
constexpr size_t kCrossoverSectionBytes = 20;
// A crossover frame is 20 n + 23 bytes for n sections.
constexpr size_t kCrossoverFixedBytes = 23;
constexpr size_t CrossoverMessageLength(int sections) {
    return kCrossoverSectionBytes * static_cast<size_t>(sections) + kCrossoverFixedBytes;
}

// Bit k set when band switch k is non-zero (bit 31 stays 0).
uint32_t BandMask(const uint32_t switches[kBandCount]);

// Preset p's listening point in bits 2p and 2p+1; a point outside 0..3 is packed as 0.
uint8_t PackListeningPoints(const int32_t points[kPresetCount]);

// 's': the 31 band gains as linear factors, the band mask, EQOff and EQLink. No frame when a
// gain is not finite or too large for a float.
devlink::Frame BuildEqMessage(int channel, const DspChannelRecord& record, int preset);

// 't': the record's crossover sections (count from the block) as normalised coefficients, then
// the crossover fields. No frame when the count is not 1..9 or a section would carry a
// non-finite coefficient.
devlink::Frame BuildCrossoverMessage(int channel, int preset, const CrossoverParams& block,
                                     const CrossoverSections& sections);

// 'u': delay and distance as 16-bit, the trim as 32-bit big-endian integers.
devlink::Frame BuildDelayMessage(int channel, const CrossoverParams& block, int preset);

// 'v' and 'w': 1 when the flag is non-zero, else 0.
devlink::Frame BuildEqOffMessage(int channel, uint32_t eqOff, int preset);
devlink::Frame BuildEqLinkMessage(int channel, uint32_t eqLink, int preset);

// 'x': the band mask alone.
devlink::Frame BuildEqBandMaskMessage(int channel, const uint32_t switches[kBandCount], int preset);

// 'y': bit k set when output k is muted.
devlink::Frame BuildMuteMaskMessage(const uint32_t mutes[kChannelCount]);

// 0x96: the packed listening points of the four presets.
devlink::Frame BuildListeningPointsMessage(uint8_t packed);

// 0xA4: five arrays indexed by the output (routing code, position, kind, passive-crossover
// variant, amplifier flag), from the assignments in order: a later one on the same output
// overwrites an earlier one; one whose output is not 0..7 or whose position or kind is not 0..11
// is left out. An output without one reads code 0, position and kind 0xFF, variant and flag 0.
devlink::Frame BuildRoutingMessage(std::span<const OutputAssignment> assignments);
// The same of the records that feed the preset's outputs.
devlink::Frame BuildRoutingMessage(const DspPreset& preset);
// 0x18 to the level node: the routing code of each output (0: none), then the mask of the
// outputs whose speaker has the amplifier flag; the same assignments, the same rules.
devlink::Frame BuildOutputMapMessage(std::span<const OutputAssignment> assignments);
constexpr size_t kOutputMapMessageLength = 15;

}  // namespace model
