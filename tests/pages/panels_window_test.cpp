// The chart and the two information panels as windows under Wine: sizes and places, the zoom,
// what a paint puts where, what it frees, and the switches' clicks. Pixels, not glyphs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "model/tables.h"
#include "pages/chart_prefix.h"
#include "pages/chart_raster.h"
#include "pages/chart_view.h"
#include "pages/device_info.h"
#include "pages/display_chart.h"
#include "pages/display_settings.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"
#include "ui/text.h"
#include "ui/text_gdiplus.h"

using namespace pages;

namespace {

using uitest::ClientSize;
using uitest::RectIn;

void Band17(model::DspChannelRecord& r, float dB) {
    r = model::DspChannelRecord{};
    r.EQGain[17] = dB;
    dsp::ComputeEqBands(&r);
}

// The pixels of a DC's area or of a skin, read at once (one GetPixel per pixel is slow under Wine).
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> px;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

Pixels Read(HDC dc, int width, int height) {
    Pixels out;
    out.width = width;
    out.height = height;
    out.px = uitest::Grab(dc, RECT{0, 0, width, height});
    out.px.resize(static_cast<size_t>(width) * height);  // zeros where nothing could be read
    return out;
}

Pixels Skin(UINT id) {
    HBITMAP b = ui::gdi::LoadSkinBitmap(id);
    const SIZE size = ui::gdi::BitmapSize(b);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, b);
    Pixels out = Read(mem, size.cx, size.cy);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ui::gdi::Free(b);
    return out;
}

int DifferingPixels(const Pixels& a, const Pixels& b, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += a.at(x, y) != b.at(x, y);
    return n;
}

struct Session {
    ui::GdiplusSession gdiplus;
};

// The plot of the tuning page's chart with whole-pixel numbers: column = 19 + 0.25 * x,
// row = 85.5 - 5 * y, clipped to columns 19..712 and rows 20..150.
dsp::PaintPlan PlotOf747By159() {
    dsp::PaintPlan plan;
    plan.clipLeft = 19;
    plan.clipTop = 20;
    plan.clipRight = 713;
    plan.clipBottom = 151;
    plan.tx = 19.0f;
    plan.ty = 85.5f;
    plan.sx = 0.25f;
    plan.sy = -5.0f;
    plan.ox = 0.0f;
    return plan;
}

TEST(ChartWindow, BothGeometriesSizesAndSliderPlaces) {
    Session s;
    uitest::RecordingParent parent(1100, 500);
    DisplayChart def(parent.hwnd(), 10, 10, 0);
    DisplayChart custom(parent.hwnd(), 10, 200, IDB_CHART_BG_SOURCES);
    EXPECT_EQ(ClientSize(def.GetHwnd()).cx, 747);
    EXPECT_EQ(ClientSize(def.GetHwnd()).cy, 159);
    EXPECT_EQ(ClientSize(custom.GetHwnd()).cx, 771);
    EXPECT_EQ(ClientSize(custom.GetHwnd()).cy, 147);
    const RECT a = RectIn(def.ZoomSlider().GetWindow(), def.GetHwnd());
    EXPECT_EQ(a.left, 720);
    EXPECT_EQ(a.top, 67);
    EXPECT_EQ(a.right, 739);
    EXPECT_EQ(a.bottom, 150);
    const RECT b = RectIn(custom.ZoomSlider().GetWindow(), custom.GetHwnd());
    EXPECT_EQ(b.left, 742);
    EXPECT_EQ(b.top, 62);
    EXPECT_EQ(b.right, 761);
    EXPECT_EQ(b.bottom, 145);
    EXPECT_FLOAT_EQ(def.ZoomSlider().GetValue(), 1.0f);
}

TEST(ChartWindow, ZoomFollowsTheSliderAndADoubleClickRestoresIt) {
    Session s;
    uitest::RecordingParent parent;
    DisplayChart chart(parent.hwnd(), 0, 0, 0);
    HWND slider = chart.ZoomSlider().GetWindow();
    // The thumb to the top, as the user puts it there: 2.0, +-24 dB.
    chart.ZoomSlider().JumpTo(9, 0);
    EXPECT_FLOAT_EQ(chart.Curves().YMax(), 24.0f);
    EXPECT_FLOAT_EQ(chart.Curves().YMin(), -24.0f);
    SendMessageA(slider, WM_LBUTTONDBLCLK, MK_LBUTTON, uitest::Point(9, 40));
    EXPECT_FLOAT_EQ(chart.ZoomSlider().GetValue(), 1.0f);
    EXPECT_FLOAT_EQ(chart.Curves().YMax(), 12.0f);
}

