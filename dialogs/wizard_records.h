// The I/O wizard's record: what its steps chose (the input type, the inputs' routing indexes with
// their menu ids, the output table, the car view's labels and speaker grid, the sources), and the
// routing indexes' menu commands and names.
#pragma once

#include <cstdint>
#include <vector>

#include "model/tuning_model.h"
#include "pages/car_channel_logic.h"
#include "pages/wizard_table.h"

namespace dialogs {

constexpr int kHighLevelInputs = 8;
constexpr int kLowLevelInputs = 6;
constexpr int kSourceCount = 5;
constexpr int kNotConnected = 1024;
// The routing index of the first low-level input (18..23); 0..17 are the high-level ones.
constexpr int kFirstLowIndex = 18;
// Menu command ids of the input menus.
constexpr int kMenuLowLevel = 40092, kMenuHighLevel = 40093;
constexpr int kMenuHighFirst = 40094, kMenuHighNotConnected = 40112;
constexpr int kMenuLowFirst = 40113, kMenuLowNotConnected = 40119;
constexpr int kMenuInputType = 160, kMenuHighInputs = 161, kMenuLowInputs = 162;

// What the wizard's steps chose. The car view's labels and speaker grid are copied in by
// GetIoRecord, so the record holds no link into a window.
struct WizardIoRecord {
    int32_t inputType;  // 0 low-level master inputs (6), 1 high-level (8)
    int32_t inputTypeMenuId;
    int32_t highLevelInput[kHighLevelInputs];  // routing index 0..17, 1024 not connected
    int32_t highLevelMenuId[kHighLevelInputs];
    int32_t lowLevelInput[kLowLevelInputs];  // routing index 18..23, 1024 not connected
    int32_t lowLevelMenuId[kLowLevelInputs];
    pages::WizardOutputEntry outputTable[pages::kWizardOutputEntries];
    pages::CarChannelLabel labelTable[pages::kMaxCarLabels];
    pages::CarChannelSpot speakerGrid[model::kPositionCount];
    int32_t labelCount;  // 0 while there is no car view
    int32_t sourceFlags[kSourceCount];  // Aux 1, Aux 2, SPDIF, Optical, Phone
};
// The record the wizard starts from: low-level inputs with the first two connected, the car's
// fifteen speakers listed without a channel, every source on.
WizardIoRecord DefaultIoRecord();
// Derives the input type's and the inputs' menu ids from their routing indexes.
void SetIoRecordMenuIds(WizardIoRecord& record);

// The routing index of an input menu's command, or -1 for another command.
int MenuIdToRoutingIndex(int menuId);
// The command of a routing index in the high-level (low = false) or low-level menu.
int RoutingIndexToMenuId(int index, bool low);
// The menu texts of the routing indexes ("Not Connected" for 1024).
const char* RoutingIndexName(int index, bool low);

// One output per device channel from the car view's labels, as the routing takes them: the
// first 26 labels with a channel 0..7 and a position and kind 0..11, a later label on a channel
// winning, the passive variant from the speaker grid.
std::vector<model::OutputAssignment> LabelAssignments(const WizardIoRecord& record);

}  // namespace dialogs
