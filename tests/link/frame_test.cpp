#include <gtest/gtest.h>

#include <set>

#include "link/bytes.h"
#include "link/frame.h"

using namespace devlink;

namespace {

Frame Bytes(std::initializer_list<int> v) {
    Frame f;
    for (int b : v) f.push_back(static_cast<uint8_t>(b));
    return f;
}

struct Write {
    Frame bytes;
    bool address;
};

class RecordingWriter : public FrameWriter {
public:
    int Write(const uint8_t* b, size_t n, bool address) override {
        writes.push_back({Frame(b, b + n), address});
        if (onWrite) onWrite();
        return static_cast<int>(n);
    }
    std::vector<::Write> writes;
    std::function<void()> onWrite;
};

}  // namespace

TEST(FrameChecksum, KnownFrames) {
    const Frame identify = Bytes({0x46, 0x5A, 0x00, 0x06, 0xCC});
    EXPECT_EQ(FrameChecksum(identify.data(), identify.size()), 0x72);
    EXPECT_EQ(BuildSimpleFrame(kNodeDsp, DeviceCommand::Identify),
              Bytes({0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72}));

    const Frame hello = Bytes({0x5A, 0x80, 0x00, 0x06, 0x11, 0xF1});
    EXPECT_TRUE(FrameChecksumValid(hello.data(), 5));
    Frame bad = hello;
    bad[5] ^= 1;
    EXPECT_FALSE(FrameChecksumValid(bad.data(), 5));

    // A sum that wraps several times still gives the low byte.
    Frame ff(300, 0xFF);
    EXPECT_EQ(FrameChecksum(ff.data(), ff.size()), (300 * 0xFF) & 0xFF);
    EXPECT_EQ(FrameChecksum(ff.data(), 0), 0);
}

