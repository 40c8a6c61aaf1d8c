// The channel map and car view windows under Wine, under a recording parent: mouse messages
// inside and just outside each zone and icon, the seats, the Ctrl cursor, a disabled car view
// and the sizes of their bitmaps.
#include <gtest/gtest.h>

#include <vector>

#include "pages/car_channel.h"
#include "pages/channel_map.h"
#include "res/resource.h"
#include "tests/pages/view_doubles.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"

namespace {

using uitest::Point;
using uitest::RecordingParent;

int Mid(int row) { return 35 + 28 * row + 14; }

LRESULT Press(HWND window, int x, int y, bool ctrl) {
    return SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | (ctrl ? MK_CONTROL : 0), Point(x, y));
}

TEST(SpeakerWindows, BitmapSizes) {
    struct Size {
        UINT id;
        int cx, cy;
    };
    const Size sizes[] = {{IDB_CHANNEL_MAP, 314, 296}, {IDB_CAR_VIEW, 249, 406},
                          {IDB_ICON_WOOFER, 76, 38},    {IDB_ICON_MIDRANGE, 60, 30},
                          {IDB_ICON_TWEETER, 46, 23},   {IDB_ICON_SUBWOOFER, 112, 43},
                          {IDB_ICON_SUB_R, 112, 43},    {IDB_ICON_SUB_L, 112, 43},
                          {IDB_PASSIVE_WM_L, 98, 68},   {IDB_PASSIVE_WM_R, 98, 68},
                          {IDB_PASSIVE_WT_L, 98, 74},   {IDB_PASSIVE_WT_R, 98, 74},
                          {IDB_PASSIVE_MT_L, 98, 69},   {IDB_PASSIVE_MT_R, 98, 69},
                          {IDB_PASSIVE_WMT_L, 98, 90},  {IDB_PASSIVE_WMT_R, 98, 90},
                          {IDB_PASSIVE_WT_C, 140, 47},  {IDB_SEAT_0, 36, 17},
                          {IDB_SEAT_1, 36, 17},         {IDB_SEAT_2, 36, 17},
                          {IDB_SEAT_3, 36, 17}};
    for (const Size& s : sizes) {
        const SIZE got = uitest::BitmapSizeOf(s.id);
        EXPECT_EQ(got.cx, s.cx) << s.id;
        EXPECT_EQ(got.cy, s.cy) << s.id;
    }
    EXPECT_NE(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_PLUS)), nullptr);
    EXPECT_NE(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_MINUS)), nullptr);
}

TEST(SpeakerWindows, ChannelMapClicksReachTheParent) {
    RecordingParent parent;
    pages::ChannelMap map(parent.hwnd());
    ASSERT_NE(map.GetHwnd(), nullptr);
    map.Logic().LoadFromChannels(viewtest::DefaultRecords().data());
    struct Case {
        int x, y;
        bool ctrl;
        UINT message;
        WPARAM w;
        LPARAM l;
    };
    const Case cases[] = {
        {100, 40, false, ui::MsgChannelMapSelection, 0, 1},
        {100, Mid(6), true, ui::MsgChannelMapSelection, 4, 6},
        {100, Mid(7), true, 0, 0, 0},  // refused: the right subwoofer with the left side
        {47, Mid(2), false, ui::MsgChannelMapMutes, 0, 0},
        {263, Mid(0), false, ui::MsgChannelMapCurrent, 0, 0},
        {262, Mid(6), false, ui::MsgChannelMapSelection, 4, 6},
        {48, Mid(2), false, ui::MsgChannelMapSelection, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        parent.Clear();
        Press(map.GetHwnd(), c.x, c.y, c.ctrl);
        uitest::Pump();
        std::vector<uitest::Received> got;
        for (const uitest::Received& r : parent.received)
            if (r.message >= 0x8050 && r.message <= 0x8052) got.push_back(r);
        if (!c.message) {
            EXPECT_TRUE(got.empty());
            continue;
        }
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, c.message);
        EXPECT_EQ(got[0].wParam, c.w);
        EXPECT_EQ(got[0].lParam, c.l);
        EXPECT_TRUE(got[0].sent);
    }
    EXPECT_TRUE(map.Logic().IsMuted(2));
}

