// The link against the simulated bridge: device list, open, line settings, parity, chunked
// writes and their failures, close, the gate and waiting for replies.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "link_harness.h"

using namespace devlink;
using linktest::Bytes;
using linktest::SimHarness;

namespace {

sim::UnitConfig Named(const std::string& description, uint32_t location = 0) {
    sim::UnitConfig c;
    c.description = description;
    c.serial = "SN-" + description;
    c.locationId = location;
    return c;
}

const Frame kReadAllDoneComplete = Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x01, 0x3B});
const Frame kReadAllDoneIncomplete = Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x00, 0x3A});

class LinkTest : public ::testing::Test {
protected:
    // An open link on one default unit, with the open's traffic forgotten.
    void OpenOne(bool withNotifier = true) {
        h.AddUnit();
        link = h.MakeLink(-1, withNotifier);
        ASSERT_EQ(link->Open(1), 1);
        h.bus.ClearTraces();
        h.sleeper.Clear();
        h.notifier.Clear();
    }
    sim::SimUnit& unit() { return h.bus.unit(0); }

    SimHarness h;
    std::unique_ptr<UsbLink> link;  // after the harness: goes first
};

}  // namespace

TEST_F(LinkTest, DeviceListRunsFromTheHighestIndexAndNumbersFromOne) {
    h.AddUnit(Named("first", 11));
    h.AddUnit(Named("second", 22));
    h.AddUnit(Named("third", 33));
    link = h.MakeLink();
    const auto& list = link->DeviceList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].index, 2);
    EXPECT_EQ(list[1].index, 1);
    EXPECT_EQ(list[2].index, 0);
    EXPECT_STREQ(list[0].description, "third");
    EXPECT_STREQ(list[0].serial, "SN-third");
    EXPECT_EQ(list[0].locationId, 33u);
    EXPECT_EQ(link->HighestListIndex(), 2);

    ASSERT_EQ(link->Open(3), 1);
    EXPECT_EQ(link->DeviceNumber(), 3);
    EXPECT_TRUE(h.bus.unit(2).connected());
    EXPECT_FALSE(h.bus.unit(0).connected());
    EXPECT_EQ(h.sleeper.SyncTimeouts(), 0u);
}

TEST_F(LinkTest, NumbersOutsideTheListDoNotOpen) {
    link = h.MakeLink();
    EXPECT_EQ(link->HighestListIndex(), -1);
    EXPECT_EQ(link->Open(1), 0);  // nothing attached

    h.AddUnit();
    h.AddUnit(Named("other"));
    auto two = h.MakeLink();  // the list is built when the link is made
    for (int n : {0, 3, -1, 100}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(two->Open(n), 0);
        EXPECT_EQ(two->DeviceNumber(), -1);
        EXPECT_EQ(two->IsOpen(), 0);
    }
}

TEST_F(LinkTest, LongDescriptionsAreCutTo59Characters) {
    h.AddUnit(Named(std::string(63, 'd')));
    link = h.MakeLink();
    ASSERT_EQ(link->DeviceList().size(), 1u);
    EXPECT_EQ(std::strlen(link->DeviceList()[0].description), 59u);
}

TEST_F(LinkTest, OpenConfiguresTheLine) {
    OpenOne();
    auto g = h.bus.Lock();
    const sim::LineSettings& line = unit().line();
    EXPECT_EQ(line.baud, 38400u);
    EXPECT_EQ(line.wordLength, 8);
    EXPECT_EQ(line.stopBits, 0);
    EXPECT_EQ(line.parity, FT_PARITY_SPACE);  // the last write of the open was data
    EXPECT_EQ(line.flow, 0);
    EXPECT_EQ(line.readTimeoutMs, 1u);
    EXPECT_EQ(line.writeTimeoutMs, 384u);
    EXPECT_EQ(line.latencyMs, 2);
    EXPECT_EQ(line.eventMask, FT_EVENT_RXCHAR);
    EXPECT_FALSE(line.inTaskStopped);
    EXPECT_EQ(link->IsConfigured(), 1);
    EXPECT_EQ(link->LineMode(), 0);
}

