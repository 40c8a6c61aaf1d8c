// The PC's copy of the device's tuning: four presets of eight output channels, the send flags
// that tell the poll thread what to send, and the locks that guard them. Window-free: what the
// operations do to windows goes through a TuningObserver.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <span>

#include "link/pending_sender.h"
#include "model/records.h"
#include "model/tuning_observer.h"

namespace model {

// One lock per message group.
enum LockGroup : int {
    kLockCrossover = 0,  // 't'
    kLockDelay,          // 'u'
    kLockEqGains,        // 's'
    kLockEqOff,          // 'v'
    kLockEqLink,         // 'w'
    kLockBandMask,       // 'x'
    kLockMute,           // 'y'
    kLockListening,      // 0x96
    kLockGroupCount,
};

// Only this many entries of a configuration's table are looked at.
constexpr int kConfigurationEntries = 26;

class TuningModel : public devlink::WriteMember {
public:
    // Builds the initial model with its eight default outputs and their default crossovers.
    explicit TuningModel(TuningObserver* observer = nullptr);
    TuningModel(const TuningModel&) = delete;
    TuningModel& operator=(const TuningModel&) = delete;

    void SetObserver(TuningObserver* observer) { observer_ = observer ? observer : &noObserver_; }
    TuningObserver& Observer() { return *observer_; }

    // Records and their sections.
    DspChannelRecord& Record(int preset, int output) { return presets_[preset].channel[output]; }
    const DspChannelRecord& Record(int preset, int output) const {
        return presets_[preset].channel[output];
    }
    DspPreset& Preset(int preset) { return presets_[preset]; }
    const DspPreset& Preset(int preset) const { return presets_[preset]; }
    CrossoverSections& Sections(int preset, int output) { return sections_[preset][output]; }
    const CrossoverSections& Sections(int preset, int output) const {
        return sections_[preset][output];
    }

    // Filter design: the crossover and equaliser sections of one record, of one preset, of all.
    // DesignRecord returns the crossover design's result (0: not designed, sections unchanged). It
    // takes the crossover and equaliser locks itself: callers must not hold them.
    int DesignRecord(int preset, int output);
    void DesignPreset(int preset);
    void DesignAllPresets();

    int CurrentPreset() const { return currentPreset_; }
    void SetCurrentPreset(int preset) {
        if (preset >= 0 && preset < kPresetCount) currentPreset_ = preset;
    }

    // Outputs assigned to a position in the current preset (1 = one speaker, 2 = two-way, ...).
    int Ways(int position) const;
    // True when a speaker of that kind is assigned at that position in the current preset.
    bool KindAtPosition(int position, int kind) const;

    // Assigns a speaker to an output (-1: the next output to hand out). Returns 0 when the views do
    // not exist yet, all eight outputs are handed out, the output is not -1..7, or position or kind
    // lies outside 0..11.
    int AssignChannel(int position, int kind, int output, int variant, uint32_t amplifier,
                      int withDefaults);
    // Writes the default crossover of an output into all four presets; outputs outside 0..7 are
    // ignored.
    void SetDefaultChannelCrossover(int output, int position, int kind);
    // "Current Preset Default": the default crossovers of every assigned record of one preset
    // (outside 0..3: the current one).
    void SetDefaultCrossovers(int preset);

    // Reset Settings: everything back to zero, Standard mode, and four Full speakers (front left,
    // front right, rear left, rear right) on outputs 0..3 with their defaults, designed.
    void ResetToDefaults();

    int AssignedCount() const { return assignedCount_; }
    void ResetAssignedCount() { assignedCount_ = 0; }

    // Listening points, per preset 0..3.
    int ListeningPoint(int preset) const { return listeningPoint_[preset]; }
    void SetListeningPointValue(int preset, int point) { listeningPoint_[preset] = point; }

    // Mutes, per output (not per preset).
    uint32_t Mute(int output) const { return mute_[output]; }
    void SetMuteValue(int output, uint32_t muted) { mute_[output] = muted ? 1u : 0u; }

    // Send flags. Setting one is a no-op while dirty tracking is off.
    void SetDirty(int preset, int output, int flag);
    bool IsDirty(int preset, int output, int flag) const {
        return dirty_[preset][output][flag].load() != 0;
    }
    // Clears one flag and says whether it was set.
    bool TakeDirty(int preset, int output, int flag) {
        return dirty_[preset][output][flag].exchange(0) != 0;
    }
    void SetMuteDirty() { if (dirtyTracking_) muteDirty_ = 1; }
    bool TakeMuteDirty() { return muteDirty_.exchange(0) != 0; }
    bool IsMuteDirty() const { return muteDirty_.load() != 0; }
    void SetListeningPointDirty() { if (dirtyTracking_) listeningPointDirty_ = 1; }
    bool TakeListeningPointDirty() { return listeningPointDirty_.exchange(0) != 0; }
    bool IsListeningPointDirty() const { return listeningPointDirty_.load() != 0; }
    // A change of listening point and the distances it resets are sent whether or not the page
    // tracks its edits: these two set their flags always.
    void SetDirtyAlways(int preset, int output, int flag);
    void SetListeningPointDirtyAlways() { listeningPointDirty_ = 1; }

    std::mutex& Lock(LockGroup group) { return locks_[group]; }

