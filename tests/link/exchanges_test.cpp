// The exchanges the link performs itself, against the simulated Darvix, and what each injected
// fault makes of them.
#include <gtest/gtest.h>

#include "link/bytes.h"
#include "link_harness.h"

using namespace devlink;
using linktest::Bytes;
using linktest::SimHarness;
using Posted = RecordingNotifier::Posted;

namespace {

const Frame kHelloAnswer = Bytes({0x80, 0x5A, 0x00, 0x06, 0x12, 0xF2});
const Frame kIdentify = Bytes({0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72});

class ExchangeTest : public ::testing::Test {
protected:
    sim::SimUnit& Add(sim::UnitConfig config = {}) { return h.AddUnit(std::move(config)); }
    void Make(int lastGood = -1) { link = h.MakeLink(lastGood); }
    template <class F>
    void Faults(F&& change, size_t unit = 0) {
        auto g = h.bus.Lock();
        change(h.bus.unit(unit).faults());
    }
    std::vector<Posted> Identified() const { return h.notifier.Posts(kMsgIdentified); }

    SimHarness h;
    std::unique_ptr<UsbLink> link;
};

}  // namespace

TEST_F(ExchangeTest, OpenShakesHandsAndIdentifies) {
    Add();
    Make();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->HelloAnswered(), 1);
    EXPECT_EQ(link->GetLastGoodDevice(), 1);
    EXPECT_EQ(link->IsIdentified(), 1);
    EXPECT_EQ(link->IdentifyDone(), 1);
    EXPECT_EQ(link->BlankUnit(), 0);
    EXPECT_EQ(link->FirmwareVersion(), (std::array<uint8_t, 4>{161, 15, 5, 1}));
    // wParam: bytes 9..12 little-endian; lParam: hello answered (2), not identified before (0).
    EXPECT_EQ(Identified(), (std::vector<Posted>{{0x803C, 0x01050FA1, 2}}));
    EXPECT_EQ(h.bus.FramesFromPc(0), (std::vector<Frame>{kHelloAnswer, kIdentify}));
    EXPECT_TRUE(h.bus.PacingViolations(0).empty());
    EXPECT_EQ(link->ReceiveGateClosed(), 0);  // left open by the identify exchange
    EXPECT_EQ(link->ReceivedCount(), 0u);
    {
        auto g = h.bus.Lock();
        EXPECT_TRUE(h.bus.unit(0).helloAnswered());
    }
    EXPECT_LT(h.clock.NowMs() - 1000, 3000u);  // the hello came well before the time-out
    EXPECT_EQ(h.sleeper.SyncTimeouts(), 0u);
}

TEST_F(ExchangeTest, WithoutAHelloTheLastGoodDeviceDecides) {
    sim::UnitConfig quiet;
    quiet.hello = sim::HelloMode::Never;
    Add(quiet);
    Add(quiet);
    for (int lastGood : {-1, 1, 2}) {
        SCOPED_TRACE(lastGood);
        h.notifier.Clear();
        Make(lastGood);
        ASSERT_EQ(link->Open(1), 1);
        EXPECT_EQ(link->HelloAnswered(), lastGood == 1 ? 1 : 0);
        EXPECT_EQ(link->GetLastGoodDevice(), lastGood);
        EXPECT_EQ(link->IsIdentified(), 1);  // the device is still used
        EXPECT_EQ(Identified(), (std::vector<Posted>{{0x803C, 0x01050FA1, lastGood == 1 ? 2 : 0}}));
        EXPECT_EQ(h.bus.FramesFromPc(0).back(), kIdentify);
        link->Close();
        h.bus.ClearTraces();
    }
}

TEST_F(ExchangeTest, HandshakeWaitsItsTimeOutWhenNoHelloComes) {
    sim::UnitConfig quiet;
    quiet.hello = sim::HelloMode::Never;
    Add(quiet);
    Make();
    ASSERT_EQ(link->Open(1), 1);
    h.sleeper.Clear();
    EXPECT_EQ(link->Handshake(3000), 0);
    // Gate already open, 200 polls, then the gate closes (200 ms).
    std::vector<uint32_t> expected(200, 15);
    expected.push_back(200);
    EXPECT_EQ(h.sleeper.Pauses(), expected);
    EXPECT_EQ(link->ReceiveGateClosed(), 1);
}

