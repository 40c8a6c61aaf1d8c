// The tuning's parser of received frames: the channel equaliser ('s'), crossover ('t'), delay
// ('u'), listening points (0x96) and input configuration (0xA3) that the device streams when its
// tuning is read back. What they carry is stored through TuningModel's setters, which take the
// group's lock and recompute the filter sections; no send flag is touched, since the device
// already holds these values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/tuning_model.h"

namespace model {

// Offers one received frame (checksum already checked by the dispatcher). Returns 1 when the
// frame is one of the tuning's kinds, so the dispatcher removes it, whether or not it was stored
// (a wrong length, an index out of range or a value the model cannot hold is dropped); 0 for
// any other frame. A 131-byte crossover frame is a live equaliser curve: taken, nothing stored
// here. User-interface thread.
int ParseTuningMessage(TuningModel& model, const uint8_t* frame, size_t length);

// What the tuning page does with a received frame: the tuning's kinds are stored as above, and a
// live equaliser curve (the 131-byte crossover frame) is shown on the current preset's output.
int ReceiveTuningFrame(TuningModel& model, const uint8_t* frame, size_t length);

// The highest crossover frequency the model accepts from the device (below half the 48 kHz
// sample rate).
constexpr float kMaxReceivedFrequencyHz = 24000.0f;

}  // namespace model