TEST(ChartWindow, APlusSixDecibelPeakLandsOnItsPixelAndNothingLeavesThePlot) {
    Session s;
    uitest::RecordingParent parent;
    DisplayChart chart(parent.hwnd(), 0, 0, 0);
    model::DspChannelRecord r;
    Band17(r, 6.0f);
    chart.ShowResponse(0, r.eqSections, model::kBandCount, false);
    chart.Curves().SetCurveLineArgb(0, 255, 0, 0, 255, false);
    chart.Curves().SetCurveFillArgb(0, 0, 0, 0, 0, false);
    chart.Curves().SetHighlight(0, -1, -1, true);
    const Pixels shot = Read(chart.BackBuffer(), 747, 159);
    const Pixels skin = Skin(IDB_CHART_BG);
    // 1 kHz at +6 dB: x = 20 + (3 - log10 19.69) * 692 / (log10 20000 - log10 19.69), y = 85.5 - 6 * 129 / 24.
    const dsp::PixelPoint p = dsp::MapToPixel(dsp::kDefaultChartGeometry, -12, 12, 3.0f, 6.0f);
    int found = -1;
    for (int y = 21; y < 150; ++y) {
        const uint32_t c = shot.at(static_cast<int>(std::lround(p.x)), y);
        if (((c >> 16) & 0xFF) > 150 && ((c >> 8) & 0xFF) < 120 && (c & 0xFF) < 120) {
            found = y;
            break;
        }
    }
    ASSERT_GE(found, 0) << "no red pixel in the column of 1 kHz";
    EXPECT_NEAR(found, p.y, 1.5);
    // Outside the plot only the labels change the background (and the slider is a window).
    const RECT labels[2] = {{0, 18, 20, 36}, {0, 135, 20, 153}};
    int outside = 0;
    for (int y = 0; y < 159; ++y) {
        for (int x = 0; x < 747; ++x) {
            const POINT pt{x, y};
            if (x >= 19 && x < 713 && y >= 20 && y < 151) continue;
            if (PtInRect(&labels[0], pt) || PtInRect(&labels[1], pt)) continue;
            if (shot.at(x, y) != skin.at(x, y)) ++outside;
        }
    }
    EXPECT_EQ(outside, 0);
}

TEST(ChartWindow, HeldChartsDoNotChangeAndReleasePaintsOnce) {
    Session s;
    uitest::RecordingParent parent;
    DisplayChart chart(parent.hwnd(), 0, 0, 0);
    model::DspChannelRecord r;
    Band17(r, 6.0f);
    HDC dc = chart.BackBuffer();
    const COLORREF before = uitest::Pixel(dc, 413, 60);
    const long paints = chart.Logic().Paints();
    chart.Curves().SetHoldRedraw(true);
    chart.ShowResponse(0, r.eqSections, model::kBandCount, true);
    chart.Curves().SetHighlight(0, -1, -1, true);
    chart.Paint(true);
    EXPECT_EQ(chart.Logic().Paints(), paints);
    EXPECT_EQ(uitest::Pixel(dc, 413, 60), before);
    chart.Curves().SetHoldRedraw(false);
    EXPECT_EQ(chart.Logic().Paints(), paints + 1);
}

// A paint without update (a curve shown or hidden with no repaint asked, as a page does while it
// refreshes) changes only the back buffer; the next paint that goes to the screen must bring that
// change too, or the window keeps showing a curve the chart no longer holds.
TEST(ChartWindow, TheScreenCatchesUpWithPaintsMadeWithoutUpdate) {
    Session s;
    uitest::RecordingParent parent;
    DisplayChart chart(parent.hwnd(), 0, 0, 0);
    ShowWindow(parent.hwnd(), SW_SHOW);
    model::DspChannelRecord r;
    Band17(r, 9.0f);
    chart.ShowResponse(0, r.eqSections, model::kBandCount, true);
    chart.Curves().SetHighlight(0, -1, -1, true);
    uitest::Pump();
    Band17(r, -9.0f);
    chart.ShowResponse(0, r.eqSections, model::kBandCount, false);
    chart.Paint(false);
    chart.Curves().ShowCurve(77, false, false);  // no such curve: a paint without update
    chart.Paint(true);  // nothing changed since: the screen must still get the moved curve
    uitest::Pump();
    HDC screen = GetDC(chart.GetHwnd());
    const Pixels shown = Read(screen, 747, 159);
    ReleaseDC(chart.GetHwnd(), screen);
    const Pixels drawn = Read(chart.BackBuffer(), 747, 159);
    EXPECT_EQ(DifferingPixels(shown, drawn, 20, 21, 712, 150), 0) << "the plot on screen is not the chart's";
}

