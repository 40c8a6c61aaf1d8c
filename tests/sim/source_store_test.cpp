// The simulated device's source store against the page's own frames: what the page sends is kept
// byte for byte and comes back on a read-all as the page had it; the send cycle as the unit sees
// it on its trace, on a manual clock; and the damaged frames a unit can stream.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "link/bytes.h"
#include "pages/ext_source_logic.h"
#include "pages/output_level_logic.h"
#include "sim/level_store.h"
#include "sim/source_store.h"
#include "sim/tuning_store.h"
#include "tests/link/link_harness.h"
#include "tests/model/frame_helpers.h"

namespace {

using msgtest::Hex;
using msgtest::ToHex;

TEST(SourceStore, KeepsWhatTheDeviceWouldAndIgnoresTheRest) {
    sim::SourceStore store;
    EXPECT_TRUE(store.Apply(Hex("46 5A 00 07 7A 01 22").data(), 7));
    EXPECT_EQ(store.Source(), 1);
    EXPECT_TRUE(store.Apply(Hex("46 5A 00 07 7A FF 20").data(), 7));
    EXPECT_EQ(store.Source(), 0xFF);
    EXPECT_TRUE(store.Apply(Hex("46 5A 00 0B 89 04 00 01 00 F4 2D").data(), 11));
    EXPECT_EQ(store.RangeFlag(4), 1);
    EXPECT_EQ(store.Code(4), 0xF4);
    EXPECT_TRUE(store.Apply(Hex("46 5A 00 0B AA 00 01 00 00 01 57").data(), 11));
    EXPECT_EQ(store.Flags(), (std::array<uint8_t, 5>{0, 1, 0, 0, 1}));
    pages::ExtSourceRecord r = pages::InitialSourceRecord();
    r.gains[5] = 6.0f;
    r.bandSwitches[5] = 1;
    r.eqOff = 1;
    const devlink::Frame eq = pages::BuildSourceEqMessage(3, r);
    EXPECT_TRUE(store.Apply(eq.data(), eq.size()));
    EXPECT_EQ(store.Gain(3, 5), 1.9952623f);
    EXPECT_EQ(store.Mask(3), 1u << 5);
    EXPECT_EQ(store.EqOff(3), 1);
    struct Case {
        const char* what;
        const char* frame;
    } refused[] = {
        {"bad checksum", "46 5A 00 07 7A 01 23"},
        {"source 5", "46 5A 00 07 7A 05 26"},
        {"sensitivity of source 7", "46 5A 00 0B 89 07 00 00 00 1C 57"},
        {"selection to the level node", "00 5A 00 07 7A 01 DC"},
        {"master level (the level store's)", "00 5A 00 07 0A 1E 89"},
    };
    for (const Case& c : refused) {
        const devlink::Frame f = Hex(c.frame);
        EXPECT_FALSE(store.Apply(f.data(), f.size())) << c.what;
    }
    EXPECT_EQ(store.Source(), 0xFF);
    EXPECT_EQ(store.Code(0), 28);
}

TEST(SourceStore, ReadAllFramesCarryTheScenario) {
    sim::SourceOptions options;
    options.source = 1;
    options.flags = {1, 1, 0, 0, 0};
    options.inputType = 1;
    options.codes = {40, 43, 41, 44, 48, 52, 49, 51};
    options.deviceFlag = 3;
    sim::SourceStore store(options);
    const std::vector<devlink::Frame> frames = store.ReadAllFrames();
    ASSERT_EQ(frames.size(), 7u);
    for (int s = 0; s < 5; ++s) {
        ASSERT_EQ(frames[s].size(), 140u);
        EXPECT_EQ(frames[s][4], 0x7B);
        EXPECT_EQ(frames[s][5], s);
        EXPECT_EQ(frames[s][135], 3);
        EXPECT_EQ(frames[s][137], 28);
        EXPECT_TRUE(devlink::FrameChecksumValid(frames[s].data(), 139));
    }
    EXPECT_EQ(ToHex(frames[5]), ToHex([] {
                  devlink::Frame f = Hex("5A 46 00 14 A3 02 01 01 00 00 00 28 2B 29 2C 30 34 31 33 00");
                  devlink::SealFrame(f);
                  return f;
              }()));
    EXPECT_EQ(ToHex(frames[6]), "5A 46 00 07 7A 01 22");
}

// What a damaged read-all does to a page: the frame is taken and changes nothing it should not.
TEST(SourceStore, DamagedReadAllFramesChangeNothing) {
    struct Case {
        sim::SourceFault fault;
        bool gainsKept;   // Aux1's band 0 keeps its gain
        bool recordKept;  // Aux1's whole record is as before
        bool typeKept;    // the input configuration was not applied
    } cases[] = {
        {sim::SourceFault::ShortEq, true, true, false},  {sim::SourceFault::Source7, true, true, false},
        {sim::SourceFault::ZeroGain, true, false, false}, {sim::SourceFault::NaNGain, true, true, false},
        {sim::SourceFault::ShortConfig, false, false, true},
    };
    for (const Case& c : cases) {
        sim::SourceOptions options;
        options.flags = {1, 0, 0, 0, 0};
        options.inputType = 1;
        options.fault = c.fault;
        sim::SourceStore store(options);
        // Aux1 at 6 dB on band 0, sensitivity code 40.
        pages::ExtSourceRecord sent = pages::InitialSourceRecord();
        sent.gains.fill(6.0f);
        const devlink::Frame eq = pages::BuildSourceEqMessage(0, sent);
        ASSERT_TRUE(store.Apply(eq.data(), eq.size()));
        ASSERT_TRUE(store.Apply(Hex("46 5A 00 0B 89 00 00 00 00 28 5C").data(), 11));

        pages::ExtSourceLogic page(nullptr, true);
        const pages::ExtSourceRecord before = page.Record(0);
        for (const devlink::Frame& f : store.ReadAllFrames())
            EXPECT_EQ(page.OnDeviceReply(f.data(), f.size()), f[4] == 0x7A ? 0 : 1);
        const pages::ExtSourceRecord after = page.Record(0);
        const int fault = static_cast<int>(c.fault);
        EXPECT_EQ(after.gains[0] == before.gains[0], c.gainsKept) << fault;
        EXPECT_FALSE(std::isnan(after.gains[0])) << fault;
        EXPECT_EQ(after.sensitivity == before.sensitivity, c.recordKept) << fault;
        EXPECT_EQ(page.InputType() == 0u, c.typeKept) << fault;
        if (!c.recordKept) {
            EXPECT_NEAR(after.gains[1], 6.0f, 1e-4f) << fault;
        }
    }
}

// The page over the real USB link and a unit with the tuning, level and source stores.
class SourcesOnTheLink : public ::testing::Test {
protected:
    SourcesOnTheLink() {
        sim::SimUnit& unit = h.AddUnit();
        {
            auto g = h.bus.Lock();
            sim::InstallTuningStore(unit, tuning);
            sim::InstallLevelStore(unit, levels);
            sim::InstallSourceStore(unit, sources);
        }
        link = h.MakeLink();
    }
    ~SourcesOnTheLink() override {
        if (link) link->Close();
    }
    sim::SimUnit& Unit() { return h.bus.unit(0); }
    // The frames the unit received from `from` on: command and time.
    std::vector<std::pair<uint8_t, uint64_t>> Received(size_t from) {
        std::vector<std::pair<uint8_t, uint64_t>> out;
        auto g = h.bus.Lock();
        const auto& trace = Unit().trace();
        size_t n = 0;
        for (const sim::TraceEntry& e : trace) {
            if (e.kind != sim::TraceKind::FromPc) continue;
            if (n++ >= from && e.bytes.size() > 4) out.emplace_back(e.bytes[4], e.timeMs);
        }
        return out;
    }
    size_t ReceivedCount() { return Received(0).size(); }

