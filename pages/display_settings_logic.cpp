#include "pages/display_settings_logic.h"

namespace pages {

const char* DisplaySettingsLogic::SourceName(int source) {
    static const char* const kNames[] = {"Master", "Aux1", "Aux2", "S/PDIF", "Optical", "Phone"};
    return source >= -1 && source <= 4 ? kNames[source + 1] : "";
}

void DisplaySettingsLogic::OnSwitchClicked(ChartSwitch s, int newState) {
    if (s == kTotalSwitch) {
        if (newState == 1) {
            // The total stands for both: they are kept as they were and frozen.
            savedEqualiser_ = panel_.SwitchState(kEqualiserSwitch);
            savedCrossover_ = panel_.SwitchState(kCrossoverSwitch);
            panel_.EnableSwitch(kEqualiserSwitch, false);
            panel_.EnableSwitch(kCrossoverSwitch, false);
        } else {
            panel_.EnableSwitch(kEqualiserSwitch, true);
            panel_.EnableSwitch(kCrossoverSwitch, true);
            panel_.SetCheck(kEqualiserSwitch, savedEqualiser_);
            panel_.SetCheck(kCrossoverSwitch, savedCrossover_);
        }
    }
    panel_.NotifyCurveSwitches();
}

void DisplaySettingsLogic::Reset(bool resetSource) {
    // A reset while the total is on must also unfreeze the other two: a disabled switch that
    // is merely checked would look on and take no click.
    if (panel_.SwitchState(kEqualiserSwitch) == 2) panel_.EnableSwitch(kEqualiserSwitch, true);
    if (panel_.SwitchState(kCrossoverSwitch) == 2) panel_.EnableSwitch(kCrossoverSwitch, true);
    panel_.SetCheck(kEqualiserSwitch, 1);
    panel_.SetCheck(kCrossoverSwitch, 1);
    panel_.SetCheck(kTotalSwitch, 0);
    savedEqualiser_ = savedCrossover_ = 1;
    if (resetSource) source_ = -1;
    Paint(true);
}

void DisplaySettingsLogic::SetSource(int source) {
    if (source == source_ && !repaintPending_) return;
    repaintPending_ = false;
    source_ = source;
    Paint(true);
}

void DisplaySettingsLogic::GetSwitches(int* equaliser, int* crossover, int* total) const {
    if (equaliser) *equaliser = panel_.SwitchState(kEqualiserSwitch);
    if (crossover) *crossover = panel_.SwitchState(kCrossoverSwitch);
    if (total) *total = panel_.SwitchState(kTotalSwitch);
}

void DisplaySettingsLogic::Paint(bool updateNow) { panel_.PaintSource(SourceName(source_), updateNow); }

}  // namespace pages
