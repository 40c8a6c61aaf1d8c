#include "dialogs/wizard_records.h"

#include <algorithm>

namespace dialogs {
namespace {

constexpr const char* kHighNames[18] = {
    "Front Left Full",     "Front Right Full",    "Front Left Tweeter", "Front Right Tweeter",
    "Front Left Midrange", "Front Right Midrange", "Front Left Woofer",  "Front Right Woofer",
    "Rear Left Full",      "Rear Right Full",     "Rear Left Tweeter",  "Rear Right Tweeter",
    "Rear Left Woofer",    "Rear Right Woofer",   "Center Full",        "Center Tweeter",
    "Center Woofer",       "Subwoofer"};
constexpr const char* kLowNames[6] = {"Front Left", "Front Right", "Rear Left",
                                      "Rear Right", "Center",      "Subwoofer"};
constexpr int kHighIndexes = 18, kLowIndexes = 6;

// The 15 speakers a car may have, as (position, kind).
constexpr int kDefaultSpeakers[15][2] = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2},
                                         {2, 3}, {5, 1}, {5, 3}, {3, 1}, {3, 3},
                                         {1, 1}, {1, 3}, {4, 6}, {4, 5}, {4, 4}};

}  // namespace

WizardIoRecord DefaultIoRecord() {
    WizardIoRecord r{};
    r.inputType = 0;
    for (int i = 0; i < kHighLevelInputs; ++i) r.highLevelInput[i] = i < 2 ? i : kNotConnected;
    for (int i = 0; i < kLowLevelInputs; ++i)
        r.lowLevelInput[i] = i < 2 ? kFirstLowIndex + i : kNotConnected;
    for (int i = 0; i < pages::kWizardOutputEntries; ++i)
        r.outputTable[i] = i < 15 ? pages::WizardOutputEntry{-1, kDefaultSpeakers[i][0],
                                                             kDefaultSpeakers[i][1], 0, 0, 0}
                                  : pages::WizardOutputEntry{-1, -1, -1, 0, 0, 0};
    r.labelCount = 0;
    for (int32_t& f : r.sourceFlags) f = 1;
    SetIoRecordMenuIds(r);
    return r;
}

void SetIoRecordMenuIds(WizardIoRecord& record) {
    record.inputTypeMenuId = kMenuLowLevel + record.inputType;
    for (int i = 0; i < kHighLevelInputs; ++i)
        record.highLevelMenuId[i] = RoutingIndexToMenuId(record.highLevelInput[i], false);
    for (int i = 0; i < kLowLevelInputs; ++i)
        record.lowLevelMenuId[i] = RoutingIndexToMenuId(record.lowLevelInput[i], true);
}

int MenuIdToRoutingIndex(int id) {
    if (id >= kMenuHighFirst && id < kMenuHighFirst + kHighIndexes) return id - kMenuHighFirst;
    if (id == kMenuHighNotConnected || id == kMenuLowNotConnected) return kNotConnected;
    if (id >= kMenuLowFirst && id < kMenuLowFirst + kLowIndexes)
        return kFirstLowIndex + id - kMenuLowFirst;
    return -1;
}

int RoutingIndexToMenuId(int index, bool low) {
    if (low)
        return index >= kFirstLowIndex && index < kFirstLowIndex + kLowIndexes
                   ? kMenuLowFirst + index - kFirstLowIndex
                   : kMenuLowNotConnected;
    return index >= 0 && index < kHighIndexes ? kMenuHighFirst + index : kMenuHighNotConnected;
}

const char* RoutingIndexName(int index, bool low) {
    if (low && index >= kFirstLowIndex && index < kFirstLowIndex + kLowIndexes)
        return kLowNames[index - kFirstLowIndex];
    if (!low && index >= 0 && index < kHighIndexes) return kHighNames[index];
    return "Not Connected";
}

std::vector<model::OutputAssignment> LabelAssignments(const WizardIoRecord& record) {
    constexpr int kMaxIndex = 11;
    model::OutputAssignment byChannel[model::kChannelCount];
    bool used[model::kChannelCount] = {};
    const int count = std::clamp(record.labelCount, 0, pages::kMaxCarLabels);
    for (int i = 0; i < count; ++i) {
        const pages::CarChannelLabel& l = record.labelTable[i];
        if (l.channel < 0 || l.channel >= model::kChannelCount || l.position < 0 ||
            l.position > kMaxIndex || l.kind < 0 || l.kind > kMaxIndex)
            continue;
        const int32_t variant =
            l.position < model::kPositionCount ? record.speakerGrid[l.position].variant[l.kind] : 0;
        byChannel[l.channel] = {l.channel, l.position, l.kind,
                                static_cast<uint32_t>(l.amplifier), variant};
        used[l.channel] = true;
    }
    std::vector<model::OutputAssignment> out;
    for (int c = 0; c < model::kChannelCount; ++c)
        if (used[c]) out.push_back(byChannel[c]);
    return out;
}

}  // namespace dialogs
