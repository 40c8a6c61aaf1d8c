#include "pages/source_records.h"

#include <cfloat>
#include <cmath>

#include "dsp/eq.h"
#include "dsp/gain.h"

namespace pages {

bool GainFitsFrame(float dB) {
    if (!std::isfinite(dB)) return false;
    const double g = dsp::DbToLinear(dB);
    return std::isfinite(g) && g <= static_cast<double>(FLT_MAX);
}

void DesignSourceBand(ExtSourceRecord* r, int k) {
    if (GainFitsFrame(r->gains[k])) dsp::ComputeEqBandDb(&r->sections[k], r->gains[k], k);
}

void DesignSourceSections(ExtSourceRecord* r) {
    for (int k = 0; k < kSourceBands; ++k) {
        r->sections[k] = model::BiquadSection{};
        dsp::ComputeEqBand(&r->sections[k], 1.0, k);
        DesignSourceBand(r, k);
    }
}

ExtSourceRecord InitialSourceRecord() {
    ExtSourceRecord r;
    DesignSourceSections(&r);
    r.master = kDefaultSourceMaster;
    r.sensitivity = kDefaultSensitivity;
    return r;
}

}  // namespace pages
