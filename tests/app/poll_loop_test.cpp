#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/poll_loop.h"
#include "dialogs/scan_port_logic.h"
#include "link/notifier.h"
#include "sim/bus.h"
#include "sim/d2xx.h"
#include "sim/stepping_sleeper.h"

using namespace app;
using devlink::RecordingNotifier;

namespace {

class RecordingHost : public PollHost {
public:
    int32_t GetComSetting() override { return com.load(); }
    void SetComSetting(int32_t n) override {
        com = n;
        Note("com " + std::to_string(n));
    }
    void DumpDeviceState(devlink::UsbLink&) override { Note("dump"); }
    void SendResetDevice(devlink::UsbLink&) override { Note("reset"); }
    void SendWorkingMode(devlink::UsbLink&) override { Note("mode"); }
    bool DynEqDialogExists() override { return true; }
    void DynEqSendPending(devlink::UsbLink& link) override {
        gateClosedAtDynEq = link.ReceiveGateClosed();
        Note("dyneq");
    }
    bool WizardExists() override { return true; }
    int WizardServeRequests(devlink::UsbLink& link) override {
        Note("wizard");
        if (wizard) return wizard(link);
        return wizardSends;
    }
    int ScanStep(devlink::UsbLink& link) override {
        scanSteps++;
        if (scan) return scan(link);
        Note("scan");
        return 0;
    }
    bool UpdateDialogExists() override { return true; }
    int UpdateDialogState() override { return updateState.load(); }
    void UpdateSetStateAndSend(devlink::UsbLink&, int state) override { Note("update " + std::to_string(state)); }
    void RunFinalize(devlink::UsbLink&) override { Note("finalize"); }
    bool FirmwareDialogExists() override { return true; }
    int FirmwarePhase() override { return 0; }
    void RunFirmwareUpdate(devlink::UsbLink&) override { Note("firmware"); }
    void MarkAllDirty() override { Note("mark all"); }
    void SendRoutingAndSources(devlink::UsbLink&) override { Note("routing"); }
    void SendAllPending(devlink::UsbLink&) override { Note("send pending"); }
    void RequestExternalSourceResend(devlink::UsbLink&) override { Note("ext resend"); }
    void IdleSenders(devlink::UsbLink& link) override {
        gateClosedAtIdle = link.ReceiveGateClosed();
        idleCycles++;
    }

    void Note(const std::string& what) {
        std::lock_guard<std::mutex> g(lock);
        calls.push_back(what);
    }
    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> g(lock);
        return calls;
    }
    bool Called(const std::string& what) {
        for (const auto& c : Calls())
            if (c == what) return true;
        return false;
    }

    std::atomic<int32_t> com{1};
    std::atomic<int> updateState{0};
    std::atomic<int> idleCycles{0};
    std::atomic<int> gateClosedAtIdle{-1};
    std::atomic<int> gateClosedAtDynEq{-1};
    int wizardSends = 0;
    std::atomic<int> scanSteps{0};
    std::function<int(devlink::UsbLink&)> scan;  // the scan's step, when a test runs one
    std::function<int(devlink::UsbLink&)> wizard;  // the wizard's pass, when a test runs one
    std::mutex lock;
    std::vector<std::string> calls;
};

// A loop on the simulated bus, run on its own thread; time is simulated, so 3 s handshakes and
// 30 s read-backs pass in moments.
class PollLoopTest : public ::testing::Test {
protected:
    PollLoopTest() {
        sim::AttachD2xx(&bus);
        sim::FillFtdiTable(table);
    }
    ~PollLoopTest() override {
        if (thread.joinable()) {
            loop->Stop();
            thread.join();
        }
        sim::AttachD2xx(nullptr);
    }

    void Start(PollConfig config = {}) {
        config.ftdi = &table;
        config.clock = &clock;
        config.versionMajor = 1;
        config.versionMinor = 5;
        config.onLinkCreated = [this](devlink::UsbLink& link) {
            link.SetTrace(nullptr);
            devlink::UsbLink* p = &link;
            sleeper.SetReceiver([p] { return p->ReceiverIdleCount(); });
        };
        loop = std::make_unique<PollLoop>(requests, host, notifier, sleeper, config);
        thread = std::thread([this] { loop->Run(); });
    }

