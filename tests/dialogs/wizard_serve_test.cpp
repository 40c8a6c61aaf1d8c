// The I/O wizard's exchanges with the simulated unit, on the stepping sleeper: what each raised
// request word sends, in what order and with what pauses, how the detections wait for the unit
// and how every wait ends, and the request words served while the dialog side runs on a thread of
// its own. Times are simulated milliseconds from the unit's trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "dialogs/wizard_serve.h"
#include "link_harness.h"
#include "sim/level_store.h"
#include "sim/source_store.h"
#include "sim/tuning_store.h"
#include "sim/wizard_store.h"
#include "ui/messages.h"

namespace {

using devlink::Frame;
using linktest::Bytes;

class NullView : public dialogs::WizardView {
public:
    void SetSkin(uint32_t, uint32_t) override {}
    void Repaint() override {}
    void ShowButton(dialogs::WizButton, bool) override {}
    void EnableButton(dialogs::WizButton, bool) override {}
    void MoveButton(dialogs::WizButton, int, int) override {}
    void ShowBox(int, bool) override {}
    void MoveBox(int, int, int) override {}
    void ShowCheck(int, bool) override {}
    void MoveCheck(int, int, int) override {}
    void SetCheck(int, bool) override {}
    void ShowBar(bool) override {}
    void SetBar(double) override {}
    void StartTimer(uint32_t, uint32_t) override {}
    void StopTimer(uint32_t) override {}
    void OpenPopup(int, int, int, const std::vector<dialogs::MenuItemState>&) override {}
    pages::CarChannelLogic* CarView(int) override { return nullptr; }
    void ShowCarView(bool) override {}
    void PostToParent(uint32_t, uintptr_t, intptr_t) override {}
    void PostToSelf(uint32_t, uintptr_t, intptr_t) override {}
};

struct Result {
    uint32_t message;
    uintptr_t end;
    intptr_t status;
    bool operator==(const Result&) const = default;
};

// The window's side: results are kept, the master level is answered (or not).
class Host : public dialogs::WizardServeHost {
public:
    void PostDetectionResult(uint32_t message, uintptr_t end, intptr_t status) override {
        {
            std::lock_guard<std::mutex> g(lock_);
            results_.push_back({message, end, status});
        }
        posted_.notify_all();
    }
    void QueryMasterLevel(float* dB) override {
        ++queries;
        if (answers) *dB = level;
    }
    std::vector<Result> Results() const {
        std::lock_guard<std::mutex> g(lock_);
        return results_;
    }
    // Waits (in real time, bounded) until n results have come.
    bool WaitResults(size_t n) {
        std::unique_lock<std::mutex> g(lock_);
        return posted_.wait_for(g, std::chrono::seconds(20), [&] { return results_.size() >= n; });
    }

    std::atomic<bool> answers{true};
    std::atomic<float> level{0.0f};
    std::atomic<int> queries{0};

private:
    mutable std::mutex lock_;
    std::condition_variable posted_;
    std::vector<Result> results_;
};

constexpr uint8_t kLevel = 0x0A, kBegin = 0xA2, kConfig = 0xA3, kInputDetect = 0x85, kInputStatus = 0x86,
                  kOutputDetect = 0x83, kOutputStatus = 0x84, kRouting = 0xA4, kOutputMap = 0x18, kEnd = 0xB2;

// The unit with its stores, a link to it, the wizard's logic and the serving class.
struct Served {
    explicit Served(const sim::WizardOptions& options = {}, const sim::Faults& faults = {})
        : wizard(options, &sources) {
        sim::SimUnit& unit = h.AddUnit();
        {
            auto g = h.bus.Lock();
            sim::InstallTuningStore(unit, tuning);
            sim::InstallLevelStore(unit, levels);
            sim::InstallSourceStore(unit, sources);
            sim::InstallWizardStore(unit, wizard);
        }
        link = h.MakeLink();
        link->SetCancel(&stop);
        opened = link->Open(1);
        {
            auto g = h.bus.Lock();
            unit.faults() = faults;
            unit.ClearTrace();
        }
        h.sleeper.Clear();
    }