TEST(ChartWindow, PaintsFreeTheirObjects) {
    Session s;
    uitest::RecordingParent parent;
    const ui::gdi::LiveCounts gdiBefore = ui::gdi::Live();
    model::DspChannelRecord r;
    Band17(r, -9.0f);
    for (int i = 0; i < 100; ++i) {
        DisplayChart chart(parent.hwnd(), 0, 0, i % 2 ? IDB_CHART_BG_SOURCES : 0);
        chart.ShowResponse(0, r.eqSections, model::kBandCount, true);
        EXPECT_EQ(ui::LiveGdiplusObjects(), 0);
    }
    EXPECT_EQ(ui::gdi::Live(), gdiBefore);
}

// A chart that paints only from its first changed curve on shows, after every kind of change,
// exactly what a new chart shows when it draws the same curves from scratch.
TEST(ChartWindow, PaintsFromTheFirstChangeEqualAFreshDrawing) {
    Session s;
    uitest::RecordingParent parent(1100, 500);
    DisplayChart chart(parent.hwnd(), 0, 0, 0);
    model::DspChannelRecord r[4];
    auto tune = [&](int i, float dB) {
        r[i] = model::DspChannelRecord{};
        for (int k = 0; k < model::kBandCount; ++k) r[i].EQGain[k] = ((k + i) % 3 ? 1.0f : -1.0f) * dB;
        dsp::ComputeEqBands(&r[i]);
    };
    for (int i = 0; i < 4; ++i) tune(i, 2.0f + i);
    float zoom = 1.0f;
    int32_t highlight = -1;
    bool hidden = false;
    auto show = [&](DisplayChart& c) {
        c.Curves().SetHoldRedraw(true);
        for (uint32_t i = 0; i < 4; ++i) c.ShowResponse(10 * i, r[i].eqSections, model::kBandCount, false);
        c.Curves().SetCurveFillArgb(0, 255, 120, 120, 120, false);
        c.Curves().SetCurveLineArgb(0, 250, 20, 20, 200, false);
        c.Curves().ShowCurve(20, !hidden, false);
        c.Curves().SetHighlight(highlight, -1, -1, false);
        c.Curves().SetRange(-12.0f * zoom, 12.0f * zoom);
        c.Curves().SetHoldRedraw(false);
    };
    show(chart);
    struct Change {
        const char* what;
        std::function<void()> apply;
        int mostDrawn;  // ops drawn with GDI+ at most (-1: any)
    } changes[] = {
        {"the newest curve (drawn first) moves", [&] { tune(3, -6.0f); }, -1},
        {"the same curve moves again", [&] { tune(3, 4.0f); }, -1},
        {"the oldest curve (drawn last) moves", [&] { tune(0, 7.0f); }, -1},
        {"and again: only its two ops are drawn", [&] { tune(0, -3.0f); }, 2},
        {"a curve is highlighted", [&] { highlight = 0; }, -1},
        {"the highlighted curve moves", [&] { tune(0, 5.0f); }, -1},
        {"and again: only its two ops are drawn", [&] { tune(0, 6.0f); }, 2},
        {"a curve is hidden", [&] { hidden = true; }, -1},
        {"the zoom changes", [&] { zoom = 2.0f; }, -1},
        {"nothing changes", [] {}, 0},
    };
    for (const Change& k : changes) {
        k.apply();
        show(chart);
        DisplayChart fresh(parent.hwnd(), 0, 200, 0);
        show(fresh);
        const Pixels a = Read(chart.BackBuffer(), 747, 159), b = Read(fresh.BackBuffer(), 747, 159);
        EXPECT_EQ(DifferingPixels(a, b, 0, 0, 747, 159), 0) << k.what;
        if (k.mostDrawn >= 0) {
            EXPECT_LE(chart.Kept().Drawn(), k.mostDrawn) << k.what;
        }
        EXPECT_EQ(ui::LiveGdiplusObjects(), 0) << k.what;
    }
}

