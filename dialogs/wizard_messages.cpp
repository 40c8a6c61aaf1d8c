#include "dialogs/wizard_messages.h"

#include "link/frame.h"
#include "model/tables.h"

namespace dialogs {
namespace {

// Where the fields of the unit's configuration frames lie.
constexpr size_t kTypeAt = 5, kSourcesAt = 6, kCodesAt = 11;
constexpr size_t kPositionAt = 13, kKindAt = 21, kVariantAt = 29, kAmplifierAt = 37;
constexpr uint8_t kNoSpeaker = 0xFF;

// The input a code of the unit's input configuration names, for an input of that type. The
// routing table reads a code it does not know as index 0 (Front Left Full); in the wizard's
// record such a code, or one that names none of this type's choices, is Not Connected, so that it
// is neither counted as a connected input nor sent back to the unit as one.
int32_t InputIndexOfCode(uint8_t code, int type) {
    const bool low = type == 0;
    const int index = model::RoutingCodeToIndex(code, low ? 1 : 0);
    if (index == kNotConnected) return kNotConnected;
    const int first = low ? kFirstLowIndex : 0;
    const int count = low ? kLowLevelInputs : kFirstLowIndex;
    if (index < first || index >= first + count || model::RoutingIndexToCode(index) != code) return kNotConnected;
    return index;
}

}  // namespace

std::vector<int> PassiveKinds(int v) {
    switch (v) {
        case 1:
        case 5: return {1, 2};
        case 2:
        case 6:
        case 9: return {1, 3};
        case 3:
        case 7: return {2, 3};
        case 4:
        case 8: return {1, 2, 3};
        default: return {};
    }
}

std::array<RoutedOutput, model::kChannelCount> RoutedOutputs(const uint8_t* frame) {
    std::array<RoutedOutput, model::kChannelCount> outputs;
    for (int o = 0; o < model::kChannelCount; ++o) {
        const auto field = [&](size_t at) { return frame[at + static_cast<size_t>(o)]; };
        outputs[o] = {field(kPositionAt) == kNoSpeaker ? -1 : field(kPositionAt),
                      field(kKindAt) == kNoSpeaker ? -1 : field(kKindAt), field(kVariantAt),
                      field(kAmplifierAt) != 0 ? 1 : 0};
    }
    return outputs;
}

std::vector<model::OutputAssignment> RoutingFrameAssignments(const uint8_t* frame, size_t length) {
    constexpr int kMaxIndex = 11;
    std::vector<model::OutputAssignment> out;
    if (!frame || length != kWizardRoutingLength || frame[4] != static_cast<uint8_t>(devlink::DeviceCommand::Routing))
        return out;
    const std::array<RoutedOutput, model::kChannelCount> outputs = RoutedOutputs(frame);
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput& r = outputs[o];
        if (r.position < 0 || r.position > kMaxIndex || r.kind < 0 || r.kind > kMaxIndex) continue;
        out.push_back({o, r.position, r.kind, static_cast<uint32_t>(r.amplifier), r.variant});
    }
    return out;
}

bool ReadInputConfig(const uint8_t* frame, WizardIoRecord& record) {
    // Only low-level (1) and high-level (2) inputs exist: another type would leave the wizard
    // with an input count, a step and a menu that no type defines.
    const int type = frame[kTypeAt] - 1;
    if (type != 0 && type != 1) return false;
    record.inputType = type;
    for (int i = 0; i < kSourceCount; ++i) record.sourceFlags[i] = frame[kSourcesAt + static_cast<size_t>(i)];
    for (int32_t& x : record.highLevelInput) x = kNotConnected;
    for (int32_t& x : record.lowLevelInput) x = kNotConnected;
    if (type == 0)
        for (int i = 0; i < kLowLevelInputs; ++i)
            record.lowLevelInput[i] = InputIndexOfCode(frame[kCodesAt + static_cast<size_t>(i)], 0);
    else
        for (int i = 0; i < kHighLevelInputs; ++i)
            record.highLevelInput[i] = InputIndexOfCode(frame[kCodesAt + static_cast<size_t>(i)], 1);
    return true;
}

void ReadRoutedSpeakers(const std::array<RoutedOutput, model::kChannelCount>& outputs, WizardIoRecord& record) {
    for (pages::WizardOutputEntry& e : record.outputTable) {
        e.channel = -1;
        e.amplifier = e.passive = e.present = 0;
    }
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput& r = outputs[o];
        if (r.position < 0 || r.kind < 0) continue;
        for (pages::WizardOutputEntry& e : record.outputTable)
            if (e.position == r.position && e.kind == r.kind) {
                e.passive = 0;
                e.present = 1;
                e.channel = o;
            }
    }
}

void ReadRoutedPassives(const std::array<RoutedOutput, model::kChannelCount>& outputs, WizardIoRecord& record) {
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput& r = outputs[o];
        if (r.position < 0 || r.kind < 0) continue;
        bool known = false;
        for (const pages::WizardOutputEntry& e : record.outputTable)
            known = known || (e.position == r.position && (e.kind == r.kind || r.kind == 0));
        if (!known) continue;
        if (r.variant == 0 && r.kind != 0) {
            for (pages::WizardOutputEntry& e : record.outputTable)
                if (e.position == r.position && e.kind == r.kind) {
                    e.passive = 0;
                    e.present = 1;
                    e.amplifier = r.amplifier;
                    e.channel = o;
                }
            continue;
        }
        for (int kind : PassiveKinds(r.variant))
            for (pages::WizardOutputEntry& e : record.outputTable)
                if (e.position == r.position && e.kind == kind) {
                    e.passive = 1;
                    e.present = 1;
                    e.channel = o;
                    e.amplifier = r.amplifier;
                }
    }
}

}  // namespace dialogs
