// Time of a full filter design: every crossover and equaliser band of four presets by eight
// channels, as after loading a setup or reading the tuning back.
#include <cstdio>

#include "bench/timing.h"
#include "model/tables.h"
#include "model/tuning_model.h"

int main() {
    model::TuningModel m;
    // A demanding tuning: steep slopes, Butterworth band passes, every band boosted.
    for (int p = 0; p < model::kPresetCount; ++p)
        for (int o = 0; o < model::kChannelCount; ++o) {
            model::DspChannelRecord& r = m.Record(p, o);
            r.crossover.LFSlope = r.crossover.HFSlope = 48.0f;
            r.crossover.FilterModel = (o % 2) ? model::kButterworth : model::kLinkwitz;
            for (int k = 0; k < model::kBandCount; ++k) r.EQGain[k] = float((k % 13) - 6);
        }

    constexpr int kRounds = 2000;
    const bench::Figures us = bench::Time<std::micro>(kRounds, [&](int) { m.DesignAllPresets(); }, false);
    std::printf("full design (4 presets x 8 channels: crossovers + 31 EQ bands): "
                "median %.1f us, min %.1f us, p95 %.1f us over %d rounds\n",
                us.median, us.min, us.p95, kRounds);
    return 0;
}
