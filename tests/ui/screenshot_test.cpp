// Pictures of every control and of message boxes, for a person to look at:
//   bash scripts/wine-ctest.sh build/win32 -R Screenshots
// writes build/win32/tests/ui/screenshots/*.bmp (or $DARVIX_SCREENSHOTS).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/ui/box_driver.h"
#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/caption_bar.h"
#include "ui/msg_box.h"
#include "ui/progress_bar.h"
#include "ui/slider.h"

using namespace ui;

namespace {

RECT RectIn(HWND child, HWND ancestor) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, ancestor, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT Union(const std::vector<RECT>& rects, int margin) {
    RECT u = rects.front();
    for (const RECT& r : rects) UnionRect(&u, &u, &r);
    InflateRect(&u, margin, margin);
    return u;
}

class Screenshots : public ::testing::Test {
protected:
    void Save(HWND window, const RECT& area, const char* name) {
        UpdateWindow(window);
        HDC dc = GetDC(window);
        const std::string path = uitest::ScreenshotFolder() + "\\" + name + ".bmp";
        EXPECT_TRUE(uitest::SaveBmp(dc, area, path)) << path;
        ReleaseDC(window, dc);
    }
};

}  // namespace

TEST_F(Screenshots, EveryControl) {
    uitest::RecordingParent board(1060, 500);
    HWND b = board.hwnd();
    CaptionBar caption(b, 0, 0);

    const UINT buttons[] = {IDB_BTN_OK,   IDB_BTN_YES,  IDB_BTN_NO,  IDB_BTN_CANCEL,
                            IDB_BTN_NEXT, IDB_BTN_SKIP, IDB_BTN_BACK};
    std::vector<std::unique_ptr<BtnWnd>> rows[3];
    for (int state = 0; state < 3; ++state) {
        for (int i = 0; i < 7; ++i) {
            rows[state].push_back(
                std::make_unique<BtnWnd>(b, 20 + 80 * i, 50 + 45 * state, 3, buttons[i], true));
            if (state == 2) rows[state].back()->Enable(false);
        }
    }
    ChkWnd off(b, 20, 200, 2, IDB_CHECK_DONT_ASK, true);
    ChkWnd on(b, 200, 200, 2, IDB_CHECK_DONT_ASK, true);
    on.SetCheck(1);

    FrameWnd flat("Output Levels", b, {20, 240, 320, 360}, 0, RGB(0x3A, 0x41, 0x4A), false,
                  kChildStyle, 0);
    FrameWnd dialog(nullptr, b, {350, 240, 400, 290}, IDB_DIALOG_BG, 0, false, kChildStyle, 0);
    dialog.SetSkin(IDB_DIALOG_BG, IDB_TEST_OVERLAY);
    ProgressBar progress;
    progress.Create(dialog.GetHwnd(), 24, 56, IDB_TEST_PROGRESS, 0, 100, 11, 230, true);
    progress.SetPos(62);
    CaptionBar pressedClose(b, 0, 460);

    uitest::LoadedBitmap fader(IDB_TEST_FADER), thumbs(IDB_TEST_THUMB);
    Slider sliders[4];
    const float values[4] = {-12.0f, -3.5f, 6.0f, 12.0f};
    for (int i = 0; i < 4; ++i) {
        sliders[i].Create(b, i, {680 + 30 * i, 240, 702 + 30 * i, 400}, fader.dc(),
                          {8, 18, 13, 146}, thumbs.dc(), {0, 0, 18, 10}, -12, 12, 4);
        sliders[i].SetValue(values[i]);
        sliders[i].SetState(i);
    }
    uitest::Pump();
    RedrawWindow(b, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    // A button is pressed only while it holds the mouse: press each in turn and keep its face.
    const RECT row1 = Union({RectIn(rows[1].front()->GetHwnd(), b), RectIn(rows[1].back()->GetHwnd(), b)}, 0);
    HDC boardDc = GetDC(b);
    HDC pressed = CreateCompatibleDC(boardDc);
    HBITMAP pressedBitmap = CreateCompatibleBitmap(boardDc, row1.right - row1.left, row1.bottom - row1.top);
    HGDIOBJ oldBitmap = SelectObject(pressed, pressedBitmap);
    BitBlt(pressed, 0, 0, row1.right - row1.left, row1.bottom - row1.top, boardDc, row1.left, row1.top, SRCCOPY);
    auto holdAndCopy = [&](BtnWnd& button, HDC into, POINT at) {
        SendMessageA(button.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, uitest::Point(5, 5));
        HDC face = GetDC(button.GetHwnd());
        BitBlt(into, at.x, at.y, button.FrameWidth(), button.Height(), face, 0, 0, SRCCOPY);
        ReleaseDC(button.GetHwnd(), face);
        button.CancelPress();
    };
    for (auto& button : rows[1]) {
        const RECT r = RectIn(button->GetHwnd(), b);
        holdAndCopy(*button, pressed, POINT{r.left - row1.left, r.top - row1.top});
    }
    const std::string folder = uitest::ScreenshotFolder();
    EXPECT_TRUE(uitest::SaveBmp(pressed, RECT{0, 0, row1.right - row1.left, row1.bottom - row1.top},
                                folder + "\\buttons_pressed.bmp"));
    const RECT bar = RectIn(pressedClose.GetHwnd(), b);
    HDC strip = CreateCompatibleDC(boardDc);
    HBITMAP stripBitmap = CreateCompatibleBitmap(boardDc, bar.right - bar.left, bar.bottom - bar.top);
    HGDIOBJ oldStrip = SelectObject(strip, stripBitmap);
    BitBlt(strip, 0, 0, bar.right - bar.left, bar.bottom - bar.top, boardDc, bar.left, bar.top, SRCCOPY);
    holdAndCopy(*pressedClose.CloseButton(), strip, CaptionBar::kClosePosition);
    EXPECT_TRUE(uitest::SaveBmp(strip, RECT{0, 0, bar.right - bar.left, bar.bottom - bar.top},
                                folder + "\\caption_bar_close_pressed.bmp"));
    SelectObject(strip, oldStrip);
    DeleteObject(stripBitmap);
    DeleteDC(strip);
    SelectObject(pressed, oldBitmap);
    DeleteObject(pressedBitmap);
    DeleteDC(pressed);
    ReleaseDC(b, boardDc);

    RECT all;
    GetClientRect(b, &all);
    Save(b, all, "board");
    Save(b, RectIn(caption.GetHwnd(), b), "caption_bar");
    for (int state : {0, 2}) {
        std::vector<RECT> rects;
        for (auto& button : rows[state]) rects.push_back(RectIn(button->GetHwnd(), b));
        Save(b, Union(rects, 0), state ? "buttons_disabled" : "buttons_normal");
    }
    Save(b, Union({RectIn(off.GetHwnd(), b), RectIn(on.GetHwnd(), b)}, 2), "check_boxes");
    Save(b, RectIn(flat.GetHwnd(), b), "frame_flat");
    Save(b, RectIn(dialog.GetHwnd(), b), "frame_dialog_progress");
    std::vector<RECT> faders;
    for (auto& s : sliders) faders.push_back(RectIn(s.GetWindow(), b));
    Save(b, Union(faders, 4), "sliders");

    // The pictures show what the skins are: sample one of each.
    HDC dc = GetDC(b);
    const RECT ok = RectIn(rows[0][0]->GetHwnd(), b);
    EXPECT_EQ(GetPixel(dc, ok.left + 8, ok.top + 8), uitest::BitmapPixel(IDB_BTN_OK, 8, 8));
    EXPECT_EQ(GetPixel(dc, 500, 14), uitest::BitmapPixel(IDB_CAPTION_BAR, 500, 14));
    ReleaseDC(b, dc);
}

TEST_F(Screenshots, MessageBoxes) {
    uitest::RecordingParent owner(1280, 1024);
    struct Box {
        const char* name;
        UINT flags;
        int check;
        const char* caption;
        const char* message;
    } boxes[] = {
        {"msgbox_ok_cancel", MbOk | MbCancel, 0, "Write to Device",
         "The tuning on the device will be replaced by the one on the screen. Continue?"},
        {"msgbox_yes_no_cancel", MbYes | MbNo | MbCancel, -1, "Exit",
         "Save the changes to a setup file before closing?"},
        {"msgbox_ok", MbOk, -1, nullptr, "Close this application and restart the device."},
    };
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.name);
        int inked = 0;
        uitest::BoxDriver driver(
            owner, {[&](HWND d) {
                        RedrawWindow(d, nullptr, nullptr,
                                     RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                        RECT r;
                        GetClientRect(d, &r);
                        Save(d, r, box.name);
                        HDC dc = GetDC(d);
                        uitest::LoadedBitmap bg(IDB_DIALOG_BG);
                        for (int y = 50; y < 150; ++y)
                            for (int x = 20; x < 280; ++x)
                                if (GetPixel(dc, x, y) != GetPixel(bg.dc(), x, y)) ++inked;
                        ReleaseDC(d, dc);
                    },
                    [](HWND d) { uitest::ClickChild(uitest::BoxButtons(d).front().window); }});
        MsgBox msg(owner.hwnd(), IDB_DIALOG_BG, {20, 50, 280, 150}, {85, 6, 296, 32}, box.caption,
                   0, box.message, 0, box.flags, box.check, -1);
        EXPECT_FALSE(driver.timedOut);
        EXPECT_GT(inked, 100);  // the message is there, whatever the glyphs
    }
}