    // The frames of one direction, in order.
    std::vector<Frame> Frames(sim::TraceKind kind) {
        auto g = h.bus.Lock();
        std::vector<Frame> out;
        for (const sim::TraceEntry& e : h.bus.unit(0).trace())
            if (e.kind == kind) out.push_back(e.bytes);
        return out;
    }
    std::vector<Frame> FromPc() { return Frames(sim::TraceKind::FromPc); }
    // The commands on the line both ways, as the unit's trace has them in time order.
    std::vector<uint8_t> Commands() {
        auto g = h.bus.Lock();
        std::vector<std::pair<uint64_t, uint8_t>> timed;
        for (const sim::TraceEntry& e : h.bus.unit(0).trace())
            if ((e.kind == sim::TraceKind::FromPc || e.kind == sim::TraceKind::ToPc) && e.bytes.size() > 4)
                timed.push_back({e.timeMs, e.bytes[4]});
        std::stable_sort(timed.begin(), timed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<uint8_t> out;
        for (const auto& t : timed) out.push_back(t.second);
        return out;
    }
    // When the unit had the whole frame of that command (the last one), -1 when it never came.
    int64_t ReceivedAt(uint8_t command) {
        auto g = h.bus.Lock();
        int64_t at = -1;
        for (const sim::TraceEntry& e : h.bus.unit(0).trace())
            if (e.kind == sim::TraceKind::FromPc && e.bytes.size() > 4 && e.bytes[4] == command)
                at = static_cast<int64_t>(e.timeMs);
        return at;
    }
    // Raises a flag once, when the simulated clock goes t ms past now (in the pause spanning it),
    // as the dialog would while the poll thread sleeps.
    void RaiseAt(std::atomic<int32_t>& flag, uint64_t t) {
        const uint64_t start = h.clock.NowMs();
        RaiseWhen(flag, [this, start, t](uint32_t ms) { return h.clock.NowMs() - start + ms > t; });
    }
    // Raises it once, in the first pause in which the condition holds.
    void RaiseWhen(std::atomic<int32_t>& flag, std::function<bool(uint32_t)> now) {
        auto raised = std::make_shared<bool>(false);
        h.sleeper.SetOnSleep([&flag, now, raised](uint32_t ms) {
            if (!*raised && now(ms)) {
                *raised = true;
                flag = 1;
            }
        });
    }
    int Serve() { return server.ServeRequests(link.get()); }
    void Idle(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 25) h.sleeper.SleepMs(25);
    }

