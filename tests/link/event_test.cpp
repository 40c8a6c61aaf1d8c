#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "os/event.h"

using os::Event;
using os::EventMode;

TEST(Event, AutoResetWakesOnceManualResetStaysSet) {
    Event autoReset(EventMode::AutoReset);
    Event manual(EventMode::ManualReset);
    EXPECT_FALSE(autoReset.TryWait());
    autoReset.Set();
    EXPECT_TRUE(autoReset.TryWait());
    EXPECT_FALSE(autoReset.TryWait());

    manual.Set();
    EXPECT_TRUE(manual.TryWait());
    EXPECT_TRUE(manual.TryWait());
    manual.Reset();
    EXPECT_FALSE(manual.TryWait());
}

TEST(Event, WaitAnyPrefersTheFirstAndConsumesOnlyTheWinner) {
    Event stop(EventMode::ManualReset);
    Event receive(EventMode::AutoReset);
    receive.Set();
    EXPECT_EQ(os::WaitAny(stop, receive), 1u);
    EXPECT_FALSE(receive.TryWait());

    stop.Set();
    receive.Set();
    EXPECT_EQ(os::WaitAny(stop, receive), 0u);
    EXPECT_TRUE(stop.TryWait());     // manual reset: still set
    EXPECT_TRUE(receive.TryWait());  // not consumed by the wait that the stop event won
}

TEST(Event, DriverHandleWakesAWaitingThread) {
    Event stop(EventMode::ManualReset);
    Event receive(EventMode::AutoReset);
    std::atomic<int> woke{-1};
    std::thread waiter([&] { woke = static_cast<int>(os::WaitAny(stop, receive)); });
    os::SignalEventHandle(receive.NativeHandle());
    waiter.join();
    EXPECT_EQ(woke.load(), 1);
    os::SignalEventHandle(nullptr);  // nothing to signal, nothing happens
}
