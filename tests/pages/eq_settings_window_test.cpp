// The equaliser panel as a window under Wine, under a recording parent: each configuration's
// controls at their places with their bitmaps' sizes, real slider drags (one band, a group of
// switched-on bands, and down to the tuning page's model and send flags), the band switches'
// drag-toggle, the readouts while disabled, and the right-button follow mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "pages/eq_settings.h"
#include "res/resource.h"
#include "tests/pages/page_doubles.h"
#include "tests/ui/harness.h"
#include "ui/gdi.h"
#include "ui/messages.h"

namespace {

using uitest::Point;
using uitest::Pump;
using uitest::RecordingParent;

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) { return uitest::RectIn(child, GetParent(child)); }

::testing::AssertionResult At(HWND child, int x, int y, int width, int height) {
    if (!child) return ::testing::AssertionFailure() << "no window";
    const RECT r = ChildRect(child);
    if (r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << r.left << ", " << r.top << ") " << r.right - r.left << " x "
                                         << r.bottom - r.top << ", want (" << x << ", " << y << ") " << width
                                         << " x " << height;
}

// The panel's private messages to its parent (0x8070..0x8073).
std::vector<uitest::Received> EqMessages(const RecordingParent& parent) {
    std::vector<uitest::Received> out;
    for (const uitest::Received& r : parent.received)
        if (r.message >= ui::MsgEqBandChanged && r.message <= ui::MsgEqOffChanged) out.push_back(r);
    return out;
}

// A left-button drag of band k's thumb by dy pixels, as the mouse does it.
void DragThumb(pages::EqSettings& panel, int band, int dy) {
    ui::Slider& s = panel.Band(band);
    const RECT t = s.ThumbRect();
    const int x = (t.left + t.right) / 2, y = (t.top + t.bottom) / 2;
    SendMessageA(s.GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    SendMessageA(s.GetWindow(), WM_MOUSEMOVE, MK_LBUTTON, Point(x, y + dy));
    SendMessageA(s.GetWindow(), WM_LBUTTONUP, 0, Point(x, y + dy));
    Pump();
}

int WParamOf(const uitest::Received& r) { return static_cast<int>(static_cast<intptr_t>(r.wParam)); }

TEST(EqSettingsWindow, BitmapSizes) {
    struct Size {
        UINT id;
        int cx, cy;
    };
    // Strips: frames side by side (three for the buttons and switches, four thumbs).
    const Size sizes[] = {{IDB_EQ_PANEL, 773, 219},     {IDB_EQ_FLAT, 3 * 30, 28},
                          {IDB_EQ_LINK, 3 * 38, 40},    {IDB_EQ_TRACK, 22, 160},
                          {IDB_EQ_THUMB_PLAIN, 20, 10}, {IDB_EQ_BAND_SWITCH, 3 * 18, 12},
                          {IDB_EQ_OFF, 3 * 34, 36},     {IDB_EQ_SELECT_ALL, 3 * 36, 38},
                          {IDB_EQ_THUMB, 4 * 20, 10}};
    for (const Size& s : sizes) {
        const SIZE got = uitest::BitmapSizeOf(s.id);
        EXPECT_EQ(got.cx, s.cx) << s.id;
        EXPECT_EQ(got.cy, s.cy) << s.id;
    }
}

TEST(EqSettingsWindow, EachConfigurationPlacesItsControls) {
    struct Case {
        int flagA, flagB;
        float min, max;
        int thumbStates;
        POINT flat, link, off, selectAll;  // x -1: none
        int b;                             // the bands' lowering
    };
    const Case cases[] = {
        {0, 0, -12, 12, 4, {15, 70}, {6, 105}, {11, 150}, {10, 26}, 0},
        {1, 0, -12, 12, 1, {15, 100}, {-1, 0}, {12, 150}, {10, 26}, 0},
        {0, 1, -6, 6, 1, {15, 100}, {-1, 0}, {-1, 0}, {10, 29}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flagA) + "," + std::to_string(c.flagB));
        RecordingParent parent;
        pages::EqSettings panel(parent.hwnd(), 7, 9, c.flagA, c.flagB);
        ASSERT_NE(panel.GetHwnd(), nullptr);
        // The tuning page's face sets the panel's size; it reaches x 730 and fits the page.
        const RECT self = ChildRect(panel.GetHwnd());
        EXPECT_EQ(self.left, 7);
        EXPECT_EQ(self.top, 9);
        if (c.flagA == 0 && c.flagB == 0) {
            EXPECT_EQ(self.right - self.left, 773);
            EXPECT_EQ(self.bottom - self.top, 219);
        }
        EXPECT_GE(self.right - self.left, 731);

        EXPECT_TRUE(At(panel.FlatButton()->GetHwnd(), c.flat.x, c.flat.y, 30, 28));
        EXPECT_TRUE(At(panel.SelectAllButton()->GetHwnd(), c.selectAll.x, c.selectAll.y, 36, 38));
        if (c.link.x < 0)
            EXPECT_EQ(panel.LinkButton(), nullptr);
        else
            EXPECT_TRUE(At(panel.LinkButton()->GetHwnd(), c.link.x, c.link.y, 38, 40));
        if (c.off.x < 0)
            EXPECT_EQ(panel.OffButton(), nullptr);
        else
            EXPECT_TRUE(At(panel.OffButton()->GetHwnd(), c.off.x, c.off.y, 34, 36));
        // The link button starts checked where there is one.
        EXPECT_EQ(panel.IsEqLink(), c.link.x < 0 ? 0 : 1);
        if (panel.LinkButton()) {
            EXPECT_EQ(panel.LinkButton()->GetCheck(), 1);
        }

        for (int k = 0; k < 31; ++k) {
            SCOPED_TRACE("band " + std::to_string(k));
            ui::Slider& s = panel.Band(k);
            EXPECT_TRUE(At(s.GetWindow(), 48 + 22 * k, 38 + 4 * c.b, 22, 160));
            EXPECT_TRUE(At(panel.BandSwitch(k)->GetHwnd(), 50 + 22 * k, 25 + 3 * c.b, 18, 12));
            EXPECT_EQ(s.GetMin(), c.min);
            EXPECT_EQ(s.GetMax(), c.max);
            EXPECT_EQ(s.GetValue(), 0.0f);
            // Track from y 18 to 146: the middle value sits at y 82, the thumb centred on x 11.
            const RECT t = s.ThumbRect();
            EXPECT_EQ((t.top + t.bottom) / 2, 82);
            EXPECT_EQ(t.left, 1);
            EXPECT_EQ(t.right - t.left, 20);
            const RECT r = panel.ReadoutRect(k);
            const int centre = 59 + 22 * k;
            EXPECT_EQ(r.left, centre - 10);
            EXPECT_EQ(r.right, centre + 10);
            EXPECT_EQ(r.top, 10 + 3 * c.b);
            EXPECT_EQ(r.bottom, 21 + 3 * c.b);
        }
        // Thumb states beyond the configuration's count are refused.
        panel.Band(0).SetState(3);
        EXPECT_EQ(panel.Band(0).GetState(), c.thumbStates == 4 ? 3 : 0);
    }
}

// Drags on one band and on a switched-on group: the slider's pixel grid gives 24 / 128 dB a pixel
// (0.1875), so 16 pixels up from 0 dB are exactly +3 dB.
TEST(EqSettingsWindow, SliderDragsMoveOneBandOrTheSwitchedOnGroup) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    float gains[31] = {};
    gains[3] = 10;
    gains[4] = 8;
    gains[5] = 4;
    panel.SetGains(gains, 31, 1, 0);
    uint32_t on[31] = {};
    on[3] = on[4] = on[5] = 1;
    panel.SetBandEnables(on, 31);
    EXPECT_EQ(panel.Band(3).GetValue(), 10.0f);
    EXPECT_EQ(panel.BandSwitch(4)->GetCheck(), 1);
    EXPECT_EQ(panel.BandSwitch(6)->GetCheck(), 0);

    // Band 7 is switched off: it moves alone.
    DragThumb(panel, 7, -16);
    auto got = EqMessages(parent);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, ui::MsgEqBandChanged);
    EXPECT_EQ(WParamOf(got[0]), 7);
    EXPECT_EQ(got[0].lParam, 3);
    EXPECT_TRUE(got[0].sent);
    EXPECT_EQ(panel.Band(7).GetValue(), 3.0f);

    // Band 5 (at +4, 16 pixels = +3.125 dB from its pixel) drags the group of 3, 4 and 5; band 3
    // stops the step at +12, so all three move by +2.
    parent.Clear();
    DragThumb(panel, 5, -16);
    got = EqMessages(parent);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(WParamOf(got[0]), -2);
    EXPECT_EQ(got[0].lParam, 0);
    float out[40];
    std::fill(out, out + 40, 99.0f);
    EXPECT_EQ(panel.GetGains(out, 40, nullptr, nullptr), 31);
    const float want[] = {12, 10, 6};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out[3 + i], want[i]) << 3 + i;
        EXPECT_EQ(panel.Band(3 + i).GetValue(), want[i]) << 3 + i;
    }
    EXPECT_EQ(out[7], 3.0f);
    EXPECT_EQ(out[35], 0.0f);

    // A second drag up of the group is clamped to nothing: band 3 is at the top.
    parent.Clear();
    DragThumb(panel, 4, -8);
    got = EqMessages(parent);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(WParamOf(got[0]), -2);
    EXPECT_EQ(panel.Band(3).GetValue(), 12.0f);
    EXPECT_EQ(panel.Band(4).GetValue(), 10.0f);
    EXPECT_EQ(panel.Band(5).GetValue(), 6.0f);

    // Flat zeroes every band, also when the panel is flat already.
    for (int round = 0; round < 2; ++round) {
        parent.Clear();
        uitest::Click(panel.FlatButton()->GetHwnd(), 5, 5);
        Pump();
        got = EqMessages(parent);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(WParamOf(got[0]), -1);
        for (int k = 0; k < 31; ++k) EXPECT_EQ(panel.Band(k).GetValue(), 0.0f) << k;
    }
}

