// Windows, skin changes and message boxes free every GDI and GDI+ object they make. Counted
// through the toolkit's own wrappers (GetGuiResources reads 0 under Wine), and checked with
// GetObjectType: GDI must know none of the handles made any more.
#include <gtest/gtest.h>

#include <memory>

#include "res/resource.h"
#include "tests/ui/box_driver.h"
#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/caption_bar.h"
#include "ui/gdi.h"
#include "ui/msg_box.h"
#include "ui/progress_bar.h"
#include "ui/slider.h"
#include "ui/text.h"

using namespace ui;

namespace {

class LeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Pump();
        before_ = gdi::Live();
        gdiplusBefore_ = LiveGdiplusObjects();
        gdi::SetJournal(&journal_);
    }
    void ExpectEverythingFreed() {
        gdi::SetJournal(nullptr);
        uitest::Pump();
        const gdi::LiveCounts now = gdi::Live();
        EXPECT_EQ(now.memoryDcs, before_.memoryDcs);
        EXPECT_EQ(now.windowDcs, before_.windowDcs);
        EXPECT_EQ(now.bitmaps, before_.bitmaps);
        EXPECT_EQ(now.brushes, before_.brushes);
        EXPECT_EQ(now.pens, before_.pens);
        EXPECT_EQ(now.fonts, before_.fonts);
        EXPECT_EQ(LiveGdiplusObjects(), gdiplusBefore_);
        ASSERT_FALSE(journal_.empty());
        size_t alive = 0;
        for (HGDIOBJ h : journal_)
            if (GetObjectType(h) != 0) ++alive;
        EXPECT_EQ(alive, 0u) << "of " << journal_.size() << " handles made";
    }

    gdi::LiveCounts before_;
    long gdiplusBefore_ = 0;
    std::vector<HGDIOBJ> journal_;
};

}  // namespace

TEST_F(LeakTest, AThousandMessageBoxes) {
    uitest::RecordingParent owner;
    for (int i = 0; i < 1000; ++i) {
        const UINT flags = (i % 3 == 0) ? 0x7F : (i % 3 == 1 ? MbOk | MbCancel : MbYes);
        const int check = i % 4 == 0 ? -1 : i % 2;
        uitest::BoxDriver driver(owner, {[&](HWND d) {
                                     if (i % 5 == 0) {
                                         SendMessageA(d, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
                                         return;
                                     }
                                     const auto buttons = uitest::BoxButtons(d);
                                     if (!buttons.empty()) uitest::ClickChild(buttons.back().window);
                                 }});
        MsgBox box(owner.hwnd(), i % 7 == 0 ? IDB_TEST_SKIN : IDB_DIALOG_BG, {20, 50, 280, 150},
                   {85, 0, 296, 32}, "Caption", i % 2 ? IDB_TEST_OVERLAY : 0,
                   "Close this application and restart the device.", i % 3 ? IDB_TEST_STRIP3 : 0,
                   flags, check, -1);
        ASSERT_FALSE(driver.timedOut) << "box " << i;
    }
    ExpectEverythingFreed();
}

TEST_F(LeakTest, AThousandSkinChangesAndResizes) {
    {
        uitest::RecordingParent parent;
        FrameWnd frame(nullptr, parent.hwnd(), {0, 0, 50, 50}, IDB_DIALOG_BG, RGB(1, 2, 3), false,
                       kChildStyle, 0);
        FrameWnd flat("Flat", parent.hwnd(), {0, 300, 200, 400}, 0, RGB(1, 2, 3), false,
                      kChildStyle, 0);
        const struct {
            UINT skin, overlay;
        } changes[] = {{IDB_DIALOG_BG, IDB_TEST_OVERLAY},
                       {IDB_TEST_SKIN, 0},
                       {59999, IDB_TEST_OVERLAY},
                       {IDB_DIALOG_BG, 59999},
                       {IDB_TEST_SKIN, IDB_TEST_OVERLAY}};
        gdi::LiveCounts steady;
        for (int i = 0; i < 1000; ++i) {
            frame.SetSkin(changes[i % 5].skin, changes[i % 5].overlay);
            SetWindowPos(flat.GetHwnd(), nullptr, 0, 0, 100 + i % 50, 60 + i % 30,
                         SWP_NOMOVE | SWP_NOZORDER);
            flat.SetTitle(i % 2 ? "Title" : nullptr);
            if (i == 4) steady = gdi::Live();
        }
        // Each change replaces what it changes: after every cycle the same objects are alive.
        EXPECT_EQ(gdi::Live(), steady);
    }
    ExpectEverythingFreed();
}

TEST_F(LeakTest, EveryKindOfWindowFreesItsObjects) {
    uitest::LoadedBitmap background(IDB_TEST_FADER), thumbs(IDB_TEST_THUMB);
    for (int i = 0; i < 100; ++i) {
        auto parent = std::make_unique<uitest::RecordingParent>();
        {
            FrameWnd skinned(nullptr, parent->hwnd(), {0, 0, 50, 50}, IDB_DIALOG_BG, 0, false,
                             kChildStyle, 0);
            skinned.SetSkin(IDB_TEST_SKIN, IDB_TEST_OVERLAY);
            FrameWnd centred(nullptr, parent->hwnd(), {0, 0, 400, 300}, IDB_TEST_SKIN, 0, true,
                             kChildStyle, 0);
            FrameWnd flat("Flat", parent->hwnd(), {0, 0, 100, 100}, 0, 0, false, kChildStyle, 0);
            CaptionBar caption(parent->hwnd(), 0, 0);
            BtnWnd button(parent->hwnd(), 0, 0, 3, IDB_BTN_OK, true);
            SendMessageA(button.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, uitest::Point(5, 5));
            ChkWnd check(parent->hwnd(), 0, 50, 2, IDB_CHECK_DONT_ASK, true);
            check.SetCheck(1);
            Slider slider;
            slider.Create(parent->hwnd(), 0, {0, 0, 22, 160}, background.dc(), {8, 18, 13, 146},
                          thumbs.dc(), {0, 0, 18, 10}, -12, 12, 4);
            slider.SetValue(5);
            ProgressBar bar;
            bar.Create(parent->hwnd(), 0, 0, IDB_TEST_PROGRESS, 0, 10, 11, 230, true);
            bar.SetPos(3);
            if (i % 2) parent.reset();  // half the time the windows die before their objects
        }
        uitest::Pump();
    }
    ExpectEverythingFreed();
}
