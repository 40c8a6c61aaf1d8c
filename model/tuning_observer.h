// What the tuning model's operations do to the windows that show it. Every callback is pure: the
// tuning page states what it does with each one, so an effect cannot be dropped by forgetting to
// override it. NullTuningObserver is the model's own stand-in while no page watches it.
#pragma once

#include <cstdint>

namespace model {

class TuningObserver {
public:
    virtual ~TuningObserver() = default;

    // False while the car view or the channel map does not exist yet: no speaker can be assigned.
    virtual bool ViewsReady() = 0;
    // A speaker was assigned to an output: the car view shows it, the channel map row of the output
    // takes it, and the main window updates that output's level icon.
    virtual void SpeakerAssigned(int output, int position, int kind, int variant,
                                 uint32_t amplifier) = 0;
    virtual void ResetCrossoverPanel() = 0;
    virtual void ResetDisplaySwitches() = 0;
    virtual void ClearChartCurves() = 0;
    // The car view shows this listening point of the current preset.
    virtual void ShowListeningPoint(int point) = 0;
    // The pages show the model again (and design the current preset's sections).
    virtual void RefreshPages() = 0;

    // The crossover panel follows the working mode (it restricts filter types in Standard mode).
    virtual void WorkingModeChanged(uint32_t mode) = 0;
    // The crossover panel shows this output's record of the current preset again.
    virtual void ShowCrossover(int output) = 0;
    // The equaliser panel shows this output's gains, link, off state and band switches.
    virtual void ShowEqualiser(int output) = 0;
    // The chart shows this output's new equaliser curve (and the sum when rows are selected).
    virtual void EqualiserCurveChanged(int output) = 0;
    // The page shows the newly current preset after RefreshPages: the car view's selection and
    // the chart follow the selected rows, the panels the edited channel.
    virtual void PresetSelected(int preset) = 0;
    // The car view's speakers and the channel map's rows are removed.
    virtual void ClearSpeakers() = 0;
    // After a load: the channel map, the car view and the crossover panel take the speakers of
    // this preset's records.
    virtual void AssignmentLoaded(int preset) = 0;
    // The output-level page's icon of an output; output -1 clears every icon.
    virtual void LevelIconChanged(int output, int position, int kind, int variant) = 0;
    // The channel map's on/off marks follow the current preset's records.
    virtual void ChannelStatesChanged() = 0;
    // The whole tuning must go to the device (a new configuration while connected).
    virtual void FullWriteRequested() = 0;
};

// No window watches the model: it runs on its own (speakers can be assigned, nothing is shown).
class NullTuningObserver final : public TuningObserver {
public:
    bool ViewsReady() override { return true; }
    void SpeakerAssigned(int, int, int, int, uint32_t) override {}
    void ResetCrossoverPanel() override {}
    void ResetDisplaySwitches() override {}
    void ClearChartCurves() override {}
    void ShowListeningPoint(int) override {}
    void RefreshPages() override {}
    void WorkingModeChanged(uint32_t) override {}
    void ShowCrossover(int) override {}
    void ShowEqualiser(int) override {}
    void EqualiserCurveChanged(int) override {}
    void PresetSelected(int) override {}
    void ClearSpeakers() override {}
    void AssignmentLoaded(int) override {}
    void LevelIconChanged(int, int, int, int) override {}
    void ChannelStatesChanged() override {}
    void FullWriteRequested() override {}
};

}  // namespace model
