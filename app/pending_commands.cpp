#include "app/pending_commands.h"

#include "app/device_commands.h"

namespace app {

void PendingCommands::SetPendingPreset(int preset) {
    std::lock_guard<std::mutex> g(lockA_);
    pendingPreset_ = preset;
    presetPending_ = true;
}

bool PendingCommands::SendPendingPreset(const devlink::FrameSender& sender) {
    devlink::Frame select;
    {
        std::lock_guard<std::mutex> g(lockA_);
        if (!presetPending_) return false;
        presetPending_ = false;
        select = BuildPresetSelectMessage(pendingPreset_);
    }
    sender.Send(select);
    sender.Send(PresetNoticeFrom(select));
    return true;
}

void PendingCommands::SetDynamicEqSwitch(uint32_t offFlag) {
    std::lock_guard<std::mutex> g(lockB_);
    changed_ = true;
    dynEqPending_ = true;
    dynEqOff_ = offFlag;
}

uint32_t PendingCommands::DynamicEqSwitch() const {
    std::lock_guard<std::mutex> g(lockB_);
    return dynEqOff_;
}

bool PendingCommands::SendPendingDynamicEq(const devlink::FrameSender& sender) {
    devlink::Frame frame;
    {
        std::lock_guard<std::mutex> g(lockB_);
        if (!dynEqPending_) return false;
        dynEqPending_ = false;
        frame = BuildDynamicEqSwitchMessage(dynEqOff_);
    }
    sender.Send(frame);
    return true;
}

bool PendingCommands::TakeChanged() {
    std::lock_guard<std::mutex> g(lockB_);
    const bool was = changed_;
    changed_ = false;
    return was;
}

}  // namespace app
