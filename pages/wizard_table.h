// What the I/O wizard and its car view share: the wizard's output table (the speakers a car may
// have, which exist, which share a passive crossover), the notice of a passive group switched on
// the car view, and the car view's output-channel labels.
#pragma once

#include <cstdint>

namespace pages {

constexpr int kWizardOutputEntries = 26;
constexpr int kMaxCarLabels = 26;
constexpr int kPassiveToggles = 7;

// One speaker of the wizard's output table.
struct WizardOutputEntry {
    int32_t channel;    // output 0..7, -1 none
    int32_t position;   // 0..5, -1 unused entry
    int32_t kind;       // 0..6, -1 unused entry
    int32_t amplifier;  // 1: the speaker has an amplifier of its own
    int32_t passive;    // 1: it shares a passive crossover with the other kinds of its position
    int32_t present;    // 1: the car has it
};

// A passive group switched on or off (its address travels with MsgCarViewEdit).
struct PassiveGroupNotice {
    int32_t count;  // 2 or 3
    int32_t position[3];
    int32_t kind[3];
    int32_t state[3];  // 1: the group is now passive
};

// One output-channel label of the car view's channel and amplifier steps.
struct CarChannelLabel {
    int32_t width = 79, height = 20;  // the label bitmap's size
    int32_t channel = -1;             // output 0..7, -1 none (shown as channel + 1)
    int32_t position = -1, kind = -1;
    int32_t rightSide = 0;  // drawn right of its icon (bitmap 214) or left of it (215)
    // The up/down buttons: where they stand and whether they are shown.
    int32_t upX = 0, upY = 0, downX = 0, downY = 0;
    int32_t arrowsShown = 0;
    // The amplifier check box: its spot, whether it is shown, and the flag it holds.
    int32_t checkX = 0, checkY = 0;
    int32_t checkShown = 0;
    int32_t amplifier = 0;
};

}  // namespace pages
