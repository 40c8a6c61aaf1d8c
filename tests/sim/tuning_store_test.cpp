#include <gtest/gtest.h>

#include "frame_helpers.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"
#include "model/tuning_receive.h"
#include "sim/tuning_store.h"
#include "tuning_fixtures.h"

using namespace model;

namespace {

void ReadBackInto(TuningModel& m, const sim::TuningStore& device) {
    for (const devlink::Frame& f : device.ReadAllFrames()) {
        ASSERT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
        EXPECT_EQ(ParseTuningMessage(m, f.data(), f.size()), 1) << msgtest::ToHex(f);
    }
}

}  // namespace

TEST(TuningStore, IgnoresWhatTheDeviceWouldNot) {
    sim::TuningStore device;
    const auto before = device.ReadAllFrames();
    DspChannelRecord r{};
    r.EQGain[0] = 6.0f;
    devlink::Frame badChecksum = BuildEqMessage(0, r, 0);
    badChecksum.back() ^= 1;
    devlink::Frame badPreset = BuildEqMessage(0, r, 4);
    devlink::Frame badChannel = BuildEqOffMessage(8, 1, 0);
    CrossoverParams x{};
    x.sectionCount = 1;
    CrossoverSections sections;
    sections.section[0] = IdentitySection();
    devlink::Frame shortCrossover = BuildCrossoverMessage(0, 0, x, sections);
    shortCrossover[7] = 2;  // claims more sections than the frame holds
    devlink::SealFrame(shortCrossover);
    for (const devlink::Frame* f : {&badChecksum, &badPreset, &badChannel, &shortCrossover})
        EXPECT_FALSE(device.Apply(f->data(), f->size())) << msgtest::ToHex(*f);
    const devlink::Frame identify = devlink::BuildSimpleFrame(devlink::kNodeDsp,
                                                              devlink::DeviceCommand::Identify);
    EXPECT_FALSE(device.Apply(identify.data(), identify.size()));
    EXPECT_EQ(device.ReadAllFrames(), before);
}

TEST(TuningStore, BlankDeviceReadsBackAsFullRangeFlat) {
    // A read-back from a device that was never written: every crossover frame has a section
    // (a frame without one would be too short to be read).
    sim::TuningStore device;
    const auto frames = device.ReadAllFrames();
    ASSERT_EQ(frames.size(), 4u * 8u * 3u + 1u);
    for (const auto& f : frames) {
        EXPECT_EQ(f[0], devlink::kNodePc);
        EXPECT_EQ(f[1], devlink::kNodeDsp);
        if (f[4] == 0x74) {
            EXPECT_EQ(f.size(), 43u);
        }
    }
    TuningModel m;
    ReadBackInto(m, device);
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            EXPECT_EQ(m.Record(p, o).crossover.FilterType, kFullRange);
            EXPECT_EQ(m.Record(p, o).crossover.sectionCount, 1);
            EXPECT_EQ(m.Record(p, o).EQGain[5], 0.0f);
        }
}
