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

namespace app {

class PendingCommands {
public:
    void SetPendingPreset(int preset);
    // Sends 0x7D and then the accessory's 0x0F notice; true when a preset was pending.
    bool SendPendingPreset(const devlink::FrameSender& sender);

    // Where the switch value of the current preset lives (the dynamic-equalisation dialog). Both
    // are called under lock B, so that store takes its own lock only after B. Without a store the
    // value is kept here.
    void SetSwitchStore(std::function<uint32_t()> get, std::function<void(uint32_t)> set);
    // offFlag: 1 = dynamic equalisation off. Also marks the application changed.
    void SetDynamicEqSwitch(uint32_t offFlag);
    uint32_t DynamicEqSwitch() const;
    bool SendPendingDynamicEq(const devlink::FrameSender& sender);

    bool TakeChanged();

    // The application's working mode (1 Standard, 0 Expert): set on the user interface thread
    // (the Config menu, a read-back, a reset), read by the poll thread as it sends 0xCF.
    void SetWorkingMode(uint32_t mode) { workingMode_.store(mode); }
    uint32_t WorkingMode() const { return workingMode_.load(); }
    void SendWorkingMode(const devlink::FrameSender& sender) const;

private:
    mutable std::mutex lockA_;
    int pendingPreset_ = 0;
    bool presetPending_ = false;
    mutable std::mutex lockB_;
    uint32_t dynEqOff_ = 0;
    bool dynEqPending_ = false;
    std::function<uint32_t()> getSwitch_;
    std::function<void(uint32_t)> setSwitch_;
    bool changed_ = false;
    std::atomic<uint32_t> workingMode_{1};
};

}  // namespace app
