// The simulated Darvix seen from the line: how it cuts what the PC writes into frames, what it
// records, and what it answers.
#include <gtest/gtest.h>

#include "link/bytes.h"
#include "link/frame.h"
#include "link/ftdi.h"
#include "os/time.h"
#include "sim/device.h"
#include "sim/dyn_eq_store.h"
#include "sim/level_store.h"
#include "sim/source_store.h"
#include "sim/tuning_store.h"
#include "sim/wizard_store.h"

using namespace sim;
using devlink::FT_PARITY_MARK;
using devlink::FT_PARITY_SPACE;

namespace {

Frame Bytes(std::initializer_list<int> v) {
    Frame f;
    for (int b : v) f.push_back(static_cast<uint8_t>(b));
    return f;
}

const Frame kIdentify = Bytes({0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72});

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() : unit(UnitConfig{}, clock) { unit.Connect(); }

    // The PC's way: address byte with MARK, a pause, the rest with SPACE, a pause.
    void Send(const Frame& f, uint32_t afterAddress = 25, uint32_t afterFrame = 45) {
        unit.SetParity(FT_PARITY_MARK);
        unit.ReceiveFromPc(f.data(), 1);
        clock.Advance(afterAddress);
        unit.SetParity(FT_PARITY_SPACE);
        unit.ReceiveFromPc(f.data() + 1, f.size() - 1);
        clock.Advance(afterFrame);
    }
    // Everything that reaches the PC within ms.
    Frame Drain(uint32_t ms) {
        Frame out;
        for (uint32_t i = 0; i <= ms; ++i) {
            unit.Poll();
            clock.Advance(1);
        }
        out.assign(unit.rxQueue().begin(), unit.rxQueue().end());
        unit.rxQueue().clear();
        return out;
    }
    std::vector<TraceEntry> Entries(TraceKind kind) const {
        std::vector<TraceEntry> out;
        for (const TraceEntry& e : unit.trace())
            if (e.kind == kind) out.push_back(e);
        return out;
    }

    os::ManualClock clock{500};
    SimUnit unit;
};

}  // namespace

TEST_F(DeviceTest, FramesAreCutAtAddressBytesAndChecked) {
    unit.config().hello = HelloMode::Never;
    Send(kIdentify);
    Send(Bytes({0x46, 0x5A, 0x00, 0x06, 0xCC, 0x73}));  // bad checksum
    Send(Bytes({0x46, 0x5A, 0x00, 0x07, 0xCC, 0x00, 0x73}));  // identify is 6 bytes long
    const auto frames = Entries(TraceKind::FromPc);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].bytes, kIdentify);
    EXPECT_EQ(frames[0].timeMs, 525u);  // when its last byte came
    EXPECT_TRUE(frames[0].checksumOk && frames[0].lengthOk);
    EXPECT_FALSE(frames[1].checksumOk);
    EXPECT_TRUE(frames[2].checksumOk);
    EXPECT_FALSE(frames[2].lengthOk);
    EXPECT_TRUE(unit.pacingViolations().empty());
    // The corrupt request is ignored; the one of a wrong length is recorded as such and still
    // answered, as the unit reads only what it needs.
    const Frame out = Drain(10);
    EXPECT_EQ(out.size(), 28u);
}

TEST_F(DeviceTest, BytesThatMakeNoFrameAreRecorded) {
    const uint8_t data[3] = {1, 2, 3};
    unit.SetParity(FT_PARITY_SPACE);
    unit.ReceiveFromPc(data, 3);                 // data without an address byte
    unit.SetParity(FT_PARITY_MARK);
    unit.ReceiveFromPc(kIdentify.data(), 1);
    unit.ReceiveFromPc(kIdentify.data(), 1);     // a second address byte cuts the first frame
    unit.SetParity(FT_PARITY_SPACE);
    const Frame badLength = Bytes({0x5A, 0x00, 0x03});
    unit.ReceiveFromPc(badLength.data(), badLength.size());
    const auto bad = Entries(TraceKind::BadInput);
    ASSERT_EQ(bad.size(), 3u);
    EXPECT_EQ(bad[0].bytes, Frame(data, data + 3));
    EXPECT_EQ(bad[1].bytes, Bytes({0x46}));
    EXPECT_EQ(bad[2].bytes, Bytes({0x46, 0x5A, 0x00, 0x03}));
    EXPECT_TRUE(Entries(TraceKind::FromPc).empty());
    EXPECT_EQ(unit.ParitySwitches(), (std::vector<uint8_t>{FT_PARITY_SPACE, FT_PARITY_MARK,
                                                           FT_PARITY_SPACE}));
}

