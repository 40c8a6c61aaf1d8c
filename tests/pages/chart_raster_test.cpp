// The chart's lines drawn into pixels, against coverage worked out by hand: pixel centres on whole
// coordinates, a pixel's share 1 - d at distance d from a line one pixel wide.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pages/chart_raster.h"

namespace {

constexpr int kWidth = 60, kHeight = 40;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A plan whose world units are device pixels, clipped to the whole buffer but a border of 2.
dsp::PaintPlan PixelPlan() {
    dsp::PaintPlan plan;
    plan.clipLeft = 2;
    plan.clipTop = 2;
    plan.clipRight = kWidth - 2;
    plan.clipBottom = kHeight - 2;
    plan.tx = plan.ty = plan.ox = 0.0f;
    plan.sx = plan.sy = 1.0f;
    plan.penWidth = 0.0001f;
    return plan;
}

using Pixel = std::pair<int, int>;  // (x, y)

// The pixels that are not black after drawing white with full alpha over black, with their level.
std::map<Pixel, int> Drawn(const dsp::PaintPlan& plan, const std::vector<dsp::ChartPoint>& points) {
    std::vector<uint32_t> px(kWidth * kHeight, 0xFF000000u);
    pages::DrawPolyline(px.data(), kWidth, kHeight, plan, points.data(), static_cast<int>(points.size()),
                        0xFFFFFFFFu);
    std::map<Pixel, int> drawn;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t v = px[static_cast<size_t>(y * kWidth + x)];
            EXPECT_EQ(v >> 24, 0xFFu) << "the top byte of (" << x << ", " << y << ") changed";
            const uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            EXPECT_TRUE(r == g && g == b) << "(" << x << ", " << y << ") is not grey";
            if (r) drawn[{x, y}] = static_cast<int>(r);
        }
    return drawn;
}

std::string Describe(const std::map<Pixel, int>& m) {
    std::string s;
    for (const auto& [p, v] : m) s += "(" + std::to_string(p.first) + "," + std::to_string(p.second) + ")=" + std::to_string(v) + " ";
    return s;
}

// Shares by hand: 1 - 0.5 = 0.5 of 255 is 127.5, rounded 128; 1 - 0.25 gives 191.25, 191; 1 - 0.75
// gives 63.75, 64; a diagonal's neighbour lies 1 / sqrt 2 = 0.7071 away: 0.2929 of 255 = 74.7, 75.
std::map<Pixel, int> Row(int y, int x0, int x1, int level) {
    std::map<Pixel, int> m;
    for (int x = x0; x <= x1; ++x) m[{x, y}] = level;
    return m;
}
std::map<Pixel, int> Column(int x, int y0, int y1, int level) {
    std::map<Pixel, int> m;
    for (int y = y0; y <= y1; ++y) m[{x, y}] = level;
    return m;
}
std::map<Pixel, int> Both(std::map<Pixel, int> a, const std::map<Pixel, int>& b) {
    a.insert(b.begin(), b.end());
    return a;
}
std::map<Pixel, int> Diagonal(int from, int to) {
    std::map<Pixel, int> m;
    for (int c = from; c <= to; ++c) m[{c, c}] = 255;
    for (int c = from; c < to; ++c) m[{c + 1, c}] = m[{c, c + 1}] = 75;
    return m;
}

// Where each kind of line lands, exactly, and nothing anywhere else.
TEST(ChartLines, CoverThePixelsWorkedOutByHand) {
    const struct Case {
        const char* what;
        std::vector<dsp::ChartPoint> points;
        std::map<Pixel, int> expected;
    } cases[] = {
        {"a horizontal line through pixel centres, its ends included", {{5, 10}, {30, 10}}, Row(10, 5, 30, 255)},
        {"a horizontal line between two rows", {{5, 10.5f}, {30, 10.5f}}, Both(Row(10, 5, 30, 128), Row(11, 5, 30, 128))},
        {"a vertical line a quarter right of a column",
         {{20.25f, 5}, {20.25f, 25}},
         Both(Column(20, 5, 25, 191), Column(21, 5, 25, 64))},
        {"a diagonal", {{10, 10}, {30, 30}}, Diagonal(10, 30)},
        {"a diagonal drawn from its far end", {{30, 30}, {10, 10}}, Diagonal(10, 30)},
        {"a line past the plot's left and right edges", {{-50, 10}, {500, 10}}, Row(10, 2, kWidth - 3, 255)},
        {"a line along the top edge, half outside", {{5, 1.5f}, {30, 1.5f}}, Row(2, 5, 30, 128)},
        {"a line falling far below the plot", {{40, 30}, {40, 1e7f}}, Column(40, 30, kHeight - 3, 255)},
        {"a line to a point at infinity is left out", {{5, 10}, {kInf, 10}, {5, 20}}, {}},
        {"segments to and from a NaN are left out", {{5, 10}, {kNaN, 10}, {20, 10}, {40, 10}}, Row(10, 20, 40, 255)},
        {"a segment of no length draws nothing", {{5, 10}, {5, 10}}, {}},
        {"a repeated point changes nothing", {{5, 10}, {15, 10}, {15, 10}, {30, 10}}, Row(10, 5, 30, 255)},
        {"a line wholly outside the plot", {{-30, 10}, {-3, 10}}, {}},
    };
    const dsp::PaintPlan plan = PixelPlan();
    for (const Case& c : cases) {
        const std::map<Pixel, int> drawn = Drawn(plan, c.points);
        EXPECT_EQ(drawn, c.expected) << c.what << "\n drawn: " << Describe(drawn) << "\n expected: " << Describe(c.expected);
    }
}