TEST_F(LinkTest, OpenFailures) {
    h.AddUnit();
    h.AddUnit(Named("broken"));
    {
        auto g = h.bus.Lock();
        h.bus.unit(1).faults().openFails = true;
    }
    link = h.MakeLink();
    EXPECT_EQ(link->Open(2), 0);
    EXPECT_EQ(link->DeviceNumber(), -1);

    // A unit that is open on one link does not open on another.
    ASSERT_EQ(link->Open(1), 1);
    auto other = h.MakeLink();
    EXPECT_EQ(other->Open(1), 0);
    EXPECT_EQ(other->IsOpen(), 0);
    h.sleeper.SetReceiver([p = link.get()] { return p->ReceiverIdleCount(); });
}

TEST_F(LinkTest, OpenOnAnOpenLinkClosesTheFirstSession) {
    OpenOne();
    ASSERT_EQ(link->Open(1), 1);  // would fail as a second open of an open unit otherwise
    EXPECT_EQ(link->IsOpen(), 1);
    EXPECT_TRUE(unit().connected());
}

TEST_F(LinkTest, AddressBytesSwitchToMarkAndDataToSpace) {
    OpenOne();
    const Frame a = BuildSimpleFrame(kNodeDsp, DeviceCommand::StoreBegin);
    const Frame b = BuildSimpleFrame(kNodeDsp, DeviceCommand::StoreEnd);
    link->Send(a);
    link->Send(b);
    EXPECT_EQ(h.bus.ParitySwitches(0),
              (std::vector<uint8_t>{FT_PARITY_MARK, FT_PARITY_SPACE, FT_PARITY_MARK,
                                    FT_PARITY_SPACE}));
    EXPECT_EQ(h.bus.FramesFromPc(0), (std::vector<Frame>{a, b}));
    EXPECT_TRUE(h.bus.PacingViolations(0).empty());
    // Data after data does not switch.
    h.bus.ClearTraces();
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_EQ(link->Write(data, 3, false), 1);
    EXPECT_TRUE(h.bus.ParitySwitches(0).empty());
}

TEST_F(LinkTest, WritesGoOutInChunksOf512) {
    OpenOne();
    Frame data(1100, 0x33);
    EXPECT_EQ(link->Write(data.data(), data.size(), false), 1);
    EXPECT_EQ(h.bus.WriteSizes(0), (std::vector<size_t>{512, 512, 76}));

    // A driver that takes less than asked: the write goes on from where it stopped.
    h.bus.ClearTraces();
    {
        auto g = h.bus.Lock();
        unit().faults().writeLimit = 100;
    }
    EXPECT_EQ(link->Write(data.data(), 300, false), 1);
    EXPECT_EQ(h.bus.WriteSizes(0), (std::vector<size_t>{300, 200, 100}));
    EXPECT_EQ(link->IsFailed(), 0);
}

