#include <gtest/gtest.h>

#include <limits>

#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/progress_bar.h"

using namespace ui;

namespace {

// IDB_TEST_PROGRESS: 251 x 136, the bar from x 11, 230 pixels long.
constexpr int kHalf = 68, kBarX = 11, kRow = 34;

class ProgressBarTest : public ::testing::Test {
protected:
    // Columns [kBarX, end) show the full bar, the rest the empty one (sampled on the middle row).
    void ExpectFilledUpTo(const ProgressBar& bar, int end) {
        HDC face = bar.BackBuffer();
        for (int x = 0; x < 251; ++x) {
            SCOPED_TRACE(x);
            const bool full = x >= kBarX && x < end;
            ASSERT_EQ(uitest::Pixel(face, x, kRow), uitest::Pixel(bitmap.dc(), x, full ? kHalf + kRow : kRow));
        }
    }
    uitest::RecordingParent parent;
    uitest::LoadedBitmap bitmap{IDB_TEST_PROGRESS};
};

}  // namespace

TEST_F(ProgressBarTest, WindowIsTheUpperHalfAndHiddenUnlessAsked) {
    ProgressBar hidden;
    ASSERT_TRUE(hidden.Create(parent.hwnd(), 10, 10, IDB_TEST_PROGRESS, 1, 100, kBarX, 230, false));
    RECT r;
    GetClientRect(hidden.GetHwnd(), &r);
    EXPECT_EQ(r.right, 251);
    EXPECT_EQ(r.bottom, kHalf);
    EXPECT_FALSE(IsWindowVisible(hidden.GetHwnd()));
    ProgressBar shown;
    ASSERT_TRUE(shown.Create(parent.hwnd(), 10, 100, IDB_TEST_PROGRESS, 1, 100, kBarX, 230, true));
    EXPECT_TRUE(IsWindowVisible(shown.GetHwnd()));

    ProgressBar plain;  // without a bitmap: 10 x 100, so a 10 x 50 window with nothing to copy
    ASSERT_TRUE(plain.Create(parent.hwnd(), 300, 10, 0, 0, 10, 0, 10, true));
    GetClientRect(plain.GetHwnd(), &r);
    EXPECT_EQ(r.right, 10);
    EXPECT_EQ(r.bottom, 50);
    EXPECT_EQ(plain.FilledColumns(), 0);
}

TEST_F(ProgressBarTest, FillGrowsWithThePositionAndTheFirstColumnShowsAtTheMinimum) {
    ProgressBar bar;
    ASSERT_TRUE(bar.Create(parent.hwnd(), 10, 10, IDB_TEST_PROGRESS, 1, 100, kBarX, 230, true));
    // Position 50 from the start: trunc(230 * 49 / 99) = 113, and one more column.
    EXPECT_EQ(bar.GetPos(), 50.0);
    EXPECT_EQ(bar.FilledColumns(), 114);
    ExpectFilledUpTo(bar, kBarX + 114);
    HDC screen = GetDC(bar.GetHwnd());  // and on screen
    EXPECT_EQ(uitest::Pixel(screen, 100, kRow), uitest::Pixel(bitmap.dc(), 100, kHalf + kRow));
    EXPECT_EQ(uitest::Pixel(screen, 200, kRow), uitest::Pixel(bitmap.dc(), 200, kRow));
    ReleaseDC(bar.GetHwnd(), screen);
    struct Case {
        double set, stored;
        int columns;
    } cases[] = {
        {1, 1, 1},       {100, 100, 231}, {1000, 100, 231}, {-5, 1, 1},
        {60, 60, 138}, {std::numeric_limits<double>::quiet_NaN(), 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        bar.SetPos(c.set);
        EXPECT_EQ(bar.GetPos(), c.stored);
        EXPECT_EQ(bar.FilledColumns(), c.columns);
        ExpectFilledUpTo(bar, kBarX + c.columns);
    }
}

TEST_F(ProgressBarTest, EmptyRangeShowsTheEmptyBarAndBarLimitsStayInsideTheBitmap) {
    ProgressBar flat;
    ASSERT_TRUE(flat.Create(parent.hwnd(), 10, 10, IDB_TEST_PROGRESS, 5, 5, kBarX, 230, true));
    EXPECT_EQ(flat.FilledColumns(), 0);
    ExpectFilledUpTo(flat, kBarX);

    // A bar longer than the bitmap is cut to it; at the maximum the column past the bar's end
    // would lie outside the bitmap, and is not copied.
    ProgressBar wide;
    ASSERT_TRUE(wide.Create(parent.hwnd(), 10, 100, IDB_TEST_PROGRESS, 0, 1, 200, 500, true));
    wide.SetPos(1);
    EXPECT_EQ(wide.FilledColumns(), 51);
    ProgressBar left;
    ASSERT_TRUE(left.Create(parent.hwnd(), 10, 200, IDB_TEST_PROGRESS, 0, 1, -40, 9999, true));
    left.SetPos(1);
    EXPECT_EQ(left.FilledColumns(), 251);
}