    linktest::SimHarness h;
    sim::TuningStore tuning;
    sim::LevelStore levels;
    sim::SourceStore sources;
    sim::WizardStore wizard;
    NullView view;
    dialogs::WizardLogic logic{view, true};
    Host host;
    dialogs::WizardServer server{logic, host};
    std::atomic<int> stop{0};
    std::unique_ptr<devlink::UsbLink> link;
    int opened = 0;
};

size_t Count(const std::vector<Frame>& frames, uint8_t command) {
    return static_cast<size_t>(std::count_if(frames.begin(), frames.end(),
                                             [&](const Frame& f) { return f.size() > 4 && f[4] == command; }));
}

TEST(WizardServe, NothingRaisedNothingSent) {
    Served s;
    ASSERT_EQ(s.opened, 1);
    EXPECT_EQ(s.server.ServeRequests(nullptr), 0);
    s.logic.stepLeft[0] = 1;
    EXPECT_EQ(s.server.ServeRequests(nullptr), 0);
    EXPECT_EQ(s.logic.stepLeft[0], 1) << "without a link nothing is served";
    s.logic.stepLeft[0] = 0;
    // The steps without an exchange stay raised and send nothing.
    for (int i : {1, 5, 6, 8, 10, 11, 12, 14}) s.logic.stepLeft[static_cast<size_t>(i)] = 1;
    EXPECT_EQ(s.Serve(), 0);
    EXPECT_TRUE(s.FromPc().empty());
    EXPECT_EQ(s.h.sleeper.TotalMs(), 0u);
}

TEST(WizardServe, LeavingTheFirstStepLowersTheLevelAndEntersWizardMode) {
    Served s;
    s.logic.stepLeft[0] = 1;
    EXPECT_EQ(s.Serve(), 1);
    EXPECT_EQ(s.FromPc(), (std::vector<Frame>{Bytes({0x00, 0x5A, 0x00, 0x07, 0x0A, 0x1E, 0x89}),
                                              Bytes({0x46, 0x5A, 0x00, 0x07, 0xA2, 0x00, 0x49})}));
    // The unit has the level 100 ms before it is asked to enter wizard mode (and the second
    // frame's own address pause of 25 ms).
    EXPECT_GE(s.ReceivedAt(kBegin) - s.ReceivedAt(kLevel), 100 + 25);
    EXPECT_EQ(s.levels.Master(), 30);
    EXPECT_TRUE(s.wizard.InWizard());
    EXPECT_EQ(s.logic.stepLeft[0], 0);
    EXPECT_EQ(s.link->ReceiveGateClosed(), 1);
    EXPECT_EQ(s.link->ReceivedCount(), 0u);
    EXPECT_EQ(s.h.sleeper.Pauses().back(), dialogs::kServePassMs);
}

// One input detection per row, against the unit as the row sets it up. A row's cancel or stop
// comes at a simulated time after the request; every row has one, so no row can wait forever.
TEST(WizardServe, InputDetection) {
    struct Row {
        const char* name;
        sim::WizardOptions unit;
        sim::Faults faults;
        uint64_t cancelAt;  // ms after the pass starts
        int cancelAfter;    // or once the dialog has seen this many channels done (-1: by time)
        bool stopInstead;
        int completed;
        Result result;
        bool aborted;  // 0xB2 (1) follows the request
    };
    auto inputs = [](std::vector<uint8_t> in) {
        sim::WizardOptions o;
        o.inputsSet = true;
        o.inputs = std::move(in);
        return o;
    };
    sim::WizardOptions tooLow = inputs({0, 1, 2, 3, 4});
    tooLow.tooLowInput = 3;
    sim::WizardOptions noise = inputs({0, 1});
    noise.junk = {0xC1, 0x05};
    noise.badChecksumStatus = 3;  // C1 05 80 [81] 00: the damaged 0x81 is not counted
    sim::WizardOptions damagedEnd = inputs({0, 1});
    damagedEnd.badChecksumStatus = 2;  // 80 81 [00]: a damaged end does not end the setup
    sim::WizardOptions damagedTooLow = inputs({0, 1});
    damagedTooLow.tooLowInput = 1;
    damagedTooLow.badChecksumStatus = 1;  // 80 [41]
    sim::WizardOptions slow = inputs({0, 1, 2, 3, 4, 5});
    slow.delayMs = 300;
    slow.intervalMs = 200;
    sim::WizardOptions unplugged = inputs({0, 1, 2, 3});
    unplugged.unplugAfterStatus = 1;
    sim::Faults silent;
    silent.noReplyTo = {kInputDetect};
    sim::Faults unplugOnRequest;
    unplugOnRequest.unplugOnCommand = kInputDetect;
    constexpr uint32_t kIn = ui::MsgInputDetectDone;

    const Row rows[] = {
        {"80 81 82 00", inputs({0, 1, 2}), {}, 60000, -1, false, 3, {kIn, 1, 0x00}, false},
        {"too low", tooLow, {}, 60000, -1, false, 3, {kIn, 1, 0x43}, false},
        {"junk and a damaged status", noise, {}, 60000, -1, false, 1, {kIn, 1, 0x00}, false},
        {"a damaged end", damagedEnd, {}, 3000, -1, false, 2, {kIn, 0, 0x81}, true},
        {"a damaged too-low", damagedTooLow, {}, 3000, -1, false, 1, {kIn, 0, 0x80}, true},
        {"silent, cancelled", {}, silent, 2000, -1, false, 0, {kIn, 0, 0x00}, true},
        {"cancelled while statuses come", slow, {}, 60000, 2, false, 2, {kIn, 0, 0x81}, true},
        {"silent, stopped", {}, silent, 2000, -1, true, 0, {kIn, 0, 0x00}, true},
        {"unplugged on the request", {}, unplugOnRequest, 60000, -1, false, 0, {kIn, 0, 0x00}, true},
        {"unplugged after a status", unplugged, {}, 60000, -1, false, 2, {kIn, 0, 0x81}, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Served s(r.unit, r.faults);
        s.link->Send(dialogs::BuildMessageA2());
        s.logic.stepLeft[4] = 1;
        std::atomic<int32_t>& flag = r.stopInstead ? s.stop : s.logic.stepClosed[5];
        if (r.cancelAfter >= 0) {
            s.RaiseWhen(flag, [&s, n = r.cancelAfter](uint32_t) { return s.logic.completedCount >= n; });
        } else {
            s.RaiseAt(flag, r.cancelAt);
        }
        const uint64_t start = s.h.clock.NowMs();
        EXPECT_EQ(s.Serve(), 1);
        EXPECT_LT(s.h.clock.NowMs() - start, r.cancelAt + 1000) << "the wait ended by the row's rule";
        s.h.sleeper.SetOnSleep(nullptr);

        EXPECT_EQ(s.host.Results(), (std::vector<Result>{r.result}));
        EXPECT_EQ(s.logic.completedCount, r.completed);
        if (r.completed > 0) {
            EXPECT_EQ(s.logic.inputChannel, r.completed - 1);
        }
        EXPECT_EQ(s.logic.stepLeft[4], 0);
        EXPECT_EQ(s.logic.stepClosed[5], 0);
        const std::vector<Frame> sent = s.FromPc();
        // No master level: a cancel during a detection only aborts the wizard.
        EXPECT_EQ(Count(sent, kLevel), 0u);
        bool plugged = false;
        {
            auto g = s.h.bus.Lock();
            plugged = s.h.bus.unit(0).plugged();
        }
        // A unit that is gone gets nothing more (the abort is written, and the link fails).
        if (r.aborted && plugged) {
            EXPECT_EQ(sent.back(), Bytes({0x46, 0x5A, 0x00, 0x07, 0xB2, 0x01, 0x5A}));
        }
        EXPECT_EQ(Count(sent, kEnd), r.aborted && plugged ? 1u : 0u);
        EXPECT_EQ(s.link->ReceiveGateClosed(), 1);
        EXPECT_EQ(s.link->ReceivedCount(), 0u);
        EXPECT_EQ(s.host.queries, 0);
    }
}

// After a cancel the unit's later statuses are lost behind the closed gate, and a later run's
// detection counts only its own.
TEST(WizardServe, StatusesOfACancelledDetectionAreNotTakenByTheNext) {
    sim::WizardOptions o;
    o.inputsSet = true;
    o.inputs = {0, 1, 2, 3, 4, 5};
    o.delayMs = 300;
    o.intervalMs = 200;
    Served s(o);
    s.link->Send(dialogs::BuildMessageA2());
    s.logic.stepLeft[4] = 1;
    s.RaiseWhen(s.logic.stepClosed[5], [&s](uint32_t) { return s.logic.completedCount >= 2; });
    s.Serve();
    s.h.sleeper.SetOnSleep(nullptr);
    ASSERT_EQ(s.host.Results(), (std::vector<Result>{{ui::MsgInputDetectDone, 0, 0x81}}));
    EXPECT_FALSE(s.wizard.InWizard());
    // The rest of the first setup (82 .. 85 00) comes while nothing is served.
    s.Idle(2000);
    EXPECT_EQ(s.link->ReceivedCount(), 0u);
    EXPECT_EQ(Count(s.Frames(sim::TraceKind::ToPc), kInputStatus), 7u);

    s.logic.completedCount = 0;  // as the dialog does on entering the step
    s.logic.stepLeft[0] = 1;
    s.logic.stepLeft[4] = 1;
    s.RaiseAt(s.logic.stepClosed[5], 60000);
    EXPECT_EQ(s.Serve(), 1);
    EXPECT_EQ(s.host.Results().back(), (Result{ui::MsgInputDetectDone, 1, 0x00}));
    EXPECT_EQ(s.logic.completedCount, 6);
    EXPECT_EQ(s.logic.inputChannel, 5);
}

TEST(WizardServe, OutputDetection) {
    sim::WizardOptions o;
    o.outputs = {4, 1};
    o.junk = {0xC1, 0x05};
    Served s(o);
    s.link->Send(dialogs::BuildMessageA2());
    s.logic.stepLeft[7] = 1;
    s.RaiseAt(s.logic.stepClosed[8], 60000);
    EXPECT_EQ(s.Serve(), 1);
    EXPECT_EQ(s.host.Results(), (std::vector<Result>{{ui::MsgOutputDetectDone, 1, 0x00}}));
    EXPECT_EQ(s.logic.completedCount, 2);
    EXPECT_EQ(s.logic.outputChannel, 1);
    EXPECT_EQ(s.logic.inputChannel, -1);

    Served t;
    t.link->Send(dialogs::BuildMessageA2());
    t.logic.stepLeft[7] = 1;
    t.RaiseAt(t.logic.stepClosed[8], 60000);
    EXPECT_EQ(t.Serve(), 1);
    EXPECT_EQ(t.host.Results(), (std::vector<Result>{{ui::MsgOutputDetectDone, 1, 0x00}}));
    EXPECT_EQ(t.logic.completedCount, 6);
    EXPECT_EQ(t.logic.outputChannel, 5);
    EXPECT_EQ(t.logic.stepLeft[7], 0);
    const std::vector<Frame> sent = t.FromPc();
    EXPECT_EQ(sent.back(), Bytes({0x46, 0x5A, 0x00, 0x06, 0x83, 0x29}));
}

TEST(WizardServe, CancelOnAStepWithoutDetectionRestoresTheMasterLevel) {
    const struct {
        const char* name;
        bool answers;
        float level;
        uint8_t byte;
    } rows[] = {
        {"-45.0 dB", true, -45.0f, 30},
        {"0.0 dB", true, 0.0f, 120},
        {"-12.5 dB", true, -12.5f, 95},
        {"no answer", false, 0.0f, 30},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Served s;
        s.host.answers = r.answers;
        s.host.level = r.level;
        s.logic.stepClosed[9] = 1;
        s.logic.stepClosed[12] = 1;
        EXPECT_EQ(s.Serve(), 1);
        const std::vector<Frame> sent = s.FromPc();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0], Bytes({0x00, 0x5A, 0x00, 0x07, 0x0A, r.byte, (0x5A + 0x07 + 0x0A + r.byte) & 0xFF}));
        EXPECT_EQ(sent[1], Bytes({0x46, 0x5A, 0x00, 0x07, 0xB2, 0x01, 0x5A}));
        EXPECT_GE(s.ReceivedAt(kEnd) - s.ReceivedAt(kLevel), 100 + 25);
        EXPECT_EQ(s.host.queries, 1);
        for (const auto& f : s.logic.stepClosed) EXPECT_EQ(f, 0);
        EXPECT_EQ(s.levels.Master(), r.byte);
        EXPECT_EQ(s.wizard.LastWizardEnd(), 1);
    }
}

