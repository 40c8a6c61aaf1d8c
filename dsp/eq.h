// Equaliser band sections: one peaking biquad per band at 48000 Hz. The chart draws them; the
// device receives only the band gains and designs its own.
#pragma once

#include "model/records.h"

namespace dsp {

// Band 0 is a five-octave shelf-like peak centred far below its table centre.
constexpr double kBand0CentreOverFs = 8.1375e-5;

// The peaking filter of the audio-EQ cookbook with the bandwidth in octaves: writes b[0..2], a[0..2].
void DesignPeakingSection(double fOverFs, double g, double b[3], double a[3], int k);

// Designs band k (0..30) with linear gain g into the section (b0..b2, a0..a2, order 2); a null
// section, a band out of range or a gain that gives no finite design leaves it as it was.
void ComputeEqBand(model::BiquadSection* section, double g, int k);

// Designs band k from its gain in decibels: ComputeEqBand with DbToLinear(dB).
void ComputeEqBandDb(model::BiquadSection* section, double dB, int k);

// Designs all 31 sections from their gains in dB (gainsDb[k] for sections[k]); a band whose gain
// is not finite keeps its section. Null arrays are ignored.
void ComputeEqBands(const float gainsDb[model::kBandCount], model::BiquadSection sections[model::kBandCount]);

// The same for a channel record's gains and sections. A null record is ignored.
void ComputeEqBands(model::DspChannelRecord* record);

}  // namespace dsp