// After each change of many bands at once (group moves up and down, Flat, the owner's new
// values), the panel on screen is exactly what a panel given the same values and painted whole
// shows: every changed band's face and readout reached the screen, and no other band changed.
TEST(EqSettingsWindow, ManyBandsChangedShowWhatAWholePaintShows) {
    RecordingParent parent(800, 460);
    pages::EqSettings changed(parent.hwnd(), 0, 0, 0, 0);
    pages::EqSettings reference(parent.hwnd(), 0, 230, 0, 0);
    float gains[31], others[31];
    uint32_t on[31];
    for (int k = 0; k < 31; ++k) {
        gains[k] = static_cast<float>((k * 5) % 13 - 6);
        others[k] = static_cast<float>((k * 7) % 17 - 8) * 1.5f;
        on[k] = k % 4 == 3 ? 0 : 1;  // every fourth band stays out of the group
    }
    model::CrossoverParams block{};
    block.FilterType = model::kLowPass;
    block.LPFreq = 1000.0f;
    changed.SetGains(gains, 31, 1, 0);
    changed.SetBandEnables(on, 31);
    changed.MarkCrossoverBands(block);
    UpdateWindow(parent.hwnd());

    auto groupMove = [&](int dy) {
        parent.Clear();
        DragThumb(changed, 14, dy);
        const auto got = EqMessages(parent);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(WParamOf(got[0]), -2);
    };
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"group moved up", [&] { groupMove(-24); }},
        {"group moved down", [&] { groupMove(40); }},
        {"group moved a few pixels", [&] { groupMove(-7); }},
        {"Flat", [&] { uitest::Click(changed.FlatButton()->GetHwnd(), 5, 5); }},
        {"the owner's values", [&] { changed.SetGains(others, 31, 1, 0); }},
    };
    const RECT top{0, 0, 773, 219}, bottom{0, 230, 773, 449};
    HDC dc = GetDC(parent.hwnd());
    std::vector<uint32_t> before = uitest::Grab(dc, top);
    for (const auto& c : cases) {
        c.act();
        Pump();
        float now[31];
        uint32_t link = 0, off = 0;
        ASSERT_EQ(changed.GetGains(now, 31, &link, &off), 31);
        reference.SetGains(now, 31, link, off);
        reference.SetBandEnables(on, 31);
        reference.MarkCrossoverBands(block);
        RedrawWindow(reference.GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();

        const std::vector<uint32_t> got = uitest::Grab(dc, top), want = uitest::Grab(dc, bottom);
        ASSERT_EQ(got.size(), want.size());
        ASSERT_FALSE(got.empty());
        int differing = 0, firstX = -1, firstY = -1;
        for (size_t i = 0; i < got.size(); ++i) {
            if (got[i] == want[i]) continue;
            if (differing++ == 0) {
                firstX = static_cast<int>(i % 773);
                firstY = static_cast<int>(i / 773);
            }
        }
        EXPECT_EQ(differing, 0) << c.what << ": first at (" << firstX << ", " << firstY << ")";
        EXPECT_NE(got, before) << c.what << ": nothing changed on screen";
        before = got;
    }
    ReleaseDC(parent.hwnd(), dc);
}

