// The simulated unit's side of the I/O wizard: what it keeps of the wizard's messages, the status
// streams of its two set-ups (their order, their timing on the line, their faults), and the
// routing and input configuration it streams back on a read-all.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dialogs/wizard_serve.h"
#include "link/bytes.h"
#include "link_harness.h"
#include "sim/source_store.h"
#include "sim/tuning_store.h"
#include "sim/wizard_store.h"

namespace {

using devlink::Frame;
using linktest::Bytes;

constexpr uint8_t kInputStatus = 0x86, kOutputStatus = 0x84;

Frame InputConfig(uint8_t typeByte, std::vector<uint8_t> codes) {
    dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    Frame f = dialogs::BuildInputConfigMessage(r);
    f[5] = typeByte;
    f[7] = 1;  // Aux 2
    for (size_t i = 0; i < 8; ++i) f[11 + i] = i < codes.size() ? codes[i] : 0;
    devlink::SealFrame(f);
    return f;
}

TEST(WizardStore, KeepsWhatTheWizardSends) {
    sim::SourceStore sources;
    sim::WizardStore store({}, &sources);
    EXPECT_FALSE(store.InWizard());
    EXPECT_EQ(store.LastWizardEnd(), -1);

    auto apply = [&](const Frame& f) { return store.Apply(f.data(), f.size()); };
    EXPECT_TRUE(apply(dialogs::BuildMessageA2()));
    EXPECT_TRUE(store.InWizard());
    EXPECT_TRUE(apply(InputConfig(2, {0x28, 0x30, 0x2B})));
    dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    r.labelCount = 1;
    r.labelTable[0].channel = 2, r.labelTable[0].position = 4, r.labelTable[0].kind = 5;
    r.labelTable[0].amplifier = 1;
    EXPECT_TRUE(apply(dialogs::BuildMessage18(r)));
    ASSERT_TRUE(store.HasOutputMap());
    EXPECT_EQ(store.OutputMap(), (std::array<uint8_t, 9>{0, 0, 128, 0, 0, 0, 0, 0, 0x04}));
    EXPECT_TRUE(apply(devlink::BuildCommandB2Message(0)));
    EXPECT_FALSE(store.InWizard());
    EXPECT_EQ(store.LastWizardEnd(), 1);
    EXPECT_TRUE(apply(dialogs::BuildMessageA2()));
    EXPECT_TRUE(apply(devlink::BuildCommandB2Message(1)));
    EXPECT_EQ(store.LastWizardEnd(), 0);
    EXPECT_EQ(store.WizardBegins(), 2);

    // The received configuration is the one a read-all streams from now on, whole.
    const std::vector<Frame> stream = sources.ReadAllFrames();
    const Frame sent = InputConfig(2, {0x28, 0x30, 0x2B});
    bool found = false;
    for (const Frame& f : stream)
        if (f.size() == 20 && f[4] == 0xA3) {
            found = true;
            EXPECT_EQ(Frame(f.begin() + 5, f.end() - 1), Frame(sent.begin() + 5, sent.end() - 1));
            EXPECT_EQ(f[0], devlink::kNodePc);
            EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), f.size() - 1));
        }
    EXPECT_TRUE(found);

    // What the unit does not take: a damaged frame, the output map to the DSP unit, a short 0xA3,
    // the master level (the level store's).
    Frame damaged = dialogs::BuildMessageA2();
    damaged.back() ^= 1;
    Frame wrongNode = dialogs::BuildMessage18(r);
    wrongNode[0] = devlink::kNodeDsp;
    devlink::SealFrame(wrongNode);
    Frame shortConfig = InputConfig(1, {});
    shortConfig.pop_back();
    shortConfig[3] = 19;
    devlink::SealFrame(shortConfig);
    for (const Frame& f : {damaged, wrongNode, shortConfig, dialogs::BuildLevelMessage30()})
        EXPECT_FALSE(apply(f));
    EXPECT_FALSE(store.InWizard());
}

