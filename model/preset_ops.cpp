// Operations on whole channels and presets: recomputing after an edit, selecting, copying and
// resetting presets, rebuilding the layout from an I/O configuration, and the device's live
// equaliser curve.
#include <cmath>
#include <mutex>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "dsp/gain.h"
#include "link/bytes.h"
#include "model/tuning_model.h"

namespace model {
namespace {

constexpr uint8_t kEqCurveCommand = 0x74;
constexpr size_t kEqCurveLength = 131;  // 5 header bytes, output, 31 f32 gains, checksum
constexpr int kMaxAssignableIndex = 11;

bool ValidAssignment(const OutputAssignment& e) {
    return e.output >= 0 && e.output < kChannelCount && e.position >= 0 &&
           e.position <= kMaxAssignableIndex && e.kind >= 0 && e.kind <= kMaxAssignableIndex;
}

}  // namespace

void TuningModel::SetEqBandGain(int output, int band) {
    if (output < 0 || output >= kChannelCount) return;
    const bool all = band == -1 || band == -2;
    if (!all && (band < 0 || band >= kBandCount)) return;
    DspChannelRecord& r = presets_[currentPreset_].channel[output];
    std::lock_guard<std::mutex> guard(locks_[kLockEqGains]);
    const int first = all ? 0 : band;
    const int last = all ? kBandCount - 1 : band;
    for (int k = first; k <= last; ++k) {
        if (std::isfinite(r.EQGain[k])) dsp::ComputeEqBandDb(&r.eqSections[k], r.EQGain[k], k);
        SetDirty(currentPreset_, output, kDirtyBand0 + k);
    }
}

int TuningModel::UpdateCrossoverCoefficients(int output) {
    if (output < 0 || output >= kChannelCount) return 0;
    std::lock_guard<std::mutex> guard(locks_[kLockCrossover]);
    const int designed = dsp::DesignCrossover(presets_[currentPreset_].channel[output].crossover,
                                              sections_[currentPreset_][output]);
    if (designed) SetDirty(currentPreset_, output, kDirtyCrossover);
    return designed;
}

void TuningModel::CyclePresets(bool trackingOff) {
    const uint32_t tracking = dirtyTracking_;
    if (trackingOff) dirtyTracking_ = 0;
    const int previous = currentPreset_;
    for (int p = 0; p < kPresetCount; ++p) {
        currentPreset_ = p;
        DesignPreset(p);
        observer_->RefreshPages();
        observer_->ShowListeningPoint(listeningPoint_[p]);
    }
    currentPreset_ = previous;
    observer_->RefreshPages();
    observer_->PresetSelected(previous);
    observer_->ShowListeningPoint(listeningPoint_[previous]);
    // Back to what it was: a bulk refresh must not start tracking edits while offline.
    dirtyTracking_ = tracking;
}

void TuningModel::ShowLevelIcons() {
    observer_->LevelIconChanged(-1, 0, 0, 0);
    for (int o = 0; o < kChannelCount; ++o) {
        const DspChannelRecord& r = presets_[0].channel[o];
        if (IsAssigned(r) && r.passiveVariant != -1 && r.inUse)
            observer_->LevelIconChanged(o, r.position, r.kind, r.passiveVariant);
    }
}

void TuningModel::SelectPreset(int preset) {
    if (preset < 0 || preset >= kPresetCount || preset == currentPreset_) return;
    const uint32_t tracking = dirtyTracking_;
    dirtyTracking_ = 0;
    currentPreset_ = preset;
    observer_->ResetCrossoverPanel();
    observer_->ClearChartCurves();
    DesignPreset(preset);
    observer_->RefreshPages();
    observer_->PresetSelected(preset);
    observer_->ShowListeningPoint(listeningPoint_[preset]);
    observer_->ChannelStatesChanged();
    dirtyTracking_ = tracking;
}

void TuningModel::CopyPreset(int source, int destination) {
    if (destination < 0 || destination >= kPresetCount) return;
    if (source < 0 || source >= kPresetCount) {
        SetDefaultCrossovers(destination);
        DesignPreset(destination);
        return;
    }
    observer_->ResetCrossoverPanel();
    observer_->ResetDisplaySwitches();
    observer_->ClearChartCurves();
    // The records are copied whole; the copies get sections of their own when designed.
    if (source != destination) presets_[destination] = presets_[source];
    DesignPreset(destination);
    observer_->RefreshPages();
    observer_->ChannelStatesChanged();
    listeningPoint_[destination] = listeningPoint_[source];
    observer_->ShowListeningPoint(listeningPoint_[currentPreset_]);
}

void TuningModel::ApplyConfiguration(std::span<const OutputAssignment> table) {
    if (!observer_->ViewsReady()) return;
    observer_->ClearSpeakers();
    observer_->ResetCrossoverPanel();
    observer_->ResetDisplaySwitches();
    observer_->ClearChartCurves();

    listeningPoint_.fill(0);
    mute_.fill(0);
    const bool standard = workingMode_ == 1;
    for (int p = 0; p < kPresetCount; ++p) {
        presets_[p] = DspPreset{};
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord& r = presets_[p].channel[o];
            r.output = r.position = r.kind = kUnassigned;
            if (standard) {
                r.EQLink = 1;
                r.crossover.bXoLink = 1;
            }
            sections_[p][o].section.fill(IdentitySection());
        }
    }
    assignedCount_ = 0;

