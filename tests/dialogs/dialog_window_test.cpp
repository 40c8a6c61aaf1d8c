// The read-back, write and exit dialogs as windows under Wine, driven by messages: their buttons'
// clicks (0x8020), timer ticks (WM_TIMER), FINALIZE's result (0x803E); what shows where, the bar,
// the skins, the window texts; and a picture of every face:
//   bash scripts/wine-ctest.sh build/win64 -R DialogWindows
// writes build/win64/tests/dialogs/screenshots/*.bmp (or $DARVIX_SCREENSHOTS).
#include <gtest/gtest.h>

#include <string>

#include "dialogs/exit_dlg.h"
#include "dialogs/sync_dsp_dlg.h"
#include "dialogs/update_dsp_dlg.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"
#include "ui/text.h"

using dialogs::DlgButton;

namespace {

using uitest::Text;
using uitest::Enabled;
using uitest::PlaceIn;
using uitest::SizeOf;
using uitest::Visible;

class DialogWindows : public uitest::DialogTest {
protected:
    void Press(dialogs::DialogWindow& d, DlgButton b) {
        PostMessageA(d.GetHwnd(), ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(d.ButtonWindow(b)));
        uitest::Pump();
    }
    void Tick(dialogs::DialogWindow& d, int n) {
        for (int i = 0; i < n; ++i) SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::DialogWindow::kTimerId, 0);
    }
    void Shot(dialogs::DialogWindow& d, const char* name) {
        ShowWindow(d.GetHwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(d.GetHwnd());
        uitest::Pump();
        const SIZE s = SizeOf(d.GetHwnd());
        HDC dc = GetDC(d.GetHwnd());
        const std::string path = uitest::ScreenshotFolder() + "\\" + name + ".bmp";
        EXPECT_TRUE(uitest::SaveBmp(dc, RECT{0, 0, s.cx, s.cy}, path)) << path;
        ReleaseDC(d.GetHwnd(), dc);
    }
    std::vector<uitest::Received> Answers(UINT message) {
        uitest::Pump();
        return parent.Of(message);
    }
};

}  // namespace

TEST_F(DialogWindows, SyncDialogRunsThenShowsEachResult) {
    dialogs::SyncDspDlg d(parent.hwnd(), 300, 100);
    ASSERT_TRUE(d.GetHwnd());
    EXPECT_FALSE(Visible(d.GetHwnd()));
    EXPECT_EQ(SizeOf(d.GetHwnd()).cx, 300);
    EXPECT_EQ(SizeOf(d.GetHwnd()).cy, 220);
    EXPECT_EQ(Text(d.GetHwnd()), "SyncDspDlg");
    d.Start();
    ShowWindow(d.GetHwnd(), SW_SHOWNOACTIVATE);
    const HWND ok = d.ButtonWindow(DlgButton::Ok), close = d.ButtonWindow(DlgButton::Close);
    EXPECT_TRUE(Visible(ok));
    EXPECT_FALSE(Enabled(ok));
    EXPECT_FALSE(Visible(close));
    EXPECT_EQ(PlaceIn(ok, d.GetHwnd()).x, 110);
    EXPECT_EQ(PlaceIn(ok, d.GetHwnd()).y, 160);
    Tick(d, 5);
    EXPECT_EQ(d.Logic().Ticks(), 5);
    Shot(d, "sync-running");

    d.ShowResult(1);
    EXPECT_EQ(Text(d.GetHwnd()), "Synchronization to 'darvix' completed with success.");
    EXPECT_TRUE(Visible(close));
    EXPECT_TRUE(Enabled(ok));
    Shot(d, "sync-success");
    Press(d, DlgButton::Ok);
    Press(d, DlgButton::Close);
    const auto answers = Answers(ui::MsgReadFromDevice);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].lParam, 0);
    EXPECT_EQ(answers[1].lParam, 0);

    parent.Clear();
    d.Start();
    Tick(d, 2400);  // 180 s without a result
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kSyncFailureText);
    EXPECT_EQ(d.SkinId(), static_cast<UINT>(IDB_SYNC_FAILED_BG));
    EXPECT_EQ(SizeOf(d.GetHwnd()).cx, 392);
    EXPECT_EQ(SizeOf(d.GetHwnd()).cy, 480);
    EXPECT_FALSE(Visible(close));
    EXPECT_TRUE(Visible(ok));
    EXPECT_EQ(PlaceIn(ok, d.GetHwnd()).x, 157);
    EXPECT_EQ(PlaceIn(ok, d.GetHwnd()).y, 420);
    Shot(d, "sync-failed");
    Press(d, DlgButton::Ok);
    const auto quit = Answers(ui::MsgReadFromDevice);
    ASSERT_EQ(quit.size(), 1u);
    EXPECT_EQ(quit[0].lParam, 1);
    // A retry starts from the ordinary face.
    d.Start();
    EXPECT_EQ(Text(d.GetHwnd()), "SyncDspDlg");  // a bare face again
    EXPECT_EQ(SizeOf(d.GetHwnd()).cx, 300);
    EXPECT_EQ(PlaceIn(ok, d.GetHwnd()).y, 160);
}

