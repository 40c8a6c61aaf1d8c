#include <gtest/gtest.h>

#include <memory>

#include "res/resource.h"
#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/btn_wnd.h"
#include "ui/messages.h"

using namespace ui;
using uitest::Point;

namespace {

// The flat frames of IDB_TEST_STRIP3 (see tests/ui/skins/test_skins.py).
const COLORREF kFrame[3] = {RGB(0xC8, 0x1E, 0x1E), RGB(0x1E, 0xC8, 0x1E), RGB(0x1E, 0x1E, 0xC8)};

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::Pump(); }

    std::vector<uitest::Received> Clicks() {
        uitest::Pump();
        return parent.Of(MsgButtonClicked);
    }
    static COLORREF Face(const BtnWnd& b) { return uitest::Pixel(b.BackBuffer(), 5, 5); }
    static void Down(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y)); }
    static void Move(HWND w, int x, int y, WPARAM keys = MK_LBUTTON) {
        SendMessageA(w, WM_MOUSEMOVE, keys, Point(x, y));
    }
    static void Up(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONUP, 0, Point(x, y)); }

    uitest::RecordingParent parent;
};

}  // namespace

TEST_F(ButtonTest, WindowIsOneFrameOfTheStrip) {
    BtnWnd three(parent.hwnd(), 10, 10, 3, IDB_TEST_STRIP3, true);
    RECT r;
    GetClientRect(three.GetHwnd(), &r);
    EXPECT_EQ(r.right, 33);  // 100 / 3: the strip's last column is never shown
    EXPECT_EQ(r.bottom, 20);
    BtnWnd none(parent.hwnd(), 10, 40, 0, IDB_TEST_STRIP3, true);  // no frames counts as one
    GetClientRect(none.GetHwnd(), &r);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(Face(three), kFrame[0]);

    // Hidden unless asked, and what it shows on screen is its back buffer.
    BtnWnd hidden(parent.hwnd(), 10, 70, 3, IDB_TEST_STRIP3, false);
    EXPECT_FALSE(IsWindowVisible(hidden.GetHwnd()));
    HDC screen = GetDC(three.GetHwnd());
    EXPECT_EQ(uitest::Pixel(screen, 5, 5), kFrame[0]);
    ReleaseDC(three.GetHwnd(), screen);
}