TEST(WizardStore, StatusStreams) {
    const Frame lowTwo = InputConfig(1, {0x28, 0x30});
    const Frame highThree = InputConfig(2, {0x28, 0, 0x2B, 0, 0, 0x31});
    struct Case {
        const char* name;
        sim::WizardOptions options;
        const Frame* config;  // received before the set-ups, or none
        uint8_t request;
        std::vector<std::vector<uint8_t>> setups;  // the statuses of each set-up in turn
    };
    sim::WizardOptions explicitInputs;
    explicitInputs.inputsSet = true;
    explicitInputs.inputs = {3, 1};
    sim::WizardOptions noInputs;
    noInputs.inputsSet = true;
    sim::WizardOptions tooLowOnce;
    tooLowOnce.tooLowInput = 2;
    sim::WizardOptions tooLowAlways = tooLowOnce;
    tooLowAlways.tooLowAlways = true;
    sim::WizardOptions tooLowAbsent;
    tooLowAbsent.tooLowInput = 4;
    sim::WizardOptions junk;
    junk.junk = {0xC1, 0x05};
    junk.outputs = {2, 4};
    const Case cases[] = {
        // The unit's own configuration: Front L/R Full on inputs 0 and 1.
        {"own configuration", {}, nullptr, 0x85, {{0x80, 0x81, 0x00}}},
        {"received low-level", {}, &lowTwo, 0x85, {{0x80, 0x81, 0x00}}},
        {"received high-level", {}, &highThree, 0x85, {{0x80, 0x82, 0x85, 0x00}}},
        {"inputs given", explicitInputs, &highThree, 0x85, {{0x83, 0x81, 0x00}}},
        {"no inputs", noInputs, nullptr, 0x85, {{0x00}}},
        {"too low once", tooLowOnce, &highThree, 0x85, {{0x80, 0x42}, {0x80, 0x82, 0x85, 0x00}}},
        {"too low always", tooLowAlways, &highThree, 0x85, {{0x80, 0x42}, {0x80, 0x42}}},
        {"too low, not detected", tooLowAbsent, &lowTwo, 0x85, {{0x80, 0x81, 0x44}}},
        {"outputs", {}, nullptr, 0x83, {{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x00}}},
        {"outputs with junk", junk, nullptr, 0x83, {{0xC1, 0x05, 0x82, 0x84, 0x00}, {0xC1, 0x05, 0x82, 0x84, 0x00}}},
        {"too low spares the outputs", tooLowAlways, nullptr, 0x83, {{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x00}}},
    };
    for (const Case& c : cases) {
        sim::SourceStore sources;
        sim::WizardStore store(c.options, &sources);
        if (c.config) {
            ASSERT_TRUE(store.Apply(c.config->data(), c.config->size())) << c.name;
        }
        for (size_t k = 0; k < c.setups.size(); ++k)
            EXPECT_EQ(store.Statuses(c.request), c.setups[k]) << c.name << ", set-up " << k;
    }
}

// On the line: the unit answers a set-up only in wizard mode, the statuses come a delay after the
// request and an interval apart, through the reply faults, and the scenario's damage applies.
struct WizardUnit {
    void Start(sim::WizardOptions options, sim::Faults faults = {}) {
        sim::SimUnit& unit = h.AddUnit();
        store = std::make_unique<sim::WizardStore>(options, &sources);
        {
            auto g = h.bus.Lock();
            sim::InstallSourceStore(unit, sources);
            sim::InstallWizardStore(unit, *store);
        }
        link = h.MakeLink();
        link->Open(1);
        {
            auto g = h.bus.Lock();
            unit.faults() = faults;
            unit.ClearTrace();
        }
        link->SetReceiveGate(0);
    }
    struct Arrival {
        Frame frame;
        uint64_t atMs;  // after the unit had the whole request
    };
    // Sends the request and collects the statuses until the wait gives up (2 s of silence).
    std::vector<Arrival> Collect(const Frame& request, uint8_t reply) {
        link->Send(request);
        uint64_t sent = 0;
        {
            auto g = h.bus.Lock();
            for (const sim::TraceEntry& e : h.bus.unit(0).trace())
                if (e.kind == sim::TraceKind::FromPc && e.bytes == request) sent = e.timeMs;
        }
        std::vector<Arrival> out;
        uint8_t buffer[16];
        while (link->WaitResponse(reply, buffer, sizeof buffer, 2000, true, nullptr)) {
            const size_t n = devlink::GetU16BE(buffer + 2);
            out.push_back({Frame(buffer, buffer + std::min(n, sizeof buffer)), h.clock.NowMs() - sent});
        }
        return out;
    }
    static std::vector<uint8_t> StatusBytes(const std::vector<Arrival>& a) {
        std::vector<uint8_t> s;
        for (const Arrival& x : a) s.push_back(x.frame[5]);
        return s;
    }

    linktest::SimHarness h;
    sim::SourceStore sources;
    std::unique_ptr<sim::WizardStore> store;
    std::unique_ptr<devlink::UsbLink> link;
};

TEST(WizardUnitOnTheLine, AnswersOnlyInWizardModeAtItsPace) {
    WizardUnit u;
    sim::WizardOptions o;
    o.delayMs = 300;
    o.intervalMs = 100;
    u.Start(o);
    EXPECT_TRUE(u.Collect(dialogs::BuildInputMeasureRequest(), kInputStatus).empty());
    u.link->Send(dialogs::BuildMessageA2());
    const std::vector<WizardUnit::Arrival> in = u.Collect(dialogs::BuildInputMeasureRequest(), kInputStatus);
    ASSERT_EQ(u.StatusBytes(in), (std::vector<uint8_t>{0x80, 0x81, 0x00}));
    // Reply delay 5 ms, then 300 ms, then 100 ms apart; the wait sees each within one 15 ms poll.
    for (size_t k = 0; k < in.size(); ++k) {
        const uint64_t due = 5 + 300 + 100 * k;
        EXPECT_GE(in[k].atMs, due) << k;
        EXPECT_LE(in[k].atMs, due + 15) << k;
        EXPECT_EQ(in[k].frame, Bytes({0x5A, 0x46, 0x00, 0x07, 0x86, in[k].frame[5],
                                      (0x5A + 0x46 + 0x07 + 0x86 + in[k].frame[5]) & 0xFF}));
    }
    EXPECT_EQ(u.StatusBytes(u.Collect(dialogs::BuildOutputMeasureRequest(), kOutputStatus)),
              (std::vector<uint8_t>{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x00}));
    u.link->Send(devlink::BuildCommandB2Message(0));
    EXPECT_TRUE(u.Collect(dialogs::BuildOutputMeasureRequest(), kOutputStatus).empty());
}