    sim::TuningStore tuning;
    sim::LevelStore levels;
    sim::SourceStore sources;
    linktest::SimHarness h;
    std::unique_ptr<devlink::UsbLink> link;
};

TEST_F(SourcesOnTheLink, SendCycleAsTheUnitSeesIt) {
    ASSERT_EQ(link->Open(1), 1);
    pages::ExtSourceLogic page(nullptr, true);
    page.Start();
    const devlink::FrameSender& sender = link->Sender();

    // Master mode: a master move sends one 0x0A from record 0; an equaliser edit nothing.
    size_t mark = ReceivedCount();
    page.OnSliderMoved(0, -20.0f);
    std::vector<float> gains(31, 3.0f);
    page.OnEqBandChanged(4, gains.data(), 0);
    EXPECT_EQ(page.SendPendingChanges(sender), 1);
    auto got = Received(mark);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].first, 0x0A);
    EXPECT_EQ(levels.Master(), 80);

    // A pick: 'z', then nothing for 1500 ms, then the equaliser.
    uint32_t flags[5] = {1, 1, 0, 0, 1};
    page.ApplyToControls(flags, 5, -1, -2);
    page.OnShowWindow();
    page.OnShowWindow();  // shown again: the selection goes out
    page.OnSourcePicked(1);
    page.OnEqBandChanged(-2, gains.data(), 1);
    mark = ReceivedCount();
    EXPECT_EQ(page.SendPendingChanges(sender), 1);
    got = Received(mark);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].first, 0x7A);
    EXPECT_EQ(got[1].first, 0x7B);
    EXPECT_GE(got[1].second - got[0].second, 1500u);
    EXPECT_EQ(sources.Source(), 1);
    // Lit: a sensitivity move sends 0x89 and 0x0A.
    page.OnSliderMoved(1, 2.4f);
    mark = ReceivedCount();
    EXPECT_EQ(page.SendPendingChanges(sender), 1);
    got = Received(mark);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].first, 0x89);
    EXPECT_EQ(got[1].first, 0x0A);
    EXPECT_EQ(sources.Code(1), 10);  // 2 trunc(2.4 + 3)
    EXPECT_NEAR(sources.Gain(1, 30), std::pow(10.0, 3.0 / 20.0), 1e-6);
    EXPECT_EQ(sources.EqOff(1), 1);
}

