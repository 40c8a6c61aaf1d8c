#include "model/frequency_steps.h"

#include <utility>

#include "model/tables.h"

namespace model {

float FrequencyAbove(float f) {
    for (int i = 0; i < kFrequencyRows; ++i) {
        const float v = GetFrequencyValue(i);
        if (v > f) return v;
    }
    return -1.0f;
}

float FrequencyBelow(float f) {
    for (int i = kFrequencyRows - 1; i >= 0; --i) {
        const float v = GetFrequencyValue(i);
        if (v < f) return v;
    }
    return -1.0f;
}

float StepAbove(float f) {
    const float v = FrequencyAbove(f);
    return v < 0 ? kStepFallbackFrequency : v;
}

float StepBelow(float f) {
    const float v = FrequencyBelow(f);
    return v < 0 ? kStepFallbackFrequency : v;
}

bool SetFrequency(float& field, uint32_t& id, float value, uint32_t fallbackId) {
    if (field == value) return false;
    field = value;
    const int32_t listed = GetFrequencyMenuId(FindFrequencyIndex(value, -1));
    id = listed != -1 ? static_cast<uint32_t>(listed) : fallbackId;
    return true;
}

bool SeparateBandEdges(CrossoverParams& x) {
    const float above = FrequencyAbove(x.LPFreq);
    if (above >= 0) return SetFrequency(x.HPFreq, x.hpFreqMenuId, above, x.hpFreqMenuId);
    const float below = FrequencyBelow(x.HPFreq);
    if (below >= 0) return SetFrequency(x.LPFreq, x.lpFreqMenuId, below, x.lpFreqMenuId);
    return false;
}

bool OrderBandEdges(CrossoverParams& x) {
    if (x.HPFreq < x.LPFreq) {
        std::swap(x.LPFreq, x.HPFreq);
        std::swap(x.lpFreqMenuId, x.hpFreqMenuId);
        return true;
    }
    if (x.HPFreq == x.LPFreq) return SeparateBandEdges(x);
    return false;
}

}  // namespace model
