#include "app/pending_commands.h"

#include "app/device_commands.h"

namespace app {

void PendingPreset::Set(int preset) {
    std::lock_guard<std::mutex> g(lockA_);
    preset_ = preset;
    pending_ = true;
}

int PendingPreset::SendPending(const devlink::FrameSender& sender) {
    bool taken = false;
    devlink::Frame select;
    sender.SendLocked(lockA_, [&]() -> devlink::Frame {
        if (!pending_) return {};
        pending_ = false;
        taken = true;
        select = BuildPresetSelectMessage(preset_);
        return select;
    });
    if (!taken) return 0;
    sender.Send(PresetNoticeFrom(select));
    return 2;
}

void PendingDynamicEqSwitch::SetStore(std::function<uint32_t()> get, std::function<void(uint32_t)> set) {
    std::lock_guard<std::mutex> g(lockB_);
    getSwitch_ = std::move(get);
    setSwitch_ = std::move(set);
}

void PendingDynamicEqSwitch::Set(uint32_t offFlag) {
    std::lock_guard<std::mutex> g(lockB_);
    changed_ = true;
    pending_ = true;
    if (setSwitch_) setSwitch_(offFlag);
    else off_ = offFlag;
}

uint32_t PendingDynamicEqSwitch::Get() const {
    std::lock_guard<std::mutex> g(lockB_);
    return getSwitch_ ? getSwitch_() : off_;
}

int PendingDynamicEqSwitch::SendPending(const devlink::FrameSender& sender) {
    bool taken = false;
    sender.SendLocked(lockB_, [&]() -> devlink::Frame {
        if (!pending_) return {};
        pending_ = false;
        taken = true;
        return BuildDynamicEqSwitchMessage(getSwitch_ ? getSwitch_() : off_);
    });
    return taken ? 1 : 0;
}

bool PendingDynamicEqSwitch::TakeChanged() {
    std::lock_guard<std::mutex> g(lockB_);
    const bool was = changed_;
    changed_ = false;
    return was;
}

void PendingCommands::SendWorkingMode(const devlink::FrameSender& sender) const {
    sender.Send(BuildWorkingModeMessage(workingMode_.load()));
}

}  // namespace app