TEST_F(DeviceTest, ShortPausesAreFlagged) {
    const Frame firmwareData = [] {
        Frame f = devlink::NewFrame(devlink::kNodeDsp, devlink::DeviceCommand::FirmwareBlock, 20);
        devlink::SealFrame(f);
        return f;
    }();
    // Two frames each: the second also shows the pause after the first.
    const struct {
        const char* what;
        Frame frame;
        uint32_t afterAddress, afterFrame;
        size_t violations;
    } cases[] = {
        {"paced", kIdentify, 25, 45, 0},
        {"no pause after the address byte", kIdentify, 0, 45, 2},
        {"short pause after the frame", kIdentify, 25, 44, 1},
        {"firmware block at ordinary pacing", firmwareData, 25, 45, 3},
        {"firmware block paced", firmwareData, 75, 75, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clock.Advance(1000);
        unit.ClearTrace();
        unit.Connect();
        Send(c.frame, c.afterAddress, c.afterFrame);
        Send(c.frame, c.afterAddress, c.afterFrame);
        EXPECT_EQ(unit.pacingViolations().size(), c.violations);
    }
}

TEST_F(DeviceTest, PacingGapsAreMeasured) {
    Send(kIdentify, 10, 30);
    Send(kIdentify, 25, 45);
    const auto& v = unit.pacingViolations();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_TRUE(v[0].beforeData);
    EXPECT_EQ(v[0].gapMs, 10u);
    EXPECT_EQ(v[0].requiredMs, 25u);
    EXPECT_FALSE(v[1].beforeData);
    EXPECT_EQ(v[1].gapMs, 30u);
    EXPECT_EQ(v[1].requiredMs, 45u);

    unit.ClearTrace();
    unit.config().pacingToleranceMs = 20;  // real time under an emulator jitters
    Send(kIdentify, 10, 30);
    Send(kIdentify, 25, 45);
    EXPECT_TRUE(unit.pacingViolations().empty());
}

TEST_F(DeviceTest, HelloRepeatsUntilAnswered) {
    const Frame hello = Bytes({0x5A, 0x80, 0x00, 0x06, 0x11, 0xF1});
    EXPECT_TRUE(Drain(40).empty());           // not yet: 50 ms after the open
    EXPECT_EQ(Drain(20), hello);
    EXPECT_TRUE(Drain(300).empty());
    EXPECT_EQ(Drain(150), hello);             // 400 ms later
    Send(Bytes({0x80, 0x5A, 0x00, 0x06, 0x12, 0xF2}));
    EXPECT_TRUE(unit.helloAnswered());
    EXPECT_TRUE(Drain(2000).empty());

    unit.Connect();  // a new open greets again
    EXPECT_EQ(Drain(60), hello);

    unit.config().hello = HelloMode::Never;
    unit.Connect();
    EXPECT_TRUE(Drain(1000).empty());

    unit.config().hello = HelloMode::UntilAnswered;
    unit.config().accessory = false;
    unit.Connect();
    EXPECT_TRUE(Drain(1000).empty());
}

// A read-all ends with the unit's own state (preset 0, Standard mode unless told otherwise), then
// its end: 5A 46 00 07 7D 00 24, 5A 46 00 07 CF 01 77.
Frame StateThen(const Frame& end) {
    Frame f = Bytes({0x5A, 0x46, 0x00, 0x07, 0x7D, 0x00, 0x24, 0x5A, 0x46, 0x00, 0x07, 0xCF, 0x01, 0x77});
    f.insert(f.end(), end.begin(), end.end());
    return f;
}

TEST_F(DeviceTest, Replies) {
    unit.config().hello = HelloMode::Never;
    const struct {
        const char* what;
        std::function<void(UnitConfig&)> config;
        Frame request;
        Frame reply;
    } cases[] = {
        {"identify", [](UnitConfig&) {}, kIdentify,
         Bytes({0x5A, 0x46, 0x00, 0x0E, 0xCD, 0x01, 0x02, 0x03, 0x04, 0xA1, 0x0F, 0x05, 0x01,
                0x3B})},
        {"identify, blank", [](UnitConfig& c) { c.blank = true; }, kIdentify,
         Bytes({0x5A, 0x46, 0x00, 0x0E, 0xCD, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x77})},
        {"remote version", [](UnitConfig&) {}, Bytes({0x80, 0x5A, 0x00, 0x06, 0x13, 0xF3}),
         Bytes({0x5A, 0x80, 0x00, 0x08, 0x14, 0x05, 0x02, 0xFD})},
        {"remote version, no accessory", [](UnitConfig& c) { c.accessory = false; },
         Bytes({0x80, 0x5A, 0x00, 0x06, 0x13, 0xF3}), {}},
        {"read all", [](UnitConfig&) {}, Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38}),
         StateThen(Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x01, 0x3B}))},
        {"read all, incomplete", [](UnitConfig& c) { c.readAll = ReadAllOutcome::Incomplete; },
         Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38}),
         StateThen(Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x00, 0x3A}))},
        {"read all, no end", [](UnitConfig& c) { c.readAll = ReadAllOutcome::None; },
         Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38}), StateThen({})},
        {"disconnect", [](UnitConfig&) {}, Bytes({0x00, 0x5A, 0x00, 0x06, 0x35, 0x95}), {}},
        {"a command nobody handles", [](UnitConfig&) {},
         Bytes({0x46, 0x5A, 0x00, 0x06, 0xA5, 0x4B}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        unit.config() = UnitConfig{};
        unit.config().hello = HelloMode::Never;
        c.config(unit.config());
        unit.Connect();
        Send(c.request);
        EXPECT_EQ(Drain(50), c.reply);
    }
}

