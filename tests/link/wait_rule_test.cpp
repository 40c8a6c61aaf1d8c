// The one rule that ends every reply wait, against the simulated unit on a manual clock: the
// times are simulated milliseconds read around each wait, never the wall clock.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "link_harness.h"

using namespace devlink;
using linktest::Bytes;
using linktest::SimHarness;

namespace {

constexpr uint8_t kUpdateResult = 0xCB;
const Frame kFinalizeOk = Bytes({0x5A, 0x46, 0x00, 0x09, 0xCB, 0x00, 0x01, 0x00, 0x75});

class WaitRuleTest : public ::testing::Test {
protected:
    void OpenOne(sim::Faults faults = {}) {
        h.AddUnit();
        link = h.MakeLink();
        link->SetCancel(&stop);
        ASSERT_EQ(link->Open(1), 1);
        {
            auto g = h.bus.Lock();
            h.bus.unit(0).faults() = faults;
        }
        h.sleeper.Clear();
        h.notifier.Clear();
    }
    // Waits for the FINALIZE reply and says how long it took, in simulated milliseconds.
    int Wait(int timeoutMs, uint64_t& elapsed, const std::atomic<int>* cancel = nullptr) {
        uint8_t out[9] = {};
        const uint64_t start = h.clock.NowMs();
        const int got = link->WaitResponse(kUpdateResult, out, sizeof out, timeoutMs, true, cancel);
        elapsed = h.clock.NowMs() - start;
        return got;
    }
    // A hook that raises a flag t ms into the wait: in the pause that spans that moment, as
    // another thread would while the waiting one sleeps.
    void RaiseAt(std::atomic<int>& flag, uint64_t t) {
        const uint64_t start = h.clock.NowMs();
        h.sleeper.SetOnSleep([this, &flag, start, t](uint32_t ms) {
            if (h.clock.NowMs() - start + ms > t) flag = 1;
        });
    }
    void LoseUnitAfterTheRequest(const sim::Faults& faults);
    size_t LinkFailures() const { return h.notifier.Posts(kMsgLinkFailed).size(); }

    SimHarness h;
    std::atomic<int> stop{0};
    std::unique_ptr<UsbLink> link;
};

}  // namespace

TEST_F(WaitRuleTest, AReplyEndsTheWaitWithinOnePollOfItsArrival) {
    OpenOne();
    for (uint32_t d : {0u, 1u, 14u, 15u, 16u, 700u, 29999u}) {
        SCOPED_TRACE(d);
        {
            auto g = h.bus.Lock();
            h.bus.unit(0).SendRaw(kFinalizeOk, d);
        }
        uint64_t elapsed = 0;
        EXPECT_EQ(Wait(120000, elapsed), 1);
        EXPECT_GE(elapsed, d == 0 ? 0 : d);
        EXPECT_LE(elapsed, d + 15);
        EXPECT_EQ(link->ReceivedCount(), 0u);
    }
    EXPECT_EQ(LinkFailures(), 0u);
    EXPECT_EQ(link->IsFailed(), 0);
}

TEST_F(WaitRuleTest, WithoutAReplyTheTimeOutIsSpentInWholePolls) {
    OpenOne();
    const struct {
        int timeout;
        uint64_t elapsed;
    } cases[] = {{120000, 120000}, {30000, 30000}, {1000, 990}, {10, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeout);
        h.sleeper.Clear();
        uint64_t elapsed = 0;
        EXPECT_EQ(Wait(c.timeout, elapsed), 0);
        EXPECT_EQ(elapsed, c.elapsed);
        EXPECT_EQ(h.sleeper.Count(15), c.elapsed / 15);
    }
    EXPECT_EQ(h.sleeper.Count(15), 1u);
    EXPECT_EQ(LinkFailures(), 0u);
}

TEST_F(WaitRuleTest, CancelOrStopEndTheWaitWithinOnePoll) {
    OpenOne();
    std::atomic<int> cancel{0};
    for (uint64_t t : {0u, 7u, 450u, 61000u}) {
        for (bool byStop : {false, true}) {
            SCOPED_TRACE(std::to_string(t) + (byStop ? " stop" : " cancel"));
            cancel = 0;
            stop = 0;
            RaiseAt(byStop ? stop : cancel, t);
            uint64_t elapsed = 0;
            EXPECT_EQ(Wait(t < 1000 ? -1 : 120000, elapsed, &cancel), 0);
            EXPECT_GE(elapsed, t);
            EXPECT_LE(elapsed, t + 15);
        }
    }
    h.sleeper.SetOnSleep(nullptr);
    EXPECT_EQ(LinkFailures(), 0u);
    EXPECT_EQ(link->IsFailed(), 0);
}

TEST_F(WaitRuleTest, AClosedLinkEndsTheWaitAtTheFirstPoll) {
    OpenOne();
    link->Close();
    uint64_t elapsed = 0;
    EXPECT_EQ(Wait(120000, elapsed), 0);
    EXPECT_EQ(elapsed, 15u);
    EXPECT_EQ(LinkFailures(), 0u);
}

TEST_F(WaitRuleTest, ALinkThatFailedBeforeTheRequestEndsTheWaitAtTheFirstPoll) {
    OpenOne();
    h.bus.Unplug(0);
    link->Send(BuildSimpleFrame(kNodeDsp, DeviceCommand::Finalize));  // its writes fail
    ASSERT_EQ(link->IsFailed(), 1);
    uint64_t elapsed = 0;
    EXPECT_EQ(Wait(120000, elapsed), 0);
    EXPECT_EQ(elapsed, 15u);
    EXPECT_EQ(LinkFailures(), 1u);
}

// The unit goes after the request went out, so no write noticed: the status query finds it gone.
void WaitRuleTest::LoseUnitAfterTheRequest(const sim::Faults& faults) {
    OpenOne(faults);
    link->Send(BuildSimpleFrame(kNodeDsp, DeviceCommand::Finalize));
    EXPECT_EQ(link->IsFailed(), 0);  // the request itself went out
    uint64_t elapsed = 0;
    EXPECT_EQ(Wait(120000, elapsed), 0);
    EXPECT_EQ(elapsed, 15u);
    EXPECT_EQ(link->IsFailed(), 1);
    EXPECT_EQ(LinkFailures(), 1u);
    // Later waits and writes say nothing more.
    EXPECT_EQ(Wait(3000, elapsed), 0);
    EXPECT_EQ(elapsed, 15u);
    link->Send(BuildSimpleFrame(kNodeDsp, DeviceCommand::StoreEnd));
    EXPECT_EQ(LinkFailures(), 1u);
}

TEST_F(WaitRuleTest, AUnitUnpluggedByTheRequestFailsTheLinkOnceAtTheFirstPoll) {
    sim::Faults f;
    f.unplugOnCommand = 0xC9;
    LoseUnitAfterTheRequest(f);
}

TEST_F(WaitRuleTest, AFailingStatusQueryFailsTheLinkOnceAtTheFirstPoll) {
    sim::Faults f;
    f.statusFails = sim::CallFault::Always();
    LoseUnitAfterTheRequest(f);
}
