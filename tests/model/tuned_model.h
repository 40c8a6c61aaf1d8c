// A tuning that uses every field a file carries, built the same way in every build (only values
// that are exact in single precision), for round trips and for the reference files checked in
// beside the tests.
#pragma once

#include "model/tables.h"
#include "model/tuning_model.h"

namespace filetest {

inline void Tune(model::TuningModel& m) {
    using namespace model;
    for (int p = 0; p < kPresetCount; ++p) {
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord& r = m.Record(p, o);
            for (int k = 0; k < kBandCount; ++k) {
                r.EQGain[k] = static_cast<float>((k * 7 + o * 3 + p) % 49 - 24) * 0.25f;
                r.btmskSel[k] = ((k + o + p) % 3 == 0) ? 1u : 0u;
            }
            CrossoverParams& x = r.crossover;
            x.distance = 37 * o + 100 * p;
            x.delayTrim = (o % 3) - 1;
            x.bInvPhase = (o + p) % 2;
            r.EQOff = (o == 5 && p == 1) ? 1u : 0u;
            r.amplifier = o % 2;
        }
        m.SetListeningPointValue(p, (p + 1) % 4);
        m.ComputeDelaysFromDistances(p, 0);
    }
    // Crossovers beyond the defaults: Butterworth, steep slopes, a value off the list.
    CrossoverParams& a = m.Record(2, 1).crossover;
    a.FilterModel = kButterworth;
    a.familyMenuId = kIdButterworth;
    a.LFSlope = 36.0f;
    a.LPFreq = 400.0f;
    a.HPFreq = 6000.0f;
    CrossoverToMenuIds(&a);
    CrossoverParams& b = m.Record(3, 0).crossover;
    b.LPFreq = 733.5f;  // kept as written, with the id it had
    b.LFSlope = 48.0f;
    b.bXoLink = 0;
    CrossoverParams& c = m.Record(1, 7).crossover;
    c.FilterType = kFullRange;
    c.typeMenuId = kIdFullRange;
    m.Record(0, 2).passiveVariant = 3;
    m.Record(1, 4).EQLink = 0;
    m.Record(3, 6).inUse = 0;
    m.DesignAllPresets();
}

}  // namespace filetest