// A chart built off screen keeps nothing while it stays there (no canvas, kept copy or kept
// responses, no work arrays between calls, its paints owed) and still shows, pixel for pixel,
// what a chart that kept and drew everything shows: when it is first painted on screen and on
// the steps after, from when on it keeps its drawing again.
TEST(ChartWindow, AChartKeepingNothingUntilShownDrawsWhatAKeepingChartDraws) {
    Session s;
    uitest::RecordingParent parent(1100, 500);
    ShowWindow(parent.hwnd(), SW_HIDE);
    DisplayChart keeping(parent.hwnd(), 0, 0, 0);
    DisplayChart sleeping(parent.hwnd(), 0, 200, 0);
    sleeping.KeepNothingUntilShown();
    model::DspChannelRecord r[2];
    model::CrossoverSections xo[2];
    auto tune = [&](int i, float dB, int lowPassHz) {
        r[i] = model::DspChannelRecord{};
        for (int k = 0; k < model::kBandCount; ++k) r[i].EQGain[k] = ((k + i) % 3 ? 1.0f : -1.0f) * dB;
        dsp::ComputeEqBands(&r[i]);
        r[i].crossover = model::CrossoverParams{};
        r[i].crossover.FilterType = model::kLowPass;
        r[i].crossover.FilterModel = model::kLinkwitz;
        r[i].crossover.LPFreq = static_cast<float>(lowPassHz);
        r[i].crossover.LFSlope = 24.0f;
        r[i].crossover.bInvPhase = static_cast<uint32_t>(i);
        xo[i].section.fill(model::IdentitySection());
        dsp::DesignCrossover(r[i].crossover, xo[i]);
    };
    tune(0, 3.0f, 2000);
    tune(1, -4.0f, 500);
    auto show = [&](DisplayChart& c) {
        c.Curves().SetHoldRedraw(true);
        for (int i = 0; i < 2; ++i) {
            const uint32_t id = static_cast<uint32_t>(model::ParamIndex(0, i, 0));
            c.ShowResponse(id, r[i].eqSections, model::kBandCount, false);
            c.ShowCrossoverResponse(id + 1, r[i].crossover, xo[i], false);
        }
        const int32_t triples[] = {0, 0, 0, 0, 1, 1};
        c.ShowSumResponse(true, r, xo, triples, 2, false);
        c.Curves().SetHighlight(static_cast<int32_t>(model::ParamIndex(0, 1, 0)), -1, -1, false);
        c.Curves().SetHoldRedraw(false);
    };
    auto same = [&](const char* when) {
        const Pixels a = Read(keeping.BackBuffer(), 747, 159), b = Read(sleeping.BackBuffer(), 747, 159);
        EXPECT_EQ(DifferingPixels(a, b, 0, 0, 747, 159), 0) << when;
    };
    auto holdsNothing = [&](const char* when) {
        EXPECT_TRUE(sleeping.KeepingNothing()) << when;
        EXPECT_TRUE(sleeping.PaintOwed()) << when;
        EXPECT_FALSE(sleeping.Kept().Holds()) << when;
        const dsp::ResponseEngine::Held held = sleeping.Logic().Engine().HeldBytes();
        EXPECT_EQ(held.work, 0u) << when;
        EXPECT_EQ(held.prefixes, 0u) << when;
        EXPECT_LE(held.kept, sizeof(double) * dsp::kBlockLength) << when;  // the last response alone
    };
    show(keeping);
    show(sleeping);
    holdsNothing("built off screen");
    tune(1, 5.0f, 800);
    show(keeping);
    show(sleeping);
    holdsNothing("a step off screen");

    ShowWindow(parent.hwnd(), SW_SHOW);
    UpdateWindow(parent.hwnd());
    uitest::Pump();
    EXPECT_FALSE(sleeping.PaintOwed());
    same("first painted on screen");
    tune(1, -2.0f, 800);
    show(keeping);
    show(sleeping);
    same("the first step on screen");
    EXPECT_FALSE(sleeping.KeepingNothing());
    EXPECT_TRUE(sleeping.Kept().Holds());
    tune(1, 1.0f, 800);
    show(keeping);
    show(sleeping);
    same("the next step on screen");
    EXPECT_GT(sleeping.Logic().Engine().HeldBytes().kept, sizeof(double) * dsp::kBlockLength);
    EXPECT_EQ(sleeping.Kept().Drawn(), keeping.Kept().Drawn()) << "both start from their kept copies";
    EXPECT_EQ(ui::LiveGdiplusObjects(), 0);
}

