#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "res/resource.h"
#include "tests/ui/box_driver.h"
#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/msg_box.h"

using namespace ui;
using uitest::BoxButtons;
using uitest::BoxDriver;
using uitest::BoxStep;

namespace {

constexpr WndRect kMessage{20, 50, 280, 150};
constexpr WndRect kCaption{85, 0, 296, 32};

class MsgBoxTest : public ::testing::Test {
protected:
    struct Outcome {
        UINT result;
        bool checked;
        bool timedOut;
        std::string message;
    };
    Outcome Run(UINT flags, std::vector<BoxStep> steps, int check = -1, int area = -1,
                const char* text = "Save the changes to the device?", UINT background = IDB_DIALOG_BG,
                UINT captionBitmap = 0, UINT messageBitmap = 0) {
        BoxDriver driver(owner, std::move(steps));
        MsgBox box(owner.hwnd(), background, kMessage, kCaption, "Question", captionBitmap, text,
                   messageBitmap, flags, check, area);
        return {box.GetResult(), box.IsChecked(), driver.timedOut, box.MessageText()};
    }
    // Clicks the button of `bit`: the row holds the buttons of the flags in bit order.
    static BoxStep Choose(UINT flags, UINT bit) {
        return [flags, bit](HWND dialog) {
            const auto buttons = BoxButtons(dialog);
            const size_t at = static_cast<size_t>(std::popcount(flags & (bit - 1)));
            ASSERT_LT(at, buttons.size());
            uitest::ClickChild(buttons[at].window);
        };
    }
    static void DoubleClick(HWND dialog) { SendMessageA(dialog, WM_LBUTTONDBLCLK, MK_LBUTTON, 0); }

    uitest::RecordingParent owner;
};

}  // namespace

TEST_F(MsgBoxTest, EachButtonGivesItsBitAsTheResult) {
    struct Case {
        UINT flags, chosen;
    } cases[] = {
        {MbOk, MbOk},     {MbNo | MbYes, MbNo}, {MbOk | MbCancel, MbCancel}, {MbNext, MbNext},
        {MbSkip, MbSkip}, {MbBack, MbBack},     {MbYes, MbYes},
        {MbOk | MbYes | MbNo | MbCancel | MbNext | MbSkip | MbBack, MbSkip},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const Outcome out = Run(c.flags, {Choose(c.flags, c.chosen)});
        EXPECT_FALSE(out.timedOut);
        EXPECT_EQ(out.result, c.chosen);
    }
}

TEST_F(MsgBoxTest, DoubleClickClosesAsCancelAndIsTheOnlyWayOutWithoutButtons) {
    std::vector<size_t> shown;
    const Outcome out = Run(0, {[&](HWND d) { shown.push_back(BoxButtons(d).size()); }, DoubleClick});
    EXPECT_FALSE(out.timedOut);
    EXPECT_EQ(out.result, static_cast<UINT>(MbCancel));
    EXPECT_EQ(shown, std::vector<size_t>{0});
    EXPECT_EQ(Run(MbOk | MbCancel, {DoubleClick}).result, static_cast<UINT>(MbCancel));
}

TEST_F(MsgBoxTest, KeysAndCloseRequestsDoNotCloseTheBox) {
    bool stillOpen = false;
    const Outcome out = Run(MbOk | MbCancel,
                            {[](HWND d) {
                                 // Posted, so that the modal loop's dialog-key handling sees them.
                                 PostMessageA(d, WM_KEYDOWN, VK_RETURN, 0);
                                 PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0);
                                 PostMessageA(d, WM_KEYDOWN, VK_SPACE, 0);
                                 PostMessageA(d, WM_CLOSE, 0, 0);
                                 PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                             },
                             [&](HWND d) { stillOpen = IsWindow(d) && IsWindowVisible(d); },
                             Choose(MbOk | MbCancel, MbOk)});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(out.result, static_cast<UINT>(MbOk));
}

TEST_F(MsgBoxTest, BoxIsCentredWithItsButtonsTouchingInTheBottomBand) {
    struct Case {
        UINT flags;
        int area;
        int firstX, y;
    } cases[] = {
        {MbOk | MbCancel, -1, 72, 158},
        {MbOk, -1, 111, 158},
        {MbYes | MbNo | MbCancel, -1, 33, 158},
        {MbOk | MbCancel, 60, 72, 171},
    };
    const int desktopW = GetSystemMetrics(SM_CXSCREEN), desktopH = GetSystemMetrics(SM_CYSCREEN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        RECT window{}, client{};
        std::vector<uitest::Child> buttons;
        Run(c.flags,
            {[&](HWND d) {
                 GetWindowRect(d, &window);
                 GetClientRect(d, &client);
                 buttons = BoxButtons(d);
             },
             DoubleClick},
            -1, c.area);
        EXPECT_EQ(client.right, 300);
        EXPECT_EQ(client.bottom, 220);
        EXPECT_EQ(window.right - window.left, 300);  // no frame: window and client are one
        EXPECT_EQ(window.left, desktopW / 2 - 150);
        EXPECT_EQ(window.top, desktopH / 2 - 110);
        ASSERT_EQ(buttons.size(), static_cast<size_t>(std::popcount(c.flags)));
        int x = c.firstX;
        for (const auto& b : buttons) {
            EXPECT_EQ(b.rect.left, x);
            EXPECT_EQ(b.rect.top, c.y);
            EXPECT_EQ(b.rect.right - b.rect.left, 78);
            EXPECT_EQ(b.rect.bottom - b.rect.top, 39);
            x = b.rect.right;
        }
    }
}