// In the dynamic-equalisation dialog's configuration the group stops at +6 dB.
TEST(EqSettingsWindow, DynamicConfigurationClampsTheGroupToSixDecibels) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 1);
    float gains[31] = {};
    gains[0] = 5;
    gains[1] = -2;
    panel.SetGains(gains, 31, 0, 0);
    uint32_t on[31] = {1, 1};
    panel.SetBandEnables(on, 31);
    // 128 pixels span 12 dB: 32 pixels up are +3 dB, of which only +1 fits under +6.
    DragThumb(panel, 1, -32);
    EXPECT_EQ(panel.Band(0).GetValue(), 6.0f);
    EXPECT_EQ(panel.Band(1).GetValue(), -1.0f);
}

// The tuning page's logic behind the panel, as the page wires it: a real drag on band 10 of the
// Front Left woofer reaches every output of the front positions (Standard mode, links on) as its
// gain and its band's send flag, and the send cycle carries 's' frames for outputs 0 to 5.
TEST(EqSettingsWindow, SliderDragReachesTheTuningPagesModel) {
    pagetest::Page page(true);
    RecordingParent parent;
    parent.onPrivate = [&page](UINT message, WPARAM wParam, LPARAM lParam) {
        if (message >= ui::MsgEqBandChanged && message <= ui::MsgEqOffChanged)
            page.logic->OnAppMessage(message, static_cast<intptr_t>(wParam), lParam);
    };
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0, &page.logic->Eq());
    // The page's load of output 0 shows: link on, the crossover's pass band marked.
    EXPECT_EQ(panel.LinkButton()->GetCheck(), 1);
    EXPECT_EQ(panel.Band(17).GetState(), 2);
    EXPECT_EQ(panel.Band(18).GetState(), 0);

    DragThumb(panel, 10, -16);
    for (int o = 0; o < 8; ++o) EXPECT_EQ(page.R(o).EQGain[10], o < 6 ? 3.0f : 0.0f) << o;
    std::vector<std::string> want;
    for (int o = 0; o < 6; ++o) want.push_back(std::to_string(o) + ":" + std::to_string(model::kDirtyBand0 + 10));
    EXPECT_EQ(page.Flags(), want);
    EXPECT_EQ(page.Cycle(), "s0 s1 s2 s3 s4 s5");

    // The page loads another output: the panel shows its values and switches.
    page.R(6).EQGain[2] = -4.5f;
    page.R(6).btmskSel[2] = 1;
    page.ClickRow(6);
    EXPECT_EQ(panel.Band(2).GetValue(), -4.5f);
    EXPECT_EQ(panel.Band(10).GetValue(), 0.0f);
    EXPECT_EQ(panel.BandSwitch(2)->GetCheck(), 1);
}

