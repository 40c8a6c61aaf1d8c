// Decibels and the linear gains the unit holds: the one conversion, both ways.
#pragma once

#include <cmath>

namespace dsp {

inline double DbToLinear(double dB) { return std::pow(10.0, dB / 20.0); }

// Linear to decibels at the caller's precision: float gains received from the unit are converted
// in float, as they always were, so that every stored value stays bit-identical.
inline double LinearToDb(double g) { return 20.0 * std::log10(g); }
inline float LinearToDb(float g) { return 20.0f * std::log10(g); }

}  // namespace dsp