// The chart's lines lie where GDI+ draws the same polyline under the same transform and clip with
// its thinnest pen: every pixel GDI+ puts gets a share of ours, and every pixel ours gives half a
// share or more lies within a pixel of one of GDI+'s. Curves that leave the plot on every side,
// start or end inside it, jump straight up and down, fall far below it, and go back on themselves.
TEST(ChartWindow, LinesLieWhereGdiplusDrawsThem) {
    Session s;
    dsp::PaintPlan plan = PlotOf747By159();
    plan.penWidth = 0.0001f;
    auto curve = [](int n, float x0, float x1, const std::function<float(float)>& y) {
        std::vector<dsp::ChartPoint> p(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const float x = x0 + (x1 - x0) * static_cast<float>(i) / static_cast<float>(n - 1);
            p[static_cast<size_t>(i)] = {x, y(x)};
        }
        return p;
    };
    const struct Case {
        const char* what;
        std::vector<dsp::ChartPoint> points;
    } cases[] = {
        {"a wave over and past the whole plot", curve(3000, -100.0f, 3000.0f, [](float x) { return 14.0f * std::sin(x / 40.0f); })},
        {"a slow curve inside the plot", curve(700, 800.0f, 1900.0f, [](float x) { return 0.01f * (x - 1300.0f); })},
        {"steps straight up and down",
         [] {
             std::vector<dsp::ChartPoint> p;
             for (int k = 0; k < 8; ++k) {
                 const float edge = 96.0f * 4.0f * static_cast<float>(k) + (k % 2 ? 0.0f : 1.37f);
                 p.push_back({edge, k % 2 ? 8.0f : -8.0f});
                 p.push_back({edge, k % 2 ? -8.0f : 8.0f});
                 p.push_back({edge + 0.5f, k % 2 ? -7.0f : 7.0f});
             }
             return p;
         }()},
        {"a fall far below the plot", curve(400, 0.0f, 2800.0f, [](float x) { return x < 1500.0f ? 3.0f : -300.0f; })},
        {"two points", {{100.0f, -10.0f}, {2500.0f, 10.0f}}},
        {"columns going back", {{100.0f, 0.0f}, {2000.0f, 5.0f}, {1200.0f, -5.0f}, {2600.0f, 2.0f}}},
    };
    const int width = 747, height = 159;
    const uint32_t ground = 0x00203040u;
    auto gdiplus = [&](const Case& c) {
        std::vector<uint32_t> px(static_cast<size_t>(width * height), ground);
        ui::gp::Bitmap image;
        ui::gp::Graphics g;
        ui::gp::Pen pen;
        EXPECT_TRUE(image.Made(ui::gp::flat::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                                                     reinterpret_cast<BYTE*>(px.data()), image.Out())));
        EXPECT_TRUE(g.Made(ui::gp::flat::GdipGetImageGraphicsContext(image.get(), g.Out())));
        ui::gp::flat::GdipSetSmoothingMode(g.get(), Gdiplus::SmoothingModeAntiAlias);
        ui::gp::flat::GdipSetClipRectI(g.get(), plan.clipLeft, plan.clipTop, plan.clipRight - plan.clipLeft,
                                       plan.clipBottom - plan.clipTop, Gdiplus::CombineModeReplace);
        ui::gp::flat::GdipTranslateWorldTransform(g.get(), plan.tx, plan.ty, Gdiplus::MatrixOrderPrepend);
        ui::gp::flat::GdipScaleWorldTransform(g.get(), plan.sx, plan.sy, Gdiplus::MatrixOrderPrepend);
        EXPECT_TRUE(pen.Made(ui::gp::flat::GdipCreatePen1(0xFFFFFFFFu, plan.penWidth, Gdiplus::UnitWorld, pen.Out())));
        ui::gp::flat::GdipDrawLines(g.get(), pen.get(), reinterpret_cast<const Gdiplus::PointF*>(c.points.data()),
                                    static_cast<int>(c.points.size()));
        ui::gp::flat::GdipFlush(g.get(), Gdiplus::FlushIntentionSync);
        return px;
    };
    for (const Case& c : cases) {
        const std::vector<uint32_t> theirs = gdiplus(c);
        std::vector<uint32_t> ours(static_cast<size_t>(width * height), ground);
        DrawPolyline(ours.data(), width, height, plan, c.points.data(), static_cast<int>(c.points.size()), 0xFFFFFFFFu);
        auto put = [&](const std::vector<uint32_t>& px, int x, int y) {
            return x >= 0 && y >= 0 && x < width && y < height && (px[static_cast<size_t>(y * width + x)] & 0xFFFFFF) != ground;
        };
        // Half a share or more of white over the ground: every channel at least half way.
        auto strong = [&](int x, int y) { return ((ours[static_cast<size_t>(y * width + x)] >> 8) & 0xFF) >= 0x98; };
        int theirsPut = 0, missed = 0, astray = 0, outside = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool inPlot = x >= plan.clipLeft && x < plan.clipRight && y >= plan.clipTop && y < plan.clipBottom;
                if (put(ours, x, y) && !inPlot) ++outside;
                if (put(theirs, x, y)) {
                    ++theirsPut;
                    if (!put(ours, x, y)) ++missed;
                }
                if (put(ours, x, y) && strong(x, y)) {
                    bool beside = false;
                    for (int dy = -1; dy <= 1 && !beside; ++dy)
                        for (int dx = -1; dx <= 1 && !beside; ++dx) beside = put(theirs, x + dx, y + dy);
                    if (!beside) ++astray;
                }
            }
        EXPECT_GT(theirsPut, 50) << c.what;
        EXPECT_EQ(missed, 0) << c.what;
        EXPECT_EQ(astray, 0) << c.what;
        EXPECT_EQ(outside, 0) << c.what;
    }
    EXPECT_EQ(ui::LiveGdiplusObjects(), 0);
}