// The unit keeps the preset and working mode the PC sends (a value it does not have is ignored),
// reports them at the end of a read-all, and forgets them, with every store's settings, when it is
// told to reset its settings.
TEST_F(DeviceTest, KeepsAndReportsItsPresetAndWorkingModeAndResetsThem) {
    unit.config().hello = HelloMode::Never;
    bool storeReset = false;
    unit.AddResetHook([&] { storeReset = true; });
    const Frame readAll = Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38});
    const Frame end = Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x01, 0x3B});
    const Frame preset2 = Bytes({0x46, 0x5A, 0x00, 0x07, 0x7D, 0x02, 0x26});
    const Frame expert = Bytes({0x46, 0x5A, 0x00, 0x07, 0xCF, 0x00, 0x76});
    Send(preset2);
    Send(expert);
    Send(Bytes({0x46, 0x5A, 0x00, 0x07, 0x7D, 0x04, 0x28}));  // preset E: none
    Send(Bytes({0x46, 0x5A, 0x00, 0x07, 0xCF, 0x02, 0x78}));  // mode 2: none
    Send(Bytes({0x80, 0x5A, 0x00, 0x07, 0x0F, 0x03, 0xF3}));  // the accessory's notice: not the DSP's
    Drain(50);
    EXPECT_EQ(unit.CurrentPreset(), 2);
    EXPECT_EQ(unit.WorkingMode(), 0);
    Send(readAll);
    Frame expected = Bytes({0x5A, 0x46, 0x00, 0x07, 0x7D, 0x02, 0x26, 0x5A, 0x46, 0x00, 0x07, 0xCF, 0x00, 0x76});
    expected.insert(expected.end(), end.begin(), end.end());
    EXPECT_EQ(Drain(50), expected);

    Send(Bytes({0x46, 0x5A, 0x00, 0x06, 0xD6, 0x7C}));
    EXPECT_TRUE(storeReset);
    EXPECT_TRUE(unit.config().blank);
    Send(readAll);
    EXPECT_EQ(Drain(50), StateThen(end));

    // A scenario sets what it starts with.
    UnitConfig config;
    config.preset = 3;
    config.workingMode = 0;
    SimUnit other(config, clock);
    EXPECT_EQ(other.CurrentPreset(), 3);
    EXPECT_EQ(other.WorkingMode(), 0);
}

