// The request words of the application that the poll thread serves. The user interface thread
// sets them, the poll thread clears the one-shot ones; each is a word of its own shared between the
// two threads without a lock.
#pragma once

#include <atomic>
#include <cstdint>

namespace app {

struct PollRequests {
    std::atomic<uint32_t> scan{0};
    std::atomic<int32_t> connectDevice{0};  // device number to change to; 0 none
    std::atomic<uint32_t> readFromDevice{0};
    std::atomic<uint32_t> sendAll{0};
    std::atomic<uint32_t> readDone{0};
    std::atomic<uint32_t> wizardRunning{0};
    std::atomic<uint32_t> dynEqSend{0};
    std::atomic<uint32_t> extSourceResend{0};
    std::atomic<uint32_t> finalize{0};
    std::atomic<uint32_t> routingResend{0};
    std::atomic<uint32_t> firmwareUpdate{0};
    // One-shot requests served before the work of a cycle.
    std::atomic<uint32_t> restartDevice{0};
    std::atomic<uint32_t> hotKeyReset{0};
    std::atomic<uint32_t> hotKeyDump{0};
    std::atomic<uint32_t> workingModeChanged{0};
};

}  // namespace app
