// The unit's configuration frames the wizard reads back: the input configuration (0xA3 of 20
// bytes) and the routing (0xA4 of 46 bytes), read into the wizard's record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dialogs/wizard_records.h"
#include "model/tuning_model.h"

namespace dialogs {

constexpr size_t kWizardInputConfigLength = 20, kWizardRoutingLength = 46;

// The layout a unit's routing frame (0xA4 of 46 bytes) reports: one assignment per output whose
// position and kind both lie in 0..11, with its passive variant and its amplifier flag (0 or 1).
// Empty for a frame of another command or length.
std::vector<model::OutputAssignment> RoutingFrameAssignments(const uint8_t* frame, size_t length);

// The input configuration into the record: the input type (byte 5: 1 low-level, 2 high-level),
// the five source flags and the inputs of that type, a code that names none of the type's inputs
// being Not Connected; the other type's inputs become Not Connected. False, with the record
// untouched, for another input type. The frame is a 20-byte 0xA3 frame.
bool ReadInputConfig(const uint8_t* frame, WizardIoRecord& record);

// One output of a routing frame as the car view reads it: -1 for an unassigned position or kind.
struct RoutedOutput {
    int position, kind, variant, amplifier;
};
// The eight outputs of a 46-byte 0xA4 frame.
std::array<RoutedOutput, model::kChannelCount> RoutedOutputs(const uint8_t* frame);
// The kinds (Woofer 1, Midrange 2, Tweeter 3) behind a passive crossover of variant v.
std::vector<int> PassiveKinds(int v);

// The output table from the routed outputs: every entry without a channel, amplifier, passive
// crossover or presence, then each speaker an output feeds, as itself, present on that output.
void ReadRoutedSpeakers(const std::array<RoutedOutput, model::kChannelCount>& outputs, WizardIoRecord& record);
// Then the speakers behind a passive crossover and the amplifiers, for outputs whose speaker the
// table knows: an output without a crossover (variant 0) feeds its own speaker; one with a crossover
// the kinds behind it, marked passive.
void ReadRoutedPassives(const std::array<RoutedOutput, model::kChannelCount>& outputs, WizardIoRecord& record);

}  // namespace dialogs