    // Waits in real time (bounded) for a condition that the loop brings about.
    bool WaitFor(const std::function<bool()>& done, int seconds = 20) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    bool Posted(uint32_t message, uintptr_t w) {
        for (const auto& p : notifier.Posts(message))
            if (p.wParam == w) return true;
        return false;
    }

    // Runs a wizard pass that waits for a status with no time-out, then ends it by going
    // offline or by stopping: the wait ends, and the loop.
    void EndAWaitWithoutTimeOut(bool offline) {
        bus.AddUnit();
        std::atomic<int> waiting{0}, ended{-1};
        host.wizard = [&](devlink::UsbLink& link) {
            if (ended.load() != -1) return 0;
            link.SetReceiveGate(0);
            uint8_t status[7];
            waiting = 1;
            ended = link.WaitResponse(0x86, status, sizeof status, -1, true, nullptr) ? 1 : 0;
            return 1;
        };
        Start();
        EXPECT_TRUE(WaitFor([&] { return waiting.load() == 1; }));
        if (offline) {
            loop->SetOnline(false);
        } else {
            loop->Stop();
        }
        // Bounded: should the wait go on, stopping ends it before the thread is joined.
        const bool over = WaitFor([&] { return ended.load() != -1; });
        EXPECT_TRUE(over);
        if (!over) loop->Stop();
        thread.join();
        EXPECT_EQ(ended.load(), 0);
        host.wizard = nullptr;
    }

    bool Ended() {
        thread.join();
        return true;
    }

    os::ManualClock clock{1000};
    sim::Bus bus{clock};
    sim::SteppingSleeper sleeper{clock, bus};
    devlink::FtdiApiTable table;
    RecordingNotifier notifier;
    RecordingHost host;
    PollRequests requests;
    std::unique_ptr<PollLoop> loop;
    std::thread thread;
};

}  // namespace

TEST_F(PollLoopTest, IdleCyclesSendWithTheGateClosed) {
    bus.AddUnit();
    Start();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 3; }));
    EXPECT_EQ(host.gateClosedAtIdle.load(), 1);
    loop->Stop();
    thread.join();
    EXPECT_TRUE(notifier.Posts(kMsgQuit).empty());
}

TEST_F(PollLoopTest, ReadBackPostsTheRemoteVersionAndTheResult) {
    bus.AddUnit();
    requests.readFromDevice = 1;
    Start();
    ASSERT_TRUE(WaitFor([&] { return !notifier.Posts(kMsgReadBackDone).empty(); }));
    EXPECT_TRUE(Posted(kMsgReadBackDone, 1));
    EXPECT_TRUE(Posted(kMsgRemoteVersion, 0x0205));
    EXPECT_EQ(requests.readDone.load(), 1u);
    // While the request stays set nothing below it runs.
    const int idle = host.idleCycles.load();
    clock.Advance(0);
    ASSERT_TRUE(WaitFor([&] { return clock.NowMs() > 60000; }));
    EXPECT_EQ(host.idleCycles.load(), idle);
    EXPECT_EQ(notifier.Posts(kMsgReadBackDone).size(), 1u);
}

TEST_F(PollLoopTest, AnIncompleteReadBackReportsZero) {
    sim::UnitConfig unit;
    unit.readAll = sim::ReadAllOutcome::Incomplete;
    bus.AddUnit(unit);
    requests.readFromDevice = 1;
    Start();
    ASSERT_TRUE(WaitFor([&] { return !notifier.Posts(kMsgReadBackDone).empty(); }));
    EXPECT_TRUE(Posted(kMsgReadBackDone, 0));
}

// The unit's read-all reply says complete with any non-zero byte 5; the main window hears 1.
TEST_F(PollLoopTest, AnyNonZeroReadAllResultIsComplete) {
    const struct {
        uint8_t byte;
        uintptr_t posted;
    } cases[] = {{2, 1}, {0xFF, 1}, {1, 1}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        os::ManualClock localClock{1000};
        sim::Bus localBus{localClock};
        sim::SteppingSleeper localSleeper{localClock, localBus};
        sim::AttachD2xx(&localBus);
        sim::SimUnit& unit = localBus.AddUnit();
        {
            auto g = localBus.Lock();
            unit.SetHandler(0x92, [b = c.byte](sim::SimUnit& u, const devlink::Frame& request) {
                u.Reply(request, sim::SimUnit::BuildReply(0x46, 0x93, {b}));
            });
        }
        RecordingNotifier posts;
        RecordingHost localHost;
        PollRequests r;
        r.readFromDevice = 1;
        PollConfig config;
        config.ftdi = &table;
        config.clock = &localClock;
        config.versionMajor = 1;
        config.versionMinor = 5;
        config.onLinkCreated = [&](devlink::UsbLink& link) {
            link.SetTrace(nullptr);
            devlink::UsbLink* p = &link;
            localSleeper.SetReceiver([p] { return p->ReceiverIdleCount(); });
        };
        PollLoop local(r, localHost, posts, localSleeper, config);
        std::thread t([&] { local.Run(); });
        EXPECT_TRUE(WaitFor([&] { return !posts.Posts(kMsgReadBackDone).empty(); }));
        local.Stop();
        t.join();
        const auto done = posts.Posts(kMsgReadBackDone);
        ASSERT_EQ(done.size(), 1u);
        EXPECT_EQ(done[0].wParam, c.posted);
        sim::AttachD2xx(&bus);
    }
}