TEST(EqSettingsWindow, DragToggleSpreadsTheFirstSwitchsStateAcrossTheRow) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    uint32_t on[31] = {};
    on[4] = 1;
    panel.SetBandEnables(on, 31);
    // Press on switch 2 (off: it turns on), cross 3 and 4 with the button held, release on 5.
    SendMessageA(panel.BandSwitch(2)->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    Pump();
    for (int k = 3; k <= 5; ++k) {
        SendMessageA(panel.BandSwitch(k)->GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(5, 5));
        Pump();
    }
    SendMessageA(panel.BandSwitch(5)->GetHwnd(), WM_LBUTTONUP, 0, Point(5, 5));
    Pump();
    // After the release a move over another switch changes nothing.
    SendMessageA(panel.BandSwitch(6)->GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(5, 5));
    Pump();

    std::vector<std::pair<int, intptr_t>> got;
    for (const uitest::Received& r : EqMessages(parent)) {
        EXPECT_EQ(r.message, ui::MsgEqBandSwitch);
        got.emplace_back(WParamOf(r), r.lParam);
    }
    // Switch 4 was on already: it reports nothing.
    EXPECT_EQ(got, (std::vector<std::pair<int, intptr_t>>{{2, 1}, {3, 1}, {5, 1}}));
    for (int k = 0; k < 31; ++k) {
        const bool want = k >= 2 && k <= 5;
        EXPECT_EQ(panel.BandSwitch(k)->GetCheck(), want ? 1 : 0) << k;
        EXPECT_EQ(panel.Logic().BandSwitch(k), want) << k;
        EXPECT_FALSE(panel.BandSwitch(k)->DragActive()) << k;
    }
    EXPECT_EQ(panel.CountEnabledBands(), 4);

    // Select All turns every switch on; then one switch off clears it again.
    parent.Clear();
    SendMessageA(panel.SelectAllButton()->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(panel.SelectAllButton()->GetHwnd(), WM_LBUTTONUP, 0, Point(5, 5));
    Pump();
    auto msgs = EqMessages(parent);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(WParamOf(msgs[0]), -1);
    EXPECT_EQ(msgs[0].lParam, 1);
    for (int k = 0; k < 31; ++k) EXPECT_EQ(panel.BandSwitch(k)->GetCheck(), 1) << k;
    SendMessageA(panel.BandSwitch(30)->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(panel.BandSwitch(30)->GetHwnd(), WM_LBUTTONUP, 0, Point(5, 5));
    Pump();
    EXPECT_EQ(panel.SelectAllButton()->GetCheck(), 0);
    EXPECT_EQ(panel.CountEnabledBands(), 30);
}

// Rows of a readout that hold text (pixels that differ from the readout ground).
std::vector<int> LitRows(pages::EqSettings& panel, int band) {
    const RECT r = panel.ReadoutRect(band);
    const COLORREF ground = uitest::Pixel(panel.BackBuffer(), r.left, r.top);
    std::vector<int> rows;
    for (int y = r.top; y < r.bottom; ++y) {
        const RECT row{r.left, y, r.right, y + 1};
        if (uitest::PixelsDifferentFrom(panel.BackBuffer(), row, ground) > 0) rows.push_back(y);
    }
    return rows;
}

TEST(EqSettingsWindow, DisabledPanelShowsDashesAndGetsItsButtonsBack) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    panel.SetEqLink(0);
    panel.SetEqOff(1);
    uint32_t on[31] = {};
    on[9] = 1;
    panel.SetBandEnables(on, 31);
    // Enabled, "0.0" stands as tall as a digit; disabled, "---" is one thin line of dashes.
    const std::vector<int> digits = LitRows(panel, 12);
    EXPECT_GE(digits.size(), 6u);

    panel.SetEnabled(0);
    for (int k = 0; k < 31; ++k) {
        SCOPED_TRACE("band " + std::to_string(k));
        const std::vector<int> dashes = LitRows(panel, k);
        ASSERT_FALSE(dashes.empty());
        EXPECT_LE(dashes.size(), 2u);
        EXPECT_GT(dashes.front(), digits.front());
        EXPECT_LT(dashes.back(), digits.back());
        EXPECT_FALSE(IsWindowEnabled(panel.Band(k).GetWindow()));
        EXPECT_EQ(panel.BandSwitch(k)->State(), ui::BtnWnd::kDisabled);
    }
    for (ui::BtnWnd* b : {static_cast<ui::BtnWnd*>(panel.FlatButton()), static_cast<ui::BtnWnd*>(panel.LinkButton()),
                          static_cast<ui::BtnWnd*>(panel.OffButton()),
                          static_cast<ui::BtnWnd*>(panel.SelectAllButton())})
        EXPECT_EQ(b->State(), ui::BtnWnd::kDisabled);
    // A disabled slider shows no thumb: its window holds only its track.
    ui::Slider& s = panel.Band(12);
    const RECT t = s.ThumbRect();
    EXPECT_EQ(uitest::Pixel(s.BackBuffer(), (t.left + t.right) / 2, (t.top + t.bottom) / 2),
              uitest::BitmapPixel(IDB_EQ_TRACK, (t.left + t.right) / 2, (t.top + t.bottom) / 2));

    panel.SetEnabled(1);
    EXPECT_EQ(panel.LinkButton()->GetCheck(), 0);
    EXPECT_EQ(panel.OffButton()->GetCheck(), 1);
    EXPECT_EQ(panel.BandSwitch(9)->GetCheck(), 1);
    EXPECT_EQ(panel.BandSwitch(8)->GetCheck(), 0);
    EXPECT_EQ(LitRows(panel, 12), digits);
    EXPECT_TRUE(IsWindowEnabled(panel.Band(12).GetWindow()));
}

TEST(EqSettingsWindow, RightButtonFollowModeDrawsAcrossTheBandsUntilLeaveOrRelease) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    // Right press on band 4 at y 50: its thumb jumps there and the follow mode starts.
    SendMessageA(panel.Band(4).GetWindow(), WM_RBUTTONDOWN, MK_RBUTTON, Point(11, 50));
    Pump();
    // (146 - 50) pixels above the bottom: -12 + 96 * 0.1875 = +6.
    EXPECT_EQ(panel.Band(4).GetValue(), 6.0f);
    // Crossing bands 5 and 6 moves their thumbs to the pointer.
    SendMessageA(panel.Band(5).GetWindow(), WM_MOUSEMOVE, MK_RBUTTON, Point(11, 66));
    SendMessageA(panel.Band(6).GetWindow(), WM_MOUSEMOVE, MK_RBUTTON, Point(11, 114));
    Pump();
    EXPECT_EQ(panel.Band(5).GetValue(), 3.0f);
    EXPECT_EQ(panel.Band(6).GetValue(), -6.0f);
    std::vector<int> bands;
    for (const uitest::Received& r : EqMessages(parent)) bands.push_back(WParamOf(r));
    EXPECT_EQ(bands, (std::vector<int>{4, 5, 6}));

    // Leaving the panel ends it: the next band stays.
    SendMessageA(panel.GetHwnd(), WM_MOUSELEAVE, 0, 0);
    SendMessageA(panel.Band(7).GetWindow(), WM_MOUSEMOVE, 0, Point(11, 30));
    Pump();
    EXPECT_EQ(panel.Band(7).GetValue(), 0.0f);
    EXPECT_FALSE(panel.Tracking());

    // Again, ended by a right release on the panel itself.
    SendMessageA(panel.Band(8).GetWindow(), WM_RBUTTONDOWN, MK_RBUTTON, Point(11, 50));
    Pump();
    SendMessageA(panel.Band(9).GetWindow(), WM_MOUSEMOVE, MK_RBUTTON, Point(11, 50));
    Pump();
    EXPECT_EQ(panel.Band(9).GetValue(), 6.0f);
    SendMessageA(panel.GetHwnd(), WM_RBUTTONUP, 0, Point(20, 205));
    SendMessageA(panel.Band(10).GetWindow(), WM_MOUSEMOVE, 0, Point(11, 50));
    Pump();
    EXPECT_EQ(panel.Band(10).GetValue(), 0.0f);

    // And by the right release on a band (the slider's own 0x8041 (0)).
    SendMessageA(panel.Band(11).GetWindow(), WM_RBUTTONDOWN, MK_RBUTTON, Point(11, 50));
    SendMessageA(panel.Band(11).GetWindow(), WM_RBUTTONUP, 0, Point(11, 50));
    Pump();
    SendMessageA(panel.Band(12).GetWindow(), WM_MOUSEMOVE, 0, Point(11, 50));
    Pump();
    EXPECT_EQ(panel.Band(12).GetValue(), 0.0f);
}

