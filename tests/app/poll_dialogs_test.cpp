// The poll thread serving the write-to-device dialog and the read-back on the simulated unit, with
// the dialog's real logic behind the host: the order of a write, FINALIZE's outcomes, and a
// read-back of an unplugged unit that ends each wait at its first poll.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "app/poll_loop.h"
#include "dialogs/update_dsp_logic.h"
#include "link/notifier.h"
#include "sim/bus.h"
#include "sim/d2xx.h"
#include "sim/stepping_sleeper.h"
#include "../dialogs/recording_view.h"
#include "ui/messages.h"

using namespace app;

namespace {

// Every page's full send stands in as three working-mode frames.
class DialogHost : public PollHost {
public:
    explicit DialogHost(dialogs::UpdateDspLogic& update) : update_(update) {}
    int32_t GetComSetting() override { return 1; }
    void SetComSetting(int32_t) override {}
    void DumpDeviceState(devlink::UsbLink&) override {}
    void SendResetDevice(devlink::UsbLink&) override {}
    void SendWorkingMode(devlink::UsbLink&) override {}
    bool DynEqDialogExists() override { return true; }
    void DynEqSendPending(devlink::UsbLink&) override {}
    bool WizardExists() override { return true; }
    int WizardServeRequests(devlink::UsbLink&) override { return 0; }
    int ScanStep(devlink::UsbLink&) override { return 0; }
    bool UpdateDialogExists() override { return true; }
    int UpdateDialogState() override { return update_.GetState(); }
    void UpdateSetStateAndSend(devlink::UsbLink& link, int state) override { update_.SetStateAndSend(&link, state); }
    void RunFinalize(devlink::UsbLink& link) override { update_.RunFinalize(link); }
    bool FirmwareDialogExists() override { return true; }
    int FirmwarePhase() override { return 0; }
    void RunFirmwareUpdate(devlink::UsbLink&) override {}
    void MarkAllDirty() override { marked = true; }
    void SendRoutingAndSources(devlink::UsbLink&) override {}
    void SendAllPending(devlink::UsbLink& link) override {
        for (int i = 0; i < 3; ++i)
            link.Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::WorkingMode));
    }
    void RequestExternalSourceResend(devlink::UsbLink&) override {}
    void IdleSenders(devlink::UsbLink&) override { ++idle; }

    std::atomic<bool> marked{false};
    std::atomic<int> idle{0};

private:
    dialogs::UpdateDspLogic& update_;
};

class PollDialogTest : public ::testing::Test {
protected:
    PollDialogTest() {
        sim::AttachD2xx(&bus);
        sim::FillFtdiTable(table);
    }
    ~PollDialogTest() override {
        if (thread.joinable()) {
            loop->Stop();
            thread.join();
        }
        sim::AttachD2xx(nullptr);
    }
    void Start() {
        PollConfig config;
        config.ftdi = &table;
        config.versionMajor = 1;
        config.versionMinor = 5;
        config.onLinkCreated = [this](devlink::UsbLink& link) {
            link.SetTrace(nullptr);
            devlink::UsbLink* p = &link;
            sleeper.SetReceiver([p] { return p->ReceiverIdleCount(); });
        };
        loop = std::make_unique<PollLoop>(requests, host, notifier, sleeper, config);
        thread = std::thread([this] { loop->Run(); });
        ASSERT_TRUE(WaitFor([&] { return host.idle.load() > 0; }));
    }
    bool WaitFor(const std::function<bool()>& done, int seconds = 20) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    std::vector<uint8_t> CommandsAfter(size_t from) {
        std::vector<uint8_t> out;
        const auto frames = bus.FramesFromPc(0);
        for (size_t i = from; i < frames.size(); ++i) out.push_back(frames[i][4]);
        return out;
    }

    os::ManualClock clock{1000};
    sim::Bus bus{clock};
    sim::SteppingSleeper sleeper{clock, bus};
    devlink::FtdiApiTable table;
    devlink::RecordingNotifier notifier;
    dialogtest::RecordingView view;
    dialogs::UpdateDspLogic update{view};
    DialogHost host{update};
    PollRequests requests;
    std::unique_ptr<PollLoop> loop;
    std::thread thread;
};

}  // namespace