TEST(SpeakerWindows, ChannelMapCtrlKeyShowsTheMinusCursor) {
    RecordingParent parent;
    pages::ChannelMap map(parent.hwnd());
    map.Logic().LoadFromChannels(viewtest::DefaultRecords().data());
    Press(map.GetHwnd(), 100, Mid(0), false);
    Press(map.GetHwnd(), 100, Mid(1), true);
    ASSERT_EQ(map.Logic().CountSelected(), 2);
    POINT p{100, Mid(1)};
    ClientToScreen(map.GetHwnd(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageA(map.GetHwnd(), WM_KEYDOWN, VK_CONTROL, 0);
    EXPECT_EQ(map.Logic().Cursor(), pages::kCursorMinus);
    SendMessageA(map.GetHwnd(), WM_KEYUP, VK_CONTROL, 0);
    EXPECT_EQ(map.Logic().Cursor(), pages::kCursorArrow);
    p = {100, Mid(4)};
    ClientToScreen(map.GetHwnd(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageA(map.GetHwnd(), WM_KEYDOWN, VK_CONTROL, 0);
    EXPECT_EQ(map.Logic().Cursor(), pages::kCursorPlus);
}

TEST(SpeakerWindows, CarViewClicksAndSeats) {
    RecordingParent parent;
    pages::CarChannel car(parent.hwnd());
    ASSERT_NE(car.GetHwnd(), nullptr);
    car.Logic().LoadFromChannels(viewtest::DefaultRecords().data());
    // The front-left woofer (9, 198)-(47, 236) and the tweeter (17, 145)-(40, 168).
    struct Case {
        int x, y;
        bool ctrl;
        UINT message;
        WPARAM w;
        LPARAM l;
    };
    const Case cases[] = {
        {9, 198, false, ui::MsgSpeakerPicked, 0, 1},
        {8, 198, false, 0, 0, 0},
        {47, 220, false, 0, 0, 0},
        {17, 145, true, ui::MsgSpeakerPicked, 0, 0},
        {16, 145, true, 0, 0, 0},
        {123, 380, true, 0, 0, 0},  // Subwoofer R with the left side: refused
        {122, 380, true, ui::MsgSpeakerPicked, 0, 0},
        {122, 380, false, ui::MsgSpeakerPicked, 4, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        parent.Clear();
        Press(car.GetHwnd(), c.x, c.y, c.ctrl);
        const std::vector<uitest::Received> got = parent.Of(ui::MsgSpeakerPicked);
        if (!c.message) {
            EXPECT_TRUE(got.empty());
            continue;
        }
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].wParam, c.w);
        EXPECT_EQ(got[0].lParam, c.l);
        EXPECT_TRUE(got[0].sent);
    }

    ASSERT_NE(car.Seat(2), nullptr);
    EXPECT_EQ(car.Seat(0)->GetCheck(), 1);
    parent.Clear();
    uitest::Click(car.Seat(2)->GetHwnd(), 5, 5);
    uitest::Pump();
    std::vector<uitest::Received> seats = parent.Of(ui::MsgListeningPoint);
    ASSERT_EQ(seats.size(), 1u);
    EXPECT_EQ(seats[0].wParam, 2u);
    EXPECT_EQ(car.Seat(2)->GetCheck(), 1);
    EXPECT_EQ(car.Seat(0)->GetCheck(), 0);
    // The checked seat again: still checked, still reported.
    parent.Clear();
    uitest::Click(car.Seat(2)->GetHwnd(), 5, 5);
    uitest::Pump();
    seats = parent.Of(ui::MsgListeningPoint);
    ASSERT_EQ(seats.size(), 1u);
    EXPECT_EQ(seats[0].wParam, 2u);
    EXPECT_EQ(car.Seat(2)->GetCheck(), 1);
    car.Logic().SelectListeningPoint(3);
    EXPECT_EQ(car.Seat(3)->GetCheck(), 1);
    EXPECT_EQ(car.Seat(2)->GetCheck(), 0);
}

TEST(SpeakerWindows, DisabledCarViewShowsOnlyItsSkin) {
    RecordingParent parent;
    pages::CarChannel car(parent.hwnd());
    car.Logic().LoadFromChannels(viewtest::DefaultRecords().data());
    // The woofer's centre shows the icon, not the skin.
    const int x = 28, y = 217;
    EXPECT_NE(uitest::Pixel(car.BackBuffer(), x, y), uitest::BitmapPixel(IDB_CAR_VIEW, x, y));
    EnableWindow(car.GetHwnd(), FALSE);
    car.Logic().Layout();
    EXPECT_EQ(uitest::Pixel(car.BackBuffer(), x, y), uitest::BitmapPixel(IDB_CAR_VIEW, x, y));
    // The hit rectangles stay: a click still picks.
    parent.Clear();
    Press(car.GetHwnd(), x, y, false);
    EXPECT_EQ(parent.Of(ui::MsgSpeakerPicked).size(), 1u);
}

// Pictures to look at: two rows Ctrl-selected, a muted row and an "fds" mark; a car view with
// passive-crossover icons and a count.
TEST(SpeakerWindows, Screenshots) {
    RecordingParent parent;
    pages::ChannelMap map(parent.hwnd());
    map.Logic().LoadFromChannels(viewtest::DefaultRecords().data());
    Press(map.GetHwnd(), 100, Mid(0), false);
    Press(map.GetHwnd(), 100, Mid(1), true);
    Press(map.GetHwnd(), 20, Mid(3), false);
    map.Logic().SetChannelOn(4, true, true);
    const std::string folder = uitest::ScreenshotFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_TRUE(uitest::SaveBmp(map.BackBuffer(), {0, 0, 314, 296}, folder + "/channel_map.bmp"));

    pages::CarChannel car(parent.hwnd(), 400, 0);
    std::vector<model::DspChannelRecord> records = viewtest::DefaultRecords();
    records[0].kind = 0;
    records[0].passiveVariant = 4;  // the left woofer, midrange and tweeter behind one passive
    records[1].position = records[2].position = -1;
    records[4].kind = 3;  // two right tweeters
    records[6].kind = 5;
    records[7].position = 1;
    records[7].kind = 0;
    records[7].passiveVariant = 9;
    car.Logic().LoadFromChannels(records.data());
    car.Logic().SetSpeakerSelected(2, 3, true, true, true);
    EXPECT_TRUE(uitest::SaveBmp(car.BackBuffer(), {0, 0, 249, 406}, folder + "/car_view.bmp"));
}

}  // namespace
