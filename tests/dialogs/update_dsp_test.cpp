// The write-to-device and FINALIZE dialog driven by calls and timer ticks, and its device work on
// the simulated unit.
#include <gtest/gtest.h>

#include "dialogs/update_dsp_logic.h"
#include "link_harness.h"
#include "recording_view.h"
#include "res/resource.h"
#include "ui/messages.h"

using dialogs::DlgButton;
using dialogs::UpdateDspLogic;
using dialogtest::Post;
using dialogtest::RecordingView;

namespace {

struct UpdateFixture : ::testing::Test {
    RecordingView view;
    UpdateDspLogic logic{view};
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) logic.OnTimer();
    }
};

}  // namespace

TEST_F(UpdateFixture, EachWayOfOpeningHasItsFace) {
    const struct {
        const char* name;
        int a, b, c;
        bool question;       // YES and NO offered, nothing running
        uint32_t image;      // the FINALIZE warning, or 0
        const char* text;    // what the face says ("" while running)
    } cases[] = {
        {"write with its question", 0, 0, 0, true, 0, dialogs::kOverwriteQuestion},
        {"FINALIZE with its warning", 1, 0, 0, true, IDB_FINALIZE_WARNING, dialogs::kFinalizeWarningText},
        {"write at once", 0, 1, 0, false, 0, ""},
        {"FINALIZE at once on the way out", 0, 0, 1, false, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingView v;
        UpdateDspLogic l(v);
        l.Start(c.a, c.b, c.c);
        EXPECT_EQ(v.Shown(DlgButton::Yes), c.question);
        EXPECT_EQ(v.Shown(DlgButton::No), c.question);
        EXPECT_EQ(v.Shown(DlgButton::Ok), !c.question);
        EXPECT_FALSE(v.Shown(DlgButton::Close));
        EXPECT_EQ(v.barShown, !c.question);
        EXPECT_EQ(l.Running(), !c.question);
        EXPECT_EQ(l.GetState(), c.question ? 0 : 1);
        EXPECT_EQ(v.image, c.image);
        if (c.image) {
            EXPECT_EQ(v.imageAt, (std::pair<int, int>{39, 35}));
        }
        EXPECT_EQ(v.text, c.text);
        if (!c.question) {
            EXPECT_FALSE(v.Enabled(DlgButton::Ok));
            EXPECT_EQ(v.timerMs, 50u);
        }
        EXPECT_EQ(l.Finalizing(), c.a || c.c);
    }
}

TEST_F(UpdateFixture, NothingRunsBeforeYesAndNoEndsWithoutIt) {
    logic.Start(0, 0, 0);
    Ticks(10);  // no timer runs, and a stray tick changes nothing
    EXPECT_EQ(logic.GetState(), 0);
    logic.OnButton(DlgButton::No);
    EXPECT_EQ(view.ParentPosts(), (std::vector<Post>{{ui::MsgWriteToDevice, 0, 0}}));
    EXPECT_EQ(logic.GetState(), 0);

    logic.Start(1, 0, 0);
    EXPECT_EQ(logic.GetState(), 0);
    logic.OnButton(DlgButton::Yes);
    EXPECT_EQ(logic.GetState(), 1);
    EXPECT_TRUE(view.Shown(DlgButton::Ok));
    EXPECT_FALSE(view.Shown(DlgButton::Yes));
    EXPECT_FALSE(view.Shown(DlgButton::No));
}

TEST_F(UpdateFixture, TheBarCountsUpFrom1To20) {
    logic.Start(0, 1, 0);
    view.bars.clear();
    Ticks(25);
    std::vector<int> expected;
    for (int t = 0; t < 25; ++t) expected.push_back(t % 20 + 1);
    EXPECT_EQ(view.bars, expected);
}

TEST_F(UpdateFixture, AWriteEndsAtState3OrFailsAfter3000Ticks) {
    logic.Start(0, 1, 0);
    logic.SetStateAndSend(nullptr, 2);
    Ticks(40);
    logic.SetStateAndSend(nullptr, 3);
    logic.OnTimer();
    EXPECT_FALSE(logic.Running());
    EXPECT_TRUE(logic.Succeeded());
    EXPECT_EQ(view.text, "'darvix' successfully updated.");
    EXPECT_EQ(view.textBox, UpdateDspLogic::kSuccessBox);
    EXPECT_TRUE(view.Enabled(DlgButton::Ok));
    EXPECT_FALSE(view.Shown(DlgButton::Close));
    EXPECT_EQ(logic.GetState(), 0);

    logic.Start(0, 1, 0);
    logic.SetStateAndSend(nullptr, 2);  // 0xA6 never goes out
    Ticks(2999);
    EXPECT_TRUE(logic.Running());
    logic.OnTimer();
    EXPECT_FALSE(logic.Running());
    EXPECT_FALSE(logic.Succeeded());
    EXPECT_EQ(view.text, "'darvix' update failed.");
    EXPECT_EQ(view.textBox, UpdateDspLogic::kFailureBox);
    logic.OnButton(DlgButton::Ok);
    EXPECT_EQ(view.ParentPosts().back(), (Post{ui::MsgWriteToDevice, 0, 1}));
}

TEST_F(UpdateFixture, FinalizeEndsOnlyByItsResultAndNeedsALowWordOf1) {
    const struct {
        int failed;
        uint32_t result;
        bool success;
    } cases[] = {{0, 1, true}, {0, 0x00050001, true}, {0, 0x00010000, false}, {0, 0, false}, {1, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        logic.Start(1, 0, 0);
        logic.OnButton(DlgButton::Yes);
        logic.SetStateAndSend(nullptr, 3);  // the state alone does not end a FINALIZE
        Ticks(5000);
        EXPECT_TRUE(logic.Running());
        logic.OnFinalizeResult(c.failed, c.result);
        EXPECT_FALSE(logic.Running());
        EXPECT_EQ(logic.Succeeded(), c.success);
        EXPECT_EQ(view.text, c.success ? dialogs::kUpdateSuccessText : dialogs::kUpdateFailureText);
        logic.OnFinalizeResult(0, 1);  // a second, late result changes nothing
        EXPECT_EQ(logic.Succeeded(), c.success);
    }
}

TEST_F(UpdateFixture, AFailedFinalizeOnTheWayOutSaysTheChangesWereKept) {
    logic.Start(0, 0, 1);
    EXPECT_TRUE(logic.Closing());
    logic.OnFinalizeResult(0, 0);
    EXPECT_EQ(view.text, dialogs::kUpdateFailedKeptText);
    EXPECT_LE(std::string(dialogs::kUpdateFailedKeptText).size(), 120u);
    logic.Start(0, 0, 1);
    logic.OnFinalizeResult(0, 1);
    EXPECT_EQ(view.text, dialogs::kUpdateSuccessText);
}

// ---- the device work, on the simulated unit ---------------------------------------------------

namespace {

struct DeviceFixture : ::testing::Test {
    void Open(sim::UnitConfig config = {}, sim::Faults faults = {}) {
        h.AddUnit(config);
        link = h.MakeLink();
        ASSERT_EQ(link->Open(1), 1);
        {
            auto g = h.bus.Lock();
            h.bus.unit(0).faults() = faults;
        }
        h.bus.ClearTraces();
        h.notifier.Clear();
    }
    std::vector<uint8_t> Commands() {
        std::vector<uint8_t> out;
        for (const auto& f : h.bus.FramesFromPc(0)) out.push_back(f[4]);
        return out;
    }

    linktest::SimHarness h;
    RecordingView view;
    UpdateDspLogic logic{view};
    std::unique_ptr<devlink::UsbLink> link;
};

}  // namespace

TEST_F(DeviceFixture, AWriteBracketedByA5AndA6Succeeds) {
    Open();
    logic.Start(0, 1, 0);
    logic.SetStateAndSend(link.get(), 2);
    link->Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::WorkingMode));
    logic.SetStateAndSend(link.get(), 3);
    logic.OnTimer();
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xA5, 0xCF, 0xA6}));
    EXPECT_TRUE(logic.Succeeded());
}

