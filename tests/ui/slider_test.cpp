#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/messages.h"
#include "ui/slider.h"

using namespace ui;
using uitest::Point;

namespace {

// An equaliser-style fader: track 18..146 (128 px) for -12..+12 dB, 0.1875 dB per pixel.
constexpr int kTop = 18, kBottom = 146;
constexpr float kPerPixel = 24.0f / 128.0f;
constexpr UINT kIndex = 7;

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Make(slider, -12.0f, 12.0f, WndRect{8, kTop, 13, kBottom}));
        w = slider.GetWindow();
    }
    bool Make(Slider& s, float min, float max, WndRect track) {
        return s.Create(parent.hwnd(), kIndex, WndRect{20, 20, 42, 180}, background.dc(), track,
                        thumbs.dc(), WndRect{0, 0, 18, 10}, min, max, 4);
    }
    std::vector<uitest::Received> Moves() { return parent.Of(MsgSliderMoved); }
    // The change of the last MsgSliderMoved, which must have been sent and carry the index.
    float LastChange() {
        auto moves = Moves();
        if (moves.empty()) return std::numeric_limits<float>::quiet_NaN();
        EXPECT_TRUE(moves.back().sent);
        EXPECT_EQ(moves.back().wParam, kIndex);
        return moves.back().value;
    }
    void Drag(int fromY, int toY) {
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, fromY));
        SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, toY));
        SendMessageA(w, WM_LBUTTONUP, 0, Point(10, toY));
    }
    bool ThumbDrawnAt(int y, int state = 0) {
        // Sample the thumb's middle row, away from its rounded corners.
        return uitest::Pixel(slider.BackBuffer(), 2 + 8, y) ==
               uitest::Pixel(thumbs.dc(), 18 * state + 8, 5);
    }

    uitest::RecordingParent parent;
    uitest::LoadedBitmap background{IDB_TEST_FADER};
    uitest::LoadedBitmap thumbs{IDB_TEST_THUMB};
    Slider slider;
    HWND w = nullptr;
};

}  // namespace

TEST_F(SliderTest, StartsInTheMiddleWhichIsAlsoTheDefault) {
    EXPECT_EQ(slider.GetValue(), 0.0f);
    EXPECT_EQ(slider.GetDefault(), 0.0f);
    EXPECT_EQ(slider.ThumbY(), 82);  // trunc(146 - 12 * 128 / 24)
    // The thumb is centred on the track: x = (8 + 13 - 18) / 2 + 1 = 2, top = 82 - 5.
    const RECT t = slider.ThumbRect();
    EXPECT_EQ(t.left, 2);
    EXPECT_EQ(t.top, 77);
    EXPECT_TRUE(ThumbDrawnAt(82));
    EXPECT_EQ(uitest::Pixel(slider.BackBuffer(), 10, 30), uitest::Pixel(background.dc(), 10, 30));
}

TEST_F(SliderTest, ProgramValuesAreKeptInRangeSilently) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float set, stored;
    } cases[] = {
        {5.05f, 5.05f}, {100.0f, 12.0f}, {-100.0f, -12.0f}, {-12.1f, -12.0f}, {12.05f, 12.0f},
        {inf, 12.0f},   {-inf, -12.0f},  {-1e30f, -12.0f},  {1e30f, 12.0f},
        {std::numeric_limits<float>::quiet_NaN(), -12.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        slider.SetValue(c.set);
        EXPECT_EQ(slider.GetValue(), c.stored);
        EXPECT_GE(slider.ThumbY(), kTop);
        EXPECT_LE(slider.ThumbY(), kBottom);
    }
    slider.SetValue(12.0f);
    EXPECT_EQ(slider.ThumbY(), kTop);
    slider.SetValue(-12.0f);
    EXPECT_EQ(slider.ThumbY(), kBottom);
    uitest::Pump();
    EXPECT_TRUE(Moves().empty());
}

TEST_F(SliderTest, DragNotifiesSynchronouslyAndStopsAtTheEnds) {
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 82));
    EXPECT_TRUE(slider.Dragging());
    EXPECT_EQ(GetCapture(), w);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, 72));
    ASSERT_EQ(Moves().size(), 1u);  // before SendMessage returned: no pumping needed
    EXPECT_EQ(LastChange(), 10 * kPerPixel);
    EXPECT_EQ(slider.GetValue(), 1.875f);
    EXPECT_TRUE(ThumbDrawnAt(72));

    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, -50));
    EXPECT_EQ(slider.GetValue(), 12.0f);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, -60));
    EXPECT_EQ(Moves().size(), 3u);
    EXPECT_EQ(LastChange(), 0.0f);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(30, -60));  // same y: nothing
    EXPECT_EQ(Moves().size(), 3u);
    SendMessageA(w, WM_LBUTTONUP, 0, Point(10, -60));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_NE(GetCapture(), w);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, 100));
    EXPECT_EQ(Moves().size(), 3u);
}

TEST_F(SliderTest, DraggedValuesLieOnThePixelGrid) {
    slider.SetValue(5.05f);  // between two pixels
    int y = slider.ThumbY();
    for (int target : {y - 1, 40, 145, 19, 90, 146, 18}) {
        SCOPED_TRACE(target);
        Drag(slider.ThumbY(), target);
        const double k = (slider.GetValue() + 12.0) / kPerPixel;
        EXPECT_EQ(k, std::floor(k));
        EXPECT_EQ(slider.GetValue(), -12.0f + (kBottom - target) * kPerPixel);
    }
}