TEST(WizardUnitOnTheLine, DamageAndSilence) {
    sim::WizardOptions badOne;
    badOne.badChecksumStatus = 1;
    sim::Faults silent;
    silent.noReplyTo = {0x85};
    sim::Faults late;
    late.replyCommand = kInputStatus;
    late.lateReplyMs = 1000;
    const struct {
        const char* name;
        sim::WizardOptions options;
        sim::Faults faults;
        std::vector<uint8_t> statuses;
        std::vector<bool> checksumOk;
        uint64_t firstAtMs;
    } cases[] = {
        {"a bad checksum", badOne, {}, {0x80, 0x81, 0x00}, {true, false, true}, 305},
        {"silent", {}, silent, {}, {}, 0},
        {"late", {}, late, {0x80, 0x81, 0x00}, {true, true, true}, 1305},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WizardUnit u;
        u.Start(c.options, c.faults);
        u.link->Send(dialogs::BuildMessageA2());
        const std::vector<WizardUnit::Arrival> in = u.Collect(dialogs::BuildInputMeasureRequest(), kInputStatus);
        EXPECT_EQ(u.StatusBytes(in), c.statuses);
        for (size_t k = 0; k < in.size() && k < c.checksumOk.size(); ++k)
            EXPECT_EQ(devlink::FrameChecksumValid(in[k].frame.data(), in[k].frame.size() - 1), c.checksumOk[k]) << k;
        if (!in.empty()) {
            EXPECT_NEAR(static_cast<double>(in[0].atMs), static_cast<double>(c.firstAtMs), 15.0);
        }
    }
}

TEST(WizardUnitOnTheLine, UnpluggedAfterAStatus) {
    WizardUnit u;
    sim::WizardOptions o;
    o.unplugAfterStatus = 1;
    o.outputs = {0, 1, 2, 3};
    u.Start(o);
    u.link->Send(dialogs::BuildMessageA2());
    std::vector<uint8_t> got;
    uint8_t buffer[8];
    u.link->Send(dialogs::BuildOutputMeasureRequest());
    // No time-out: the wait ends because the unit is gone, right after the second status.
    while (u.link->WaitResponse(kOutputStatus, buffer, sizeof buffer, -1, true, nullptr)) got.push_back(buffer[5]);
    EXPECT_EQ(got, (std::vector<uint8_t>{0x80, 0x81}));
    auto g = u.h.bus.Lock();
    EXPECT_FALSE(u.h.bus.unit(0).plugged());
}

TEST(WizardStore, ReadAllStreamsTheRoutingOnceTheUnitHasOne) {
    auto routingFrames = [](const sim::TuningStore& t) {
        std::vector<Frame> out;
        for (const Frame& f : t.ReadAllFrames())
            if (f[4] == 0xA4) out.push_back(f);
        return out;
    };
    sim::TuningStore fresh;
    EXPECT_TRUE(routingFrames(fresh).empty());

    dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    r.labelCount = 1;
    r.labelTable[0].channel = 5, r.labelTable[0].position = 0, r.labelTable[0].kind = 2;
    const Frame sent = dialogs::BuildRoutingMessage(r);
    ASSERT_TRUE(fresh.Apply(sent.data(), sent.size()));
    const std::vector<Frame> after = routingFrames(fresh);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(Frame(after[0].begin() + 2, after[0].end() - 1), Frame(sent.begin() + 2, sent.end() - 1));
    EXPECT_EQ(after[0][0], devlink::kNodePc);
    EXPECT_EQ(after[0][1], devlink::kNodeDsp);
    EXPECT_TRUE(devlink::FrameChecksumValid(after[0].data(), after[0].size() - 1));

    // A unit that has one from the start, streamed with another length (cut or padded with 0).
    for (size_t length : {46u, 45u, 47u}) {
        sim::RoutingOptions start;
        start.set = true;
        start.bytes.fill(0x11);
        start.streamedLength = length;
        const std::vector<Frame> f = routingFrames(sim::TuningStore(start));
        ASSERT_EQ(f.size(), 1u) << length;
        ASSERT_EQ(f[0].size(), length);
        EXPECT_EQ(devlink::GetU16BE(&f[0][2]), length);
        EXPECT_EQ(f[0][43], 0x11);
        if (length >= 46) {
            EXPECT_EQ(f[0][44], 0x11);
        }
        if (length == 47) {
            EXPECT_EQ(f[0][45], 0);
        }
        EXPECT_TRUE(devlink::FrameChecksumValid(f[0].data(), f[0].size() - 1));
    }
}

}  // namespace
