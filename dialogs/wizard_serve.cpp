#include "dialogs/wizard_serve.h"

#include "model/tables.h"
#include "model/tuning_messages.h"
#include "pages/output_level_logic.h"

namespace dialogs {

using devlink::DeviceCommand;
using devlink::Frame;

Frame BuildLevelMessage(float dB) { return pages::BuildMasterLevelMessage(-dB); }

Frame BuildLevelMessage30() { return BuildLevelMessage(kWizardMasterLevelDb); }

Frame BuildMessageA2() {
    Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::WizardBegin, 7);
    devlink::SealFrame(f);
    return f;
}

Frame BuildInputConfigMessage(const WizardIoRecord& record) {
    constexpr size_t kLength = 20, kType = 5, kSources = 6, kCodes = 11;
    Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::InputConfig, kLength);
    f[kType] = static_cast<uint8_t>(record.inputType + 1);
    for (size_t i = 0; i < kSourceCount; ++i) f[kSources + i] = static_cast<uint8_t>(record.sourceFlags[i]);
    // The codes of the chosen type's inputs; the other type's choices stay in the record only.
    if (record.inputType == 1) {
        for (size_t i = 0; i < kHighLevelInputs; ++i) f[kCodes + i] = model::RoutingIndexToCode(record.highLevelInput[i]);
    } else if (record.inputType == 0) {
        for (size_t i = 0; i < kLowLevelInputs; ++i) f[kCodes + i] = model::RoutingIndexToCode(record.lowLevelInput[i]);
    }
    devlink::SealFrame(f);
    return f;
}

Frame BuildInputMeasureRequest() { return devlink::BuildSimpleFrame(devlink::kNodeDsp, DeviceCommand::InputDetect); }

Frame BuildOutputMeasureRequest() {
    return devlink::BuildSimpleFrame(devlink::kNodeDsp, DeviceCommand::OutputDetect);
}

Frame BuildRoutingMessage(const WizardIoRecord& record) {
    return model::BuildRoutingMessage(LabelAssignments(record));
}

Frame BuildMessage18(const WizardIoRecord& record) {
    return model::BuildOutputMapMessage(LabelAssignments(record));
}

int WizardServer::ServeRequests(devlink::UsbLink* link) {
    // The exchanges are not served yet.
    (void)link;
    return 0;
}

}  // namespace dialogs