TEST_F(ExchangeTest, HelloSilentAfterAnAnswerUntilTheDisconnect) {
    sim::UnitConfig latched;
    latched.hello = sim::HelloMode::SilentUntilDisconnect;
    Add(latched);
    Make();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->HelloAnswered(), 1);
    link->Close();

    // Reopened: the unit stays silent, but it is the last good device.
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->HelloAnswered(), 1);
    EXPECT_EQ(h.bus.FramesFromPc(0).back(), kIdentify);
    EXPECT_EQ(h.bus.FramesFromPc(0).size(), 3u);  // answer, identify, identify: no second answer

    // The disconnect notice re-arms the hello.
    EXPECT_EQ(link->SendCommand35(), 1);
    link->Close();
    h.bus.ClearTraces();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(h.bus.FramesFromPc(0).front(), kHelloAnswer);
}

TEST_F(ExchangeTest, BlankUnit) {
    sim::UnitConfig blank;
    blank.blank = true;
    Add(blank);
    Make();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->BlankUnit(), 1);
    EXPECT_EQ(link->IsBlankUnit(), 1);
    EXPECT_EQ(Identified(), (std::vector<Posted>{{0x803C, 0, 1 + 2}}));
    EXPECT_EQ(link->CheckFirmwareVersion(&h.notifier, 1, 5), 1);
    EXPECT_TRUE(h.notifier.Boxes().empty());

    DeviceProbeInfo info{};
    info.deviceNumber = 1;
    EXPECT_EQ(link->Probe(info), 1);
    EXPECT_EQ(info.found, 1);
    EXPECT_EQ(info.blankUnit, 1);
}

TEST_F(ExchangeTest, WhatAUnitSaidIsForgottenAtTheNextOpen) {
    sim::UnitConfig blank;
    blank.blank = true;
    blank.description = "blank";
    Add(blank);
    sim::UnitConfig newer;
    newer.firmware = {0, 0, 0, 2};
    newer.description = "newer";
    Add(newer);
    Make();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->BlankUnit(), 1);
    link->Close();

    ASSERT_EQ(link->Open(2), 1);
    EXPECT_EQ(link->BlankUnit(), 0);
    EXPECT_EQ(link->IsBlankUnit(), 0);
    EXPECT_EQ(link->CheckFirmwareVersion(&h.notifier, 1, 5), 0);  // checked, not skipped as blank
    link->Close();

    // A unit that does not answer leaves nothing of the last one's version behind.
    Faults([](sim::Faults& f) { f.noReplyTo = {0xCC}; }, 1);
    ASSERT_EQ(link->Open(2), 1);
    EXPECT_EQ(link->IdentifyDone(), 0);
    EXPECT_EQ(link->FirmwareVersion(), (std::array<uint8_t, 4>{}));
    EXPECT_EQ(link->CheckFirmwareVersion(&h.notifier, 1, 5), 1);
}

TEST_F(ExchangeTest, FirmwareVersionCheck) {
    const struct {
        std::array<uint8_t, 4> firmware;  // bytes 9..12
        int result;
        const char* text;
    } cases[] = {
        {{161, 15, 5, 1}, 1, nullptr},
        {{0, 0, 5, 1}, 1, nullptr},          // only major and minor count
        {{255, 255, 5, 1}, 1, nullptr},
        {{0, 0, 0, 2}, 0, kFirmwareNewerText},
        {{0, 0, 6, 1}, 0, kFirmwareNewerText},
        {{0, 0, 4, 1}, 0, kFirmwareOlderText},
        {{9, 9, 9, 0}, 0, kFirmwareOlderText},
    };
    Add();
    Make();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.firmware));
        {
            auto g = h.bus.Lock();
            h.bus.unit(0).config().firmware = c.firmware;
        }
        h.notifier.Clear();
        ASSERT_EQ(link->Open(1), 1);
        EXPECT_EQ(link->CheckFirmwareVersion(&h.notifier, 1, 5), c.result);
        if (c.text)
            EXPECT_EQ(h.notifier.Boxes(),
                      (std::vector<RecordingNotifier::Box>{{"Warning", c.text}}));
        else
            EXPECT_TRUE(h.notifier.Boxes().empty());
        link->Close();
    }
    EXPECT_EQ(std::string(kFirmwareOlderText),
              "Darvix firmware is too old. Please restart this application \n"
              "in rescue mode and upgrade firmware.");
}

