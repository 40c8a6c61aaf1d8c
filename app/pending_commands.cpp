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

void PendingCommands::SetSwitchStore(std::function<uint32_t()> get, std::function<void(uint32_t)> set) {
    std::lock_guard<std::mutex> g(lockB_);
    getSwitch_ = std::move(get);
    setSwitch_ = std::move(set);
}

void PendingCommands::SetDynamicEqSwitch(uint32_t offFlag) {
    std::lock_guard<std::mutex> g(lockB_);
    changed_ = true;
    dynEqPending_ = true;
    if (setSwitch_) setSwitch_(offFlag);
    else dynEqOff_ = offFlag;
}

uint32_t PendingCommands::DynamicEqSwitch() const {
    std::lock_guard<std::mutex> g(lockB_);
    return getSwitch_ ? getSwitch_() : dynEqOff_;
}

bool PendingCommands::SendPendingDynamicEq(const devlink::FrameSender& sender) {
    devlink::Frame frame;
    {
        std::lock_guard<std::mutex> g(lockB_);
        if (!dynEqPending_) return false;
        dynEqPending_ = false;
        frame = BuildDynamicEqSwitchMessage(getSwitch_ ? getSwitch_() : dynEqOff_);
    }
    sender.Send(frame);
    return true;
}

void PendingCommands::SendWorkingMode(const devlink::FrameSender& sender) const {
    sender.Send(BuildWorkingModeMessage(workingMode_.load()));
}

bool PendingCommands::TakeChanged() {
    std::lock_guard<std::mutex> g(lockB_);
    const bool was = changed_;
    changed_ = false;
    return was;
}

}  // namespace app