TEST_F(PollDialogTest, AWriteIsBracketedAndEndsInSuccess) {
    bus.AddUnit();
    Start();
    const size_t before = bus.FramesFromPc(0).size();
    update.Start(0, 0, 0);  // the question: nothing may go out yet
    requests.sendAll = 1;
    const uint64_t asked = clock.NowMs();
    ASSERT_TRUE(WaitFor([&] { return clock.NowMs() > asked + 2000; }));
    EXPECT_TRUE(CommandsAfter(before).empty());
    update.OnButton(dialogs::DlgButton::Yes);
    ASSERT_TRUE(WaitFor([&] { return update.GetState() == 3; }));
    EXPECT_TRUE(host.marked.load());
    EXPECT_EQ(CommandsAfter(before), (std::vector<uint8_t>{0xA5, 0xCF, 0xCF, 0xCF, 0xA6}));
    update.OnTimer();
    EXPECT_TRUE(update.Succeeded());
}

TEST_F(PollDialogTest, AWriteWhoseUnitVanishesMidwayFails) {
    sim::Faults f;
    f.unplugAfterCommand = 0xA5;
    f.unplugAfterCount = 2;
    bus.AddUnit();
    {
        auto g = bus.Lock();
        bus.unit(0).faults() = f;
    }
    Start();
    update.Start(0, 1, 0);
    requests.sendAll = 1;
    ASSERT_TRUE(WaitFor([&] { return update.GetState() == 3; }));
    update.OnTimer();
    EXPECT_FALSE(update.Succeeded());
    EXPECT_EQ(view.text, dialogs::kUpdateFailureText);
    EXPECT_EQ(notifier.Posts(ui::MsgLinkFailed).size(), 1u);
}

TEST_F(PollDialogTest, FinalizeWaitsForItsLateResult) {
    sim::UnitConfig unit;
    unit.finalizeDelayMs = 5000;
    bus.AddUnit(unit);
    Start();
    update.Start(1, 0, 0);
    requests.finalize = 1;
    const uint64_t asked = clock.NowMs();
    update.OnButton(dialogs::DlgButton::Yes);
    ASSERT_TRUE(WaitFor([&] { return !view.SelfPosts().empty(); }));
    EXPECT_GE(clock.NowMs() - asked, 5000u);
    const auto post = view.SelfPosts().back();
    EXPECT_EQ(post, (dialogtest::Post{ui::MsgFinalizeResult, 0, 1}));
    update.OnFinalizeResult(static_cast<int>(post.wParam), static_cast<uint32_t>(post.lParam));
    EXPECT_TRUE(update.Succeeded());
    EXPECT_EQ(view.SelfPosts().size(), 1u);  // served once
}

TEST_F(PollDialogTest, FinalizeWithAFailingResult) {
    sim::UnitConfig unit;
    unit.finalizeResult = 0;
    bus.AddUnit(unit);
    Start();
    update.Start(0, 0, 1);
    requests.finalize = 1;
    ASSERT_TRUE(WaitFor([&] { return !view.SelfPosts().empty(); }));
    EXPECT_EQ(view.SelfPosts().back(), (dialogtest::Post{ui::MsgFinalizeResult, 0, 0}));
    update.OnFinalizeResult(0, 0);
    EXPECT_EQ(view.text, dialogs::kUpdateFailedKeptText);
}

TEST_F(PollDialogTest, AReadBackOfAnUnpluggedUnitFailsThriceWithoutWaitingOut) {
    bus.AddUnit();
    Start();
    bus.Unplug(0);
    sleeper.Clear();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        requests.readDone = 0;
        requests.readFromDevice = 1;
        ASSERT_TRUE(WaitFor([&] { return notifier.Posts(kMsgReadBackDone).size() == static_cast<size_t>(attempt); }));
        EXPECT_EQ(notifier.Posts(kMsgReadBackDone).back().wParam, 0u);
    }
    // The 15 ms pauses: the first write's ten tries to switch the parity, then one poll for each
    // of an attempt's two waits, not the 66 and 2000 polls of their time-outs.
    EXPECT_EQ(sleeper.Count(15), 10u + 3u * 2u);
    EXPECT_EQ(sleeper.Count(1000), 3u);
    EXPECT_EQ(sleeper.Count(1500), 3u);
    EXPECT_EQ(notifier.Posts(ui::MsgLinkFailed).size(), 1u);
}