    // Channel rules (channel_rules.cpp). The mirror partner of an output in the current preset
    // (front left and right, rear left and right, subwoofer L and R), or -1.
    int FindMirrorChannel(int output) const;
    int GetMirrorChannel(int output) const { return FindMirrorChannel(output); }
    // Delays from the distances of a preset's assigned outputs; 1 when the given output's delay or
    // trim changed.
    int ComputeDelaysFromDistances(int preset, int output);
    // 1 Standard, 0 Expert. Entering Standard mode joins the ways of every position.
    void SetConfigMode(uint32_t mode);
    // Standard mode: keeps the ways at the output's position joined at common frequencies (preset
    // outside 0..3: the current one); non-zero when a frequency changed. Designs nothing.
    int ApplyCrossoverRules(int output, int preset);
    // Standard mode: takes the crossover panel's block into the output's record of the current
    // preset (raw != 0: all of it, else without distance, delay and trim) and carries the edit to
    // the neighbouring way; returns that way's output (the caller designs it) or -1. Takes the
    // crossover lock (and the delay lock for raw != 0) itself: callers must not hold them.
    int ApplyLinkedCrossovers(int output, const CrossoverParams& panel, int raw);

    // Preset operations (preset_ops.cpp).
    // Recomputes band 0..30 (-1 or -2: all 31) of an output of the current preset from its gain and
    // marks it for sending.
    void SetEqBandGain(int output, int band);
    // Designs the crossover of an output of the current preset; when that succeeded, marks it.
    int UpdateCrossoverCoefficients(int output);
    void SelectPreset(int preset);
    // Source 0..3 copies that preset over the destination; any other source gives the destination
    // its default crossovers.
    void CopyPreset(int source, int destination);
    // A new layout from the I/O wizard: every preset gets the default tuning of that layout.
    void ApplyConfiguration(std::span<const OutputAssignment> table);
    // The layout read back from the device: the received tuning is kept.
    void ApplyDeviceConfiguration(std::span<const OutputAssignment> table);
    // A read-back that brought no layout: the layout stays, the tuning received is shown (each
    // preset refreshed, then the current one again).
    void ShowReadBackTuning();
    // A live equaliser curve from the device (a 131-byte frame 0x74): 1 when the frame is one, 0
    // when it is for another receiver.
    int ApplyEqCurve(std::span<const uint8_t> frame);
    // Makes each preset current in turn, designs and shows it, then the previous current preset
    // again; with trackingOff, dirty tracking is off meanwhile (and then as it was).
    void CyclePresets(bool trackingOff = true);
    // The output-level page's icons from preset 0: all cleared, then one for every output whose
    // record is assigned, in use and has a passive-crossover variant.
    void ShowLevelIcons();

    // Device messages: the send cycle (tuning_send.cpp) and the setters of received tuning
    // frames (tuning_receive.cpp).
    // Sends one frame per dirty group; 1 when at least one dirty group was taken. Poll thread.
    int SendPendingChanges(const devlink::FrameSender& link, std::ostream* log);
    // The same cycle as a member of the poll thread's sender lists, logging to the send log (none
    // until one is given).
    int SendPending(const devlink::FrameSender& link) override { return SendPendingChanges(link, sendLog_); }
    void SetSendLog(std::ostream* log) { sendLog_ = log; }
    // Sends the routing message of preset 0; 0 without a link.
    int SendRoutingMap(const devlink::FrameSender* link);
    // Every send flag of every assigned channel in all presets (mute and listening points aside).
    void MarkAllDirty() override;
    void ClearAllDirty();
    void SetEqFromDevice(int channel, int preset, const float gains[kBandCount], uint32_t bandMask,
                         uint32_t eqOff, uint32_t eqLink);
    void SetCrossoverFromDevice(int channel, int preset, int32_t filterType, int32_t filterModel,
                                float lpFreq, float hpFreq, float lfSlope, float hfSlope,
                                uint32_t invPhase, uint32_t xoLink);
    void SetDelayFromDevice(int channel, int preset, int32_t delay, int32_t distance,
                            int32_t delayTrim);

    uint32_t WorkingMode() const { return workingMode_; }
    void SetWorkingModeValue(uint32_t mode) { workingMode_ = mode; }
    bool DirtyTracking() const { return dirtyTracking_ != 0; }
    void SetOnline(uint32_t on) { dirtyTracking_ = on ? 1u : 0u; }
    bool Connected() const { return connected_ != 0; }
    void SetConnected(uint32_t on) { connected_ = on ? 1u : 0u; }
    bool IsChanged() const { return changed_ != 0; }
    void SetChanged(uint32_t on) { changed_ = on ? 1u : 0u; }

private:
    // ApplyLinkedCrossovers' rules, run while its locks are held; show is set when the edited
    // record was corrected.
    int LinkCrossovers(int output, const CrossoverParams& panel, int raw, bool& show);

    NullTuningObserver noObserver_;
    TuningObserver* observer_;

    std::array<DspPreset, kPresetCount> presets_{};
    std::array<std::array<CrossoverSections, kChannelCount>, kPresetCount> sections_{};
    int currentPreset_ = 0;
    std::array<int32_t, kPresetCount> listeningPoint_{};
    std::array<uint32_t, kChannelCount> mute_{};
    std::atomic<uint32_t> listeningPointDirty_{0};
    std::atomic<uint32_t> muteDirty_{0};
    std::atomic<uint32_t> dirty_[kPresetCount][kChannelCount][kDirtyFlagCount]{};
    int assignedCount_ = 0;
    uint32_t workingMode_ = 1;
    std::atomic<uint32_t> dirtyTracking_{1};
    std::atomic<uint32_t> connected_{0};
    std::atomic<uint32_t> changed_{0};
    std::array<std::mutex, kLockGroupCount> locks_;
    std::ostream* sendLog_ = nullptr;
};

}  // namespace model
