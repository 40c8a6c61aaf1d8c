// Crossover filter design at the device's sample rate: IIR cascades from a channel's crossover
// block. The sections are what the device receives and what the response chart draws.
#pragma once

#include <complex>

#include "model/records.h"

namespace dsp {

constexpr double kSampleRate = 48000.0;
constexpr double kPi = 3.141592653589793;

// One numerator or denominator row of a general builder: five values, the first three used.
using Row = double[5];

// Designs the crossover of a block into its sections (at most kMaxCrossoverSections) and sets its
// section count. Returns 1 when designed; 0 when not, in which case the sections and the count are
// unchanged — except for a Linkwitz design of order 0 or less, which leaves identity sections and
// count 0 as the device expects. A block whose values cannot give a sound filter (a slope outside
// 0..48 dB, a cut-off outside (0, 24000) Hz, a band pass whose edges cross, a design with a
// non-finite coefficient or an unstable pole) is refused.
int DesignCrossover(model::CrossoverParams& params, model::CrossoverSections& sections);

// Fixed-order builders (f in Hz); their sections keep a0 as designed.
void DesignFirstOrderLowPass(double f, double fs, model::BiquadSection* s);
void DesignFirstOrderHighPass(double f, double fs, model::BiquadSection* s);
void DesignButterworthLowPass2(double f, double fs, model::BiquadSection* s);
void DesignButterworthHighPass2(double f, double fs, model::BiquadSection* s);
// Two sections: a first-order factor (order 1) and a second-order factor.
void DesignButterworthLowPass3(double f, double fs, model::BiquadSection* s);
void DesignButterworthHighPass3(double f, double fs, model::BiquadSection* s);
// Two second-order sections with a0 = 1, from the prototype with the constants 2.613 and 3.414.
void DesignButterworthLowPass4(double f, double fs, model::BiquadSection* s);
void DesignButterworthHighPass4(double f, double fs, model::BiquadSection* s);

// Band-pass builders between f1 and f2: one, two, three and four sections.
void DesignBandPass1(double f1, double f2, double fs, model::BiquadSection* s);
void DesignBandPass2(double f1, double f2, double fs, model::BiquadSection* s);
void DesignBandPass3(double f1, double f2, double fs, model::BiquadSection* s);
void DesignBandPass4(double f1, double f2, double fs, model::BiquadSection* s);

// General Butterworth builders of order n >= 0 into rows; return the number of sections written
// (n / 2 + 1 for low and high pass, 2 (n / 2) + 1 for band pass); rows must have room for that many.
int DesignButterworthLowPass(double fs, double f, int n, Row* num, Row* den);
int DesignButterworthHighPass(double fs, double f, int n, Row* num, Row* den);
int DesignButterworthBandPass(double fs, double f1, double f2, int n, Row* num, Row* den);

// Roots of x^3 + p x^2 + q x + r by Cardano's formulas; returns how many are real (1 or 3). With
// one real root, roots[0] is it and roots[1], roots[2] are the complex pair.
int SolveCubic(double p, double q, double r, std::complex<double> roots[3]);

// atan2 with exact values on the axes.
double PhaseAngle(double y, double x);

// Splits the monic quartic x^4 + c[0] x^3 + c[1] x^2 + c[2] x + c[3] into (x^2 + p0 x + q0)
// (x^2 + p1 x + q1). Returns false when no real split was found.
bool FactorQuartic(const double c[4], double p[2], double q[2]);

// True when a section's coefficients are finite and its poles lie strictly inside the unit circle.
bool SectionIsStable(const model::BiquadSection& s);

}  // namespace dsp
