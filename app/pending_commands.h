// The two requests the user interface hands the poll thread under a lock of the application: the
// preset to select (lock A) and the dynamic-equalisation switch (lock B). The poll thread takes
// them under the same lock and sends after leaving it. And the working mode, a word of its own
// that the poll thread reads when it sends it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "link/frame.h"
#include "link/pending_sender.h"

namespace app {

// The preset to select, under lock A: 0x7D and then the accessory's 0x0F notice.
class PendingPreset : public devlink::PendingSender {
public:
    void Set(int preset);
    // Two frames when a preset was pending, else none.
    int SendPending(const devlink::FrameSender& sender) override;

private:
    std::mutex lockA_;
    int preset_ = 0;
    bool pending_ = false;
};

// The dynamic-equalisation switch, under lock B: 0xD1 with the current preset's value.
class PendingDynamicEqSwitch : public devlink::PendingSender {
public:
    void SetStore(std::function<uint32_t()> get, std::function<void(uint32_t)> set);
    void Set(uint32_t offFlag);
    uint32_t Get() const;
    // One frame when the switch was pending, else none.
    int SendPending(const devlink::FrameSender& sender) override;
    bool TakeChanged();

private:
    mutable std::mutex lockB_;
    uint32_t off_ = 0;
    bool pending_ = false;
    std::function<uint32_t()> getSwitch_;
    std::function<void(uint32_t)> setSwitch_;
    bool changed_ = false;
};

class PendingCommands {
public:
    void SetPendingPreset(int preset) { preset_.Set(preset); }
    // Sends 0x7D and then the accessory's 0x0F notice; true when a preset was pending.
    bool SendPendingPreset(const devlink::FrameSender& sender) { return preset_.SendPending(sender) > 0; }

    // Where the switch value of the current preset lives (the dynamic-equalisation dialog). Both
    // are called under lock B, so that store takes its own lock only after B. Without a store the
    // value is kept here.
    void SetSwitchStore(std::function<uint32_t()> get, std::function<void(uint32_t)> set) {
        switch_.SetStore(std::move(get), std::move(set));
    }
    // offFlag: 1 = dynamic equalisation off. Also marks the application changed.
    void SetDynamicEqSwitch(uint32_t offFlag) { switch_.Set(offFlag); }
    uint32_t DynamicEqSwitch() const { return switch_.Get(); }
    bool SendPendingDynamicEq(const devlink::FrameSender& sender) { return switch_.SendPending(sender) > 0; }

    bool TakeChanged() { return switch_.TakeChanged(); }

    // The two as members of the idle cycle's sender list.
    devlink::PendingSender& PresetSender() { return preset_; }
    devlink::PendingSender& DynamicEqSwitchSender() { return switch_; }

    // The application's working mode (1 Standard, 0 Expert): set on the user interface thread
    // (the Config menu, a read-back, a reset), read by the poll thread as it sends 0xCF.
    void SetWorkingMode(uint32_t mode) { workingMode_.store(mode); }
    uint32_t WorkingMode() const { return workingMode_.load(); }
    void SendWorkingMode(const devlink::FrameSender& sender) const;

private:
    PendingPreset preset_;
    PendingDynamicEqSwitch switch_;
    std::atomic<uint32_t> workingMode_{1};
};

}  // namespace app