namespace {

// A unit with every store of the replacement driver plugged in.
struct StoredUnit {
    explicit StoredUnit(os::ManualClock& clock) : unit(UnitConfig{}, clock), wizard({}, &sources) {
        unit.config().hello = HelloMode::Never;
        InstallTuningStore(unit, tuning);
        InstallLevelStore(unit, levels);
        InstallSourceStore(unit, sources);
        InstallDynEqStore(unit, dynEq);
        InstallWizardStore(unit, wizard);
        unit.Connect();
    }
    TuningStore tuning;
    LevelStore levels;
    SourceStore sources;
    DynEqStore dynEq;
    SimUnit unit;
    WizardStore wizard;
};

Frame Sealed(Frame f) {
    devlink::PutU16BE(&f[2], static_cast<uint16_t>(f.size()));
    devlink::SealFrame(f);
    return f;
}

}  // namespace

// After 0xD6 the unit streams on a read-all exactly what a unit from the factory streams: every
// store forgot what the PC had sent it.
TEST_F(DeviceTest, AResetUnitReadsBackAsOneFromTheFactory) {
    auto send = [&](SimUnit& u, const Frame& f) {
        u.SetParity(FT_PARITY_MARK);
        u.ReceiveFromPc(f.data(), 1);
        clock.Advance(25);
        u.SetParity(FT_PARITY_SPACE);
        u.ReceiveFromPc(f.data() + 1, f.size() - 1);
        clock.Advance(45);
    };
    auto readAll = [&](SimUnit& u) {
        send(u, Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38}));
        for (int i = 0; i < 200; ++i) {
            u.Poll();
            clock.Advance(1);
        }
        Frame out(u.rxQueue().begin(), u.rxQueue().end());
        u.rxQueue().clear();
        return out;
    };
    StoredUnit factory(clock);
    StoredUnit used(clock);
    Frame routing(46, 0);
    routing[0] = 0x46;
    routing[1] = 0x5A;
    routing[4] = 0xA4;
    for (int o = 0; o < 8; ++o) routing[13 + o] = routing[21 + o] = 0xFF;
    routing[5] = 0x28;  // output 0 feeds the front left full-range speaker
    routing[13] = 0;
    routing[21] = 0;
    const Frame sent[] = {
        Sealed(Bytes({0x00, 0x5A, 0, 0, 0x0A, 100, 0})),  // master level
        Sealed(Bytes({0x46, 0x5A, 0, 0, 0x7A, 2, 0})),    // external source S/PDIF
        Sealed(Bytes({0x46, 0x5A, 0, 0, 0x7D, 1, 0})),    // preset B
        Sealed(Bytes({0x46, 0x5A, 0, 0, 0xCF, 0, 0})),    // Expert
        Sealed(routing),
    };
    for (const Frame& f : sent) send(used.unit, f);
    const Frame fresh = readAll(factory.unit);
    ASSERT_NE(readAll(used.unit), fresh);
    send(used.unit, Bytes({0x46, 0x5A, 0x00, 0x06, 0xD6, 0x7C}));
    EXPECT_EQ(readAll(used.unit), fresh);
    EXPECT_FALSE(used.tuning.HasRouting());
    EXPECT_EQ(used.unit.CurrentPreset(), 0);
    EXPECT_EQ(used.unit.WorkingMode(), 1);
}

