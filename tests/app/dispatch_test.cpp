#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../link/link_harness.h"
#include "app/device_commands.h"
#include "app/frame_dispatch.h"
#include "app/pending_commands.h"

using namespace app;
using devlink::Frame;

namespace {

Frame Sealed(std::initializer_list<int> head) {
    Frame f = linktest::Bytes(head);
    f.push_back(0);
    devlink::SealFrame(f);
    return f;
}

class RecordingWriter : public devlink::FrameWriter {
public:
    int Write(const uint8_t* b, size_t n, bool address) override {
        if (address) frames.emplace_back();
        frames.back().insert(frames.back().end(), b, b + n);
        return static_cast<int>(n);
    }
    std::vector<Frame> frames;
};

}  // namespace

TEST(FrameDispatch, TakenFramesRestartTheWalkAndBadOnesAreReportedEachTime) {
    linktest::SimHarness h;
    h.AddUnit();
    auto link = h.MakeLink();
    ASSERT_EQ(link->Open(1), 1);
    link->SetReceiveGate(0);
    const Frame a = Sealed({0x5A, 0x46, 0x00, 0x07, 0x7D, 0x02});
    Frame bad = Sealed({0x5A, 0x46, 0x00, 0x07, 0x7A, 0x01});
    bad.back() ^= 0x55;
    const Frame c = Sealed({0x5A, 0x46, 0x00, 0x07, 0xAB, 0x00});
    const Frame d = Sealed({0x5A, 0x46, 0x00, 0x07, 0xCF, 0x00});
    for (const Frame& f : {a, bad, c, d}) h.bus.InjectToPc(0, f);
    h.sleeper.SleepMs(20);
    ASSERT_EQ(link->ReceivedCount(), 4u);

    int preset = -1, mode = -1, source = -1;
    std::vector<std::string> offered;
    const std::vector<FrameParser> parsers = {
        [&](const uint8_t* f, size_t) {
            offered.push_back(std::to_string(f[4]));
            return 0;
        },
        [&](const uint8_t* f, size_t n) { return ParsePresetMessage(f, n, &preset); },
        [&](const uint8_t* f, size_t n) { return ParseSourceMessage(f, n, &source); },
        [&](const uint8_t* f, size_t n) { return ParseWorkingModeMessage(f, n, &mode); },
    };
    int errors = 0;
    const DispatchResult r = DispatchReceivedFrames(*link, parsers, [&] { ++errors; });
    EXPECT_EQ(r.taken, 2u);
    // a taken (restart), bad reported, c not taken, d taken (restart), bad reported again.
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(r.badFrames, 2u);
    EXPECT_EQ(preset, 2);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(source, -1) << "the bad frame is never offered";
    EXPECT_EQ(offered, (std::vector<std::string>{"125", "171", "207", "171"}));
    const auto left = link->ReceivedFrames();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].bytes, bad);
    EXPECT_EQ(left[1].bytes, c);
}

TEST(PendingCommands, PresetAndItsNoticeThenTheDynamicEqSwitch) {
    RecordingWriter writer;
    os::FakeSleeper sleeper;
    devlink::FrameSender sender(writer, sleeper);
    PendingCommands p;
    EXPECT_FALSE(p.SendPendingPreset(sender));
    p.SetPendingPreset(1);
    p.SetPendingPreset(3);  // the last one counts
    EXPECT_TRUE(p.SendPendingPreset(sender));
    EXPECT_FALSE(p.SendPendingPreset(sender));
    ASSERT_EQ(writer.frames.size(), 2u);
    EXPECT_EQ(writer.frames[0], BuildPresetSelectMessage(3));
    EXPECT_EQ(writer.frames[1][0], 0x80);
    EXPECT_EQ(writer.frames[1][4], 0x0F);
    EXPECT_EQ(writer.frames[1][5], 4);

    EXPECT_FALSE(p.TakeChanged());
    p.SetDynamicEqSwitch(1);
    EXPECT_EQ(p.DynamicEqSwitch(), 1u);
    EXPECT_TRUE(p.TakeChanged());
    EXPECT_TRUE(p.SendPendingDynamicEq(sender));
    EXPECT_FALSE(p.SendPendingDynamicEq(sender));
    ASSERT_EQ(writer.frames.size(), 3u);
    EXPECT_EQ(writer.frames[2], BuildDynamicEqSwitchMessage(1));
    EXPECT_EQ(writer.frames[2][5], 0) << "off is sent as 0";
}
