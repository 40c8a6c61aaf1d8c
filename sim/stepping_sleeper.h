// A sleeper for tests that run the link against the simulated bus on a manual clock: each pause
// moves the clock one millisecond at a time, lets the bus deliver what is due, and, when bytes were
// delivered, waits (in real time, briefly) until the link's receiver has handled them. A 3 s
// handshake then takes microseconds and sees every byte at its simulated time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "os/time.h"
#include "sim/bus.h"

namespace sim {

class SteppingSleeper : public os::Sleeper {
public:
    // Turns off the bus's own polling, so that only the steps move bytes.
    SteppingSleeper(os::ManualClock& clock, Bus& bus);
    ~SteppingSleeper() override;
    SteppingSleeper(const SteppingSleeper&) = delete;
    SteppingSleeper& operator=(const SteppingSleeper&) = delete;

    void SleepMs(uint32_t ms) override;

    // How many passes the receiver has finished (UsbLink::ReceiverIdleCount); without it the
    // sleeper does not wait for the receiver.
    void SetReceiver(std::function<uint64_t()> passes);
    // Called before each pause with its length (a test sets a cancel flag from here, say).
    void SetOnSleep(std::function<void(uint32_t)> hook);

    std::vector<uint32_t> Pauses() const;
    uint64_t TotalMs() const;
    size_t Count(uint32_t ms) const;  // how many pauses of that length
    void Clear();
    // Times the receiver did not finish within the real-time bound (a broken test, not a slow one).
    uint64_t SyncTimeouts() const { return syncTimeouts_.load(); }

private:
    void Step();

    os::ManualClock& clock_;
    Bus& bus_;
    std::function<uint64_t()> passes_;
    std::function<void(uint32_t)> onSleep_;
    mutable std::mutex lock_;
    std::vector<uint32_t> pauses_;
    std::atomic<uint64_t> syncTimeouts_{0};
};

}  // namespace sim