TEST_F(ButtonTest, ClickIsReportedOnlyForAReleaseInside) {
    BtnWnd b(parent.hwnd(), 10, 10, 3, IDB_TEST_STRIP3, true);
    HWND w = b.GetHwnd();
    const LPARAM self = reinterpret_cast<LPARAM>(w);
    struct Case {
        const char* what;
        std::vector<POINT> moves;
        POINT release;
        size_t clicks;
    } cases[] = {
        {"down and up inside", {}, {5, 5}, 1},
        {"moved out and released outside", {{50, 5}}, {50, 5}, 0},
        {"moved out and back in", {{-3, 5}, {5, 5}}, {5, 5}, 1},
        {"released just past the right edge", {}, {33, 5}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parent.Clear();
        Down(w, 5, 5);
        EXPECT_EQ(GetCapture(), w);
        for (POINT p : c.moves) Move(w, p.x, p.y);
        Up(w, c.release.x, c.release.y);
        const auto clicks = Clicks();
        ASSERT_EQ(clicks.size(), c.clicks);
        for (const auto& click : clicks) {
            EXPECT_EQ(click.wParam, 0u);
            EXPECT_EQ(click.lParam, self);
            EXPECT_FALSE(click.sent);
        }
        EXPECT_NE(GetCapture(), w);
        EXPECT_EQ(b.State(), BtnWnd::kNormal);
    }
}

TEST_F(ButtonTest, FaceFollowsTheState) {
    BtnWnd b(parent.hwnd(), 10, 10, 3, IDB_TEST_STRIP3, true);
    HWND w = b.GetHwnd();
    Down(w, 5, 5);
    EXPECT_EQ(Face(b), kFrame[1]);
    Move(w, 60, 5);
    EXPECT_EQ(Face(b), kFrame[0]);
    Move(w, 6, 6);
    EXPECT_EQ(Face(b), kFrame[1]);
    Up(w, 6, 6);
    EXPECT_EQ(Face(b), kFrame[0]);
    b.Enable(false);
    EXPECT_EQ(Face(b), kFrame[2]);
    EXPECT_FALSE(IsWindowEnabled(w));
    b.Enable(true);
    EXPECT_EQ(Face(b), kFrame[0]);
    EXPECT_EQ(b.State(), BtnWnd::kNormal);

    // A two-frame strip has no disabled frame: it shows its last one.
    BtnWnd close(parent.hwnd(), 100, 10, 2, IDB_CAPTION_CLOSE, true);
    close.Enable(false);
    EXPECT_EQ(uitest::Pixel(close.BackBuffer(), 3, 10), uitest::BitmapPixel(IDB_CAPTION_CLOSE, 23 + 3, 10));
    EXPECT_NE(uitest::BitmapPixel(IDB_CAPTION_CLOSE, 3, 10),
              uitest::BitmapPixel(IDB_CAPTION_CLOSE, 23 + 3, 10));
    Clicks();
}

TEST_F(ButtonTest, AutoRepeatClicksOnItsTimerWhileHeld) {
    BtnWnd b(parent.hwnd(), 10, 10, 3, IDB_TEST_STRIP3, true);
    b.SetAutoRepeat(true);
    HWND w = b.GetHwnd();
    SendMessageA(w, WM_TIMER, BtnWnd::kRepeatTimer, 0);  // not pressed: no timer of its own yet
    EXPECT_TRUE(Clicks().empty());

    Down(w, 5, 5);
    SendMessageA(w, WM_TIMER, BtnWnd::kRepeatTimer, 0);
    SendMessageA(w, WM_TIMER, 77, 0);
    EXPECT_EQ(Clicks().size(), 1u);
    Move(w, 80, 80);  // ignored while repeating: still pressed
    EXPECT_EQ(b.State(), BtnWnd::kPressed);
    Up(w, 5, 5);  // one more for the release inside
    EXPECT_EQ(Clicks().size(), 2u);
    SendMessageA(w, WM_TIMER, BtnWnd::kRepeatTimer, 0);  // the timer is gone
    EXPECT_EQ(Clicks().size(), 2u);

    // The system's timer really runs: a held button repeats without any message of ours.
    parent.Clear();
    Down(w, 5, 5);
    const DWORD start = GetTickCount();
    while (parent.Of(MsgButtonClicked).size() < 2 && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        uitest::Pump();
    }
    EXPECT_GE(parent.Of(MsgButtonClicked).size(), 2u);
    b.CancelPress();
}

TEST_F(ButtonTest, AbandonedPressEndsWithoutAClick) {
    BtnWnd b(parent.hwnd(), 10, 10, 3, IDB_TEST_STRIP3, true);
    BtnWnd thief(parent.hwnd(), 60, 10, 3, IDB_TEST_STRIP3, true);
    b.SetAutoRepeat(true);
    HWND w = b.GetHwnd();
    struct Case {
        const char* what;
        void (*abandon)(BtnWnd& b, HWND other);
        int after;
    } cases[] = {
        {"CancelPress", [](BtnWnd& x, HWND) { x.CancelPress(); }, BtnWnd::kNormal},
        {"capture taken by another window", [](BtnWnd&, HWND o) { SetCapture(o); },
         BtnWnd::kNormal},
        {"disabled while pressed", [](BtnWnd& x, HWND) { x.Enable(false); }, BtnWnd::kDisabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        b.Enable(true);
        parent.Clear();
        Down(w, 5, 5);
        ASSERT_EQ(GetCapture(), w);
        c.abandon(b, thief.GetHwnd());
        EXPECT_NE(GetCapture(), w);
        EXPECT_FALSE(b.Captured());
        EXPECT_EQ(b.State(), c.after);
        SendMessageA(w, WM_TIMER, BtnWnd::kRepeatTimer, 0);  // the repeat has stopped
        Up(w, 5, 5);                                         // and the release is not a click
        EXPECT_TRUE(Clicks().empty());
        ReleaseCapture();
    }
}

TEST_F(ButtonTest, DoubleClickIsNotASecondClick) {
    BtnWnd b(parent.hwnd(), 10, 10, 3, IDB_TEST_STRIP3, true);
    ChkWnd c(parent.hwnd(), 60, 10, 2, IDB_CHECK_DONT_ASK, true);
    SendMessageA(b.GetHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 5));
    SendMessageA(c.GetHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 5));
    EXPECT_TRUE(Clicks().empty());
    EXPECT_EQ(c.GetCheck(), ChkWnd::kOff);
}