// A write that moves nothing fails the link with one notice: after 2048 calls that fail (a driver
// that fails a call does so at once), or within a second or two of its last progress when each
// call waits out the 384 ms write time-out with nothing taken (a stalled unit), where 2048 such
// calls held the write for 13 minutes.
TEST_F(LinkTest, AWriteThatMovesNothingEndsAndReportsOnce) {
    const struct {
        const char* what;
        bool zeroBytes;  // FT_OK with nothing written, as a stalled device gives
    } cases[] = {{"failing calls", false}, {"calls that take nothing", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimHarness local;
        local.AddUnit();
        auto l = local.MakeLink();
        ASSERT_EQ(l->Open(1), 1);
        local.notifier.Clear();
        uint64_t before;
        {
            auto g = local.bus.Lock();
            sim::SimUnit& u = local.bus.unit(0);
            before = u.writeCalls;
            (c.zeroBytes ? u.faults().writeTakesNothing : u.faults().writeFails) =
                sim::CallFault::Always();
        }
        const uint8_t data[10] = {};
        const uint64_t start = local.clock.NowMs();
        EXPECT_EQ(l->Write(data, sizeof(data), false), 0);
        const uint64_t took = local.clock.NowMs() - start;
        uint64_t calls;
        {
            auto g = local.bus.Lock();
            calls = local.bus.unit(0).writeCalls - before;
        }
        if (c.zeroBytes) {
            EXPECT_GE(took, 1000u);
            EXPECT_LE(took, 2500u);
            EXPECT_GT(calls, 1u) << "a chunk that moves nothing is tried again";
            EXPECT_LT(calls, 8u);
        } else {
            EXPECT_EQ(calls, 2048u);
            EXPECT_EQ(took, 0u);
        }
        EXPECT_EQ(l->IsFailed(), 1);
        EXPECT_EQ(local.notifier.Posts(), (std::vector<RecordingNotifier::Posted>{{0x8009, 1, 0}}));

        // Failed: nothing more is written until the link is opened again.
        EXPECT_EQ(l->Write(data, sizeof(data), false), 0);
        EXPECT_EQ(l->Write(data, 1, true), 0);
        {
            auto g = local.bus.Lock();
            EXPECT_EQ(local.bus.unit(0).writeCalls - before, calls);
            local.bus.unit(0).faults() = {};
        }
        EXPECT_EQ(local.notifier.Posts().size(), 1u);
        l->Close();
        ASSERT_EQ(l->Open(1), 1);
        EXPECT_EQ(l->IsFailed(), 0);
        EXPECT_EQ(l->Write(data, sizeof(data), false), 1);
    }
}

// The program's stop (the link's cancel flag) ends a write on a stalled line at the chunk in
// progress, without the question about a lost link; later writes (the disconnect on the way out)
// return at once. On a sound line the stop keeps nothing from going out.
TEST_F(LinkTest, TheProgramsStopEndsAStalledWriteWithinOneChunk) {
    for (const bool stopBefore : {true, false}) {
        SCOPED_TRACE(stopBefore ? "stopped before the write" : "stopped while its first chunk stalls");
        std::atomic<int> stop{0};
        SimHarness local;
        local.AddUnit();
        auto l = local.MakeLink();
        l->SetCancel(&stop);
        ASSERT_EQ(l->Open(1), 1);
        const uint8_t data[10] = {};
        stop = 1;
        EXPECT_EQ(l->Write(data, sizeof(data), false), 1) << "a sound line still takes the bytes";
        stop = stopBefore ? 1 : 0;
        local.notifier.Clear();
        uint64_t before;
        {
            auto g = local.bus.Lock();
            before = local.bus.unit(0).writeCalls;
            local.bus.unit(0).faults().writeTakesNothing = sim::CallFault::Always();
        }
        // The stalled call's time passes on the test's clock; the user closes the program meanwhile.
        local.bus.SetCallWait([&](uint32_t ms) {
            local.clock.Advance(ms);
            stop = 1;
        });
        const uint64_t start = local.clock.NowMs();
        EXPECT_EQ(l->Write(data, sizeof(data), false), 0);
        EXPECT_EQ(local.clock.NowMs() - start, 384u) << "one chunk's write time-out";
        EXPECT_EQ(l->Write(data, 1, true), 0);
        {
            auto g = local.bus.Lock();
            EXPECT_EQ(local.bus.unit(0).writeCalls - before, 1u);
        }
        EXPECT_EQ(l->IsFailed(), 1);
        EXPECT_TRUE(local.notifier.Posts(kMsgLinkFailed).empty());
    }
}

TEST_F(LinkTest, WithErrorReportingOffFailuresAreBoundedAndSilent) {
    OpenOne();
    link->SetErrorReporting(0);
    {
        auto g = h.bus.Lock();
        unit().faults().writeFails = sim::CallFault::Always();
        unit().faults().parityFails = sim::CallFault::Always();
    }
    const uint8_t data[4] = {};
    EXPECT_EQ(link->Write(data, sizeof(data), false), 0);  // ends, though nothing counts it
    EXPECT_EQ(link->Write(data, 1, true), 0);              // the switch fails ten times
    EXPECT_EQ(link->IsFailed(), 0);
    EXPECT_TRUE(h.notifier.Posts().empty());
    {
        auto g = h.bus.Lock();
        unit().faults() = {};
    }
    EXPECT_EQ(link->Write(data, sizeof(data), false), 1);
    link->SetErrorReporting(1);
}

TEST_F(LinkTest, TransientChunkFailuresAreRetried) {
    OpenOne();
    {
        auto g = h.bus.Lock();
        unit().faults().writeFails = sim::CallFault::From(static_cast<int64_t>(unit().writeCalls), 3);
    }
    const uint8_t data[20] = {};
    EXPECT_EQ(link->Write(data, sizeof(data), false), 1);
    EXPECT_EQ(link->IsFailed(), 0);
    EXPECT_TRUE(h.notifier.Posts().empty());
}

TEST_F(LinkTest, ParitySwitchTriesTenTimesFifteenMillisecondsApart) {
    OpenOne();
    {
        auto g = h.bus.Lock();
        unit().faults().parityFails = sim::CallFault::Always();
    }
    const uint8_t byte = 0x46;
    EXPECT_EQ(link->Write(&byte, 1, true), 0);
    EXPECT_EQ(h.sleeper.Pauses(), std::vector<uint32_t>(10, 15));
    EXPECT_EQ(link->IsFailed(), 1);
    EXPECT_EQ(h.notifier.Posts(), (std::vector<RecordingNotifier::Posted>{{0x8009, 1, 0}}));
    EXPECT_TRUE(h.bus.WriteSizes(0).empty());  // nothing written after a failed switch
    EXPECT_EQ(link->Write(&byte, 1, true), 0);
    EXPECT_EQ(h.notifier.Posts().size(), 1u);
}

TEST_F(LinkTest, FailedSwitchLeavesTheLineModeSoTheNextWriteSwitchesAgain) {
    OpenOne(/*withNotifier=*/false);
    uint64_t calls;
    {
        auto g = h.bus.Lock();
        unit().faults().parityFails = sim::CallFault::From(static_cast<int64_t>(unit().parityCalls), 10);
        calls = unit().parityCalls;
    }
    const uint8_t byte = 0x46;
    EXPECT_EQ(link->Write(&byte, 1, true), 0);
    EXPECT_EQ(link->LineMode(), 0);
    EXPECT_EQ(link->IsFailed(), 0);  // no window to tell: not marked failed
    // The next address byte switches again and now goes out with MARK parity.
    EXPECT_EQ(link->Write(&byte, 1, true), 1);
    EXPECT_EQ(link->LineMode(), 1);
    {
        auto g = h.bus.Lock();
        EXPECT_EQ(unit().parityCalls - calls, 11u);
        EXPECT_EQ(unit().parity(), FT_PARITY_MARK);
    }
}

TEST_F(LinkTest, ParitySwitchThatRecoversWritesTheBytes) {
    OpenOne();
    {
        auto g = h.bus.Lock();
        unit().faults().parityFails = sim::CallFault::From(static_cast<int64_t>(unit().parityCalls), 3);
    }
    const uint8_t byte = 0x46;
    EXPECT_EQ(link->Write(&byte, 1, true), 1);
    EXPECT_EQ(h.sleeper.Pauses(), std::vector<uint32_t>(3, 15));
    EXPECT_EQ(h.bus.WriteSizes(0), std::vector<size_t>{1});
}

TEST_F(LinkTest, ClosedLinkWritesNothingAndCloseKeepsTheList) {
    OpenOne();
    h.bus.InjectToPc(0, kReadAllDoneComplete);
    h.sleeper.SleepMs(1);
    EXPECT_EQ(link->ReceivedCount(), 1u);
    link->Close();
    EXPECT_EQ(link->IsOpen(), 0);
    EXPECT_EQ(link->DeviceNumber(), -1);
    EXPECT_EQ(link->IsConfigured(), 0);
    EXPECT_FALSE(unit().connected());
    EXPECT_EQ(link->ReceivedCount(), 1u);  // the list outlives a close
    const uint8_t byte = 0;
    EXPECT_EQ(link->Write(&byte, 1, false), 0);
    link->Close();  // twice: nothing
}

TEST_F(LinkTest, DestroyingAnOpenLinkClosesIt) {
    OpenOne();
    link.reset();
    EXPECT_FALSE(unit().connected());
}

TEST_F(LinkTest, GateChangesCostTheirPauseOnlyWhenTheyChange) {
    OpenOne();
    EXPECT_EQ(link->ReceiveGateClosed(), 0);  // the identify exchange left it open
    link->SetReceiveGate(0);
    EXPECT_TRUE(h.sleeper.Pauses().empty());
    link->SetReceiveGate(1);
    link->SetReceiveGate(1);
    link->SetReceiveGate(0);
    EXPECT_EQ(h.sleeper.Pauses(), (std::vector<uint32_t>{200, 200}));
}

TEST_F(LinkTest, ReplyWhileTheGateIsClosedIsLost) {
    OpenOne();
    link->SetReceiveGate(1);
    h.bus.InjectToPc(0, kReadAllDoneComplete);
    h.sleeper.SleepMs(10);
    link->SetReceiveGate(0);
    uint8_t out[8];
    EXPECT_EQ(link->WaitResponse(0x93, out, 7, 100, true, nullptr), 0);
    EXPECT_EQ(link->ReceivedCount(), 0u);
}

TEST_F(LinkTest, WaitResponsePollsEvery15Milliseconds) {
    OpenOne();
    const struct {
        int timeout;
        size_t polls;
    } cases[] = {{3000, 200}, {10, 1}, {0, 1}, {29, 1}, {30, 2}, {1000, 66}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeout);
        h.sleeper.Clear();
        uint8_t out[8];
        EXPECT_EQ(link->WaitResponse(0x93, out, 7, c.timeout, true, nullptr), 0);
        EXPECT_EQ(h.sleeper.Pauses(), std::vector<uint32_t>(c.polls, 15));
    }
}

