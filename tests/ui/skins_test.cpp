// The generated skins have the sizes and frame layouts the toolkit relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "res/resource.h"
#include "tests/ui/harness.h"
#include "tests/ui/test_resource.h"
#include "ui/gdi.h"
#include "ui/msg_box.h"

namespace {

struct Skin {
    const char* name;
    UINT id;
    int width, height, frames;
};

constexpr Skin kSkins[] = {
    {"caption strip", IDB_CAPTION_BAR, 1024, 29, 1},
    {"close", IDB_CAPTION_CLOSE, 46, 21, 2},
    {"minimise", IDB_CAPTION_MINIMIZE, 42, 21, 2},
    {"Back", IDB_BTN_BACK, 234, 39, 3},
    {"Cancel", IDB_BTN_CANCEL, 234, 39, 3},
    {"Next", IDB_BTN_NEXT, 234, 39, 3},
    {"OK", IDB_BTN_OK, 234, 39, 3},
    {"dialog background", IDB_DIALOG_BG, 300, 220, 1},
    {"SKIP", IDB_BTN_SKIP, 234, 39, 3},
    {"NO", IDB_BTN_NO, 234, 39, 3},
    {"YES", IDB_BTN_YES, 234, 39, 3},
    {"don't ask again", IDB_CHECK_DONT_ASK, 290, 15, 2},
};

// Pixels that differ between two frames of a strip.
int FrameDifference(HDC strip, int frameWidth, int height, int a, int b) {
    int n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < frameWidth; ++x)
            if (GetPixel(strip, a * frameWidth + x, y) != GetPixel(strip, b * frameWidth + x, y)) ++n;
    return n;
}

}  // namespace

TEST(Skins, EveryToolkitBitmapHasItsSizeAndDistinctFrames) {
    for (const Skin& s : kSkins) {
        SCOPED_TRACE(s.name);
        const SIZE size = uitest::BitmapSizeOf(s.id);
        EXPECT_EQ(size.cx, s.width);
        EXPECT_EQ(size.cy, s.height);
        uitest::LoadedBitmap strip(s.id);
        const int frameWidth = s.width / s.frames;
        for (int a = 0; a < s.frames; ++a)
            for (int b = a + 1; b < s.frames; ++b)
                EXPECT_GT(FrameDifference(strip.dc(), frameWidth, s.height, a, b), 20)
                    << "frames " << a << " and " << b << " look alike";
    }
    // The message box's buttons are these strips, in bit order.
    EXPECT_EQ(ui::MsgBox::kButtonBitmaps[0], static_cast<UINT>(IDB_BTN_OK));
    EXPECT_EQ(ui::MsgBox::kButtonBitmaps[6], static_cast<UINT>(IDB_BTN_BACK));
}

TEST(Skins, CaptionButtonsAtRestBlendIntoTheStrip) {
    // Frame 0 of each caption button repeats the strip's rows where it sits (y 4), so only the
    // glyph shows; compare a column at the button's edge.
    for (const auto& [id, x] : {std::pair<UINT, int>{IDB_CAPTION_CLOSE, 995},
                                std::pair<UINT, int>{IDB_CAPTION_MINIMIZE, 974}}) {
        for (int y = 0; y < 21; ++y)
            EXPECT_EQ(uitest::BitmapPixel(id, 0, y), uitest::BitmapPixel(IDB_CAPTION_BAR, x, y + 4))
                << "button " << id << " row " << y;
    }
}

TEST(Skins, MessageAreaIsLightEnoughForTheDarkMessageText) {
    // The message text is grey 40 at alpha 200: the background under the message rectangles the
    // boxes use (down to row 152) must be light (relative luminance well above the text's) for a
    // contrast of at least 7:1. The header is the dark face: no box writes a caption text on it
    // (every caption is an image, whose lettering the skin generator holds to 4.5:1).
    auto luminance = [](COLORREF c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) +
               0.0722 * channel(GetBValue(c));
    };
    uitest::LoadedBitmap bg(IDB_DIALOG_BG);
    const double text = luminance(RGB(40, 40, 40));
    for (const RECT& area : {RECT{20, 40, 285, 152}}) {
        double darkest = 1.0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                darkest = std::min(darkest, luminance(GetPixel(bg.dc(), x, y)));
        EXPECT_GE((darkest + 0.05) / (text + 0.05), 7.0);
    }
}

// The toolkit reads its strips and skins without LoadBitmapA where it can; what it reads must be
// pixel for pixel what LoadBitmapA gives (rows in order, channels in place, no padding lost),
// for strips of every width class, odd widths included.
TEST(Skins, TheToolkitsLoadShowsWhatLoadBitmapShows) {
    const UINT ids[] = {IDB_CAPTION_BAR, IDB_CAPTION_CLOSE, IDB_BTN_OK,        IDB_DIALOG_BG,
                        IDB_CHECK_DONT_ASK, IDB_TEST_STRIP3, IDB_TEST_PROGRESS, IDB_TEST_OVERLAY,
                        IDB_TEST_SKIN, IDB_TEST_FADER, IDB_TEST_THUMB};
    for (UINT id : ids) {
        SCOPED_TRACE(id);
        uitest::LoadedBitmap reference(id);
        const SIZE size = uitest::BitmapSizeOf(id);
        ASSERT_GT(size.cx, 0);
        ui::gdi::MemoryDC loaded;
        ASSERT_TRUE(loaded.Create(reference.dc()));
        loaded.SetBitmap(ui::gdi::LoadSkinBitmap(id));
        ASSERT_EQ(loaded.Size().cx, size.cx);
        ASSERT_EQ(loaded.Size().cy, size.cy);
        int differing = 0;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                if (GetPixel(loaded, x, y) != GetPixel(reference.dc(), x, y)) ++differing;
        EXPECT_EQ(differing, 0);
    }
    EXPECT_EQ(ui::gdi::LoadSkinBitmap(59999), nullptr);  // no such resource
}
