#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "res/resource.h"
#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/progress_bar.h"
#include "ui/slider.h"
#include "ui/win.h"

using namespace ui;
using uitest::Point;

namespace {

constexpr COLORREF kBackground = RGB(0x30, 0x40, 0x50);

// Records what reaches the overridable operations.
class ProbeFrame : public FrameWnd {
public:
    using FrameWnd::FrameWnd;
    void OnLButtonDown(int x, int y, WPARAM keys) override {
        ++downs;
        focusAtDown = GetFocus();
        FrameWnd::OnLButtonDown(x, y, keys);
    }
    void OnMouseWheel(int x, int y, WPARAM w) override {
        wheel = POINT{x, y};
        wheelParam = w;
    }
    LRESULT OnKeyDown(WPARAM w, LPARAM) override { return static_cast<LRESULT>(w) + 1000; }
    LRESULT OnAppMessage(HWND, UINT message, WPARAM w, LPARAM l) override {
        ++appMessages;
        return static_cast<LRESULT>(message + w + l);
    }
    bool OnClose() override { return allowClose; }

    int downs = 0;
    HWND focusAtDown = nullptr;
    POINT wheel{-1, -1};
    WPARAM wheelParam = 0;
    int appMessages = 0;
    bool allowClose = false;
};

class FrameWndTest : public ::testing::Test {
protected:
    std::unique_ptr<ProbeFrame> Child(const char* title, UINT skin, WndRect r = {10, 10, 210, 110},
                                      bool centre = false) {
        return std::make_unique<ProbeFrame>(title, parent.hwnd(), r, skin, kBackground, centre,
                                            kChildStyle, 0);
    }
    static SIZE ClientSize(HWND w) {
        RECT r;
        GetClientRect(w, &r);
        return SIZE{r.right, r.bottom};
    }
    uitest::RecordingParent parent;
};

}  // namespace

TEST_F(FrameWndTest, TitleIsCutTo64CharactersAndAnEmptyOneGivesNoWindowText) {
    const std::string seventy(70, 'T');
    auto longTitle = Child(seventy.c_str(), 0);
    char text[128] = {};
    GetWindowTextA(longTitle->GetHwnd(), text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(64, 'T'));
    EXPECT_EQ(std::string(longTitle->Title()), std::string(64, 'T'));

    auto noTitle = Child("", 0);
    EXPECT_EQ(GetWindowTextLengthA(noTitle->GetHwnd()), 0);
    // The flat face's drag band is the default text height (16) + 3 for an empty title.
    EXPECT_EQ(noTitle->TitleRect().top, 1);
    EXPECT_EQ(noTitle->TitleRect().bottom, 19);

    // SetTitle changes the drawn title, never the window text; null empties it.
    longTitle->SetTitle(nullptr);
    EXPECT_STREQ(longTitle->Title(), "");
    GetWindowTextA(longTitle->GetHwnd(), text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(64, 'T'));
}

TEST_F(FrameWndTest, SkinnedFrameTakesTheSkinsSizeOrShowsItCentred) {
    const SIZE skin = uitest::BitmapSizeOf(IDB_TEST_SKIN);
    ASSERT_EQ(skin.cx, 160);
    auto sized = Child(nullptr, IDB_TEST_SKIN, {5, 5, 55, 55});
    const SIZE client = ClientSize(sized->GetHwnd());
    EXPECT_EQ(client.cx, skin.cx);
    EXPECT_EQ(client.cy, skin.cy);
    for (POINT p : {POINT{0, 0}, POINT{80, 60}, POINT{159, 119}})
        EXPECT_EQ(uitest::Pixel(sized->BackBuffer(), p.x, p.y),
                  uitest::BitmapPixel(IDB_TEST_SKIN, p.x, p.y));

    // Centred in a 300 x 200 client: at (150 - 80, 100 - 60), on the background colour.
    auto centred = Child(nullptr, IDB_TEST_SKIN, {0, 0, 300, 200}, true);
    EXPECT_EQ(ClientSize(centred->GetHwnd()).cx, 300);
    EXPECT_EQ(uitest::Pixel(centred->BackBuffer(), 70 + 5, 40 + 7),
              uitest::BitmapPixel(IDB_TEST_SKIN, 5, 7));
    EXPECT_EQ(uitest::Pixel(centred->BackBuffer(), 69, 40), kBackground);
    EXPECT_EQ(uitest::Pixel(centred->BackBuffer(), 299, 199), kBackground);

    // What the window shows is the back buffer.
    HDC screen = GetDC(sized->GetHwnd());
    EXPECT_EQ(uitest::Pixel(screen, 80, 60), uitest::BitmapPixel(IDB_TEST_SKIN, 80, 60));
    ReleaseDC(sized->GetHwnd(), screen);
}