TEST_F(PollLoopTest, StopEndsAReplyWaitInProgress) {
    sim::UnitConfig unit;
    unit.readAll = sim::ReadAllOutcome::None;  // the 30 s wait would run to its end
    bus.AddUnit(unit);
    requests.readFromDevice = 1;
    // Once the read-all request is on the line, stop the loop from its own thread's next pause,
    // so that the time is read where the stop happens rather than whenever this thread wakes.
    std::atomic<uint64_t> at{0};
    sleeper.SetOnSleep([&](uint32_t) {
        if (at.load() != 0) return;
        for (const auto& f : bus.FramesFromPc(0))
            if (f.size() > 4 && f[4] == 0x92) {
                at = clock.NowMs();
                loop->Stop();
            }
    });
    Start();
    ASSERT_TRUE(WaitFor([&] { return at.load() != 0; }));
    thread.join();
    // The wait ends at its next poll; the rest is the loop's own way out (gate, disconnect).
    EXPECT_LT(clock.NowMs() - at.load(), 1000u);
    EXPECT_TRUE(notifier.Posts(kMsgReadBackDone).empty() || Posted(kMsgReadBackDone, 0));
}

TEST_F(PollLoopTest, AFirmwareMismatchOnOpenQuitsWith16) {
    sim::UnitConfig unit;
    unit.firmware = {0, 0, 7, 1};  // 1.7: newer than the program's 1.5
    bus.AddUnit(unit);
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(Posted(kMsgQuit, 16));
    ASSERT_EQ(notifier.Boxes().size(), 1u);
    EXPECT_EQ(notifier.Boxes()[0].title, "Warning");
}

TEST_F(PollLoopTest, RescueSkipsTheFirmwareCheckAndEndsTheUpdateBracket) {
    sim::UnitConfig unit;
    unit.firmware = {0, 0, 7, 1};
    bus.AddUnit(unit);
    PollConfig config;
    config.rescue = true;
    Start(config);
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 2; }));
    loop->Stop();
    thread.join();
    EXPECT_TRUE(notifier.Posts(kMsgQuit).empty());
    EXPECT_TRUE(host.Called("update 3"));
}

TEST_F(PollLoopTest, AChangeToAMissingDeviceReopensTheStoredOneAndGivesTheWindowBack) {
    bus.AddUnit();
    Start();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 1; }));
    requests.connectDevice = 5;
    ASSERT_TRUE(WaitFor([&] { return requests.connectDevice.load() == 0; }));
    ASSERT_TRUE(WaitFor([&] { return Posted(kMsgEnableMain, 1); }));
    EXPECT_TRUE(Posted(kMsgEnableMain, 0));
    EXPECT_TRUE(notifier.Posts(kMsgReadFromDevice).empty());
    EXPECT_EQ(host.com.load(), 1);
    const int idle = host.idleCycles.load();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() > idle; })) << "the stored device is open again";
}

TEST_F(PollLoopTest, AChangeToASecondUnitStoresItAndAsksForItsTuning) {
    bus.AddUnit();
    sim::UnitConfig second;
    second.description = "Darvix B";
    second.serial = "DX000002";
    bus.AddUnit(second);
    Start();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 1; }));
    requests.connectDevice = 2;
    ASSERT_TRUE(WaitFor([&] { return Posted(kMsgReadFromDevice, 1); }));
    EXPECT_EQ(host.com.load(), 2);
    EXPECT_TRUE(host.Called("com 2"));
    EXPECT_FALSE(Posted(kMsgEnableMain, 1));
}