// A fill puts the fill's colour, blended by its alpha, over exactly the pixels of GDI's own region
// of the same polygon (its corners on whole pixels, the winding rule), inside the plot alone; a
// pixel on the region's edge may fall either way. Shapes: a triangle with slopes of every
// steepness, a five-pointed star drawn in one stroke (its middle filled by the winding rule),
// and the area under a wave that leaves the plot above and below, closed along 0 dB.
TEST(ChartWindow, FillsCoverTheirPolygonsRegionAndBlendByAlpha) {
    dsp::PaintPlan plan = PlotOf747By159();
    std::vector<dsp::ChartPoint> star;
    for (int k = 0; k < 5; ++k) {
        const double a = 2.0 * 3.14159265358979 * (2 * k) / 5.0;
        star.push_back({static_cast<float>(1400.0 + 1000.0 * std::sin(a)), static_cast<float>(12.0 * std::cos(a))});
    }
    std::vector<dsp::ChartPoint> wave;
    for (int i = 0; i <= 600; ++i) {
        const float x = -200.0f + 5.0f * static_cast<float>(i);
        wave.push_back({x, 20.0f * std::sin(x / 150.0f)});
    }
    wave.push_back({2800.0f, 0.0f});
    wave.push_back({-200.0f, 0.0f});
    const struct Case {
        const char* what;
        std::vector<dsp::ChartPoint> points;
    } cases[] = {
        {"a triangle", {{40.0f, -11.0f}, {2700.0f, -9.0f}, {900.0f, 11.0f}}},
        {"a star in one stroke", star},
        {"the area under a wave", wave},
    };
    const int width = 747, height = 159;
    auto ground = [](int x, int y) { return ((x + y) % 2) ? 0x00FFFFFFu : 0x00000000u; };
    const uint32_t argb = 0x80C86432u;  // alpha 128 of (200, 100, 50)
    // By hand: 200 * 128 / 255 = 100, 100 * 128 / 255 = 50, 50 * 128 / 255 = 25 over black, and
    // each plus 255 * 127 / 255 = 127 over white.
    const uint32_t overBlack = 0x00643219u, overWhite = 0x00E3B198u;
    for (const Case& c : cases) {
        std::vector<uint32_t> px(static_cast<size_t>(width * height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) px[static_cast<size_t>(y * width + x)] = ground(x, y);
        FillPolygon(px.data(), width, height, plan, c.points.data(), static_cast<int>(c.points.size()), argb);
        std::vector<POINT> corners;
        for (const dsp::ChartPoint& p : c.points)
            corners.push_back({std::lround(plan.tx + plan.sx * (p.x + plan.ox)), std::lround(plan.ty + plan.sy * p.y)});
        HRGN region = CreatePolygonRgn(corners.data(), static_cast<int>(corners.size()), WINDING);
        ASSERT_NE(region, nullptr);
        HRGN plot = CreateRectRgn(plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom);
        CombineRgn(region, region, plot, RGN_AND);
        auto inside = [&](int x, int y) { return PtInRegion(region, x, y) != FALSE; };
        int filled = 0, wrong = 0, badColour = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t v = px[static_cast<size_t>(y * width + x)], g = ground(x, y);
                const bool in = inside(x, y);
                const bool edge = in != inside(x - 1, y) || in != inside(x + 1, y) || in != inside(x, y - 1) ||
                                  in != inside(x, y + 1);
                if (v != g) {
                    ++filled;
                    if (v != (g ? overWhite : overBlack)) ++badColour;
                }
                if (!edge && (v != g) != in) ++wrong;
            }
        }
        DeleteObject(plot);
        DeleteObject(region);
        EXPECT_GT(filled, 1000) << c.what;
        EXPECT_EQ(wrong, 0) << c.what;
        EXPECT_EQ(badColour, 0) << c.what;
    }
}