TEST_F(DeviceTest, HandlersCanBeReplacedAndAdded) {
    unit.config().hello = HelloMode::Never;
    unit.SetHandler(0xD7, [](SimUnit& u, const Frame& request) {
        u.Reply(request, SimUnit::BuildReply(devlink::kNodeDsp, 0xD7, std::vector<uint8_t>(796, 7)));
    });
    unit.RemoveHandler(0xCC);
    Send(kIdentify);
    Send(Bytes({0x46, 0x5A, 0x00, 0x06, 0xD7, 0x7D}));
    const Frame out = Drain(50);
    ASSERT_EQ(out.size(), 802u);
    EXPECT_EQ(out[4], 0xD7);
    EXPECT_TRUE(devlink::FrameChecksumValid(out.data(), out.size() - 1));
}

TEST_F(DeviceTest, DeliveryInChunksAndAtTheLineRate) {
    unit.config().hello = HelloMode::Never;
    const auto readableOver = [&](uint32_t ms) {
        std::vector<size_t> sizes;
        for (uint32_t i = 0; i < ms; ++i) {
            unit.Poll();
            sizes.push_back(unit.rxQueue().size());
            clock.Advance(1);
        }
        unit.rxQueue().clear();
        return sizes;
    };
    unit.config().replyDelayMs = 0;
    unit.config().chunkSize = 5;
    unit.config().chunkGapMs = 2;
    Send(kIdentify, 25, 0);
    EXPECT_EQ(readableOver(6), (std::vector<size_t>{5, 5, 10, 10, 14, 14}));

    unit.config().chunkSize = 0;
    unit.config().delivery = Delivery::LineRate;
    Send(kIdentify, 25, 0);
    // 14 bytes at 3.49 bytes a millisecond.
    EXPECT_EQ(readableOver(6), (std::vector<size_t>{0, 3, 6, 10, 13, 14}));
}

TEST_F(DeviceTest, ReplyFaults) {
    const Frame good =
        Bytes({0x5A, 0x46, 0x00, 0x0E, 0xCD, 0x01, 0x02, 0x03, 0x04, 0xA1, 0x0F, 0x05, 0x01, 0x3B});
    const struct {
        const char* what;
        std::function<void(Faults&)> fault;
        Frame reply;
    } cases[] = {
        {"none", [](Faults&) {}, good},
        {"silent", [](Faults& f) { f.noReplies = true; }, {}},
        {"silent to identify", [](Faults& f) { f.noReplyTo = {0xCC}; }, {}},
        {"late", [](Faults& f) { f.lateReplyMs = 100; }, {}},  // not within the 50 ms looked at
        {"bad checksum", [](Faults& f) { f.badChecksum = true; },
         Bytes({0x5A, 0x46, 0x00, 0x0E, 0xCD, 0x01, 0x02, 0x03, 0x04, 0xA1, 0x0F, 0x05, 0x01, 0x3C})},
        {"garbage first", [](Faults& f) { f.garbageBefore = {0xEE, 0xEF}; },
         Bytes({0xEE, 0xEF, 0x5A, 0x46, 0x00, 0x0E, 0xCD, 0x01, 0x02, 0x03, 0x04, 0xA1, 0x0F, 0x05,
                0x01, 0x3B})},
        {"truncated", [](Faults& f) { f.truncateTo = 4; }, Bytes({0x5A, 0x46, 0x00, 0x0E})},
        {"shortened", [](Faults& f) { f.shortenTo = 7; },
         Bytes({0x5A, 0x46, 0x00, 0x07, 0xCD, 0x01, 0x75})},
        {"only for another command", [](Faults& f) { f.noReplies = true; f.replyCommand = 0x93; },
         good},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        unit.faults() = {};
        c.fault(unit.faults());
        unit.config().hello = HelloMode::Never;
        unit.Connect();
        Send(kIdentify);
        EXPECT_EQ(Drain(50), c.reply);
    }
}

