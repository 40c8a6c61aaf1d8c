// What the tuning model's operations do to the windows that show it. The tuning page implements
// this; the defaults do nothing, so the model runs on its own in tests.
#pragma once

#include <cstdint>

namespace model {

class TuningObserver {
public:
    virtual ~TuningObserver() = default;

    // False while the car view or the channel map does not exist yet: no speaker can be assigned.
    virtual bool ViewsReady() { return true; }
    // A speaker was assigned to an output: the car view shows it, the channel map row of the output
    // takes it, and the main window updates that output's level icon.
    virtual void SpeakerAssigned(int /*output*/, int /*position*/, int /*kind*/, int /*variant*/,
                                 uint32_t /*amplifier*/) {}
    virtual void ResetCrossoverPanel() {}
    virtual void ResetDisplaySwitches() {}
    virtual void ClearChartCurves() {}
    // The car view shows this listening point of the current preset.
    virtual void ShowListeningPoint(int /*point*/) {}
    // The pages show the model again (and design the current preset's sections).
    virtual void RefreshPages() {}

    // The crossover panel follows the working mode (it restricts filter types in Standard mode).
    virtual void WorkingModeChanged(uint32_t /*mode*/) {}
    // The crossover panel shows this output's record of the current preset again.
    virtual void ShowCrossover(int /*output*/) {}
    // The equaliser panel shows this output's gains, link, off state and band switches.
    virtual void ShowEqualiser(int /*output*/) {}
    // The chart shows this output's new equaliser curve (and the sum when rows are selected).
    virtual void EqualiserCurveChanged(int /*output*/) {}
    // The page shows the newly current preset: selection, panels and chart, after RefreshPages.
    virtual void PresetSelected(int /*preset*/) {}
    // The car view's speakers and the channel map's rows are removed.
    virtual void ClearSpeakers() {}
    // After a load: the channel map, the car view and the crossover panel take the speakers of
    // this preset's records.
    virtual void AssignmentLoaded(int /*preset*/) {}
    // The output-level page's icon of an output; output -1 clears every icon.
    virtual void LevelIconChanged(int /*output*/, int /*position*/, int /*kind*/, int /*variant*/) {}
    // The channel map's on/off marks follow the current preset's records.
    virtual void ChannelStatesChanged() {}
    // The whole tuning must go to the device (a new configuration while connected).
    virtual void FullWriteRequested() {}
};

}  // namespace model