TEST_F(FrameWndTest, PrivateMessagesReachOnAppMessageAndItsResultGoesBack) {
    auto frame = Child(nullptr, 0);
    HWND w = frame->GetHwnd();
    EXPECT_EQ(SendMessageA(w, 0x8000, 1, 2), 0x8000 + 3);
    EXPECT_EQ(SendMessageA(w, 0x8123, 7, 9), 0x8123 + 16);
    EXPECT_EQ(SendMessageA(w, 0xBFFF, 0, 0), 0xBFFF);
    EXPECT_EQ(frame->appMessages, 3);
    SendMessageA(w, 0x7FFF, 0, 0);                                   // WM_USER range
    SendMessageA(w, RegisterWindowMessageA("DarvixTestBroadcast"), 0, 0);  // the system's
    EXPECT_EQ(frame->appMessages, 3);

    FrameWnd base(nullptr, parent.hwnd(), {0, 0, 20, 20}, 0, 0, false, kChildStyle, 0);
    EXPECT_EQ(SendMessageA(base.GetHwnd(), 0x8020, 1, 1), 0);
}

TEST_F(FrameWndTest, CloseIsRefusedUnlessOnCloseAllowsIt) {
    auto frame = Child(nullptr, 0);
    HWND w = frame->GetHwnd();
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(w));
    frame->allowClose = true;
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    // The object outlives its window and knows it: its destructor destroys nothing.
    EXPECT_EQ(frame->GetHwnd(), nullptr);
}

TEST_F(FrameWndTest, PressFocusesAnEnabledFrameFirstAndDoubleClicksAreNotPresses) {
    auto frame = Child(nullptr, 0);
    auto other = Child(nullptr, 0, {300, 10, 400, 110});
    HWND w = frame->GetHwnd();
    SetFocus(other->GetHwnd());
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 50));
    EXPECT_EQ(frame->downs, 1);
    EXPECT_EQ(frame->focusAtDown, w);

    SetFocus(other->GetHwnd());
    EnableWindow(w, FALSE);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 50));
    EXPECT_EQ(frame->downs, 2);
    EXPECT_EQ(frame->focusAtDown, other->GetHwnd());
    EnableWindow(w, TRUE);

    SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(50, 50));
    EXPECT_EQ(frame->downs, 2);
    uitest::Pump();
}