TEST_F(DeviceFixture, AWriteOverALinkThatFailedOnTheWayFails) {
    sim::Faults f;
    f.unplugOnCommand = 0xA5;
    Open({}, f);
    logic.Start(0, 1, 0);
    logic.SetStateAndSend(link.get(), 2);
    link->Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::WorkingMode));
    logic.SetStateAndSend(link.get(), 3);
    logic.OnTimer();
    EXPECT_FALSE(logic.Succeeded());
    EXPECT_EQ(view.text, dialogs::kUpdateFailureText);
    EXPECT_EQ(h.notifier.Posts(devlink::kMsgLinkFailed).size(), 1u);

    // Closed under it: the same.
    logic.Start(0, 1, 0);
    link->Close();
    logic.SetStateAndSend(link.get(), 2);
    logic.SetStateAndSend(link.get(), 3);
    logic.OnTimer();
    EXPECT_FALSE(logic.Succeeded());
}

TEST_F(DeviceFixture, RunFinalizeReportsTheResultWordItsReplyCarries) {
    const struct {
        uint16_t deviceResult;
        uintptr_t failed;
        intptr_t word;
    } cases[] = {{1, 0, 1}, {0, 0, 0}, {0x0102, 0, 0x00010002}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deviceResult);
        linktest::SimHarness local;
        sim::UnitConfig unit;
        unit.finalizeResult = c.deviceResult;
        local.AddUnit(unit);
        auto l = local.MakeLink();
        ASSERT_EQ(l->Open(1), 1);
        RecordingView v;
        UpdateDspLogic logic(v);
        logic.Start(1, 0, 0);
        logic.OnButton(DlgButton::Yes);
        l->SetReceiveGate(1);
        logic.RunFinalize(*l);
        EXPECT_EQ(logic.GetState(), 3);
        EXPECT_EQ(v.SelfPosts(), (std::vector<Post>{{ui::MsgFinalizeResult, c.failed, c.word}}));
        EXPECT_EQ(l->ReceiveGateClosed(), 1);
    }
}