TEST_F(PollLoopTest, OneShotRequestsAndPriorities) {
    bus.AddUnit();
    Start();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 1; }));
    requests.hotKeyDump = 1;
    requests.restartDevice = 1;
    requests.workingModeChanged = 1;
    ASSERT_TRUE(WaitFor([&] { return Posted(kMsgRestartBox, 0) && host.Called("mode") && host.Called("dump"); }));
    EXPECT_EQ(requests.restartDevice.load(), 0u);
    EXPECT_EQ(requests.hotKeyDump.load(), 0u);
    EXPECT_TRUE(host.Called("reset"));

    // Dynamic equalisation takes every cycle, with the gate closed, until it is cleared.
    requests.dynEqSend = 1;
    requests.sendAll = 1;
    ASSERT_TRUE(WaitFor([&] { return host.Called("dyneq"); }));
    EXPECT_EQ(host.gateClosedAtDynEq.load(), 1);
    EXPECT_FALSE(host.Called("update 2"));
    requests.dynEqSend = 0;
    // The write waits for its dialog's state, then runs the bracket once per cycle.
    host.updateState = 1;
    ASSERT_TRUE(WaitFor([&] { return host.Called("update 3"); }));
    const auto calls = host.Calls();
    auto at = [&](const std::string& what) { return std::find(calls.begin(), calls.end(), what) - calls.begin(); };
    EXPECT_LT(at("update 2"), at("mark all"));
    EXPECT_LT(at("mark all"), at("send pending"));
    EXPECT_LT(at("send pending"), at("update 3"));
    EXPECT_EQ(at("routing"), static_cast<long>(calls.size())) << "no routing resend was asked";
}

TEST_F(PollLoopTest, GoingOfflineEndsTheLoopAndSendsTheDisconnect) {
    bus.AddUnit();
    Start();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 1; }));
    loop->SetOnline(false);
    thread.join();
    const auto frames = bus.FramesFromPc(0);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2][4], 0x35);
    EXPECT_EQ(frames.back()[4], 0x35);
    EXPECT_EQ(loop->LastGoodDevice(), 1);
}

// A wizard's detection waits for its unit without a time-out; the program going offline, or
// ending, ends that wait, and the loop with it.
TEST_F(PollLoopTest, GoingOfflineEndsAWaitWithoutTimeOut) { EndAWaitWithoutTimeOut(true); }
TEST_F(PollLoopTest, StoppingEndsAWaitWithoutTimeOut) { EndAWaitWithoutTimeOut(false); }

namespace {

// The scan's reports from the poll thread, kept for the test thread that plays the dialog.
class ScanReports : public dialogs::ScanReport, public dialogs::ComSetting {
public:
    void Progress(int) override {}
    void Found(int n) override { found = n; }
    void EndOfNumbers() override {}
    void Outcome(int o) override { outcome = o; }
    int32_t Get() override { return com.load(); }
    void Set(int32_t n) override { com = n; }
    std::atomic<int> found{-1};
    std::atomic<int> outcome{-1};
    std::atomic<int32_t> com{1};
};

}  // namespace

TEST_F(PollLoopTest, CyclesAfterTheScansFinishKeepTheLinkOpen) {
    // The main window clears the scan request only when the outcome reaches it; the cycles in
    // between must not take the link for closed, or no read-back and no idle sending follow.
    bus.AddUnit();
    dialogs::ScanPortLogic logic(&table);
    ScanReports reports;
    host.scan = [&](devlink::UsbLink& link) { return logic.ScanStep(link, reports, reports, sleeper); };
    Start();
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= 1; }));
    logic.StartScan();
    requests.scan = 1;
    ASSERT_TRUE(WaitFor([&] { return reports.found.load() == 1; }));
    logic.OnScanMessage(1, 1);
    EXPECT_EQ(logic.OnButton(dialogs::ScanButton::Ok), -1);
    ASSERT_TRUE(WaitFor([&] { return reports.outcome.load() == 1; }));
    const int steps = host.scanSteps.load();
    ASSERT_TRUE(WaitFor([&] { return host.scanSteps.load() >= steps + 3; }));
    const int idle = host.idleCycles.load();
    requests.scan = 0;
    ASSERT_TRUE(WaitFor([&] { return host.idleCycles.load() >= idle + 3; }));
    loop->Stop();
    thread.join();
}
