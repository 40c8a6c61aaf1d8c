// The firmware dialog's window under Wine, driven by Start, the result message and OK: its bars,
// button, timer, window text and the message it posts. Also pictures of it for a person to look at
// (in the screenshot folder, as the toolkit's).
#include <gtest/gtest.h>

#include <string>

#include "dialogs/software_update_dlg.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"
#include "ui/text.h"

using dialogs::SoftwareUpdateDlg;
using dialogs::SoftwareUpdateLogic;
using dialogs::TextArea;

namespace {

using uitest::Shot;
using uitest::Text;

bool Visible(HWND w) { return w && IsWindowVisible(w); }

// Whether the dialog's animation timer runs: killing it says so (and a test restarts it).
bool TimerRunning(HWND w) {
    if (!KillTimer(w, SoftwareUpdateDlg::kTimer)) return false;
    SetTimer(w, SoftwareUpdateDlg::kTimer, SoftwareUpdateDlg::kTimerMs, nullptr);
    return true;
}

using SoftwareUpdateDlgTest = uitest::DialogTest;

}  // namespace

TEST_F(SoftwareUpdateDlgTest, HiddenUntilStartedThenWaitingForTheUpload) {
    SoftwareUpdateDlg dlg(parent.hwnd(), 300, 100);
    const HWND w = dlg.GetHwnd();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(Visible(w));
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 220);
    // The OK button at (110, 160), disabled; the bars at (30, 38), hidden.
    RECT b;
    GetWindowRect(dlg.OkButton(), &b);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&b), 2);
    EXPECT_EQ(b.left, 110);
    EXPECT_EQ(b.top, 160);
    EXPECT_FALSE(IsWindowEnabled(dlg.OkButton()));
    for (HWND bar : {dlg.Bar(), dlg.SecondBar()}) {
        ASSERT_NE(bar, nullptr);
        GetWindowRect(bar, &b);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&b), 2);
        EXPECT_EQ(b.left, 30);
        EXPECT_EQ(b.top, 38);
        EXPECT_FALSE(IsWindowVisible(bar));
    }
    GetWindowRect(dlg.Bar(), &b);
    EXPECT_EQ(b.right - b.left, 264);
    EXPECT_EQ(b.bottom - b.top, 96);

    dlg.Start(0);
    uitest::Pump();
    EXPECT_TRUE(Visible(w));
    EXPECT_TRUE(Visible(dlg.Bar()));
    EXPECT_FALSE(IsWindowVisible(dlg.SecondBar()));
    EXPECT_FALSE(IsWindowEnabled(dlg.OkButton()));
    EXPECT_EQ(dlg.Logic().GetPhase(), 2);
    EXPECT_EQ(dlg.Logic().State(), SoftwareUpdateLogic::kStateRunning);
    EXPECT_TRUE(TimerRunning(w));
    EXPECT_EQ(Text(w), "");
    // Before the poll thread starts sending, the timer leaves the bar still.
    for (int i = 0; i < 3; ++i) SendMessageA(w, WM_TIMER, SoftwareUpdateDlg::kTimer, 0);
    EXPECT_EQ(dlg.Logic().Tick(), 0);
    Shot(w, "firmware-sending");
    // WM_CLOSE does not end it.
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(Visible(w));
}

TEST_F(SoftwareUpdateDlgTest, TheResultShowsItsTextAndOkEndsTheDialog) {
    struct Case {
        LPARAM result;
        const char* text;
        const char* shot;
    };
    const Case cases[] = {
        {1, "Firmware update completed. Close this application and restart 'darvix' device.", "firmware-completed"},
        {0x00030000, "Firmware update not completed.", "firmware-not-completed"},
        {0, "Firmware update not completed.", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SoftwareUpdateDlg dlg(parent.hwnd(), 300, 100);
        const HWND w = dlg.GetHwnd();
        dlg.Start(0);
        parent.Clear();
        PostMessageA(w, ui::MsgFirmwareResult, 0, c.result);
        uitest::Pump();
        EXPECT_EQ(Text(w), c.text);
        EXPECT_EQ(dlg.Logic().State(), SoftwareUpdateLogic::kStateResult);
        EXPECT_TRUE(IsWindowEnabled(dlg.OkButton()));
        EXPECT_FALSE(IsWindowVisible(dlg.Bar()));
        EXPECT_FALSE(IsWindowVisible(dlg.SecondBar()));
        EXPECT_FALSE(TimerRunning(w));
        // The text is drawn into the face, inside its area.
        const TextArea area = dlg.Logic().ResultArea(300, 220);
        const RECT inside{area.left, area.top, area.right, area.bottom};
        const COLORREF ground = uitest::BitmapPixel(IDB_DIALOG_BG, area.left + 1, area.top + 1);
        EXPECT_GT(uitest::PixelsDifferentFrom(dlg.BackBuffer(), inside, ground), 50);
        if (c.shot) Shot(w, c.shot);
        EXPECT_TRUE(parent.Of(ui::MsgUpdateFirmware).empty());
        uitest::Click(dlg.OkButton(), 5, 5);
        uitest::Pump();
        const auto posted = parent.Of(ui::MsgUpdateFirmware);
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].wParam, 0u);
        EXPECT_EQ(posted[0].lParam, 0);
        EXPECT_FALSE(posted[0].sent);
        dlg.Hide();
        EXPECT_FALSE(IsWindowVisible(w));
        EXPECT_FALSE(TimerRunning(w));
        // Started again, it runs afresh.
        dlg.Start(0);
        uitest::Pump();
        EXPECT_EQ(Text(w), "");
        EXPECT_FALSE(IsWindowEnabled(dlg.OkButton()));
        EXPECT_TRUE(Visible(dlg.Bar()));
        dlg.Hide();
    }
}
