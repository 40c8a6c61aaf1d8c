#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/caption_bar.h"
#include "ui/messages.h"

using namespace ui;
using uitest::Point;

namespace {

class CaptionBarTest : public ::testing::Test {
protected:
    uitest::RecordingParent parent{1100, 200};
    CaptionBar bar{parent.hwnd(), 0, 0};
};

POINT PositionInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(GetParent(child), &p);
    return p;
}

}  // namespace

TEST_F(CaptionBarTest, StripTakesItsSkinsSizeWithTheButtonsAtTheRight) {
    RECT r;
    GetClientRect(bar.GetHwnd(), &r);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 29);
    ASSERT_NE(bar.CloseButton(), nullptr);
    ASSERT_NE(bar.MinimizeButton(), nullptr);
    const POINT close = PositionInParent(bar.CloseButton()->GetHwnd());
    const POINT minimize = PositionInParent(bar.MinimizeButton()->GetHwnd());
    EXPECT_EQ(close.x, 995);
    EXPECT_EQ(close.y, 4);
    EXPECT_EQ(minimize.x, 974);
    EXPECT_EQ(minimize.y, 4);
    // The minimise button ends where the close button starts.
    EXPECT_EQ(minimize.x + bar.MinimizeButton()->FrameWidth(), close.x);
    EXPECT_EQ(uitest::Pixel(bar.BackBuffer(), 500, 14), uitest::BitmapPixel(IDB_CAPTION_BAR, 500, 14));
}

TEST_F(CaptionBarTest, ButtonsBecomeCloseAndMinimiseForTheParent) {
    struct Case {
        const char* what;
        BtnWnd* button;
        POINT release;
        UINT expected;  // 0: nothing
    } cases[] = {
        {"close", bar.CloseButton(), {5, 5}, MsgCloseApp},
        {"minimise", bar.MinimizeButton(), {5, 5}, MsgMinimizeApp},
        {"close released outside", bar.CloseButton(), {40, 5}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parent.Clear();
        HWND w = c.button->GetHwnd();
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        SendMessageA(w, WM_LBUTTONUP, 0, Point(c.release.x, c.release.y));
        uitest::Pump();
        if (!c.expected) {
            EXPECT_TRUE(parent.received.empty());
            continue;
        }
        ASSERT_EQ(parent.received.size(), 1u);
        EXPECT_EQ(parent.received[0].message, c.expected);
        EXPECT_EQ(parent.received[0].wParam, 0u);
        EXPECT_EQ(parent.received[0].lParam, 0);
        EXPECT_FALSE(parent.received[0].sent);
    }
}

TEST_F(CaptionBarTest, OtherPrivateMessagesGoUpWithTheParentsAnswer) {
    parent.reply = 4242;
    EXPECT_EQ(SendMessageA(bar.GetHwnd(), 0x8123, 7, 9), 4242);
    const LPARAM stranger = reinterpret_cast<LPARAM>(parent.hwnd());
    EXPECT_EQ(SendMessageA(bar.GetHwnd(), MsgButtonClicked, 1, stranger), 4242);
    ASSERT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(parent.received[0].message, 0x8123u);
    EXPECT_EQ(parent.received[0].wParam, 7u);
    EXPECT_EQ(parent.received[0].lParam, 9);
    EXPECT_TRUE(parent.received[0].sent);
    EXPECT_EQ(parent.received[1].message, MsgButtonClicked);
    EXPECT_EQ(parent.received[1].lParam, stranger);
}

TEST_F(CaptionBarTest, PressOnTheStripDragsTheParent) {
    SendMessageA(bar.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(400, 10));
    const auto drags = parent.Of(WM_NCLBUTTONDOWN);
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_TRUE(drags[0].sent);
    EXPECT_EQ(drags[0].wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(drags[0].lParam, 0);
    EXPECT_EQ(GetFocus(), parent.hwnd());
    uitest::Pump();
}