TEST_F(DialogWindows, UpdateDialogAsksRunsAndReports) {
    dialogs::UpdateDspDlg d(parent.hwnd(), 300, 100);
    ASSERT_TRUE(d.GetHwnd());
    const HWND ok = d.ButtonWindow(DlgButton::Ok), yes = d.ButtonWindow(DlgButton::Yes),
               no = d.ButtonWindow(DlgButton::No), close = d.ButtonWindow(DlgButton::Close);
    d.Start(0, 0, 0);
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kOverwriteQuestion);
    EXPECT_TRUE(Visible(yes));
    EXPECT_TRUE(Visible(no));
    EXPECT_FALSE(Visible(ok));
    EXPECT_EQ(PlaceIn(yes, d.GetHwnd()).x, 50);
    EXPECT_EQ(PlaceIn(no, d.GetHwnd()).x, 170);
    Shot(d, "update-question");
    Press(d, DlgButton::No);
    ASSERT_EQ(Answers(ui::MsgWriteToDevice).size(), 1u);
    EXPECT_EQ(parent.Of(ui::MsgWriteToDevice)[0].lParam, 0);
    EXPECT_EQ(d.GetState(), 0);

    parent.Clear();
    d.Start(1, 0, 0);
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kFinalizeWarningText);
    Shot(d, "update-finalize-warning");
    Press(d, DlgButton::Yes);
    EXPECT_EQ(d.GetState(), 1);
    EXPECT_TRUE(Visible(ok));
    EXPECT_FALSE(Enabled(ok));
    EXPECT_FALSE(Visible(yes));
    EXPECT_FALSE(Visible(close));
    Tick(d, 7);
    Shot(d, "update-running");
    PostMessageA(d.GetHwnd(), ui::MsgFinalizeResult, 0, 1);
    uitest::Pump();
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kUpdateSuccessText);
    EXPECT_TRUE(Enabled(ok));
    Shot(d, "update-success");
    Press(d, DlgButton::Ok);
    ASSERT_EQ(Answers(ui::MsgWriteToDevice).size(), 1u);
    EXPECT_EQ(parent.Of(ui::MsgWriteToDevice)[0].lParam, 1);

    d.Start(1, 0, 0);
    Press(d, DlgButton::Yes);
    PostMessageA(d.GetHwnd(), ui::MsgFinalizeResult, 0, 0x00010000);
    uitest::Pump();
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kUpdateFailureText);
    Shot(d, "update-failed");

    d.Start(0, 0, 1);  // on the way out: runs at once
    EXPECT_EQ(d.GetState(), 1);
    PostMessageA(d.GetHwnd(), ui::MsgFinalizeResult, 1, 0);
    uitest::Pump();
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kUpdateFailedKeptText);
    Shot(d, "update-failed-kept");
    // WM_CLOSE does not end it.
    SendMessageA(d.GetHwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(d.GetHwnd()));
}

TEST_F(DialogWindows, ExitDialogAsksByModeAndAnswers) {
    dialogs::ExitDlg d(parent.hwnd(), 300, 100);
    ASSERT_TRUE(d.GetHwnd());
    d.Show(1);
    EXPECT_TRUE(Visible(d.GetHwnd()));
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kExitOnlineText);
    const struct {
        DlgButton b;
        int x;
    } places[] = {{DlgButton::Yes, 30}, {DlgButton::No, 110}, {DlgButton::Cancel, 190}};
    for (const auto& p : places) {
        EXPECT_TRUE(Visible(d.ButtonWindow(p.b)));
        EXPECT_EQ(PlaceIn(d.ButtonWindow(p.b), d.GetHwnd()).x, p.x);
        EXPECT_EQ(PlaceIn(d.ButtonWindow(p.b), d.GetHwnd()).y, 168);
    }
    Shot(d, "exit-online");
    d.Show(0);
    EXPECT_EQ(Text(d.GetHwnd()), dialogs::kExitOfflineText);
    Shot(d, "exit-offline");
    Press(d, DlgButton::Yes);
    Press(d, DlgButton::No);
    Press(d, DlgButton::Cancel);
    const auto answers = Answers(ui::MsgExit);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0].lParam, 1);
    EXPECT_EQ(answers[1].lParam, 0);
    EXPECT_EQ(answers[2].lParam, -1);
    d.Hide();
    EXPECT_FALSE(Visible(d.GetHwnd()));
}
