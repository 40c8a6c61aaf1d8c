#include "os/time.h"

#include <chrono>
#include <numeric>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace os {
namespace {

class RealSleeper : public Sleeper {
public:
    void SleepMs(uint32_t ms) override {
#ifdef _WIN32
        ::Sleep(ms);
#else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
    }
};

class SteadyClock : public Clock {
public:
    uint64_t NowMs() const override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

}  // namespace

Sleeper& SystemSleeper() {
    static RealSleeper sleeper;
    return sleeper;
}

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

void FakeSleeper::SleepMs(uint32_t ms) {
    {
        std::lock_guard<std::mutex> g(lock_);
        pauses_.push_back(ms);
    }
    if (clock_) clock_->Advance(ms);
}

std::vector<uint32_t> FakeSleeper::Pauses() const {
    std::lock_guard<std::mutex> g(lock_);
    return pauses_;
}

uint64_t FakeSleeper::TotalMs() const {
    std::lock_guard<std::mutex> g(lock_);
    return std::accumulate(pauses_.begin(), pauses_.end(), uint64_t{0});
}

void FakeSleeper::Clear() {
    std::lock_guard<std::mutex> g(lock_);
    pauses_.clear();
}

}  // namespace os