TEST_F(ExchangeTest, RemoteVersion) {
    Add();
    sim::UnitConfig alone;
    alone.accessory = false;
    alone.description = "alone";
    Add(alone);
    Make();
    ASSERT_EQ(link->Open(1), 1);
    h.sleeper.Clear();
    EXPECT_EQ(link->QueryCommand13(), 0x0205);  // bytes 05 02: "5.02"
    EXPECT_EQ(h.sleeper.Pauses().front(), 1000u);
    EXPECT_EQ(h.bus.FramesFromPc(0).back(), Bytes({0x80, 0x5A, 0x00, 0x06, 0x13, 0xF3}));
    link->Close();

    ASSERT_EQ(link->Open(2), 1);
    EXPECT_EQ(link->HelloAnswered(), 0);  // no accessory, no hello
    EXPECT_EQ(link->QueryCommand13(), 0);
}

TEST_F(ExchangeTest, ReadAllTrigger) {
    const struct {
        sim::ReadAllOutcome outcome;
        int result;
    } cases[] = {{sim::ReadAllOutcome::Complete, 1},
                 {sim::ReadAllOutcome::Incomplete, 0},
                 {sim::ReadAllOutcome::None, 0}};
    sim::SimUnit& unit = Add();
    {
        // The tuning stream plugs in ahead of the closing 0x93.
        auto g = h.bus.Lock();
        unit.SetReadAllStream([](sim::SimUnit&) {
            return std::vector<Frame>{sim::SimUnit::BuildReply(kNodeDsp, 0x7D, {2}),
                                      sim::SimUnit::BuildReply(kNodeDsp, 0xCF, {0})};
        });
    }
    Make();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        {
            auto g = h.bus.Lock();
            unit.config().readAll = c.outcome;
        }
        ASSERT_EQ(link->Open(1), 1);
        h.sleeper.Clear();
        EXPECT_EQ(link->QueryCommand92(), c.result);
        EXPECT_EQ(h.sleeper.Pauses().front(), 1500u);
        EXPECT_EQ(h.bus.FramesFromPc(0).back(), Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38}));
        const auto frames = link->ReceivedFrames();
        ASSERT_EQ(frames.size(), 2u);  // the stream stays queued for the dispatcher
        EXPECT_EQ(frames[0].bytes[4], 0x7D);
        EXPECT_EQ(frames[1].bytes[4], 0xCF);
        if (c.outcome == sim::ReadAllOutcome::None) {
            EXPECT_EQ(h.sleeper.Count(15), 2000u);  // the whole 30 s
        }
        link->ClearReceived();
        link->Close();
    }
}

TEST_F(ExchangeTest, DisconnectNotice) {
    Add();
    Make();
    ASSERT_EQ(link->Open(1), 1);
    h.bus.ClearTraces();
    h.sleeper.Clear();
    EXPECT_EQ(link->SendCommand35(), 1);
    EXPECT_EQ(h.bus.FramesFromPc(0),
              (std::vector<Frame>{Bytes({0x00, 0x5A, 0x00, 0x06, 0x35, 0x95}),
                                  Bytes({0x80, 0x5A, 0x00, 0x06, 0x35, 0x15})}));
    EXPECT_EQ(h.sleeper.Pauses(), (std::vector<uint32_t>{25, 45, 250, 25, 45, 250}));
}

