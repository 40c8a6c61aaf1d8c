#include "dialogs/dyn_eq_records.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "dsp/eq.h"
#include "dsp/gain.h"

namespace dialogs {

bool DynEqGainFits(float dB) {
    if (!std::isfinite(dB)) return false;
    return dsp::DbToLinear(static_cast<double>(dB)) <= FLT_MAX;
}

void EasyCurveGains(float level, float gains[kDynEqBands]) {
    const float step = level / 18.0f;
    for (int i = 0; i < kDynEqBands; ++i) gains[i] = i <= 17 ? level - static_cast<float>(i) * step : 0.0f;
}

DynEqCurveRecord ResetDynEqCurve(int c) {
    DynEqCurveRecord r;
    std::memset(&r, 0, sizeof r);
    r.index = c;
    r.eqLevel = c == 0 ? 6.0f : -6.0f;
    r.reference = c == 0 ? -30.0f : 0.0f;
    EasyCurveGains(r.eqLevel, r.gains);
    for (model::BiquadSection& s : r.sections) {
        s.b[1] = 1.0;
        s.a[0] = 1.0;
        s.order = 2;
    }
    return r;
}

void DesignDynEqBands(DynEqCurveRecord& record) {
    // A gain that is not finite gives no finite design either way: its section stays as it was.
    dsp::ComputeEqBands(record.gains, record.sections);
}

}  // namespace dialogs