TEST(Frame, FixedRequestsByteForByte) {
    struct Case {
        uint8_t node;
        DeviceCommand command;
        Frame expected;
    } cases[] = {
        {kNodeAccessory, DeviceCommand::HelloAnswer, Bytes({0x80, 0x5A, 0x00, 0x06, 0x12, 0xF2})},
        {kNodeAccessory, DeviceCommand::RemoteVersionQuery, Bytes({0x80, 0x5A, 0x00, 0x06, 0x13, 0xF3})},
        {kNodeDsp, DeviceCommand::ReadAllRequest, Bytes({0x46, 0x5A, 0x00, 0x06, 0x92, 0x38})},
        {kNodeLevel, DeviceCommand::Disconnect, Bytes({0x00, 0x5A, 0x00, 0x06, 0x35, 0x95})},
        {kNodeAccessory, DeviceCommand::Disconnect, Bytes({0x80, 0x5A, 0x00, 0x06, 0x35, 0x15})},
        {kNodeDsp, DeviceCommand::ResetSettings, Bytes({0x46, 0x5A, 0x00, 0x06, 0xD6, 0x7C})},
        {kNodeDsp, DeviceCommand::DiagnosticsDump, Bytes({0x46, 0x5A, 0x00, 0x06, 0xD7, 0x7D})},
        {kNodeDsp, DeviceCommand::StoreBegin, Bytes({0x46, 0x5A, 0x00, 0x06, 0xA5, 0x4B})},
        {kNodeDsp, DeviceCommand::StoreEnd, Bytes({0x46, 0x5A, 0x00, 0x06, 0xA6, 0x4C})},
        {kNodeDsp, DeviceCommand::Finalize, Bytes({0x46, 0x5A, 0x00, 0x06, 0xC9, 0x6F})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildSimpleFrame(c.node, c.command), c.expected)
            << "command 0x" << std::hex << int(c.command);
}

TEST(Frame, LengthIsBigEndianAndBoundsAreChecked) {
    Frame f = NewFrame(kNodeDsp, DeviceCommand::ChannelEq, 300);
    ASSERT_EQ(f.size(), 300u);
    EXPECT_EQ(f[2], 0x01);
    EXPECT_EQ(f[3], 0x2C);
    EXPECT_EQ(GetU16BE(&f[2]), 300);
    // Zero-filled apart from the header.
    for (size_t i = 5; i < f.size(); ++i) ASSERT_EQ(f[i], 0) << i;

    EXPECT_TRUE(NewFrame(kNodeDsp, DeviceCommand::Identify, 5).empty());
    EXPECT_TRUE(NewFrame(kNodeDsp, DeviceCommand::Identify, 0x10000).empty());
    EXPECT_EQ(NewFrame(kNodeDsp, DeviceCommand::Identify, 0xFFFF).size(), 0xFFFFu);
}

TEST(Frame, WizardEndNegatesItsArgument) {
    EXPECT_EQ(BuildCommandB2Message(0), Bytes({0x46, 0x5A, 0x00, 0x07, 0xB2, 0x01, 0x5A}));
    EXPECT_EQ(BuildCommandB2Message(1), Bytes({0x46, 0x5A, 0x00, 0x07, 0xB2, 0x00, 0x59}));
    for (int arg : {2, -1, 255, 1 << 30}) EXPECT_EQ(BuildCommandB2Message(arg)[5], 0) << arg;
}

TEST(Frame, LittleEndianPayloadHelpers) {
    uint8_t b[4];
    PutF32LE(b, 1.0f);
    EXPECT_EQ(Frame(b, b + 4), Bytes({0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(GetF32LE(b), 1.0f);
    PutU32BE(b, static_cast<uint32_t>(-4));
    EXPECT_EQ(Frame(b, b + 4), Bytes({0xFF, 0xFF, 0xFF, 0xFC}));
    PutU16LE(b, 0x1234);
    EXPECT_EQ(GetU16LE(b), 0x1234);
    EXPECT_EQ(b[0], 0x34);
}

TEST(WaitAfterSend, PausesByLengthAndFirmware) {
    struct Case {
        size_t length;
        int firmware;
        uint32_t ms;
    } cases[] = {{1, 0, 25}, {0, 0, 25}, {2, 0, 45}, {6, 0, 45}, {138, 0, 45}, {1, 1, 75}, {6, 1, 75},
                 {0, 7, 75}};
    for (const Case& c : cases) {
        os::FakeSleeper sleeper;
        WaitAfterSend(sleeper, c.length, c.firmware);
        EXPECT_EQ(sleeper.Pauses(), std::vector<uint32_t>{c.ms}) << c.length << "," << c.firmware;
    }
}

TEST(FrameSender, AddressByteAloneThenTheRestWithPauses) {
    RecordingWriter writer;
    os::ManualClock clock;
    os::FakeSleeper sleeper(&clock);
    FrameSender sender(writer, sleeper);

    const Frame frame = BuildSimpleFrame(kNodeDsp, DeviceCommand::Identify);
    sender.Send(frame);
    ASSERT_EQ(writer.writes.size(), 2u);
    EXPECT_TRUE(writer.writes[0].address);
    EXPECT_EQ(writer.writes[0].bytes, Frame{0x46});
    EXPECT_FALSE(writer.writes[1].address);
    EXPECT_EQ(writer.writes[1].bytes, Frame(frame.begin() + 1, frame.end()));
    EXPECT_EQ(sleeper.Pauses(), (std::vector<uint32_t>{25, 45}));
    EXPECT_EQ(clock.NowMs(), 70u);

    sleeper.Clear();
    writer.writes.clear();
    sender.Send(NewFrame(kNodeDsp, DeviceCommand::FirmwareBlock, 20), Pacing::FirmwareData);
    EXPECT_EQ(writer.writes.size(), 2u);
    EXPECT_EQ(sleeper.Pauses(), (std::vector<uint32_t>{75, 75}));
}

TEST(FrameSender, NothingToSendWritesNothing) {
    RecordingWriter writer;
    os::FakeSleeper sleeper;
    FrameSender sender(writer, sleeper);
    sender.Send(Frame{});
    sender.Send(NewFrame(kNodeDsp, DeviceCommand::Identify, 3));  // too short to be a frame
    EXPECT_TRUE(writer.writes.empty());
    EXPECT_TRUE(sleeper.Pauses().empty());
}

TEST(FrameSender, BuildsUnderTheLockAndWritesAfterReleasingIt) {
    RecordingWriter writer;
    os::FakeSleeper sleeper;
    FrameSender sender(writer, sleeper);
    std::mutex lock;
    bool heldWhileBuilding = false;
    std::vector<bool> heldWhileWriting;
    writer.onWrite = [&] {
        const bool free = lock.try_lock();
        if (free) lock.unlock();
        heldWhileWriting.push_back(!free);
    };
    sender.SendLocked(lock, [&] {
        heldWhileBuilding = !lock.try_lock();
        if (!heldWhileBuilding) lock.unlock();
        return BuildCommandB2Message(0);
    });
    EXPECT_TRUE(heldWhileBuilding);
    EXPECT_EQ(heldWhileWriting, (std::vector<bool>{false, false}));
}

TEST(CommandIndex, EveryCommandWithItsDirectionLengthAndNode) {
    EXPECT_EQ(kCommandCount, 51u);
    std::set<int> seen;
    int previous = -1;
    for (size_t i = 0; i < kCommandCount; ++i) {
        const CommandInfo& c = kCommandTable[i];
        const int byte = static_cast<int>(c.command);
        EXPECT_GT(byte, previous) << c.name << " out of order";
        previous = byte;
        EXPECT_TRUE(seen.insert(byte).second) << c.name;
        EXPECT_EQ(FindCommand(static_cast<uint8_t>(byte)), &c);
        EXPECT_TRUE(c.out.rule != LengthRule::None || c.in.rule != LengthRule::None) << c.name;
    }
    EXPECT_EQ(FindCommand(0x00), nullptr);
    EXPECT_EQ(FindCommand(0xFF), nullptr);

    struct Case {
        DeviceCommand command;
        bool outgoing;
        size_t length;
        bool allowed;
    } cases[] = {
        {DeviceCommand::ChannelEq, true, 138, true},
        {DeviceCommand::ChannelEq, false, 137, false},
        {DeviceCommand::Crossover, true, 43, true},
        {DeviceCommand::Crossover, true, 63, true},
        {DeviceCommand::Crossover, true, 131, false},
        {DeviceCommand::Crossover, false, 131, true},  // a live equaliser curve
        {DeviceCommand::Crossover, false, 23, true},
        {DeviceCommand::Crossover, false, 44, false},
        {DeviceCommand::Delay, false, 16, true},
        {DeviceCommand::SourceEq, true, 136, true},
        {DeviceCommand::SourceEq, false, 140, true},
        {DeviceCommand::SourceEq, false, 136, false},
        {DeviceCommand::ChannelLevel, true, 9, true},
        {DeviceCommand::ChannelLevel, false, 41, true},
        {DeviceCommand::DynEqCurve, true, 131, true},
        {DeviceCommand::DynEqCurve, false, 132, true},
        {DeviceCommand::DynEqMode, true, 8, true},
        {DeviceCommand::DynEqMode, false, 11, true},
        {DeviceCommand::RemoteVersionReply, false, 6, false},
        {DeviceCommand::RemoteVersionReply, false, 7, true},
        {DeviceCommand::RemoteVersionReply, true, 7, false},
        {DeviceCommand::IdentifyReply, false, 12, false},
        {DeviceCommand::IdentifyReply, false, 14, true},
        {DeviceCommand::ReadAllDone, false, 7, true},
        {DeviceCommand::DiagnosticsDump, false, 802, true},
        {DeviceCommand::DiagnosticsDump, false, 803, false},
        {DeviceCommand::DiagnosticsDump, true, 6, true},
        {DeviceCommand::FirmwareBlock, true, 14, true},
        {DeviceCommand::FirmwareBlock, true, 266, true},
        {DeviceCommand::Routing, true, 46, true},
        {DeviceCommand::OutputMap, true, 15, true},
        {DeviceCommand::UpdateResult, false, 9, true},
        {DeviceCommand::Hello, true, 6, false},
        {DeviceCommand::Identify, true, 5, false},
    };
    for (const Case& c : cases) {
        const CommandInfo* info = FindCommand(static_cast<uint8_t>(c.command));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(LengthAllowed(c.outgoing ? info->out : info->in, c.length), c.allowed)
            << info->name << (c.outgoing ? " out " : " in ") << c.length;
    }
}

TEST(CommandIndex, NodesOfTheRequests) {
    const std::set<DeviceCommand> accessory{DeviceCommand::HelloAnswer, DeviceCommand::RemoteVersionQuery,
                                            DeviceCommand::PresetNotice, DeviceCommand::Hello,
                                            DeviceCommand::RemoteVersionReply};
    const std::set<DeviceCommand> level{DeviceCommand::MasterLevel, DeviceCommand::ExtraLevel,
                                        DeviceCommand::OutputMap, DeviceCommand::Disconnect};
    for (size_t i = 0; i < kCommandCount; ++i) {
        const CommandInfo& c = kCommandTable[i];
        const uint8_t expected = accessory.count(c.command) ? kNodeAccessory
                                 : level.count(c.command)   ? kNodeLevel
                                                            : kNodeDsp;
        EXPECT_EQ(c.node, expected) << c.name;
        EXPECT_EQ(c.secondNode, c.command == DeviceCommand::Disconnect ? kNodeAccessory : -1) << c.name;
    }
}