TEST(DeviceInfoWindow, ANewPanelDrawsLineFourAloneAndKeeps63Characters) {
    Session s;
    uitest::RecordingParent parent;
    DeviceInfo info(parent.hwnd(), 0, 0);
    EXPECT_EQ(ClientSize(info.GetHwnd()).cx, 458);
    EXPECT_EQ(ClientSize(info.GetHwnd()).cy, 199);
    const Pixels shot = Read(info.BackBuffer(), 458, 199);
    const Pixels skin = Skin(IDB_DEVICE_INFO);
    for (int i = 0; i < 5; ++i) {
        const LineRect& l = info.Lines().Rect(i);
        const int differ = DifferingPixels(shot, skin, l.left, l.top, l.right, l.bottom);
        if (i == 4)
            EXPECT_GT(differ, 20) << "line 4";
        else
            EXPECT_EQ(differ, 0) << "line " << i;
    }
    const std::string hundred(100, 'W');
    info.SetLine(2, hundred.c_str());
    EXPECT_EQ(std::string(info.Line(2)), std::string(63, 'W'));
    info.RefreshText(true);
    EXPECT_EQ(ui::LiveGdiplusObjects(), 0);
}

TEST(DisplaySettingsWindow, ClicksSwitchesAndSource) {
    Session s;
    uitest::RecordingParent parent;
    DisplaySettings panel(parent.hwnd(), 0, 0);
    EXPECT_EQ(ClientSize(panel.GetHwnd()).cx, 460);
    EXPECT_EQ(ClientSize(panel.GetHwnd()).cy, 106);
    ui::ChkWnd* xo = panel.Switch(kCrossoverSwitch);
    ui::ChkWnd* eq = panel.Switch(kEqualiserSwitch);
    ui::ChkWnd* total = panel.Switch(kTotalSwitch);
    EXPECT_EQ(RectIn(xo->GetHwnd(), panel.GetHwnd()).left, 26);
    EXPECT_EQ(RectIn(eq->GetHwnd(), panel.GetHwnd()).top, 56);
    EXPECT_EQ(RectIn(total->GetHwnd(), panel.GetHwnd()).left, 50);

    auto click = [&](ui::ChkWnd* sw) {
        SendMessageA(sw->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, uitest::Point(3, 3));
        SendMessageA(sw->GetHwnd(), WM_LBUTTONUP, 0, uitest::Point(3, 3));
        uitest::Pump();
    };
    parent.Clear();
    click(eq);
    EXPECT_EQ(parent.Of(ui::MsgCurveSwitches).size(), 1u);
    click(total);
    EXPECT_EQ(parent.Of(ui::MsgCurveSwitches).size(), 2u);
    EXPECT_EQ(xo->State(), ui::BtnWnd::kDisabled);  // the third frame
    EXPECT_EQ(eq->State(), ui::BtnWnd::kDisabled);
    int e, x, t;
    panel.GetSwitches(&e, &x, &t);
    EXPECT_EQ(e, 2);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(t, 1);
    panel.Reset(false);
    uitest::Pump();
    EXPECT_EQ(parent.Of(ui::MsgCurveSwitches).size(), 2u);  // a reset reports nothing
    EXPECT_TRUE(IsWindowEnabled(eq->GetHwnd()));
    EXPECT_TRUE(IsWindowEnabled(xo->GetHwnd()));
    EXPECT_EQ(eq->GetCheck(), 1);
    click(eq);
    EXPECT_EQ(eq->GetCheck(), 0);

    // An unchanged source paints nothing: a mark in its area stays.
    panel.SetSource(4);
    HDC dc = panel.BackBuffer();
    const RECT& sr = DisplaySettings::kSourceRect;
    EXPECT_GT(DifferingPixels(Read(dc, 460, 106), Skin(IDB_DISPLAY_SETTINGS), sr.left, sr.top, sr.right,
                              sr.bottom),
              20);  // "Phone"
    SetPixel(dc, sr.left + 2, sr.top + 2, RGB(1, 2, 3));
    panel.SetSource(4);
    EXPECT_EQ(uitest::Pixel(dc, sr.left + 2, sr.top + 2), RGB(1, 2, 3));
    panel.SetSource(-1);
    EXPECT_NE(uitest::Pixel(dc, sr.left + 2, sr.top + 2), RGB(1, 2, 3));
    EXPECT_EQ(ui::LiveGdiplusObjects(), 0);
}