TEST_F(MsgBoxTest, CheckBoxStateIsReadAfterTheBoxCloses) {
    EXPECT_TRUE(Run(MbOk, {Choose(MbOk, MbOk)}, 1).checked);
    EXPECT_FALSE(Run(MbOk, {Choose(MbOk, MbOk)}, 0).checked);

    // Unticking it does not close the box.
    bool open = false;
    const Outcome unticked = Run(MbOk,
                                 {[](HWND d) {
                                      const auto all = BoxButtons(d, true);
                                      for (const auto& c : all)
                                          if (c.rect.left == 8 && c.rect.top == 200)
                                              uitest::ClickChild(c.window);
                                  },
                                  [&](HWND d) { open = IsWindow(d) != FALSE; },
                                  Choose(MbOk, MbOk)},
                                 1);
    EXPECT_TRUE(open);
    EXPECT_EQ(unticked.result, static_cast<UINT>(MbOk));
    EXPECT_FALSE(unticked.checked);

    size_t children = 99;
    const Outcome none = Run(MbOk,
                             {[&](HWND d) { children = BoxButtons(d, true).size(); },
                              Choose(MbOk, MbOk)},
                             -1);
    EXPECT_EQ(children, 1u);  // the OK button alone
    EXPECT_FALSE(none.checked);
}

TEST_F(MsgBoxTest, MessageIsDrawnAndIsTheWindowText) {
    int inked = 0, captionInked = 0;
    char text[200] = {};
    Run(MbOk,
        {[&](HWND d) {
             UpdateWindow(d);
             GetWindowTextA(d, text, sizeof text);
             HDC dc = GetDC(d);
             uitest::LoadedBitmap background(IDB_DIALOG_BG);
             for (int y = kMessage.top; y < kMessage.bottom; ++y)
                 for (int x = kMessage.left; x < kMessage.right; ++x)
                     if (GetPixel(dc, x, y) != GetPixel(background.dc(), x, y)) ++inked;
             for (int y = kCaption.top; y < kCaption.bottom; ++y)
                 for (int x = kCaption.left; x < kCaption.right; ++x)
                     if (GetPixel(dc, x, y) != GetPixel(background.dc(), x, y)) ++captionInked;
             // Nothing drawn outside the two rectangles, above the buttons.
             EXPECT_EQ(GetPixel(dc, 10, 140), GetPixel(background.dc(), 10, 140));
             ReleaseDC(d, dc);
         },
         Choose(MbOk, MbOk)});
    EXPECT_STREQ(text, "Save the changes to the device?");
    EXPECT_GT(inked, 50);
    EXPECT_GT(captionInked, 20);
}

TEST_F(MsgBoxTest, ImagesGoAtTheirRectanglesCornersAndAMissingBackgroundStillShowsABox) {
    COLORREF caption = 0, message = 0;
    RECT client{};
    Run(MbOk,
        {[&](HWND d) {
             UpdateWindow(d);
             HDC dc = GetDC(d);
             caption = GetPixel(dc, kCaption.left + 200, kCaption.top + 2);
             message = GetPixel(dc, kMessage.left + 150, kMessage.top + 90);
             ReleaseDC(d, dc);
         },
         Choose(MbOk, MbOk)},
        -1, -1, nullptr, IDB_DIALOG_BG, IDB_TEST_OVERLAY, IDB_TEST_SKIN);
    EXPECT_EQ(caption, uitest::BitmapPixel(IDB_TEST_OVERLAY, 200, 2));
    EXPECT_EQ(message, uitest::BitmapPixel(IDB_TEST_SKIN, 150, 90));

    const Outcome missing = Run(MbOk,
                                {[&](HWND d) { GetClientRect(d, &client); }, Choose(MbOk, MbOk)},
                                -1, -1, "No background", 59999);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 220);
    EXPECT_EQ(missing.result, static_cast<UINT>(MbOk));
}

TEST_F(MsgBoxTest, LongMessagesAreCutTo128Characters) {
    const std::string longText(300, 'x');
    char text[400] = {};
    const Outcome out = Run(MbOk, {[&](HWND d) { GetWindowTextA(d, text, sizeof text); },
                                   Choose(MbOk, MbOk)},
                            -1, -1, longText.c_str());
    EXPECT_EQ(out.message, std::string(128, 'x'));
    EXPECT_EQ(std::string(text), std::string(128, 'x'));
}