TEST_F(DeviceTest, UnplugAfterFramesStopsEverything) {
    unit.config().hello = HelloMode::Never;
    unit.faults().unplugAfterFrames = 1;
    Send(kIdentify);
    EXPECT_FALSE(unit.plugged());
    EXPECT_TRUE(Drain(50).empty());
    EXPECT_EQ(Entries(TraceKind::Unplugged).size(), 1u);
}

TEST_F(DeviceTest, FirmwareCanChangeFromALaterIdentifyOn) {
    unit.config().hello = HelloMode::Never;
    unit.config().laterFirmwareAfter = 1;
    unit.config().laterFirmware = {0, 0, 7, 1};
    unit.Connect();
    std::vector<std::pair<int, int>> seen;  // major, minor of each reply
    for (int i = 0; i < 3; ++i) {
        Send(kIdentify);
        const Frame reply = Drain(50);
        ASSERT_EQ(reply.size(), 14u);
        seen.push_back({reply[12], reply[11]});
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 5}, {1, 7}, {1, 7}}));
}

TEST_F(DeviceTest, FinalizeResetAndDumpReplies) {
    unit.config().hello = HelloMode::Never;
    unit.Connect();
    Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::Finalize));
    const Frame done = Drain(50);
    ASSERT_EQ(done.size(), 9u);
    EXPECT_EQ(done[4], 0xCB);
    EXPECT_EQ(done[6] | (done[7] << 16), 1);
    EXPECT_TRUE(devlink::FrameChecksumValid(done.data(), 8));

    unit.config().finalizeResult = 7;
    Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::Finalize));
    EXPECT_EQ(Drain(50)[6], 7);

    Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::DiagnosticsDump));
    const Frame dump = Drain(400);
    ASSERT_EQ(dump.size(), 802u);
    EXPECT_TRUE(devlink::FrameChecksumValid(dump.data(), 801));

    Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::ResetSettings));
    Drain(10);
    Send(kIdentify);
    const Frame id = Drain(50);
    ASSERT_EQ(id.size(), 14u);
    EXPECT_EQ(id[5], 0xFF) << "a reset unit identifies as blank";
}

TEST_F(DeviceTest, FinalizeResultLateAndUnplugSomeFramesAfterACommand) {
    unit.config().hello = HelloMode::Never;
    unit.config().finalizeDelayMs = 900;
    unit.Connect();
    Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::Finalize));
    EXPECT_TRUE(Drain(800).empty()) << "not yet";
    EXPECT_EQ(Drain(200).size(), 9u);

    unit.faults().unplugAfterCommand = 0xA5;
    unit.faults().unplugAfterCount = 2;
    Send(kIdentify);
    EXPECT_FALSE(Drain(50).empty()) << "before the command: still there";
    Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::StoreBegin));
    Send(kIdentify);
    EXPECT_FALSE(Drain(50).empty()) << "one frame after it";
    Send(kIdentify);
    EXPECT_TRUE(Drain(50).empty()) << "the second: gone";
    EXPECT_EQ(Entries(TraceKind::Unplugged).size(), 1u);
}

TEST_F(DeviceTest, ReadBackFailuresAndUnplugOnACommand) {
    unit.config().hello = HelloMode::Never;
    unit.faults().readAllFailures = 1;
    unit.Connect();
    const Frame readAll = Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38});
    Send(readAll);
    EXPECT_EQ(Drain(50), StateThen(Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x00, 0x3A}))) << "the first one fails";
    Send(readAll);
    EXPECT_EQ(Drain(50), StateThen(Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x01, 0x3B})));

    unit.faults().unplugOnCommand = 0x7D;
    Send(kIdentify);
    EXPECT_FALSE(Drain(50).empty());
    Frame select = Bytes({0x46, 0x5A, 0x00, 0x07, 0x7D, 0x01, 0x00});
    devlink::SealFrame(select);
    Send(select);
    Send(kIdentify);
    EXPECT_TRUE(Drain(50).empty()) << "unplugged";
    EXPECT_FALSE(Entries(TraceKind::Unplugged).empty());
}