TEST_F(ButtonTest, SwitchFlipsOnThePressAndAnnouncesADragToggle) {
    ChkWnd c(parent.hwnd(), 10, 10, 2, IDB_CHECK_DONT_ASK, true);
    HWND w = c.GetHwnd();
    const LPARAM self = reinterpret_cast<LPARAM>(w);
    Down(w, 5, 5);
    EXPECT_NE(GetCapture(), w);
    EXPECT_EQ(c.GetCheck(), ChkWnd::kOn);
    EXPECT_EQ(uitest::Pixel(c.BackBuffer(), 7, 7), uitest::BitmapPixel(IDB_CHECK_DONT_ASK, 145 + 7, 7));
    Up(w, 5, 5);
    uitest::Pump();
    ASSERT_EQ(parent.received.size(), 1u);  // no drag-toggle unless allowed
    EXPECT_EQ(parent.received[0].message, MsgButtonClicked);
    EXPECT_EQ(parent.received[0].wParam, 1u);
    EXPECT_EQ(parent.received[0].lParam, self);

    parent.Clear();
    c.SetDragToggleAllowed(true);
    Down(w, 5, 5);  // flips back off
    c.SetDragToggle(true, ChkWnd::kOff);  // what the owner does on MsgDragToggle (1, state)
    Up(w, 5, 5);
    uitest::Pump();
    ASSERT_EQ(parent.received.size(), 3u);
    EXPECT_EQ(parent.received[0].message, MsgButtonClicked);
    EXPECT_EQ(parent.received[0].wParam, 0u);
    EXPECT_EQ(parent.received[1].message, MsgDragToggle);
    EXPECT_EQ(parent.received[1].wParam, 1u);
    EXPECT_EQ(parent.received[1].lParam, 0);
    EXPECT_EQ(parent.received[2].message, MsgDragToggle);
    EXPECT_EQ(parent.received[2].wParam, 0u);
    EXPECT_EQ(parent.received[2].lParam, 0);
}

TEST_F(ButtonTest, DragToggleSetsTheSwitchesTheMouseCrosses) {
    ChkWnd c(parent.hwnd(), 10, 10, 2, IDB_CHECK_DONT_ASK, true);
    HWND w = c.GetHwnd();
    c.SetDragToggle(true, ChkWnd::kOn);  // not allowed: ignored
    EXPECT_FALSE(c.DragActive());
    Move(w, 5, 5);
    EXPECT_EQ(c.GetCheck(), ChkWnd::kOff);

    c.SetDragToggleAllowed(true);
    c.SetDragToggle(true, ChkWnd::kOn);
    Move(w, 5, 5);
    EXPECT_EQ(c.GetCheck(), ChkWnd::kOn);
    Move(w, 6, 5);  // already there: nothing more
    auto clicks = Clicks();
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].wParam, 1u);
    Move(w, 6, 5, 0);  // the button came up elsewhere: this switch leaves the drag
    EXPECT_FALSE(c.DragActive());
    c.SetDragToggle(false, ChkWnd::kOn);
    EXPECT_EQ(c.DragTarget(), -1);
}

TEST_F(ButtonTest, SetCheckIsSilentAndEnablingComesBackOff) {
    ChkWnd c(parent.hwnd(), 10, 10, 2, IDB_CHECK_DONT_ASK, true);
    c.SetCheck(ChkWnd::kOn);
    c.SetCheck(ChkWnd::kOn);
    EXPECT_TRUE(Clicks().empty());
    EXPECT_EQ(c.GetCheck(), ChkWnd::kOn);
    c.Enable(false);
    c.Enable(true);
    EXPECT_EQ(c.GetCheck(), ChkWnd::kOff);
    EXPECT_EQ(uitest::Pixel(c.BackBuffer(), 7, 7), uitest::BitmapPixel(IDB_CHECK_DONT_ASK, 7, 7));

    // The hand cursor, when asked for, is what the window shows.
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    c.SetHandCursor(true);
    EXPECT_EQ(SendMessageA(c.GetHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(c.GetHwnd()), overClient),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
}