TEST_F(FrameWndTest, KeysWheelAndDialogCodes) {
    auto frame = Child(nullptr, 0, {10, 20, 210, 120});
    HWND w = frame->GetHwnd();
    EXPECT_EQ(SendMessageA(w, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
    EXPECT_EQ(SendMessageA(w, WM_KEYDOWN, VK_RETURN, 0), VK_RETURN + 1000);
    EXPECT_EQ(SendMessageA(w, WM_KEYUP, VK_RETURN, 0), 0);

    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    const WPARAM wheel = MAKEWPARAM(MK_CONTROL, 120);
    SendMessageA(w, WM_MOUSEWHEEL, wheel, Point(origin.x + 5, origin.y + 6));
    EXPECT_EQ(frame->wheel.x, 5);
    EXPECT_EQ(frame->wheel.y, 6);
    EXPECT_EQ(frame->wheelParam, wheel);
}

TEST_F(FrameWndTest, SetSkinResizesAddsTheOverlayAndMakesTheTopBandDrag) {
    auto frame = Child(nullptr, IDB_DIALOG_BG);
    HWND w = frame->GetHwnd();
    ASSERT_EQ(ClientSize(w).cx, 300);
    frame->SetSkin(IDB_TEST_SKIN, IDB_TEST_OVERLAY);
    EXPECT_EQ(ClientSize(w).cx, 160);
    EXPECT_EQ(ClientSize(w).cy, 120);
    EXPECT_EQ(frame->SkinId(), static_cast<UINT>(IDB_TEST_SKIN));
    for (POINT p : {POINT{0, 0}, POINT{40, 13}, POINT{76, 26}})
        EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 83 + p.x, p.y),
                  uitest::BitmapPixel(IDB_TEST_OVERLAY, p.x, p.y));
    EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 40, 60), uitest::BitmapPixel(IDB_TEST_SKIN, 40, 60));
    // The overlay stays part of the face after a redraw.
    frame->Refresh();
    EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 83 + 40, 13),
              uitest::BitmapPixel(IDB_TEST_OVERLAY, 40, 13));

    // A press in the top 30 pixels asks the system to drag the window (posted to itself).
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(100, 10));
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, w, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(m.lParam, 0);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(100, 40));
    EXPECT_FALSE(PeekMessageA(&m, w, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));

    // Id 0 changes nothing; an id that does not exist neither resizes nor loses the skin.
    frame->SetSkin(0, 0);
    EXPECT_EQ(frame->SkinId(), static_cast<UINT>(IDB_TEST_SKIN));
    frame->SetSkin(59999, 0);
    EXPECT_EQ(ClientSize(w).cx, 160);
    EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 40, 60), uitest::BitmapPixel(IDB_TEST_SKIN, 40, 60));
    // Overlay 0 removes it from later skins.
    frame->SetSkin(IDB_DIALOG_BG, 0);
    EXPECT_EQ(ClientSize(w).cx, 300);
    EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 83 + 40, 13),
              uitest::BitmapPixel(IDB_DIALOG_BG, 83 + 40, 13));
    uitest::Pump();
}

TEST_F(FrameWndTest, FrameWhoseSkinIsMissingKeepsItsRectangleAndTheFlatFace) {
    // A skinned frame is made at its skin's size; without the skin it keeps the size it was given.
    auto frame = Child(nullptr, 59999, {10, 10, 130, 90});
    const SIZE client = ClientSize(frame->GetHwnd());
    EXPECT_EQ(client.cx, 120);
    EXPECT_EQ(client.cy, 80);
    EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 1, 40), FrameWnd::kDarkPen);
    EXPECT_EQ(uitest::Pixel(frame->BackBuffer(), 119, 40), FrameWnd::kLightPen);
}

TEST_F(FrameWndTest, FlatFaceHasTheTwoToneBevel) {
    auto frame = Child("Bevel", 0, {0, 0, 120, 80});
    HDC face = frame->BackBuffer();
    const int w = 120, h = 80;
    EXPECT_EQ(uitest::Pixel(face, 1, h / 2), FrameWnd::kDarkPen);
    EXPECT_EQ(uitest::Pixel(face, w - 2, h / 2), FrameWnd::kDarkPen);
    EXPECT_EQ(uitest::Pixel(face, 2, h / 2), FrameWnd::kLightPen);
    EXPECT_EQ(uitest::Pixel(face, w - 1, h / 2), FrameWnd::kLightPen);
    EXPECT_EQ(uitest::Pixel(face, w / 2, 1), FrameWnd::kDarkPen);
    EXPECT_EQ(uitest::Pixel(face, w / 2, h - 1), FrameWnd::kLightPen);
    EXPECT_EQ(uitest::Pixel(face, w / 2, h / 2), kBackground);
    EXPECT_EQ(uitest::Pixel(face, 0, 0), kBackground);
    // The title is drawn in its band (whatever the font makes of it).
    EXPECT_GT(uitest::PixelsDifferentFrom(face, RECT{8, 3, 118, 19}, kBackground), 0);
}