// A mouse move over the panel asks for hover and leave; both arrive as messages.
TEST(EqSettingsWindow, MouseOverThePanelTracksHoverAndLeave) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    EXPECT_FALSE(panel.Tracking());
    SendMessageA(panel.GetHwnd(), WM_MOUSEMOVE, 0, Point(20, 205));
    // TrackMouseEvent needs the pointer over the window; Xvfb's pointer may be anywhere, so only
    // the messages' effects are checked.
    SendMessageA(panel.GetHwnd(), WM_MOUSEHOVER, 0, Point(20, 205));
    EXPECT_TRUE(panel.Hovering());
    SendMessageA(panel.GetHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(panel.Hovering());
    EXPECT_FALSE(panel.Tracking());
}

// Messages that are not the panel's, and slider indexes outside 0..30, change nothing.
TEST(EqSettingsWindow, ForeignMessagesAndIndexesAreIgnored) {
    RecordingParent parent;
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    float change = 3.0f;
    for (WPARAM index : {static_cast<WPARAM>(31), static_cast<WPARAM>(-1), static_cast<WPARAM>(1000)})
        EXPECT_EQ(SendMessageA(panel.GetHwnd(), ui::MsgSliderMoved, index, reinterpret_cast<LPARAM>(&change)), 0);
    EXPECT_EQ(SendMessageA(panel.GetHwnd(), ui::MsgSliderMoved, 3, 0), 0);
    EXPECT_EQ(SendMessageA(panel.GetHwnd(), ui::MsgButtonClicked, 0, 0), 0);
    EXPECT_EQ(SendMessageA(panel.GetHwnd(), ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(parent.hwnd())), 0);
    EXPECT_EQ(SendMessageA(panel.GetHwnd(), ui::MsgEqBandChanged, 3, 3), 0);
    Pump();
    EXPECT_TRUE(EqMessages(parent).empty());
    for (int k = 0; k < 31; ++k) EXPECT_EQ(panel.Band(k).GetValue(), 0.0f);
}

