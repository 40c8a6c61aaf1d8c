// The rules that keep the channels of a tuning consistent with each other: mirror partners, delays
// from distances, and, in the Standard working mode, the ways of one position joined at common
// frequencies.
#include <cstdint>
#include <mutex>

#include "model/frequency_steps.h"
#include "model/tables.h"
#include "model/tuning_model.h"

namespace model {
namespace {

constexpr int32_t kMaxDelay = 1056;  // 22 ms at 48000 Hz

bool IsSubwooferKind(int kind) {
    return kind == kSubwooferR || kind == kSubwoofer || kind == kSubwooferL;
}

// The lower way of a two-way pair joins its upper edge to the partner's lower edge.
bool IsLowerWay(int own, int partner) {
    return own == kWoofer || (own == kMidrange && partner == kTweeter);
}
bool IsUpperWay(int own, int partner) {
    return own == kTweeter || (own == kMidrange && partner == kWoofer);
}

int WaysIn(const DspPreset& preset, int position) {
    int ways = 0;
    for (const auto& r : preset.channel)
        if (IsAssigned(r) && r.position == position) ++ways;
    return ways;
}

// The first assigned output at a position with that kind, or -1.
int FirstOfKind(const DspPreset& preset, int position, int kind) {
    for (int o = 0; o < kChannelCount; ++o) {
        const DspChannelRecord& r = preset.channel[o];
        if (IsAssigned(r) && r.position == position && r.kind == kind) return o;
    }
    return -1;
}

// The first other assigned output at the same position with a different kind, or -1.
int TwoWayPartner(const DspPreset& preset, int output) {
    const DspChannelRecord& own = preset.channel[output];
    for (int o = 0; o < kChannelCount; ++o) {
        const DspChannelRecord& r = preset.channel[o];
        if (o != output && IsAssigned(r) && r.position == own.position && r.kind != own.kind)
            return o;
    }
    return -1;
}

void SetFilterType(CrossoverParams& x, int32_t type) {
    x.FilterType = type;
    x.typeMenuId = static_cast<uint32_t>(FilterTypeMenuId(type));
}

// The two edges of a band pass (or the cut-offs of any block) as value and menu id together.
struct Edge {
    float& value;
    uint32_t& id;
};
Edge Lp(CrossoverParams& x) { return {x.LPFreq, x.lpFreqMenuId}; }
Edge Hp(CrossoverParams& x) { return {x.HPFreq, x.hpFreqMenuId}; }

// Copies a shared frequency into another block; false when it already held it.
bool Share(Edge to, const Edge& from) { return SetFrequency(to.value, to.id, from.value, from.id); }

}  // namespace

int TuningModel::FindMirrorChannel(int output) const {
    if (output < 0 || output >= kChannelCount) return -1;
    const DspPreset& preset = presets_[currentPreset_];
    const DspChannelRecord& own = preset.channel[output];
    if (!IsAssigned(own)) return -1;

    int position = -1;
    int kind = own.kind;
    switch (own.position) {
        case kFrontLeft: position = kFrontRight; break;
        case kFrontRight: position = kFrontLeft; break;
        case kRearLeft: position = kRearRight; break;
        case kRearRight: position = kRearLeft; break;
        case kSubwooferSpot:
            position = kSubwooferSpot;
            if (own.kind == kSubwooferL) kind = kSubwooferR;
            else if (own.kind == kSubwooferR) kind = kSubwooferL;
            else return -1;  // the plain subwoofer has no partner
            break;
        default: return -1;  // the center
    }
    for (const auto& r : preset.channel)
        if (IsAssigned(r) && r.position == position && r.kind == kind && r.output < kChannelCount)
            return r.output;
    return -1;
}

int TuningModel::ComputeDelaysFromDistances(int preset, int output) {
    if (preset < 0 || preset >= kPresetCount) return 0;
    std::lock_guard<std::mutex> guard(locks_[kLockDelay]);
    DspPreset& ps = presets_[preset];

    // 64-bit arithmetic: distances come from files and the device and may be anything.
    int64_t farthest = 0;
    for (const auto& r : ps.channel)
        if (IsAssigned(r) && r.crossover.distance > farthest) farthest = r.crossover.distance;

    int result = 0;
    auto changed = [&](int o) {
        SetDirty(preset, o, kDirtyDelay);
        if (o == output) result = 1;
    };
    for (int o = 0; o < kChannelCount; ++o) {
        CrossoverParams& x = ps.channel[o].crossover;
        if (!IsAssigned(ps.channel[o])) continue;
        int64_t delay = farthest - x.distance;
        if (delay < 0) delay = 0;
        if (delay > kMaxDelay) delay = kMaxDelay;
        if (delay != x.delay) {
            x.delay = static_cast<int32_t>(delay);
            changed(o);
        }
    }
    for (int o = 0; o < kChannelCount; ++o) {
        CrossoverParams& x = ps.channel[o].crossover;
        if (!IsAssigned(ps.channel[o])) continue;
        const int64_t total = int64_t{x.delay} + x.delayTrim;
        int32_t trim = x.delayTrim;
        if (total < 0) trim = -x.delay;
        else if (total > kMaxDelay) trim = kMaxDelay - x.delay;
        if (trim != x.delayTrim) {
            x.delayTrim = trim;
            changed(o);
        }
    }
    if (output >= 0 && output < kChannelCount) SetDirty(preset, output, kDirtyDelay);
    return result;
}

int TuningModel::ApplyCrossoverRules(int output, int preset) {
    if (workingMode_ != 1) return 0;
    if (output < 0 || output >= kChannelCount) return 0;
    if (preset < 0 || preset >= kPresetCount) preset = currentPreset_;
    DspPreset& ps = presets_[preset];
    DspChannelRecord& own = ps.channel[output];
    if (!IsAssigned(own)) return 0;

    bool changed = false;
    const int ways = WaysIn(ps, own.position);
    if (ways == 2) {
        const int partner = TwoWayPartner(ps, output);
        if (partner < 0) return 0;
        CrossoverParams& o = own.crossover;
        CrossoverParams& q = ps.channel[partner].crossover;
        const int32_t t = o.FilterType;
        const int32_t p = q.FilterType;
        if (t == kLowPass && p == kHighPass) changed |= Share(Hp(q), Lp(o));
        if (t == kHighPass && p == kLowPass) changed |= Share(Lp(q), Hp(o));
        if (t == kBandPass) changed |= OrderBandEdges(o);
        if (t == kBandPass && p == kBandPass && IsLowerWay(own.kind, ps.channel[partner].kind)) {
            changed |= Share(Lp(q), Hp(o));
            if (q.HPFreq <= q.LPFreq) changed |= SeparateBandEdges(q);
        }
        if (p == kBandPass) changed |= OrderBandEdges(q);
        if (t == kBandPass && p == kHighPass) changed |= Share(Hp(q), Hp(o));
        if (t == kLowPass && p == kBandPass) changed |= Share(Lp(q), Lp(o));
        if (t == kHighPass && p == kBandPass) changed |= Share(Hp(q), Hp(o));
        if (t == kBandPass && p == kLowPass) changed |= Share(Lp(q), Lp(o));
        return changed ? 1 : 0;
    }

    if (ways == 3 && (own.kind == kWoofer || own.kind == kMidrange || own.kind == kTweeter)) {
        const int wo = FirstOfKind(ps, own.position, kWoofer);
        const int mo = FirstOfKind(ps, own.position, kMidrange);
        const int to = FirstOfKind(ps, own.position, kTweeter);
        if (wo < 0 || mo < 0 || to < 0) return 0;
        CrossoverParams& w = ps.channel[wo].crossover;
        CrossoverParams& m = ps.channel[mo].crossover;
        CrossoverParams& t = ps.channel[to].crossover;
        for (CrossoverParams* x : {&w, &m, &t})
            if (x->FilterType == kBandPass) changed |= OrderBandEdges(*x);
        const bool wooferJoins = w.FilterType == kLowPass || w.FilterType == kBandPass;
        const bool tweeterJoins = t.FilterType == kHighPass || t.FilterType == kBandPass;
        if (wooferJoins && tweeterJoins) {
            changed |= Share(w.FilterType == kBandPass ? Hp(w) : Lp(w), Lp(m));
            changed |= Share(t.FilterType == kBandPass ? Lp(t) : Hp(t), Hp(m));
            for (CrossoverParams* x : {&w, &m, &t})
                if (x->FilterType == kBandPass && x->LPFreq == x->HPFreq)
                    changed |= SeparateBandEdges(*x);
        }
        return changed ? 1 : 0;
    }
    return 0;
}

// The records are written under the locks their messages are built under (the filter words under
// the crossover lock, distance, delay and trim under the delay lock); the crossover panel learns of
// corrections only after both are released, since showing them calls back into the page.
int TuningModel::ApplyLinkedCrossovers(int output, const CrossoverParams& panel, int raw) {
    if (workingMode_ != 1) return -1;
    if (output < 0 || output >= kChannelCount) return -1;
    bool show = false;
    int result;
    {
        std::lock_guard<std::mutex> crossover(locks_[kLockCrossover]);
        if (raw != 0) {
            std::lock_guard<std::mutex> delay(locks_[kLockDelay]);
            result = LinkCrossovers(output, panel, 1, show);
        } else {
            result = LinkCrossovers(output, panel, 0, show);
        }
    }
    if (show) observer_->ShowCrossover(output);
    return result;
}

int TuningModel::LinkCrossovers(int output, const CrossoverParams& panel, int raw, bool& show) {
    DspPreset& ps = presets_[currentPreset_];
    DspChannelRecord& own = ps.channel[output];
    CrossoverParams& o = own.crossover;

    const CrossoverParams before = o;
    CopyCrossoverParams(&o, &panel, raw != 0 ? 1 : 0);
    if (o.FilterType == before.FilterType && o.LPFreq == before.LPFreq &&
        o.HPFreq == before.HPFreq)
        return -1;
    if (!IsAssigned(own)) return -1;

    // Every correction of the edited record shows on the crossover panel at once.
    auto correct = [&](Edge e, float value) {
        if (SetFrequency(e.value, e.id, value, e.id)) show = true;
    };
    auto clampAbove = [&](Edge e, float limit) {
        if (e.value > limit) correct(e, limit);
    };
    auto clampBelow = [&](Edge e, float limit) {
        if (e.value < limit) correct(e, limit);
    };

    int result = -1;
    const int32_t t = o.FilterType;
    if (WaysIn(ps, own.position) == 2) {
        const int n = TwoWayPartner(ps, output);
        if (n >= 0) {
            CrossoverParams& q = ps.channel[n].crossover;
            const int32_t p = q.FilterType;
            const int nk = ps.channel[n].kind;
            result = n;
            if (t == kBandPass && p == kHighPass) {
                clampAbove(Hp(o), kHighestFrequency);
                Share(Hp(q), Hp(o));
            } else if (t == kBandPass && p == kBandPass && IsLowerWay(own.kind, nk)) {
                if (q.HPFreq <= o.HPFreq) correct(Hp(o), StepBelow(q.HPFreq));
                Share(Lp(q), Hp(o));
            } else if (t == kBandPass && p == kBandPass && IsUpperWay(own.kind, nk)) {
                if (o.LPFreq <= q.LPFreq) correct(Lp(o), StepAbove(q.LPFreq));
                Share(Hp(q), Lp(o));
            } else if (t == kBandPass && p == kLowPass) {
                clampBelow(Lp(o), kLowestFrequency);
                Share(Lp(q), Lp(o));
            } else if (t == kLowPass && p == kHighPass) {
                clampAbove(Lp(o), kHighestFrequency);
                Share(Hp(q), Lp(o));
            } else if (t == kLowPass && p == kBandPass) {
                if (q.HPFreq <= o.LPFreq) correct(Lp(o), StepBelow(q.HPFreq));
                Share(Lp(q), Lp(o));
            } else if (t == kHighPass && p == kLowPass) {
                clampBelow(Hp(o), kLowestFrequency);
                Share(Lp(q), Hp(o));
            } else if (t == kHighPass && p == kBandPass) {
                if (o.HPFreq <= q.LPFreq) correct(Hp(o), StepAbove(q.LPFreq));
                Share(Hp(q), Hp(o));
            } else {
                result = -1;
            }
        }
    } else {
        // The way below and the way above, found by kind.
        const int wo = FirstOfKind(ps, own.position, kWoofer);
        const int mo = FirstOfKind(ps, own.position, kMidrange);
        const int to = FirstOfKind(ps, own.position, kTweeter);
        if ((own.kind == kWoofer || own.kind == kTweeter) && mo >= 0 &&
            ps.channel[mo].crossover.FilterType == kBandPass) {
            CrossoverParams& m = ps.channel[mo].crossover;
            if (own.kind == kWoofer && t == kLowPass) {
                if (m.HPFreq <= o.LPFreq) correct(Lp(o), StepBelow(m.HPFreq));
                Share(Lp(m), Lp(o));
                result = mo;
            } else if (own.kind == kWoofer && t == kBandPass) {
                if (m.HPFreq <= o.HPFreq) correct(Hp(o), StepBelow(m.HPFreq));
                Share(Lp(m), Hp(o));
                result = mo;
            } else if (own.kind == kTweeter && t == kHighPass) {
                if (o.HPFreq <= m.LPFreq) correct(Hp(o), StepAbove(m.LPFreq));
                Share(Hp(m), Hp(o));
                result = mo;
            } else if (own.kind == kTweeter && t == kBandPass) {
                if (o.LPFreq <= m.LPFreq) correct(Lp(o), StepAbove(m.LPFreq));
                Share(Hp(m), Lp(o));
                result = mo;
            }
        } else if (own.kind == kMidrange && t == kBandPass && wo >= 0 && to >= 0) {
            CrossoverParams& tw = ps.channel[to].crossover;
            CrossoverParams& wf = ps.channel[wo].crossover;
            bool applied = false;
            if (tw.FilterType == kHighPass) {
                clampAbove(Hp(o), kHighestFrequency);
                Share(Hp(tw), Hp(o));
                applied = true;
            }
            if (tw.FilterType == kBandPass) {
                if (tw.HPFreq <= o.HPFreq) correct(Hp(o), StepBelow(tw.HPFreq));
                Share(Lp(tw), Hp(o));
                applied = true;
            }
            if (wf.FilterType == kBandPass) {
                if (o.LPFreq <= wf.LPFreq) correct(Lp(o), StepAbove(wf.LPFreq));
                Share(Hp(wf), Lp(o));
                applied = true;
            }
            if (wf.FilterType == kLowPass) {
                clampBelow(Lp(o), kLowestFrequency);
                Share(Lp(wf), Lp(o));
                applied = true;
            }
            if (applied) result = o.LPFreq == before.LPFreq ? to : wo;
        }
    }

    if (ApplyCrossoverRules(output, currentPreset_) != 0) show = true;
    return result;
}

void TuningModel::SetConfigMode(uint32_t mode) {
    workingMode_ = mode != 0 ? 1u : 0u;
    observer_->WorkingModeChanged(workingMode_);
    if (workingMode_ != 1) return;

    // The filter type that each kind has in Standard mode (crossover words: the crossover lock).
    {
    std::lock_guard<std::mutex> crossover(locks_[kLockCrossover]);
    for (int p = 0; p < kPresetCount; ++p) {
        for (auto& r : presets_[p].channel) {
            if (r.kind == kWoofer || IsSubwooferKind(r.kind)) {
                SetFilterType(r.crossover, kLowPass);
            } else if (r.kind == kTweeter) {
                SetFilterType(r.crossover, kHighPass);
            } else if (r.kind == kMidrange) {
                if (WaysIn(presets_[p], r.position) != 2)
                    SetFilterType(r.crossover, kBandPass);
                else
                    SetFilterType(r.crossover, FirstOfKind(presets_[p], r.position, kWoofer) >= 0
                                                   ? kHighPass
                                                   : kLowPass);
            }
        }
    }
    }
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) ApplyCrossoverRules(o, p);

