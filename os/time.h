// Sleeping and reading the time, behind interfaces so that pacing and time-outs can be tested
// without real waits: a test hands in a FakeSleeper that only advances a ManualClock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace os {

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(uint32_t ms) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary, fixed origin; never goes backwards.
    virtual uint64_t NowMs() const = 0;
};

// The real thing: Sleep() on Windows, std::this_thread::sleep_for elsewhere; a steady clock.
Sleeper& SystemSleeper();
Clock& SystemClock();

// A clock that moves only when told to.
class ManualClock : public Clock {
public:
    explicit ManualClock(uint64_t start = 0) : now_(start) {}
    uint64_t NowMs() const override { return now_.load(); }
    void Advance(uint64_t ms) { now_.fetch_add(ms); }

private:
    std::atomic<uint64_t> now_;
};

// A sleeper that returns at once, records every pause and advances its clock (if any) by it.
class FakeSleeper : public Sleeper {
public:
    explicit FakeSleeper(ManualClock* clock = nullptr) : clock_(clock) {}
    void SleepMs(uint32_t ms) override;
    std::vector<uint32_t> Pauses() const;
    uint64_t TotalMs() const;
    void Clear();

private:
    ManualClock* clock_;
    mutable std::mutex lock_;
    std::vector<uint32_t> pauses_;
};

}  // namespace os
