#include "dialogs/wizard_serve.h"

#include "link/bytes.h"
#include "model/tables.h"
#include "model/tuning_messages.h"
#include "pages/output_level_logic.h"
#include "ui/messages.h"

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

namespace {

// A status is a 7-byte frame; the buffer takes a longer one whole, so that its checksum can be
// checked too.
constexpr size_t kStatusBuffer = 32;
constexpr uint8_t kKindMask = 0xC0, kChannelDone = 0x80, kTooLow = 0x40, kChannelBits = 7;

// A status frame the line delivered intact: a status byte, the length within what was copied,
// the checksum right. A damaged frame could otherwise end a setup as finished or as too low.
bool StatusIntact(const uint8_t* frame) {
    const size_t length = devlink::GetU16BE(frame + 2);
    return length > devlink::kMinFrameLength && length <= kStatusBuffer &&
           devlink::FrameChecksumValid(frame, length - 1);
}

}  // namespace

int WizardServer::ServeRequests(devlink::UsbLink* link) {
    if (!link) return 0;
    os::Sleeper& sleeper = link->Sender().sleeper();
    auto& left = logic_.stepLeft;
    auto& closed = logic_.stepClosed;
    bool served = false;

    // Leaving the first step: the unit's level goes down while the wizard runs, and it enters
    // wizard mode.
    if (left[0].load()) {
        link->SetReceiveGate(1);
        link->ClearReceived();
        const Frame level = BuildLevelMessage30();
        if (!level.empty()) {
            link->Send(level);
            sleeper.SleepMs(kLevelSettleMs);
        }
        left[0] = 0;
        link->Send(BuildMessageA2());
        served = true;
    }
    // The input assignment was left.
    if (left[2].load() || left[3].load()) {
        link->SetReceiveGate(1);
        link->ClearReceived();
        left[2] = 0;
        left[3] = 0;
        link->Send(BuildInputConfigMessage(logic_.ServedRecord()));
        served = true;
    }
    if (left[4].load()) {
        Detect(*link, true);
        served = true;
    }
    if (left[7].load()) {
        Detect(*link, false);
        served = true;
    }
    // Finish: the routing and the output map of the car view's labels, and the wizard completed.
    if (left[13].load()) {
        link->SetReceiveGate(1);
        link->ClearReceived();
        left[13] = 0;
        const WizardIoRecord record = logic_.ServedRecord();
        link->Send(BuildRoutingMessage(record));
        link->Send(BuildMessage18(record));
        link->Send(devlink::BuildCommandB2Message(1));
        served = true;
    }
    // Cancel on any step (the first raised flag): the master level back as the output-level page
    // has it, and the wizard aborted. A detection's own cancel was served above.
    for (int i = 0; i < kWizardSteps; ++i) {
        if (!closed[static_cast<size_t>(i)].load()) continue;
        float level = kWizardMasterLevelDb;
        host_.QueryMasterLevel(&level);
        const Frame frame = BuildLevelMessage(level);
        if (!frame.empty()) {
            link->Send(frame);
            sleeper.SleepMs(kLevelSettleMs);
        }
        for (auto& f : closed) f = 0;
        link->Send(devlink::BuildCommandB2Message(0));
        served = true;
        break;
    }
    if (!served) return 0;
    sleeper.SleepMs(kServePassMs);
    return 1;
}

// One detection: the request, then the unit's statuses until it ends the setup, or the wait
// ends by the link's one rule (the step's cancel word, the stop flag, the link closed or failed,
// the unit gone), which aborts the wizard on the unit.
void WizardServer::Detect(devlink::UsbLink& link, bool input) {
    const size_t leftStep = input ? 4 : 7, runStep = input ? 5 : 8;
    std::atomic<int32_t>& cancel = logic_.stepClosed[runStep];
    std::atomic<int32_t>& channel = input ? logic_.inputChannel : logic_.outputChannel;
    const uint8_t reply = static_cast<uint8_t>(input ? DeviceCommand::InputDetectStatus
                                                     : DeviceCommand::OutputDetectStatus);
    int end = 0;
    uint8_t status = 0;
    link.SetReceiveGate(0);
    logic_.stepLeft[leftStep] = 0;
    const Frame request = input ? BuildInputMeasureRequest() : BuildOutputMeasureRequest();
    if (!request.empty()) {
        link.Send(request);
        uint8_t frame[kStatusBuffer];
        for (;;) {
            if (!link.WaitResponse(reply, frame, sizeof frame, -1, true, &cancel)) {
                link.Send(devlink::BuildCommandB2Message(0));
                break;
            }
            if (!StatusIntact(frame)) continue;
            status = frame[5];
            if (status == 0 || (status & kKindMask) == kTooLow) {
                end = 1;
                break;
            }
            if ((status & kKindMask) == kChannelDone) {
                channel = status & kChannelBits;
                ++logic_.completedCount;
            }
        }
        // A cancel that came as the unit ended the setup is left for the cancel block: the unit
        // is still in wizard mode at the lowered level.
        if (!end) cancel = 0;
    }
    link.SetReceiveGate(1);
    link.ClearReceived();
    host_.PostDetectionResult(input ? ui::MsgInputDetectDone : ui::MsgOutputDetectDone,
                              static_cast<uintptr_t>(end), status);
}

}  // namespace dialogs
