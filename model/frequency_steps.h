// Moving a crossover frequency along the list of the crossover panel's frequencies. The list is
// sorted, so neighbours are found by value: a frequency that is not in the list (from a file or the
// device) still has a sensible entry above and below it.
#pragma once

#include <cstdint>

#include "model/records.h"

namespace model {

constexpr float kLowestFrequency = 10.0f;
constexpr float kHighestFrequency = 20000.0f;
// Where a step off either end of the list lands.
constexpr float kStepFallbackFrequency = 3500.0f;

// The first list entry above / the last below f; -1.0 when there is none.
float FrequencyAbove(float f);
float FrequencyBelow(float f);
// A step above / below f, or 3500 Hz when the list has no such entry.
float StepAbove(float f);
float StepBelow(float f);

// Sets a frequency and its menu id (the list's id of the value, or fallbackId when the value is
// not in the list). False, and nothing written, when the field already holds the value.
bool SetFrequency(float& field, uint32_t& id, float value, uint32_t fallbackId);

// Separates a band pass with equal edges: the upper edge takes the entry above the lower one, or,
// at the top of the list, the lower edge the entry below the upper one. True when something moved.
bool SeparateBandEdges(CrossoverParams& x);
// Swaps crossed band-pass edges (with their ids) and separates equal ones. True when something
// moved.
bool OrderBandEdges(CrossoverParams& x);

}  // namespace model