dialogs::WizardIoRecord HighLevelSetup() {
    dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    r.inputType = 1;
    for (int i = 0; i < 8; ++i) r.highLevelInput[i] = i < 4 ? i : dialogs::kNotConnected;
    r.sourceFlags[0] = 1;
    // A passive front pair on outputs 0 and 1, the subwoofer with an amplifier on output 2.
    const int labels[][4] = {{0, 0, 1, 0}, {0, 0, 3, 0}, {1, 2, 1, 0}, {1, 2, 3, 0}, {2, 4, 5, 1}};
    r.labelCount = 5;
    for (int i = 0; i < 5; ++i) {
        r.labelTable[i].channel = labels[i][0];
        r.labelTable[i].position = labels[i][1];
        r.labelTable[i].kind = labels[i][2];
        r.labelTable[i].amplifier = labels[i][3];
    }
    r.speakerGrid[0].variant[1] = r.speakerGrid[0].variant[3] = 2;
    r.speakerGrid[2].variant[1] = r.speakerGrid[2].variant[3] = 6;
    return r;
}

// A whole run, one raised word at a time as the dialog leaves its steps.
TEST(WizardServe, ARunInOrder) {
    for (bool high : {true, false}) {
        SCOPED_TRACE(high ? "high-level" : "low-level");
        Served s;
        dialogs::WizardIoRecord r = HighLevelSetup();
        if (!high) {
            r.inputType = 0;
            for (int i = 0; i < 6; ++i) r.lowLevelInput[i] = i < 2 ? 18 + i : dialogs::kNotConnected;
        }
        s.logic.SetRecord(r);
        const std::vector<int> steps = high ? std::vector<int>{0, 1, 2, 4, 5, 6, 7, 8, 10, 11, 12, 13}
                                            : std::vector<int>{0, 1, 3, 4, 5, 10, 11, 12, 13};
        for (int step : steps) {
            s.logic.stepLeft[static_cast<size_t>(step)] = 1;
            s.RaiseAt(s.logic.stepClosed[step == 4 ? 5 : 8], 60000);
            s.Serve();
            s.h.sleeper.SetOnSleep(nullptr);
        }
        std::vector<uint8_t> expected = {kLevel, kBegin, kConfig, kInputDetect};
        const size_t inputs = high ? 4 : 2;
        for (size_t i = 0; i <= inputs; ++i) expected.push_back(kInputStatus);
        if (high) {
            expected.push_back(kOutputDetect);
            for (int i = 0; i <= 6; ++i) expected.push_back(kOutputStatus);
        }
        for (uint8_t c : {kRouting, kOutputMap, kEnd}) expected.push_back(c);
        EXPECT_EQ(s.Commands(), expected);

        // What the unit keeps is what the wizard chose.
        const Frame config = dialogs::BuildInputConfigMessage(r);
        EXPECT_EQ(s.wizard.InputConfig()[0], high ? 2 : 1);
        EXPECT_EQ(std::vector<uint8_t>(s.wizard.InputConfig().begin(), s.wizard.InputConfig().end()),
                  std::vector<uint8_t>(config.begin() + 5, config.end() - 1));
        const Frame routing = dialogs::BuildRoutingMessage(r);
        EXPECT_EQ(std::vector<uint8_t>(s.tuning.Routing().begin(), s.tuning.Routing().end()),
                  std::vector<uint8_t>(routing.begin() + 5, routing.end() - 1));
        // Output 2 the subwoofer with its amplifier.
        EXPECT_EQ(s.wizard.OutputMap()[2], 128);
        EXPECT_EQ(s.wizard.OutputMap()[8], 0x04);
        EXPECT_EQ(s.wizard.LastWizardEnd(), 0);
        EXPECT_EQ(s.host.Results().size(), high ? 2u : 1u);
        for (const Result& res : s.host.Results()) {
            EXPECT_EQ(res.end, 1u);
            EXPECT_EQ(res.status, 0);
        }
        for (int step : steps) {
            const bool kept = step == 1 || step == 5 || step == 6 || step == 8 || step >= 10;
            EXPECT_EQ(s.logic.stepLeft[static_cast<size_t>(step)], kept && step != 13 ? 1 : 0) << step;
        }
    }
}