TEST_F(LinkTest, WaitResponseWithoutTimeoutEndsOnAFrameOrTheCancelFlag) {
    OpenOne();
    std::atomic<int> cancel{0};
    int polls = 0;
    h.sleeper.SetOnSleep([&](uint32_t) {
        if (++polls == 500) cancel = 1;
    });
    uint8_t out[8];
    EXPECT_EQ(link->WaitResponse(0x93, out, 7, -1, true, &cancel), 0);
    EXPECT_EQ(polls, 500);

    cancel = 0;
    polls = 0;
    h.sleeper.SetOnSleep([&](uint32_t) {
        if (++polls == 700) h.bus.InjectToPc(0, kReadAllDoneComplete);
    });
    EXPECT_EQ(link->WaitResponse(0x93, out, 7, -1, true, &cancel), 1);
    EXPECT_EQ(polls, 700);
    h.sleeper.SetOnSleep(nullptr);
}

TEST_F(LinkTest, WaitResponseTakesTheOldestAndCopiesOnlyTheFrame) {
    OpenOne();
    h.bus.InjectToPc(0, kReadAllDoneComplete);
    h.bus.InjectToPc(0, kReadAllDoneIncomplete);
    h.sleeper.SleepMs(1);
    ASSERT_EQ(link->ReceivedCount(), 2u);

    // No buffer: found, and left where it is.
    EXPECT_EQ(link->WaitResponse(0x93, nullptr, 0, 10, true, nullptr), 1);
    EXPECT_EQ(link->ReceivedCount(), 2u);

    uint8_t out[10];
    std::memset(out, 0xEE, sizeof(out));
    EXPECT_EQ(link->WaitResponse(0x93, out, sizeof(out), 10, true, nullptr), 1);
    EXPECT_EQ(Frame(out, out + 7), kReadAllDoneComplete);
    EXPECT_EQ(Frame(out + 7, out + 10), Frame(3, 0));  // zeroed, not left as it was
    std::memset(out, 0xEE, sizeof(out));
    EXPECT_EQ(link->WaitResponse(0x93, out, 4, 10, false, nullptr), 1);
    EXPECT_EQ(Frame(out, out + 4), Frame(kReadAllDoneIncomplete.begin(), kReadAllDoneIncomplete.begin() + 4));
    EXPECT_EQ(out[4], 0xEE);  // nothing beyond the size given is touched
    EXPECT_EQ(link->ReceivedCount(), 1u);  // not removed
}