// Pictures for a person to look at: the tuning page's panel with a curve, a moved group and the
// crossover's pass band marked, then disabled.
TEST(EqSettingsWindow, Screenshots) {
    RecordingParent parent(800, 240);
    pages::EqSettings panel(parent.hwnd(), 0, 0, 0, 0);
    float gains[31];
    for (int k = 0; k < 31; ++k) gains[k] = static_cast<float>((k % 7) - 3) * 1.5f;
    panel.SetGains(gains, 31, 1, 0);
    uint32_t on[31] = {};
    for (int k = 12; k <= 16; ++k) on[k] = 1;
    panel.SetBandEnables(on, 31);
    model::CrossoverParams block{};
    block.FilterType = model::kLowPass;
    block.LPFreq = 500.0f;
    panel.MarkCrossoverBands(block);
    DragThumb(panel, 14, -24);
    EXPECT_EQ(WParamOf(EqMessages(parent).back()), -2);
    UpdateWindow(parent.hwnd());
    auto save = [&parent](const char* name) {
        HDC dc = GetDC(parent.hwnd());
        const std::string path = uitest::ScreenshotFolder() + "\\" + name;
        EXPECT_TRUE(uitest::SaveBmp(dc, RECT{0, 0, 773, 219}, path)) << path;
        ReleaseDC(parent.hwnd(), dc);
    };
    save("eq_panel_group_moved.bmp");
    // On screen the moved band's readout holds its text.
    HDC dc = GetDC(parent.hwnd());
    const RECT r = panel.ReadoutRect(14);
    EXPECT_GT(uitest::PixelsDifferentFrom(dc, r, uitest::Pixel(dc, r.left, r.top)), 5);
    ReleaseDC(parent.hwnd(), dc);
    panel.SetEnabled(0);
    UpdateWindow(parent.hwnd());
    save("eq_panel_disabled.bmp");
}

// Every panel frees what it made: device contexts, bitmaps and its font, in each configuration,
// also over an owner's logic that outlives it (which then no longer calls it).
TEST(EqSettingsWindow, PanelsBuiltAndDestroyedLeaveNoHandles) {
    RecordingParent parent;
    { pages::EqSettings warm(parent.hwnd(), 0, 0, 0, 0); }
    const ui::gdi::LiveCounts before = ui::gdi::Live();
    pages::EqSettingsLogic owners;
    for (int i = 0; i < 30; ++i) {
        pages::EqSettings panel(parent.hwnd(), 0, 0, i % 3 == 1, i % 3 == 2, i % 3 == 0 ? &owners : nullptr);
        panel.SetEnabled(0);
        panel.SetEnabled(1);
    }
    Pump();
    EXPECT_EQ(ui::gdi::Live(), before);
    float gains[31] = {};
    gains[0] = 5.0f;
    owners.SetGains(gains, 31, 0, 0);  // no panel listens any more
    EXPECT_EQ(owners.Value(0), 5.0f);
}

}  // namespace
