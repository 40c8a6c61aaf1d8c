// The read-back's wait dialog driven by calls and timer ticks: the bar, the 180 s limit, the two
// faces of the result and the answers the main window gets.
#include <gtest/gtest.h>

#include "dialogs/sync_dsp_logic.h"
#include "recording_view.h"
#include "res/resource.h"
#include "ui/messages.h"

using dialogs::DlgButton;
using dialogs::SyncDspLogic;
using dialogtest::Post;
using dialogtest::RecordingView;

namespace {

struct SyncFixture : ::testing::Test {
    RecordingView view;
    SyncDspLogic logic{view};
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) logic.OnTimer();
    }
};

}  // namespace

TEST_F(SyncFixture, StartRunsTheBarWithOkWaitingDisabled) {
    logic.Start();
    EXPECT_TRUE(view.Shown(DlgButton::Ok));
    EXPECT_FALSE(view.Enabled(DlgButton::Ok));
    EXPECT_FALSE(view.Shown(DlgButton::Close));
    EXPECT_TRUE(view.barShown);
    EXPECT_EQ(view.bar, 0);
    EXPECT_EQ(view.timerMs, 75u);
    EXPECT_TRUE(view.ParentPosts().empty());
}

TEST_F(SyncFixture, TheBarCountsDownFrom19To0AndRepeats) {
    logic.Start();
    view.bars.clear();
    Ticks(45);
    std::vector<int> expected;
    for (int t = 0; t < 45; ++t) expected.push_back(19 - t % 20);
    EXPECT_EQ(view.bars, expected);
}

TEST_F(SyncFixture, After180SecondsOfTicksTheDialogFailsAndEachRetryHasItsOwn) {
    logic.Start();
    Ticks(2399);  // 179.925 s
    EXPECT_TRUE(logic.Running());
    logic.Start();  // a retry: the count starts again
    Ticks(2399);
    EXPECT_TRUE(logic.Running());
    logic.OnTimer();  // 2400 x 75 ms = 180 s
    EXPECT_FALSE(logic.Running());
    EXPECT_EQ(view.timerMs, 0u);
    EXPECT_EQ(view.skin, static_cast<uint32_t>(IDB_SYNC_FAILED_BG));
    EXPECT_EQ(view.text, dialogs::kSyncFailureText);
    // Further ticks (a timer message already queued) change nothing.
    const auto bars = view.bars.size();
    Ticks(3);
    EXPECT_EQ(view.bars.size(), bars);
}

TEST_F(SyncFixture, SuccessFaceAndItsAnswers) {
    logic.Start();
    Ticks(7);
    logic.ShowResult(1);
    EXPECT_EQ(view.text, "Synchronization to 'darvix' completed with success.");
    EXPECT_FALSE(view.barShown);
    EXPECT_TRUE(view.Shown(DlgButton::Close));
    EXPECT_TRUE(view.Shown(DlgButton::Ok));
    EXPECT_TRUE(view.Enabled(DlgButton::Ok));
    EXPECT_EQ(view.timerMs, 0u);
    logic.OnButton(DlgButton::Ok);
    logic.OnButton(DlgButton::Close);
    EXPECT_EQ(view.ParentPosts(), (std::vector<Post>{{ui::MsgReadFromDevice, 0, 0}, {ui::MsgReadFromDevice, 0, 0}}));
}

TEST_F(SyncFixture, FailureFaceOffersOnlyOkOnTheLargerSkinAndOkQuits) {
    logic.Start();
    logic.ShowResult(0);
    EXPECT_EQ(view.skin, static_cast<uint32_t>(IDB_SYNC_FAILED_BG));
    EXPECT_EQ(view.text, dialogs::kSyncFailureText);
    EXPECT_LE(std::string(dialogs::kSyncFailureText).size(), 500u);
    EXPECT_FALSE(view.Shown(DlgButton::Close));
    EXPECT_TRUE(view.Shown(DlgButton::Ok));
    EXPECT_TRUE(view.Enabled(DlgButton::Ok));
    EXPECT_EQ(view.place[DlgButton::Ok], (std::pair<int, int>{157, 420}));
    logic.OnButton(DlgButton::Ok);
    EXPECT_EQ(view.ParentPosts(), (std::vector<Post>{{ui::MsgReadFromDevice, 0, 1}}));
}

TEST_F(SyncFixture, ALateResultAfterTheLimitIsIgnoredAndANewStartRestoresTheOrdinaryFace) {
    logic.Start();
    Ticks(2400);
    logic.ShowResult(1);  // the read-back reported after all
    EXPECT_EQ(view.text, dialogs::kSyncFailureText);
    EXPECT_EQ(logic.State(), 0);
    logic.Start();
    EXPECT_EQ(view.skin, static_cast<uint32_t>(IDB_DIALOG_BG));
    EXPECT_EQ(view.place[DlgButton::Ok], (std::pair<int, int>{110, 160}));
    EXPECT_TRUE(view.text.empty());
}