// The dialog's side on a thread of its own, as the window runs it: it publishes its choices,
// raises the words, watches the counters, cancels a detection; the serving pass runs here.
TEST(WizardServe, TheDialogSideOnAnotherThread) {
    sim::WizardOptions o;
    o.inputsSet = true;
    o.inputs = {0, 1, 2, 3};
    o.intervalMs = 100;
    Served s(o);
    std::atomic<bool> done{false};
    std::atomic<int> seen{0};
    // The unit runs on simulated time, far faster than the dialog's thread looks: once the
    // de-equalization has reported a channel, the serving side holds still (in real time,
    // bounded) until the dialog has seen it and cancelled.
    std::atomic<bool> outputPhase{false};
    auto held = std::make_shared<bool>(false);
    s.h.sleeper.SetOnSleep([&, held](uint32_t) {
        if (*held || !outputPhase || s.logic.completedCount == 0) return;
        *held = true;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (s.logic.stepClosed[8] == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });

    std::thread dialog([&] {
        auto waitCleared = [&](size_t step) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (s.logic.stepLeft[step] != 0 && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        dialogs::WizardIoRecord r = HighLevelSetup();
        s.logic.SetRecord(r);
        s.logic.stepLeft[0] = 1;
        waitCleared(0);
        r.highLevelInput[5] = 5;
        s.logic.SetRecord(r);
        s.logic.stepLeft[2] = 1;
        waitCleared(2);
        s.logic.stepLeft[4] = 1;
        s.host.WaitResults(1);
        seen = s.logic.completedCount.load();
        s.logic.completedCount = 0;
        outputPhase = true;
        s.logic.stepLeft[7] = 1;
        // Cancel the de-equalization once it has reported a channel.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (s.logic.completedCount == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        s.logic.stepClosed[8] = 1;
        s.host.WaitResults(2);
        r.labelCount = 1;
        s.logic.SetRecord(r);
        s.logic.stepClosed[14] = 1;
        done = true;
    });
    // The poll thread's side: serve, and between passes let the simulated time run.
    for (int cycles = 0; cycles < 100000; ++cycles) {
        if (s.Serve() == 0) {
            if (done && s.logic.stepClosed[14] == 0) break;
            s.h.sleeper.SleepMs(25);
            std::this_thread::yield();
        }
    }
    dialog.join();
    EXPECT_EQ(seen, 4);
    const std::vector<Result> results = s.host.Results();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], (Result{ui::MsgInputDetectDone, 1, 0x00}));
    EXPECT_EQ(results[1].message, ui::MsgOutputDetectDone);
    EXPECT_EQ(results[1].end, 0u);
    EXPECT_EQ(s.wizard.InputConfig()[6 + 5], 0x31) << "the record as published before the word rose";
    EXPECT_EQ(s.wizard.LastWizardEnd(), 1);
    EXPECT_EQ(s.host.queries, 1);
}

}  // namespace