TEST_F(SourcesOnTheLink, RoundTripThroughTheDeviceIntoAFreshPage) {
    ASSERT_EQ(link->Open(1), 1);
    pages::ExtSourceLogic edited(nullptr, true);
    edited.Start();
    uint32_t flags[5] = {1, 1, 0, 1, 1};
    edited.ApplyToControls(flags, 5, -1, -2);
    // Every enabled source gets its own curve, switches and sensitivity.
    for (int s : {0, 1, 3, 4}) {
        edited.OnSourcePicked(s);
        std::vector<float> gains(31);
        for (int k = 0; k < 31; ++k) gains[k] = std::fmod(0.37f * (k + 1) * (s + 1), 24.0f) - 12.0f;
        edited.OnEqBandChanged(-2, gains.data(), s == 3 ? 1 : 0);
        edited.OnEqBandSwitch(-3, 0);
        edited.OnEqBandSwitch(s * 7, 1);
        edited.OnSliderMoved(1, s == 4 ? 4.2f : 17.9f - s);
    }
    edited.MarkAllDirty();
    EXPECT_EQ(edited.SendPendingChanges(link->Sender()), 1);
    edited.RequestSendAll(link->Sender());  // the flags

    link->SetReceiveGate(0);
    ASSERT_EQ(link->QueryCommand92(), 1);
    pages::ExtSourceLogic fresh(nullptr, true);
    fresh.Start();
    int taken = 0;
    for (const devlink::ReceivedFrame& f : link->ReceivedFrames()) taken += fresh.OnDeviceReply(f.bytes.data(), f.bytes.size());
    EXPECT_EQ(taken, 6);  // five equalisers and the input configuration
    for (int s = 0; s < 5; ++s) {
        const pages::ExtSourceRecord a = edited.Record(s), b = fresh.Record(s);
        for (int k = 0; k < 31; ++k) EXPECT_NEAR(b.gains[k], a.gains[k], 1e-4f) << s << "/" << k;
        EXPECT_EQ(b.bandSwitches, a.bandSwitches) << s;
        EXPECT_EQ(b.eqOff, a.eqOff) << s;
        EXPECT_EQ(b.enabled, a.enabled) << s;
        // The device keeps the sensitivity to the whole decibel.
        EXPECT_EQ(b.sensitivity, std::trunc(a.sensitivity + 3.0f) - 3.0f) << s;
    }
    EXPECT_EQ(fresh.Record(4).sensitivity, 4.0f);
}

}  // namespace
