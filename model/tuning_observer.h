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
};

}  // namespace model
