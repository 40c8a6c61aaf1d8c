#include "dsp/eq.h"

#include <cmath>

#include "dsp/gain.h"
#include "model/tables.h"

namespace dsp {

void DesignPeakingSection(double fOverFs, double g, double b[3], double a[3], int k) {
    const double A = std::sqrt(g);
    const double w0 = 6.283185307179586 * fOverFs;
    const double bw = (k == 0) ? 5.0 : 0.3333333333333333;
    const double sw = std::sin(w0), cw = std::cos(w0);
    // The digital bandwidth term w0 / sin w0 keeps the band's width in octaves after warping.
    const double alpha = sw * std::sinh(std::log(2.0) / 2.0 * bw * w0 / sw);
    const double d = 1.0 + alpha / A;
    b[0] = (1.0 + alpha * A) / d;
    b[1] = -2.0 * cw / d;
    b[2] = (1.0 - alpha * A) / d;
    a[0] = 1.0;
    a[1] = -2.0 * cw / d;
    a[2] = (1.0 - alpha / A) / d;
}

void ComputeEqBand(model::BiquadSection* section, double g, int k) {
    if (!section || k < 0 || k >= model::kBandCount) return;
    const double fOverFs = (k == 0) ? kBand0CentreOverFs : model::kBandCentreHz[k] / 48000.0;
    double b[3], a[3];
    DesignPeakingSection(fOverFs, g, b, a, k);
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(b[i]) || !std::isfinite(a[i])) return;
    for (int i = 0; i < 3; ++i) {
        section->b[i] = b[i];
        section->a[i] = a[i];
    }
    section->order = 2;
}

void ComputeEqBandDb(model::BiquadSection* section, double dB, int k) {
    ComputeEqBand(section, DbToLinear(dB), k);
}

void ComputeEqBands(const float gainsDb[model::kBandCount], model::BiquadSection sections[model::kBandCount]) {
    if (!gainsDb || !sections) return;
    for (int k = 0; k < model::kBandCount; ++k) {
        const float dB = gainsDb[k];
        if (!std::isfinite(dB)) continue;
        ComputeEqBandDb(&sections[k], dB, k);
    }
}

void ComputeEqBands(model::DspChannelRecord* record) {
    if (!record) return;
    ComputeEqBands(record->EQGain, record->eqSections);
}

}  // namespace dsp
