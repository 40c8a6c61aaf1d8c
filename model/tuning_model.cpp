#include "model/tuning_model.h"

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "model/tables.h"

namespace model {
namespace {

struct DefaultOutput {
    int position;
    int kind;
};

// The speakers of a new tuning, by output.
constexpr DefaultOutput kDefaultOutputs[kChannelCount] = {
    {kFrontLeft, kWoofer},  {kFrontLeft, kMidrange},  {kFrontLeft, kTweeter},
    {kFrontRight, kWoofer}, {kFrontRight, kMidrange}, {kFrontRight, kTweeter},
    {kSubwooferSpot, kSubwooferL}, {kSubwooferSpot, kSubwooferR},
};

constexpr int kMaxAssignableIndex = 11;

bool IsSide(int position) {
    return position == kCenter || position == kRearRight || position == kRearLeft;
}

bool IsSubwooferKind(int kind) {
    return kind == kSubwooferR || kind == kSubwoofer || kind == kSubwooferL;
}

struct Choice {
    int32_t type;
    float lp;
    float hp;
};

void ApplyChoice(CrossoverParams& x, const Choice& c) {
    x.FilterType = c.type;
    x.typeMenuId = static_cast<uint32_t>(FilterTypeMenuId(c.type));
    x.LPFreq = c.lp;
    x.lpFreqMenuId = static_cast<uint32_t>(GetFrequencyMenuId(FindFrequencyIndex(c.lp, -1)));
    x.HPFreq = c.hp;
    x.hpFreqMenuId = static_cast<uint32_t>(GetFrequencyMenuId(FindFrequencyIndex(c.hp, -1)));
}

// Linkwitz, 12 dB per octave on both sides, flat equaliser.
void ApplyDefaultShape(DspChannelRecord& r) {
    for (float& g : r.EQGain) g = 0.0f;
    r.crossover.FilterModel = kLinkwitz;
    r.crossover.familyMenuId = kIdLinkwitz;
    r.crossover.LFSlope = 12.0f;
    r.crossover.HFSlope = 12.0f;
    r.crossover.lfSlopeMenuId = static_cast<uint32_t>(SlopeMenuId(12.0f));
    r.crossover.hfSlopeMenuId = r.crossover.lfSlopeMenuId;
}

}  // namespace

namespace {

void ClearRecords(std::array<DspPreset, kPresetCount>& presets) {
    for (auto& preset : presets) {
        preset = DspPreset{};
        for (auto& r : preset.channel) {
            r.output = kUnassigned;
            r.position = kUnassigned;
            r.kind = kUnassigned;
            r.crossover.bXoLink = 1;
            r.EQLink = 1;
        }
    }
}

}  // namespace

void TuningModel::ResetToDefaults() {
    changed_ = 0;
    muteDirty_ = 0;
    mute_.fill(0);
    for (auto& preset : dirty_)
        for (auto& channel : preset)
            for (auto& flag : channel) flag = 0;
    listeningPointDirty_ = 0;
    listeningPoint_.fill(0);
    currentPreset_ = 0;
    assignedCount_ = 0;
    workingMode_ = 1;
    ClearRecords(presets_);
    const DefaultOutput fullRange[] = {
        {kFrontLeft, kFull}, {kFrontRight, kFull}, {kRearLeft, kFull}, {kRearRight, kFull}};
    int output = 0;
    for (const DefaultOutput& d : fullRange) AssignChannel(d.position, d.kind, output++, 0, 0, 1);
    DesignAllPresets();
}

TuningModel::TuningModel(TuningObserver* observer) : observer_(observer ? observer : &noObserver_) {
    ClearRecords(presets_);
    for (auto& preset : sections_)
        for (auto& channel : preset) channel.section.fill(IdentitySection());

    for (int output = 0; output < kChannelCount; ++output)
        AssignChannel(kDefaultOutputs[output].position, kDefaultOutputs[output].kind, -1, 0, 0, 1);

    // The ways of a position grew while the outputs were assigned: give every output its default
    // again now that all of them exist.
    const uint32_t tracking = dirtyTracking_;
    if (connected_) dirtyTracking_ = 0;
    for (int output = 0; output < kChannelCount; ++output)
        SetDefaultChannelCrossover(output, kDefaultOutputs[output].position,
                                   kDefaultOutputs[output].kind);
    dirtyTracking_ = tracking;
    // Every preset, not only the current one: the senders and the chart use all four.
    DesignAllPresets();
}

int TuningModel::DesignRecord(int preset, int output) {
    if (preset < 0 || preset >= kPresetCount || output < 0 || output >= kChannelCount) return 0;
    DspChannelRecord& r = presets_[preset].channel[output];
    int result;
    {
        std::lock_guard<std::mutex> g(locks_[kLockCrossover]);
        result = dsp::DesignCrossover(r.crossover, sections_[preset][output]);
    }
    {
        std::lock_guard<std::mutex> g(locks_[kLockEqGains]);
        dsp::ComputeEqBands(&r);
    }
    return result;
}

void TuningModel::DesignPreset(int preset) {
    for (int output = 0; output < kChannelCount; ++output) DesignRecord(preset, output);
}

void TuningModel::DesignAllPresets() {
    for (int preset = 0; preset < kPresetCount; ++preset) DesignPreset(preset);
}

int TuningModel::Ways(int position) const {
    int ways = 0;
    for (const auto& r : presets_[currentPreset_].channel)
        if (IsAssigned(r) && r.position == position) ++ways;
    return ways;
}

bool TuningModel::KindAtPosition(int position, int kind) const {
    for (const auto& r : presets_[currentPreset_].channel)
        if (IsAssigned(r) && r.position == position && r.kind == kind) return true;
    return false;
}

int TuningModel::AssignChannel(int position, int kind, int output, int variant, uint32_t amplifier,
                               int withDefaults) {
    if (!observer_->ViewsReady()) return 0;
    if (assignedCount_ >= kChannelCount) return 0;
    if (position < 0 || position > kMaxAssignableIndex || kind < 0 || kind > kMaxAssignableIndex)
        return 0;
    if (output == -1) output = assignedCount_;
    // An explicit output beyond the eight would index past the records.
    if (output < 0 || output >= kChannelCount) return 0;

    observer_->SpeakerAssigned(output, position, kind, variant, amplifier);
    if (withDefaults != 0) SetDefaultChannelCrossover(output, position, kind);
    ++assignedCount_;
    return 1;
}

void TuningModel::SetDefaultChannelCrossover(int output, int position, int kind) {
    if (output < 0 || output >= kChannelCount) return;

    // The speaker is written into every preset first, so that it counts among the ways of its
    // position when its own default is chosen.
    for (auto& preset : presets_) {
        DspChannelRecord& r = preset.channel[output];
        r.output = output;
        r.position = position;
        r.kind = kind;
        r.inUse = 1;
        ApplyDefaultShape(r);
    }

    const int ways = Ways(position);
    const bool side = IsSide(position);
    const bool hasWoofer = KindAtPosition(position, kWoofer);
    const bool hasMidrange = KindAtPosition(position, kMidrange);

    for (auto& preset : presets_) {
        DspChannelRecord& r = preset.channel[output];
        Choice c{};
        switch (kind) {
            case kFull: c = {kFullRange, 50, 100}; break;
            case kWoofer:
                if (side) c = {kLowPass, 5000, 80};
                else if (ways == 1 && !hasMidrange) c = {kHighPass, 5000, 100};
                else if ((ways == 2 || ways == 0) && !hasMidrange) c = {kLowPass, 5000, 80};
                else c = {kLowPass, 500, 80};
                break;
            case kMidrange:
                if (ways == 2 && hasWoofer && (r.passiveVariant == 3 || r.passiveVariant == 7))
                    c = {kHighPass, 14000, 500};
                else if (ways == 2 && hasWoofer) c = {kBandPass, 500, 16000};
                else if (ways == 2) c = {kBandPass, 100, 5000};
                else if (ways == 1) c = {kHighPass, 5000, 100};
                else c = {kBandPass, 500, 5000};
                break;
            case kTweeter:
                if (side) c = {kHighPass, 80, 5000};
                else if (ways == 1) c = {kHighPass, 16000, 100};
                else c = {kHighPass, 16000, 5000};
                break;
            case kSubwooferR:
            case kSubwoofer:
            case kSubwooferL: c = {kLowPass, 150, 6000}; break;
            default: continue;  // no default filter for a kind the table does not know
        }
        ApplyChoice(r.crossover, c);
    }
}

void TuningModel::SetDefaultCrossovers(int preset) {
    if (preset < 0 || preset >= kPresetCount) preset = currentPreset_;

    bool changed = false;
    for (auto& r : presets_[preset].channel) {
        if (!IsAssigned(r)) continue;
        Choice c{};
        switch (r.kind) {
            case kFull: c = {kFullRange, 300, 6000}; break;
            case kWoofer: c = {kLowPass, 300, 6000}; break;
            case kMidrange: c = {kBandPass, 300, 4000}; break;
            case kTweeter: c = {kHighPass, 300, 4000}; break;
            default:
                if (!IsSubwooferKind(r.kind)) continue;
                c = {kLowPass, 150, 6000};
                break;
        }
        if (!changed) {
            observer_->ResetCrossoverPanel();
            observer_->ResetDisplaySwitches();
            observer_->ClearChartCurves();
            changed = true;
        }
        ApplyDefaultShape(r);
        ApplyChoice(r.crossover, c);
    }

    listeningPoint_[preset] = 0;
    if (preset == currentPreset_) observer_->ShowListeningPoint(0);
    if (changed) observer_->RefreshPages();
}

void TuningModel::SetDirty(int preset, int output, int flag) {
    if (!dirtyTracking_) return;
    SetDirtyAlways(preset, output, flag);
}

void TuningModel::SetDirtyAlways(int preset, int output, int flag) {
    if (preset < 0 || preset >= kPresetCount || output < 0 || output >= kChannelCount || flag < 0 ||
        flag >= kDirtyFlagCount)
        return;
    dirty_[preset][output][flag] = 1;
}

}  // namespace model
