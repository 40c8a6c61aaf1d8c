// The tuning's way to the simulated Darvix and back: the send cycle writes through the USB link
// to a unit that keeps a tuning store, and a read-all brings it into a fresh model. The order and
// pacing of the cycle are read from the unit's trace, on a manual clock.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "frame_helpers.h"
#include "model/tuning_model.h"
#include "model/tuning_receive.h"
#include "sim/tuning_store.h"
#include "tests/link/link_harness.h"
#include "tuning_fixtures.h"

using namespace model;

namespace {

class DeviceRoundTrip : public ::testing::Test {
protected:
    DeviceRoundTrip() : unit(h.AddUnit()) {
        {
            auto g = h.bus.Lock();
            sim::InstallTuningStore(unit, store);
        }
        link = h.MakeLink();
    }
    ~DeviceRoundTrip() override {
        if (link) link->Close();
    }

    void Open() {
        ASSERT_EQ(link->Open(1), 1);
        h.bus.ClearTraces();
        h.sleeper.Clear();
    }

    std::vector<sim::TraceEntry> FramesFromPc() {
        std::vector<sim::TraceEntry> out;
        for (const sim::TraceEntry& e : h.bus.Trace(0))
            if (e.kind == sim::TraceKind::FromPc) out.push_back(e);
        return out;
    }

    static std::string Commands(const std::vector<sim::TraceEntry>& frames) {
        std::string s;
        for (const auto& e : frames) s += static_cast<char>(e.bytes[4]);
        return s;
    }

    // The read-back as the program does it: the request, then every queued frame offered to the
    // tuning's parser. Returns how many frames it took; none may be left over but the unit's own
    // preset and working mode, which are the application's to take.
    int ReadBack(TuningModel& m) {
        EXPECT_EQ(link->QueryCommand92(), 1);
        int taken = 0;
        for (const devlink::ReceivedFrame& f : link->ReceivedFrames()) {
            EXPECT_TRUE(devlink::FrameChecksumValid(f.bytes.data(), f.bytes.size() - 1));
            if (ParseTuningMessage(m, f.bytes.data(), f.bytes.size()) == 1) {
                link->RemoveFrame(f.id);
                ++taken;
            }
        }
        const auto left = link->ReceivedFrames();
        EXPECT_EQ(left.size(), 2u);
        if (left.size() == 2) {
            EXPECT_EQ(left[0].bytes[4], 0x7D);
            EXPECT_EQ(left[1].bytes[4], 0xCF);
        }
        link->ClearReceived();
        return taken;
    }

    // Declared first: the unit's handlers use it until the bus is gone.
    sim::TuningStore store;
    linktest::SimHarness h;
    sim::SimUnit& unit;
    std::unique_ptr<devlink::UsbLink> link;
};

}  // namespace

TEST_F(DeviceRoundTrip, FullWriteOrderPacingAndReadBack) {
    Open();
    TuningModel edited;
    msgtest::EditEverything(edited);
    edited.MarkAllDirty();
    edited.SetMuteDirty();
    edited.SetListeningPointDirty();
    std::ostringstream log;
    EXPECT_EQ(edited.SendPendingChanges(link->Sender(), &log), 1);

    const auto frames = FramesFromPc();
    std::string perPreset;
    for (char c : std::string("tusvwx")) perPreset += std::string(kChannelCount, c);
    EXPECT_EQ(Commands(frames), perPreset + perPreset + perPreset + perPreset + "y\x96");
    ASSERT_EQ(frames.size(), 4u * 8u * 6u + 2u);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(frames[i].checksumOk) << i;
        EXPECT_TRUE(frames[i].lengthOk) << i;
        // One frame every 70 ms: 25 after its address byte, 45 after the rest.
        if (i > 0) {
            EXPECT_EQ(frames[i].timeMs - frames[i - 1].timeMs, 70u) << i;
        }
    }
    EXPECT_TRUE(h.bus.PacingViolations(0).empty());
    EXPECT_EQ(h.sleeper.Count(25), frames.size());
    EXPECT_EQ(h.sleeper.Count(45), frames.size());
    EXPECT_EQ(h.sleeper.Pauses().size(), 2 * frames.size());
    {
        auto g = h.bus.Lock();
        EXPECT_EQ(store.MuteMask(), 0x24);
    }

    TuningModel fresh;
    EXPECT_EQ(ReadBack(fresh), 4 * 8 * 3 + 1);
    msgtest::ExpectSameReadBack(fresh, edited);
}

TEST_F(DeviceRoundTrip, EditsAfterAFullWriteReachTheDevice) {
    Open();
    TuningModel edited;
    msgtest::EditEverything(edited);
    edited.MarkAllDirty();
    edited.SetListeningPointDirty();
    edited.SendPendingChanges(link->Sender(), nullptr);

    // The edit paths: the value under its group's lock, then its send flag.
    {
        std::lock_guard<std::mutex> g(edited.Lock(kLockEqGains));
        edited.Record(2, 6).EQGain[12] = 9.5f;
        edited.SetDirty(2, 6, kDirtyBand0 + 12);
    }
    edited.DesignRecord(2, 6);
    {
        std::lock_guard<std::mutex> g(edited.Lock(kLockBandMask));
        edited.Record(1, 3).btmskSel[7] ^= 1;
        edited.SetDirty(1, 3, kDirtyBandMask);
    }
    {
        std::lock_guard<std::mutex> g(edited.Lock(kLockCrossover));
        CrossoverParams& x = edited.Record(3, 0).crossover;
        x.LPFreq = 1200;
        CrossoverToMenuIds(&x);
    }
    ASSERT_EQ(edited.DesignRecord(3, 0), 1);
    edited.SetDirty(3, 0, kDirtyCrossover);
    {
        std::lock_guard<std::mutex> g(edited.Lock(kLockDelay));
        edited.Record(0, 5).crossover.delayTrim = 20;
        edited.SetDirty(0, 5, kDirtyDelay);
    }
    h.bus.ClearTraces();
    EXPECT_EQ(edited.SendPendingChanges(link->Sender(), nullptr), 1);
    EXPECT_EQ(Commands(FramesFromPc()), "uxst");

    TuningModel fresh;
    ReadBack(fresh);
    msgtest::ExpectSameReadBack(fresh, edited);
}

TEST_F(DeviceRoundTrip, ABlankUnitReadsBackAsItsFactoryTuning) {
    Open();
    TuningModel fresh;
    EXPECT_EQ(ReadBack(fresh), 4 * 8 * 3 + 1);
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o) {
            EXPECT_EQ(fresh.Record(p, o).crossover.FilterType, kFullRange);
            EXPECT_EQ(fresh.Record(p, o).crossover.sectionCount, 1);
        }
}
