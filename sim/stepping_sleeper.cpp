#include "sim/stepping_sleeper.h"

#include <chrono>
#include <numeric>
#include <thread>

namespace sim {

SteppingSleeper::SteppingSleeper(os::ManualClock& clock, Bus& bus) : clock_(clock), bus_(bus) {
    bus_.SetPollOnCalls(false);
    // A driver call that waits out a time-out spends simulated time, as the caller's pauses do,
    // but is no pause of the caller's own.
    bus_.SetCallWait([this](uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            Step();
        }
    });
}

SteppingSleeper::~SteppingSleeper() { bus_.SetCallWait(nullptr); }

void SteppingSleeper::SetReceiver(std::function<uint64_t()> passes) { passes_ = std::move(passes); }

void SteppingSleeper::SetOnSleep(std::function<void(uint32_t)> hook) { onSleep_ = std::move(hook); }

void SteppingSleeper::Step() {
    const uint64_t before = passes_ ? passes_() : 0;
    if (bus_.Poll() == 0 || !passes_) return;
    // The receive event was signalled: wait for the receiver's next pass to end. Spin first (it
    // takes microseconds), then back off; give up after two real seconds so that a broken test
    // fails instead of hanging.
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::seconds(2);
    for (int spins = 0; passes_() == before; ++spins) {
        if (spins < 20000) {
            std::this_thread::yield();
        } else {
            if (clock::now() > deadline) {
                syncTimeouts_.fetch_add(1);
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
}

void SteppingSleeper::SleepMs(uint32_t ms) {
    if (onSleep_) onSleep_(ms);
    {
        std::lock_guard<std::mutex> g(lock_);
        pauses_.push_back(ms);
    }
    if (ms == 0) {
        Step();
        return;
    }
    for (uint32_t i = 0; i < ms; ++i) {
        clock_.Advance(1);
        Step();
    }
}

std::vector<uint32_t> SteppingSleeper::Pauses() const {
    std::lock_guard<std::mutex> g(lock_);
    return pauses_;
}

uint64_t SteppingSleeper::TotalMs() const {
    std::lock_guard<std::mutex> g(lock_);
    return std::accumulate(pauses_.begin(), pauses_.end(), uint64_t{0});
}

size_t SteppingSleeper::Count(uint32_t ms) const {
    std::lock_guard<std::mutex> g(lock_);
    size_t n = 0;
    for (uint32_t p : pauses_) n += p == ms;
    return n;
}

void SteppingSleeper::Clear() {
    std::lock_guard<std::mutex> g(lock_);
    pauses_.clear();
}

}  // namespace sim