namespace {

// A subclass whose Redraw needs its own members: it must not run before they exist.
class LateFrame : public FrameWnd {
public:
    explicit LateFrame(HWND parent)
        : FrameWnd(nullptr, parent, {0, 0, 100, 60}, 0, kBackground, false, kChildStyle, 0),
          marker_(RGB(0xEE, 0x11, 0x22)) {
        Redraw(true);  // now that marker_ exists
    }
    void Redraw(bool updateNow) override {
        ++redraws;
        FrameWnd::Redraw(false);
        SetPixel(BackBuffer(), 50, 30, marker_);
        if (updateNow) UpdateNow();
    }
    int redraws = 0;  // assigned before the constructor body: counts only the subclass's calls

private:
    COLORREF marker_;
};

}  // namespace

TEST_F(FrameWndTest, SubclassDrawsItselfOnceItsConstructionIsComplete) {
    LateFrame frame(parent.hwnd());
    EXPECT_EQ(frame.redraws, 1);
    EXPECT_EQ(uitest::Pixel(frame.BackBuffer(), 50, 30), RGB(0xEE, 0x11, 0x22));
    // Later messages reach the override.
    SendMessageA(frame.GetHwnd(), WM_ENABLE, TRUE, 0);
    EXPECT_EQ(frame.redraws, 2);
}

TEST_F(FrameWndTest, WindowThatDiedWithItsParentIsNotDestroyedAgain) {
    auto orphanParent = std::make_unique<uitest::RecordingParent>(200, 200);
    FrameWnd frame(nullptr, orphanParent->hwnd(), {0, 0, 50, 50}, IDB_TEST_SKIN, 0, false,
                   kChildStyle, 0);
    HWND w = frame.GetHwnd();
    ASSERT_TRUE(IsWindow(w));
    orphanParent.reset();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(frame.GetHwnd(), nullptr);
    frame.Refresh();  // harmless without a window
}

TEST_F(FrameWndTest, ToolkitWindowsWithoutTheirObjectActAsPlainWindows) {
    // Messages that come before the object is attached (WM_NCCREATE, WM_NCCALCSIZE, ...) find
    // no object; a window of a toolkit class made without one must get through everything.
    FrameWnd frame(nullptr, parent.hwnd(), {0, 0, 20, 20}, 0, 0, false, kChildStyle, 0);
    BtnWnd button(parent.hwnd(), 0, 0, 3, IDB_TEST_STRIP3, true);
    ProgressBar bar;
    bar.Create(parent.hwnd(), 0, 0, IDB_TEST_PROGRESS, 0, 1, 0, 10, true);
    uitest::LoadedBitmap background(IDB_TEST_FADER), thumbs(IDB_TEST_THUMB);
    Slider slider;
    slider.Create(parent.hwnd(), 0, {0, 0, 22, 160}, background.dc(), {8, 18, 13, 146},
                  thumbs.dc(), {0, 0, 18, 10}, -1, 1, 4);
    for (const char* name : {FrameWnd::kClassName, BtnWnd::kClassName, Slider::kClassName,
                             ProgressBar::kClassName}) {
        SCOPED_TRACE(name);
        HWND bare = CreateWindowExA(0, name, nullptr, kChildStyle, 0, 0, 30, 30, parent.hwnd(),
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(bare, nullptr);
        for (UINT message : {UINT(WM_SIZE), UINT(WM_LBUTTONDOWN), UINT(WM_MOUSEMOVE),
                             UINT(WM_LBUTTONUP), UINT(WM_LBUTTONDBLCLK), UINT(WM_MOUSEWHEEL),
                             UINT(WM_TIMER), UINT(WM_ENABLE), UINT(WM_CAPTURECHANGED),
                             UINT(0x8020)})
            SendMessageA(bare, message, 0, 0);
        InvalidateRect(bare, nullptr, TRUE);
        UpdateWindow(bare);
        EXPECT_TRUE(DestroyWindow(bare));
    }
}