// Pictures for a person to look at.
TEST(ChartScreenshots, EveryKindOfCurveAndBothPanels) {
    Session s;
    uitest::RecordingParent parent(1100, 720);
    for (UINT bg : {0u, static_cast<UINT>(IDB_CHART_BG_SOURCES)}) {
        for (float zoom : {1.0f, 2.0f}) {
            DisplayChart chart(parent.hwnd(), 0, 0, bg);
            model::DspChannelRecord a, b;
            Band17(a, 6.0f);
            b = model::DspChannelRecord{};
            for (int k = 0; k < model::kBandCount; ++k) b.EQGain[k] = (k % 4 == 0) ? -5.0f : 2.0f;
            dsp::ComputeEqBands(&b);
            model::CrossoverParams lp{}, hp{};
            lp.FilterType = model::kLowPass;
            lp.FilterModel = model::kLinkwitz;
            lp.LPFreq = 2000;
            lp.LFSlope = 24;
            hp = lp;
            hp.FilterType = model::kHighPass;
            hp.HPFreq = 2000;
            hp.HFSlope = 24;
            model::CrossoverSections ls, hs;
            ls.section.fill(model::IdentitySection());
            hs.section.fill(model::IdentitySection());
            dsp::DesignCrossover(lp, ls);
            dsp::DesignCrossover(hp, hs);
            model::DspChannelRecord records[8]{};
            records[0] = a;
            records[0].crossover = lp;
            records[1] = b;
            records[1].crossover = hp;
            model::CrossoverSections sections[8];
            sections[0] = ls;
            sections[1] = hs;
            chart.Curves().SetHoldRedraw(true);
            // A front-left and a front-right woofer: equaliser ids 2 and 50, crossovers 3 and 51.
            chart.ShowResponse(2, a.eqSections, 31, true);
            chart.ShowCrossoverResponse(3, lp, ls, true);
            chart.ShowResponse(50, b.eqSections, 31, true);
            chart.ShowCrossoverResponse(51, hp, hs, true);
            const int32_t triples[6] = {0, 1, 0, 2, 1, 1};
            chart.ShowSumResponse(true, records, sections, triples, 2, false);
            chart.Curves().SetCurveFillArgb(2, 120, 255, 120, 120, false);
            chart.Curves().SetCurveLineArgb(2, 200, 250, 200, 205, false);
            chart.Curves().SetCurveFillArgb(3, 255, 120, 120, 120, false);
            chart.Curves().SetCurveLineArgb(3, 250, 20, 20, 180, false);
            chart.Curves().SetHighlight(2, 3, static_cast<int32_t>(pages::TotalCurveId(0, 1)), false);
            chart.ZoomSlider().SetValue(zoom);
            chart.Logic().SetZoom(zoom);
            chart.Curves().SetHoldRedraw(false);
            UpdateWindow(chart.GetHwnd());
            const SIZE size = ClientSize(chart.GetHwnd());
            const std::string path = uitest::ScreenshotFolder() + "\\chart_" + (bg ? "sources" : "page") +
                                     (zoom == 1.0f ? "_zoom1" : "_zoom2") + ".bmp";
            EXPECT_TRUE(uitest::SaveBmp(chart.BackBuffer(), {0, 0, size.cx, size.cy}, path)) << path;
        }
    }
    DeviceInfo info(parent.hwnd(), 0, 200);
    info.SetLine(0, "firmware: ver. 1.0.0.0");
    info.SetLine(3, "Vexa connected (ver. 1.02)");
    info.SetLine(4, "darvix connected.");
    info.RefreshText(true);
    EXPECT_TRUE(uitest::SaveBmp(info.BackBuffer(), {0, 0, 458, 199}, uitest::ScreenshotFolder() + "\\device_info.bmp"));
    DisplaySettings panel(parent.hwnd(), 0, 420);
    SendMessageA(panel.Switch(kTotalSwitch)->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, uitest::Point(3, 3));
    uitest::Pump();
    panel.SetSource(4);
    // The switches are windows of their own: shoot the panel from the parent's screen.
    UpdateWindow(parent.hwnd());
    HDC screen = GetDC(panel.GetHwnd());
    EXPECT_TRUE(uitest::SaveBmp(screen, {0, 0, 460, 106}, uitest::ScreenshotFolder() + "\\display_settings.bmp"));
    ReleaseDC(panel.GetHwnd(), screen);
}

}  // namespace