TEST_F(DeviceFixture, AStaleResultIsDroppedBeforeTheRequest) {
    sim::UnitConfig unit;
    unit.finalizeResult = 0;
    Open(unit);
    // A success left in the list by an earlier exchange.
    h.bus.InjectToPc(0, linktest::Bytes({0x5A, 0x46, 0x00, 0x09, 0xCB, 0x00, 0x01, 0x00, 0x75}));
    h.sleeper.SleepMs(1);
    ASSERT_EQ(link->ReceivedCount(), 1u);
    logic.Start(1, 0, 0);
    logic.OnButton(DlgButton::Yes);
    logic.RunFinalize(*link);
    EXPECT_EQ(view.SelfPosts(), (std::vector<Post>{{ui::MsgFinalizeResult, 0, 0}}));
}

TEST_F(DeviceFixture, AUnitUnpluggedByFinalizeEndsItAtOnce) {
    sim::Faults f;
    f.unplugOnCommand = 0xC9;
    Open({}, f);
    logic.Start(0, 0, 1);
    const uint64_t start = h.clock.NowMs();
    logic.RunFinalize(*link);
    // The gate's two settles, the request's pacing and one poll: not two minutes.
    EXPECT_LE(h.clock.NowMs() - start, 200u + 70u + 15u + 200u);
    EXPECT_EQ(view.SelfPosts(), (std::vector<Post>{{ui::MsgFinalizeResult, 1, 0}}));
    EXPECT_EQ(h.notifier.Posts(devlink::kMsgLinkFailed).size(), 1u);
    logic.OnFinalizeResult(1, 0);
    EXPECT_EQ(view.text, dialogs::kUpdateFailedKeptText);
}