TEST_F(SliderTest, PressBesideTheThumbDoesNothing) {
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 30));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_NE(GetCapture(), w);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, 40));
    SendMessageA(w, WM_LBUTTONUP, 0, Point(10, 40));
    EXPECT_TRUE(Moves().empty());
    EXPECT_EQ(slider.GetValue(), 0.0f);
}

TEST_F(SliderTest, LosingTheCaptureEndsTheDrag) {
    uitest::RecordingParent other(50, 50);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 82));
    ASSERT_TRUE(slider.Dragging());
    SetCapture(other.hwnd());
    EXPECT_FALSE(slider.Dragging());
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(10, 60));
    EXPECT_TRUE(Moves().empty());
    ReleaseCapture();
}

TEST_F(SliderTest, WheelStepsOneFourOrEightPixels) {
    struct Case {
        WPARAM keys;
        short delta;
        float change;
    } cases[] = {
        {0, 120, kPerPixel},
        {0, -120, -kPerPixel},
        {MK_CONTROL, 120, 4 * kPerPixel},
        {MK_SHIFT, 120, 8 * kPerPixel},
        {MK_SHIFT | MK_CONTROL, -120, -8 * kPerPixel},
        {0, 240, 2 * kPerPixel},
        {0, 60, 0.0f},  // a fine wheel's half notch moves nothing but is still reported
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delta);
        slider.SetValue(0.0f);
        parent.Clear();
        SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(c.keys, static_cast<WORD>(c.delta)), 0);
        ASSERT_EQ(Moves().size(), 1u);
        EXPECT_EQ(LastChange(), c.change);
        EXPECT_EQ(slider.GetValue(), c.change);
    }
}

TEST_F(SliderTest, DoubleClickRestoresTheDefault) {
    slider.SetDefault(3.0f);
    slider.SetValue(-6.0f);
    SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(10, 10));
    EXPECT_EQ(slider.GetValue(), 3.0f);
    EXPECT_EQ(LastChange(), 9.0f);
    SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(10, 10));
    EXPECT_EQ(Moves().size(), 2u);
    EXPECT_EQ(LastChange(), 0.0f);
}

TEST_F(SliderTest, RightButtonJumpsOnlyWhenEnabledAndHoverFollows) {
    SendMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, Point(10, 50));
    SendMessageA(w, WM_RBUTTONUP, 0, Point(10, 50));
    uitest::Pump();
    EXPECT_TRUE(parent.received.empty());
    EXPECT_EQ(slider.GetValue(), 0.0f);

    slider.SetRightClickEnabled(true);
    SendMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, Point(10, 50));
    EXPECT_EQ(slider.GetValue(), 6.0f);  // -12 + (146 - 50) * 0.1875
    EXPECT_EQ(LastChange(), 6.0f);
    SendMessageA(w, WM_RBUTTONUP, 0, Point(10, 50));  // same pixel: no change to report
    uitest::Pump();
    const auto right = parent.Of(MsgSliderRightButton);
    ASSERT_EQ(right.size(), 2u);
    EXPECT_FALSE(right[0].sent);
    EXPECT_EQ(right[0].wParam, 1u);
    EXPECT_EQ(right[1].wParam, 0u);
    EXPECT_EQ(Moves().size(), 1u);

    slider.SetHoverFollow(true);
    SendMessageA(w, WM_MOUSEMOVE, 0, Point(10, 146));
    EXPECT_EQ(slider.GetValue(), -12.0f);
    EXPECT_EQ(LastChange(), -18.0f);
    slider.JumpTo(0, 500);  // clamped to the bottom, already there: still a move of 0
    EXPECT_EQ(Moves().size(), 3u);
}

TEST_F(SliderTest, DisabledSliderShowsNoThumbAndRefusesEmptyRangesAndStates) {
    slider.SetState(2);
    EXPECT_TRUE(ThumbDrawnAt(82, 2));
    slider.SetState(4);  // out of range: ignored
    EXPECT_EQ(slider.GetState(), 2);
    slider.Enable(false);
    for (int y = 77; y < 87; ++y)
        EXPECT_EQ(uitest::Pixel(slider.BackBuffer(), 10, y), uitest::Pixel(background.dc(), 10, y));
    slider.Enable(true);
    EXPECT_TRUE(ThumbDrawnAt(82, 2));

    slider.SetMin(12.0f);   // equal to max
    slider.SetMax(-12.0f);  // equal to min
    EXPECT_EQ(slider.GetMin(), -12.0f);
    EXPECT_EQ(slider.GetMax(), 12.0f);
    slider.SetValue(10.0f);
    slider.SetMax(6.0f);  // the value follows the narrower range
    EXPECT_EQ(slider.GetValue(), 6.0f);
    EXPECT_EQ(slider.ThumbY(), kTop);
}

TEST_F(SliderTest, EmptyRangeOrFlatTrackCannotMoveButDoesNotBreak) {
    struct Case {
        const char* what;
        float min, max;
        WndRect track;
    } cases[] = {
        {"min equals max", 3.0f, 3.0f, WndRect{8, kTop, 13, kBottom}},
        {"track of no height", -12.0f, 12.0f, WndRect{8, 80, 13, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Slider s;
        ASSERT_TRUE(Make(s, c.min, c.max, c.track));
        const float start = s.GetValue();
        EXPECT_FALSE(std::isnan(start));
        EXPECT_EQ(s.MovePixels(-10), start);
        SendMessageA(s.GetWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
        s.JumpTo(0, 20);
        s.SetValue(1e30f);
        EXPECT_FALSE(std::isnan(s.GetValue()));
        EXPECT_GE(s.ThumbY(), c.track.top);
        EXPECT_LE(s.ThumbY(), c.track.bottom);
    }
}