// A pixel that two segments cover takes the colour once: a line that goes back over itself
// draws as the line alone, and a join is no darker than the line.
TEST(ChartLines, BlendEachPixelOnceAtItsShareOfTheAlpha) {
    const dsp::PaintPlan plan = PixelPlan();
    const uint32_t ground = 0xFF404040u, argb = 0x80FF8000u;  // alpha 128 of (255, 128, 0)
    // By hand: each channel c * 128 / 255 plus 0x40 * 127 / 255: 128 + 32 = 160, 64 + 32 = 96, 0 + 32
    // = 32 over the line; at a share of 128 (the half row) the alpha is 128 * 128 / 255 = 64: 64 + 48
    // = 112, 32 + 48 = 80, 0 + 48 = 48.
    const uint32_t full = 0xFFA06020u, half = 0xFF705030u;
    const struct Case {
        const char* what;
        std::vector<dsp::ChartPoint> points;
        int row;
        uint32_t expected;
    } cases[] = {
        {"once along", {{5, 10}, {30, 10}}, 10, full},
        {"there and back", {{5, 10}, {30, 10}, {5, 10}}, 10, full},
        {"in many short segments", {{5, 10}, {6, 10}, {7.5f, 10}, {8, 10}, {20, 10}, {30, 10}}, 10, full},
        {"between two rows, there and back", {{5, 10.5f}, {30, 10.5f}, {5, 10.5f}}, 11, half},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> px(kWidth * kHeight, ground);
        pages::DrawPolyline(px.data(), kWidth, kHeight, plan, c.points.data(), static_cast<int>(c.points.size()), argb);
        for (int x = 5; x <= 30; ++x)
            EXPECT_EQ(px[static_cast<size_t>(c.row * kWidth + x)], c.expected) << c.what << " at column " << x;
        EXPECT_EQ(px[static_cast<size_t>(c.row * kWidth + 31)], ground) << c.what;
    }
}

// The thinnest pen draws a pixel wide whatever the world units; a pen wider than a pixel in the
// plot's units draws as wide: three pixels across a centre row, half a pixel more each side at a
// quarter.
TEST(ChartLines, TakeThePensWidthThroughTheTransform) {
    dsp::PaintPlan plan = PixelPlan();
    plan.sx = 4.0f;  // world x 1 = 4 pixels, world y 1 = a quarter: the pen's scale is their mean, 1
    plan.sy = 0.25f;
    plan.penWidth = 0.0001f;
    EXPECT_EQ(pages::LineWidthInPixels(plan), 1.0);
    EXPECT_EQ(Drawn(plan, {{1.25f, 40}, {7.5f, 40}}), Row(10, 5, 30, 255));
    plan.penWidth = 3.0f;
    EXPECT_EQ(pages::LineWidthInPixels(plan), 3.0);
    // Reach 2: rows 9 to 11 within 1.5, rows 8 and 12 at 2 get nothing; the ends are round.
    std::map<Pixel, int> wide = Both(Row(9, 5, 30, 255), Both(Row(10, 5, 30, 255), Row(11, 5, 30, 255)));
    wide[{4, 10}] = wide[{31, 10}] = 255;  // 1 past each end; 2 past gets nothing
    wide[{4, 9}] = wide[{4, 11}] = wide[{31, 9}] = wide[{31, 11}] = 149;  // 2 - sqrt 2 = 0.586 of 255
    EXPECT_EQ(Drawn(plan, {{1.25f, 40}, {7.5f, 40}}), wide);
}

// On the tuning page's chart (plot (20, 21)-(712, 150), 19.69 Hz to 20 kHz, +-12 dB) a flat 0 dB
// line lies on the plot's middle, 85.5, half on row 85 and half on row 86, from the left edge to
// the right; nothing is drawn outside the plot.
TEST(ChartLines, AFlatLineLiesOnThePlotsMiddle) {
    const double xMin = std::log10(19.69), xMax = std::log10(20000.0);
    dsp::PaintPlan plan;
    plan.clipLeft = 20;
    plan.clipTop = 21;
    plan.clipRight = 712;
    plan.clipBottom = 150;
    plan.tx = 20.0f;
    plan.ty = 85.5f;
    plan.sx = static_cast<float>(692.0 / (xMax - xMin));
    plan.sy = -129.0f / 24.0f;
    plan.ox = static_cast<float>(-xMin);
    plan.penWidth = 0.0001f;
    const int width = 747, height = 159;
    std::vector<uint32_t> px(static_cast<size_t>(width * height), 0);
    const std::vector<dsp::ChartPoint> flat{{static_cast<float>(std::log10(17.578125)), 0.0f},
                                            {static_cast<float>(std::log10(1000.0)), 0.0f},
                                            {static_cast<float>(std::log10(24000.0)), 0.0f}};
    pages::DrawPolyline(px.data(), width, height, plan, flat.data(), 3, 0xFFFFFFFFu);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool onLine = x >= 20 && x < 712 && (y == 85 || y == 86);
            wrong += (px[static_cast<size_t>(y * width + x)] & 0xFFFFFF) != (onLine ? 0x808080u : 0u);
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
