// The unit's configuration during a read-back into the wizard: the input configuration into the
// record, the routing into the record's output table, the car view's speakers and labels and the
// layout the tuning takes.
#include <algorithm>

#include "dialogs/wizard_logic.h"
#include "dialogs/wizard_messages.h"
#include "link/frame.h"

namespace dialogs {
namespace {

bool IsCommand(const uint8_t* frame, devlink::DeviceCommand c) { return frame[4] == static_cast<uint8_t>(c); }

}  // namespace

std::optional<std::vector<model::OutputAssignment>> WizardLogic::TakeDeviceLayout() {
    std::optional<std::vector<model::OutputAssignment>> layout;
    layout.swap(deviceLayout_);
    return layout;
}

int WizardLogic::ParseDeviceConfig(const uint8_t* frame, size_t length) {
    if (!frame || length < 7) return 0;
    if (IsCommand(frame, devlink::DeviceCommand::InputConfig)) {
        if (length == kWizardInputConfigLength) ParseInputConfig(frame);
        return 1;
    }
    if (IsCommand(frame, devlink::DeviceCommand::Routing)) {
        if (length == kWizardRoutingLength) ParseRouting(frame);
        return 1;
    }
    return 0;
}

void WizardLogic::ParseInputConfig(const uint8_t* frame) {
    if (!ReadInputConfig(frame, record_)) return;
    RefreshMenuIds();
    PublishRecord();
}

void WizardLogic::ParseRouting(const uint8_t* frame) {
    deviceLayout_ = RoutingFrameAssignments(frame, kWizardRoutingLength);
    const std::array<RoutedOutput, model::kChannelCount> outputs = RoutedOutputs(frame);
    pages::WizardOutputEntry* table = record_.outputTable;
    // The speakers each output feeds, as themselves.
    ReadRoutedSpeakers(outputs, record_);
    if (!car_) car_ = view_.CarView(10);
    if (!car_) {
        PublishRecord();
        return;
    }
    car_->SetWizardStep(10, table);
    car_->SetWizardStep(11, table);
    // The speakers behind a passive crossover, and the amplifiers.
    ReadRoutedPassives(outputs, record_);
    car_->SetWizardStep(12, table);
    car_->SetWizardStep(13, table);
    GetIoRecord();
    // The labels take the unit's outputs and amplifiers.
    const int labels = std::clamp(car_->GetLabelCount(), 0, pages::kMaxCarLabels);
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput& r = outputs[o];
        if (r.position < 0 || r.kind < 0) continue;
        for (int i = 0; i < labels; ++i) {
            const pages::CarChannelLabel& l = car_->GetLabels()[i];
            if (l.position == r.position && l.kind == r.kind) car_->SetLabelOutput(i, o, r.amplifier);
        }
    }
    GetIoRecord();
}

}  // namespace dialogs