    const size_t n = table.size() < size_t{kConfigurationEntries} ? table.size()
                                                                     : size_t{kConfigurationEntries};
    for (size_t i = 0; i < n; ++i) {
        const OutputAssignment& e = table[i];
        if (!ValidAssignment(e)) continue;
        const int variant = e.variant;
        AssignChannel(e.position, e.kind, e.output, variant, e.amplifier, 1);
        for (auto& preset : presets_) {
            preset.channel[e.output].amplifier = e.amplifier;
            preset.channel[e.output].passiveVariant = variant;
        }
    }
    // Now that the ways of every position are complete, each output gets its default again.
    for (int o = 0; o < kChannelCount; ++o) {
        const DspChannelRecord& r = presets_[currentPreset_].channel[o];
        if (r.position != kUnassigned && r.kind != kUnassigned)
            SetDefaultChannelCrossover(o, r.position, r.kind);
    }
    CyclePresets(true);
    if (connected_) observer_->FullWriteRequested();
}

void TuningModel::ApplyDeviceConfiguration(std::span<const OutputAssignment> table) {
    if (!observer_->ViewsReady()) return;
    observer_->ClearSpeakers();
    observer_->ResetCrossoverPanel();
    observer_->ResetDisplaySwitches();
    observer_->ClearChartCurves();

    mute_.fill(0);
    assignedCount_ = 0;
    for (auto& preset : presets_) {
        for (auto& r : preset.channel) {
            r.output = r.position = r.kind = kUnassigned;
            r.inUse = 0;
        }
    }
    const size_t n = table.size() < size_t{kConfigurationEntries} ? table.size()
                                                                     : size_t{kConfigurationEntries};
    for (size_t i = 0; i < n; ++i) {
        const OutputAssignment& e = table[i];
        if (!ValidAssignment(e)) continue;
        for (auto& preset : presets_) {
            DspChannelRecord& r = preset.channel[e.output];
            r.kind = e.kind;
            r.position = e.position;
            r.output = e.output;
            r.inUse = 1;
        }
        const int variant = e.variant;
        AssignChannel(e.position, e.kind, e.output, variant, e.amplifier, 0);
        for (auto& preset : presets_) {
            preset.channel[e.output].amplifier = e.amplifier;
            preset.channel[e.output].passiveVariant = variant;
        }
    }
    CyclePresets(false);
}

// Without a layout from the device the speakers on screen stay, but the panels and the chart
// still hold what they showed before the read-back: the crossover panel is reset and the curves
// cleared like after a layout, so that every preset shows, and an edit starts from, what the unit
// sent.
void TuningModel::ShowReadBackTuning() {
    if (!observer_->ViewsReady()) return;
    observer_->ResetCrossoverPanel();
    observer_->ClearChartCurves();
    CyclePresets(false);
}

int TuningModel::ApplyEqCurve(std::span<const uint8_t> frame) {
    if (frame.size() != kEqCurveLength || frame[4] != kEqCurveCommand) return 0;
    // From here on the frame is this page's, whatever it holds: a curve that cannot be shown is
    // taken and dropped.
    const int output = frame[5];
    if (output >= kChannelCount) return 1;
    float gain[kBandCount];
    for (int k = 0; k < kBandCount; ++k) {
        gain[k] = devlink::GetF32LE(&frame[6 + 4 * k]);
        if (!std::isfinite(gain[k]) || !(gain[k] > 0.0f)) return 1;
    }

    DspChannelRecord& r = presets_[currentPreset_].channel[output];
    {
        std::lock_guard<std::mutex> guard(locks_[kLockEqGains]);
        for (int k = 0; k < kBandCount; ++k) r.EQGain[k] = dsp::LinearToDb(gain[k]);
    }
    observer_->ShowEqualiser(output);
    SetEqBandGain(output, -1);

    const int partner = FindMirrorChannel(output);
    if (r.EQLink && partner >= 0 && partner != output) {
        DspChannelRecord& m = presets_[currentPreset_].channel[partner];
        {
            std::lock_guard<std::mutex> guard(locks_[kLockEqGains]);
            for (int k = 0; k < kBandCount; ++k) m.EQGain[k] = r.EQGain[k];
        }
        {
            std::lock_guard<std::mutex> guard(locks_[kLockEqLink]);
            m.EQLink = r.EQLink;
        }
        {
            std::lock_guard<std::mutex> guard(locks_[kLockEqOff]);
            m.EQOff = r.EQOff;
        }
        SetEqBandGain(partner, -1);
    }
    observer_->EqualiserCurveChanged(output);
    return 1;
}

}  // namespace model