TEST_F(ExchangeTest, Probe) {
    Add();
    sim::UnitConfig mute;
    mute.description = "mute";
    Add(mute);
    Faults([](sim::Faults& f) { f.noReplyTo = {0xCC}; }, 1);
    Make();

    DeviceProbeInfo good{};
    good.deviceNumber = 1;
    EXPECT_EQ(link->Probe(good), 1);
    EXPECT_EQ(good.found, 1);
    EXPECT_EQ(good.identified, 1);
    EXPECT_EQ(good.helloAnswered, 1);
    EXPECT_EQ(good.blankUnit, 0);
    EXPECT_EQ(link->IsOpen(), 0);
    EXPECT_FALSE(h.bus.unit(0).connected());
    // No disconnect notice from a probe.
    for (const Frame& f : h.bus.FramesFromPc(0)) EXPECT_NE(f[4], 0x35);

    // Opens, does not identify: found, and the probe says no.
    DeviceProbeInfo mute2{};
    mute2.deviceNumber = 2;
    EXPECT_EQ(link->Probe(mute2), 0);
    EXPECT_EQ(mute2.found, 1);
    EXPECT_EQ(mute2.identified, 0);

    DeviceProbeInfo absent{};
    absent.deviceNumber = 7;
    EXPECT_EQ(link->Probe(absent), 0);
    EXPECT_EQ(absent.found, 0);
}