    // All ways of a position share the links and the equaliser of its first output.
    int first[kPositionCount];
    for (int position = 0; position < kPositionCount; ++position) first[position] = -1;
    for (int o = 0; o < kChannelCount; ++o) {
        const DspChannelRecord& r = presets_[currentPreset_].channel[o];
        if (IsAssigned(r) && r.position >= 0 && r.position < kPositionCount &&
            first[r.position] < 0)
            first[r.position] = o;
    }
    for (int p = 0; p < kPresetCount; ++p) {
        DspPreset& ps = presets_[p];
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord& r = ps.channel[o];
            if (!IsAssigned(r) || r.position < 0 || r.position >= kPositionCount) continue;
            const int f = first[r.position];
            if (f < 0 || f == o) continue;
            const DspChannelRecord& lead = ps.channel[f];
            const int mirror = FindMirrorChannel(o);
            // Each group's words under that group's lock, the one they are sent under.
            {
                std::lock_guard<std::mutex> link(locks_[kLockEqLink]);
                r.EQLink = lead.EQLink;
            }
            {
                std::lock_guard<std::mutex> crossover(locks_[kLockCrossover]);
                r.crossover.bXoLink = lead.crossover.bXoLink;
                // Like every other link copy, the partner keeps its own distance, delay and trim.
                if (r.crossover.bXoLink && mirror >= 0)
                    CopyCrossoverParams(&ps.channel[mirror].crossover, &r.crossover, 0);
            }
            const bool mirrored = r.EQLink && mirror >= 0;
            {
                std::lock_guard<std::mutex> gains(locks_[kLockEqGains]);
                for (int k = 0; k < kBandCount; ++k) r.EQGain[k] = lead.EQGain[k];
                if (mirrored)
                    for (int k = 0; k < kBandCount; ++k) ps.channel[mirror].EQGain[k] = r.EQGain[k];
            }
            {
                std::lock_guard<std::mutex> off(locks_[kLockEqOff]);
                r.EQOff = lead.EQOff;
                if (mirrored) ps.channel[mirror].EQOff = r.EQOff;
            }
        }
    }
    // The rules changed frequencies in every preset: all of them are designed again, so that no
    // preset keeps sections that no longer match its parameters.
    DesignAllPresets();
    observer_->RefreshPages();
}

}  // namespace model