TEST_F(LinkTest, FramesShorterThanTheirCommandsMinimumAreNoReply) {
    OpenOne();
    // A 12-byte identify reply: the index asks at least 13.
    const Frame shortIdentify =
        Bytes({0x5A, 0x46, 0x00, 0x0C, 0xCD, 0x01, 0x02, 0x03, 0x04, 0xA1, 0x0F, 0x2B});
    h.bus.InjectToPc(0, shortIdentify);
    h.sleeper.SleepMs(1);
    uint8_t out[14];
    EXPECT_EQ(link->WaitResponse(0xCD, out, sizeof(out), 30, true, nullptr), 0);
    ASSERT_TRUE(link->FindFrame(0xCD).has_value());  // queued all the same, for the dispatcher
    EXPECT_EQ(link->FindFrame(0xCD)->bytes, shortIdentify);
}

TEST_F(LinkTest, ListOperations) {
    OpenOne();
    h.bus.InjectToPc(0, kReadAllDoneComplete);
    h.bus.InjectToPc(0, kReadAllDoneComplete);
    h.sleeper.SleepMs(1);
    auto frames = link->ReceivedFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_NE(frames[0].id, frames[1].id);
    EXPECT_TRUE(link->RemoveFrame(frames[1].id));
    EXPECT_FALSE(link->RemoveFrame(frames[1].id));  // no longer in the list
    EXPECT_EQ(link->ReceivedFrames()[0].id, frames[0].id);
    EXPECT_FALSE(link->FindFrame(0xCD).has_value());
    link->ClearReceived();
    EXPECT_EQ(link->ReceivedCount(), 0u);
}