// A probe whose writes fail has found no usable unit: that is its answer, not a lost link, so it
// raises no question about a reconnect (at start-up there is no main window to ask over yet). The
// same link, opened afterwards, reports a failure again.
TEST_F(ExchangeTest, AFailingProbePostsNoLinkFailure) {
    const struct {
        const char* what;
        std::function<void(sim::Faults&)> fault;
    } cases[] = {
        {"writes fail", [](sim::Faults& f) { f.writeFails = sim::CallFault::Always(); }},
        {"writes stall", [](sim::Faults& f) { f.writeTakesNothing = sim::CallFault::Always(); }},
        {"the parity cannot be switched", [](sim::Faults& f) { f.parityFails = sim::CallFault::Always(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimHarness local;
        sim::SimUnit& unit = local.AddUnit();
        {
            auto g = local.bus.Lock();
            c.fault(unit.faults());
        }
        auto l = local.MakeLink();
        DeviceProbeInfo info{};
        info.deviceNumber = 1;
        EXPECT_EQ(l->Probe(info), 0);
        EXPECT_EQ(info.found, 1);
        EXPECT_EQ(info.identified, 0);
        EXPECT_TRUE(local.notifier.Posts(kMsgLinkFailed).empty());

        ASSERT_EQ(l->Open(1), 1);
        EXPECT_EQ(local.notifier.Posts(kMsgLinkFailed), (std::vector<Posted>{{0x8009, 1, 0}}));
        l->Close();
    }
}

TEST_F(ExchangeTest, ReplyFaults) {
    const struct {
        const char* what;
        std::function<void(sim::Faults&)> fault;
        int identified;
        std::array<uint8_t, 4> version;
    } cases[] = {
        {"no reply at all", [](sim::Faults& f) { f.noReplies = true; }, 0, {}},
        {"late, within the time-out", [](sim::Faults& f) { f.lateReplyMs = 2500; }, 1,
         {161, 15, 5, 1}},
        {"late, after the time-out", [](sim::Faults& f) { f.lateReplyMs = 3500; }, 0, {}},
        // Replies are matched by command byte; the dispatcher, not the wait, tests checksums.
        {"bad checksum", [](sim::Faults& f) { f.badChecksum = true; }, 1, {161, 15, 5, 1}},
        {"impossible lengths before it",
         [](sim::Faults& f) { f.garbageBefore = {0x5A, 0x46, 0x00, 0x00, 0x46, 0x5A, 0x00, 0x02}; },
         1, {161, 15, 5, 1}},
        {"a foreign frame before it",
         [](sim::Faults& f) { f.garbageBefore = {0x46, 0x5A, 0x00, 0x07, 0x7D, 0x01, 0x1D}; }, 1,
         {161, 15, 5, 1}},
        {"truncated", [](sim::Faults& f) { f.truncateTo = 9; }, 0, {}},
        // 13 bytes pass the index's minimum, but the version's byte 12 would be the checksum:
        // no reply, rather than firmware 0.x refused as too old.
        {"one byte short", [](sim::Faults& f) { f.shortenTo = 13; }, 0, {}},
        {"below the minimum", [](sim::Faults& f) { f.shortenTo = 12; }, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimHarness local;
        sim::SimUnit& unit = local.AddUnit();
        {
            auto g = local.bus.Lock();
            c.fault(unit.faults());
            unit.faults().replyCommand = 0xCD;
        }
        auto l = local.MakeLink();
        ASSERT_EQ(l->Open(1), 1);
        EXPECT_EQ(l->HelloAnswered(), 1);  // the hello is not a reply
        EXPECT_EQ(l->IsIdentified(), c.identified);
        EXPECT_EQ(l->FirmwareVersion(), c.version);
        const auto posts = local.notifier.Posts(kMsgIdentified);
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_EQ(posts[0].wParam, c.identified ? GetU32LE(c.version.data()) : 0u);
        EXPECT_EQ(local.sleeper.SyncTimeouts(), 0u);
        // A unit the program could not identify is accepted without a version box.
        EXPECT_EQ(l->CheckFirmwareVersion(&local.notifier, 1, 5), 1);
        EXPECT_TRUE(local.notifier.Boxes().empty());
        l->Close();
    }
}

TEST_F(ExchangeTest, ShortReadAllReplyIsNotTakenAsComplete) {
    Add();
    Faults([](sim::Faults& f) {
        f.replyCommand = 0x93;
        f.shortenTo = 6;  // 5A 46 00 06 93 39: its byte 5 is the checksum
    });
    Make();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->QueryCommand92(), 0);
}

TEST_F(ExchangeTest, UnplugMidExchange) {
    Add();
    // The unit vanishes when the identify request has reached it.
    Faults([](sim::Faults& f) { f.unplugAfterFrames = 2; });
    Make();
    ASSERT_EQ(link->Open(1), 1);
    EXPECT_EQ(link->HelloAnswered(), 1);
    EXPECT_EQ(link->IsIdentified(), 0);

    // The next frame cannot switch the parity: failed, reported once, and nothing hangs.
    link->Send(BuildSimpleFrame(kNodeDsp, DeviceCommand::StoreBegin));
    EXPECT_EQ(link->IsFailed(), 1);
    EXPECT_EQ(h.notifier.Posts(kMsgLinkFailed), (std::vector<Posted>{{0x8009, 1, 0}}));
    EXPECT_EQ(link->QueryCommand92(), 0);
    EXPECT_EQ(h.notifier.Posts(kMsgLinkFailed).size(), 1u);
    link->Close();
    EXPECT_EQ(link->IsOpen(), 0);

    // Gone from the list: a new link sees no device.
    auto later = h.MakeLink();
    EXPECT_EQ(later->Open(1), 0);
}

TEST_F(ExchangeTest, DriverReadFailuresLoseBytesNotTheLink) {
    Add();
    Faults([](sim::Faults& f) { f.readFails = sim::CallFault::From(0, 1); });
    Make();
    ASSERT_EQ(link->Open(1), 1);
    // The first read failed (the first hello is lost); the repeated hello is answered.
    EXPECT_EQ(link->HelloAnswered(), 1);
    EXPECT_EQ(link->IsIdentified(), 1);
    Faults([](sim::Faults& f) { f.statusFails = sim::CallFault::Always(); });
    uint8_t out[14];
    link->Send(kIdentify);
    EXPECT_EQ(link->WaitResponse(0xCD, out, 14, 300, true, nullptr), 0);
    EXPECT_EQ(h.sleeper.SyncTimeouts(), 0u);
}

TEST(CompareFirmwareVersion, MajorThenMinor) {
    EXPECT_EQ(CompareFirmwareVersion(1, 5, 1, 5), FirmwareVerdict::Accept);
    EXPECT_EQ(CompareFirmwareVersion(2, 0, 1, 5), FirmwareVerdict::DeviceNewer);
    EXPECT_EQ(CompareFirmwareVersion(1, 6, 1, 5), FirmwareVerdict::DeviceNewer);
    EXPECT_EQ(CompareFirmwareVersion(1, 4, 1, 5), FirmwareVerdict::DeviceOlder);
    EXPECT_EQ(CompareFirmwareVersion(0, 9, 1, 5), FirmwareVerdict::DeviceOlder);
}
