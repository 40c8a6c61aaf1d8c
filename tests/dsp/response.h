// Frequency response of a cascade of sections, evaluated directly on the unit circle.
#pragma once

#include <cmath>
#include <complex>

#include "dsp/crossover.h"
#include "model/records.h"

namespace testing_response {

inline std::complex<double> SectionResponse(const model::BiquadSection& s, double f) {
    const std::complex<double> zinv = std::polar(1.0, -2.0 * dsp::kPi * f / dsp::kSampleRate);
    std::complex<double> num = 0, den = 0, zk = 1;
    for (int k = 0; k < model::kCoefficientCount; ++k) {
        num += s.b[k] * zk;
        den += s.a[k] * zk;
        zk *= zinv;
    }
    return num / den;
}

inline std::complex<double> CascadeResponse(const model::BiquadSection* s, int count, double f) {
    std::complex<double> h = 1;
    for (int i = 0; i < count; ++i) h *= SectionResponse(s[i], f);
    return h;
}

inline double Db(double magnitude) { return 20.0 * std::log10(magnitude); }

// Prewarped frequency of the bilinear transform.
inline double W(double f) { return std::tan(dsp::kPi * f / dsp::kSampleRate); }

}  // namespace testing_response