TEST_F(LinkTest, RepliesArriveWhateverTheDelivery) {
    const struct {
        const char* what;
        sim::Delivery delivery;
        size_t chunk;
    } cases[] = {{"instant", sim::Delivery::Instant, 0},
                 {"three bytes at a time", sim::Delivery::Instant, 3},
                 {"one byte at a time", sim::Delivery::Instant, 1},
                 {"line rate", sim::Delivery::LineRate, 0},
                 {"line rate in pieces of five", sim::Delivery::LineRate, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimHarness local;
        sim::UnitConfig config;
        config.delivery = c.delivery;
        config.chunkSize = c.chunk;
        local.AddUnit(config);
        auto l = local.MakeLink();
        ASSERT_EQ(l->Open(1), 1);
        EXPECT_EQ(l->HelloAnswered(), 1);
        EXPECT_EQ(l->IsIdentified(), 1);
        EXPECT_EQ(l->FirmwareVersion(), (std::array<uint8_t, 4>{161, 15, 5, 1}));
        EXPECT_EQ(l->ReceivedCount(), 0u);  // removed by the wait: queued once
        EXPECT_EQ(local.sleeper.SyncTimeouts(), 0u);
    }
}

TEST_F(LinkTest, FloodOfBytesIsSurvived) {
    OpenOne();
    // More than the read area and the receive buffer hold, in one wake-up.
    h.bus.InjectToPc(0, Frame(5 * 1024 * 1024, 0x00));
    h.bus.InjectToPc(0, kReadAllDoneComplete);
    h.sleeper.SleepMs(1);
    uint8_t out[8];
    EXPECT_EQ(link->WaitResponse(0x93, out, 7, 30, true, nullptr), 1);
    EXPECT_EQ(out[5], 1);
}
