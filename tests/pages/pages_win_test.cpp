// The tab bar and the output-level page as windows, under Wine over a recording parent: hit
// rectangles, strip rows by pixels, each popup read inside its own menu loop, every command by
// WM_COMMAND after its menu showed; the page's child rectangles, fader and mute notifications
// and the clip mask. Screenshots for a person to look at go to the screenshot folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/settings.h"
#include "pages/output_level.h"
#include "pages/tab_bar.h"
#include "res/resource.h"
#include "tests/pages/popup_reader.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"

namespace {

using uitest::Pump;

// ---- a driver with two devices ------------------------------------------------------------------

devlink::FT_STATUS FTDI_API TwoCreate(devlink::FT_DWORD* count) {
    *count = 2;
    return devlink::FT_OK;
}
devlink::FT_STATUS FTDI_API TwoDetail(devlink::FT_DWORD index, devlink::FT_DWORD*, devlink::FT_DWORD*,
                                      devlink::FT_DWORD*, devlink::FT_DWORD*, void*, void* description,
                                      devlink::FT_HANDLE*) {
    std::strcpy(static_cast<char*>(description), index == 0 ? "Darvix Front" : "Darvix Rear");
    return devlink::FT_OK;
}
devlink::FT_STATUS FTDI_API TwoList(void* count, void*, devlink::FT_DWORD) {
    *static_cast<devlink::FT_DWORD*>(count) = 2;
    return devlink::FT_OK;
}

devlink::FtdiApiTable TwoDevices() {
    devlink::FtdiApiTable t;
    t.Set(devlink::kFT_CreateDeviceInfoList, &TwoCreate);
    t.Set(devlink::kFT_GetDeviceInfoDetail, &TwoDetail);
    t.Set(devlink::kFT_ListDevices, &TwoList);
    return t;
}

// ---- reading a popup inside its menu loop -------------------------------------------------------

using pagetest::MenuItem;
using pagetest::ReadMenu;

std::vector<MenuItem> g_shown;
bool g_menuSeen = false;

void CALLBACK ReadShownMenu(HWND, UINT, UINT_PTR id, DWORD) {
    // Runs inside TrackPopupMenuEx's loop: the popup window is the class "#32768".
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return;
    KillTimer(nullptr, id);
    if (HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0))) {
        g_shown = ReadMenu(menu);
        g_menuSeen = true;
    }
    EndMenu();
}

// Clicks a menu button and reads the popup it shows; false when no popup showed.
bool ShowMenu(pages::TabBarCtrl& bar, ui::BtnWnd* button) {
    g_shown.clear();
    g_menuSeen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, ReadShownMenu);
    SendMessageA(bar.GetHwnd(), ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(button->GetHwnd()));
    KillTimer(nullptr, timer);
    Pump();
    return g_menuSeen;
}

std::vector<std::string> Texts(const std::vector<MenuItem>& items) {
    std::vector<std::string> t;
    for (const MenuItem& i : items) t.push_back(i.text);
    return t;
}

std::vector<int> Greyed(const std::vector<MenuItem>& items) {
    std::vector<int> g;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].greyed) g.push_back(static_cast<int>(i));
    return g;
}

class TabBarWin : public ::testing::Test {
protected:
    uitest::RecordingParent parent{1100, 120};
    os::MemorySettings settings;
    void SetUp() override { settings.CreateKeys(); }
    // Sends a menu command as the popup would and returns what the parent was posted.
    std::vector<uitest::Received> Command(pages::TabBarCtrl& bar, UINT id) {
        parent.Clear();
        SendMessageA(bar.GetHwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Pump();
        return parent.received;
    }
};

TEST_F(TabBarWin, TabsPostAndStripsShowTheSelectedRow) {
    pages::TabBarCtrl bar(parent.hwnd(), 0, 28, true, nullptr, false, &settings);
    RECT r;
    GetWindowRect(bar.GetHwnd(), &r);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 37);
    EXPECT_EQ(GetWindowLongA(bar.GetHwnd(), GWL_STYLE) & 0x56000000, 0x56000000);

    uitest::Click(bar.GetHwnd(), 880, 20);
    Pump();
    auto pages = parent.Of(ui::MsgSelectPage);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].wParam, 2u);
    EXPECT_FALSE(pages[0].sent);
    uitest::Click(bar.GetHwnd(), 420, 10);
    Pump();
    auto presets = parent.Of(ui::MsgSelectPreset);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].wParam, 3u);
    EXPECT_EQ(bar.Page(), 2);
    EXPECT_EQ(bar.Preset(), 3);
    // The rows drawn are the selected ones, pixel for pixel.
    HDC dc = GetDC(bar.GetHwnd());
    for (int page : {0, 1, 2}) {
        bar.SetPage(page);
        for (POINT p : {POINT{40, 20}, POINT{250, 20}, POINT{400, 15}, POINT{100, 36}})
            EXPECT_EQ(uitest::Pixel(dc, 512 + p.x, p.y), uitest::BitmapPixel(IDB_PAGE_TABS, p.x, 37 * page + p.y))
                << "page " << page;
    }
    for (int preset : {0, 1, 2, 3}) {
        bar.SetPreset(preset);
        for (POINT p : {POINT{80, 8}, POINT{115, 8}, POINT{150, 8}, POINT{185, 19}})
            EXPECT_EQ(uitest::Pixel(dc, 247 + p.x, 1 + p.y),
                      uitest::BitmapPixel(IDB_PRESET_TABS, p.x, 22 * preset + p.y))
                << "preset " << preset;
    }
    ReleaseDC(bar.GetHwnd(), dc);
    // The buttons at their places.
    auto at = [&](ui::BtnWnd* b) {
        RECT w;
        GetWindowRect(b->GetHwnd(), &w);
        MapWindowPoints(nullptr, bar.GetHwnd(), reinterpret_cast<POINT*>(&w), 2);
        return w;
    };
    EXPECT_EQ(at(bar.FileButton()).left, 3);
    EXPECT_EQ(at(bar.ConfigButton()).left, 48);
    EXPECT_EQ(at(bar.PresetButton()).left, 250);
    EXPECT_LE(at(bar.FileButton()).right, 48);
    EXPECT_LE(at(bar.PresetButton()).right, 315);
}

TEST_F(TabBarWin, RescueModeIgnoresTabsAndShowsNoPresetMenu) {
    pages::TabBarCtrl bar(parent.hwnd(), 0, 28, true, nullptr, true, &settings);
    uitest::Click(bar.GetHwnd(), 600, 20);
    uitest::Click(bar.GetHwnd(), 320, 5);
    Pump();
    EXPECT_TRUE(parent.received.empty());
    EXPECT_FALSE(ShowMenu(bar, bar.PresetButton()));
    ASSERT_TRUE(ShowMenu(bar, bar.FileButton()));
    EXPECT_EQ(Greyed(g_shown), (std::vector<int>{0, 1, 3, 4, 9}));
    EXPECT_EQ(g_shown[10].text, "Restore Factory Defaults");
    ASSERT_TRUE(ShowMenu(bar, bar.ConfigButton()));
    EXPECT_EQ(Greyed(g_shown), (std::vector<int>{0, 1, 3, 4, 6, 8}));  // no device: "Com Setup" too
}

TEST_F(TabBarWin, OfflineMenusAndTheirCommands) {
    pages::TabBarCtrl bar(parent.hwnd(), 0, 28, false, nullptr, false, &settings);
    ASSERT_TRUE(ShowMenu(bar, bar.FileButton()));
    EXPECT_EQ(Texts(g_shown), (std::vector<std::string>{"Load Setup..", "Save Setup..", "", "FINALIZE to Darvix",
                                                        "Synchronize", "", "Check for Updates", "Update Firmware",
                                                        "", "Reset Default Answer", "Reset Settings", "",
                                                        "Credits", "Exit"}));
    EXPECT_EQ(Greyed(g_shown), (std::vector<int>{3, 4, 7}));
    EXPECT_EQ(bar.ShownMenu(), nullptr);  // the popup went with its menu
    EXPECT_EQ(bar.MenuId(), pages::kMenuFile);

    const struct {
        UINT id;
        UINT message;
        WPARAM w;
        LPARAM l;
    } file[] = {{40129, ui::MsgSetupFile, 1, 0},      {40130, ui::MsgSetupFile, 0, 0},
                {40266, ui::MsgWriteToDevice, 1, 1},  {40268, ui::MsgWriteToDevice, 1, 0},
                {40269, ui::MsgReadFromDevice, 1, 0}, {40270, ui::MsgCheckUpdates, 1, 0},
                {40271, ui::MsgUpdateFirmware, 1, 0}, {40280, ui::MsgResetSettings, 0, 0},
                {40131, ui::MsgCredits, 0, 0},        {40132, ui::MsgCloseApp, 0, 0}};
    for (const auto& c : file) {
        const auto got = Command(bar, c.id);
        ASSERT_EQ(got.size(), 1u) << c.id;
        EXPECT_EQ(got[0].message, c.message) << c.id;
        EXPECT_EQ(got[0].wParam, c.w) << c.id;
        EXPECT_EQ(got[0].lParam, c.l) << c.id;
        EXPECT_FALSE(got[0].sent);
    }
    settings.ClearWrites();
    EXPECT_TRUE(Command(bar, 40279).empty());
    EXPECT_EQ(settings.Writes().size(), 7u);
    EXPECT_TRUE(Command(bar, 40133).empty());  // a Config id while the File menu was the last

    ASSERT_TRUE(ShowMenu(bar, bar.ConfigButton()));
    EXPECT_EQ(Texts(g_shown), (std::vector<std::string>{"I/O Configuration Wizard", "External Source", "",
                                                        "Dynamic Equalization Wizard", "Dynamic Equalization", "",
                                                        "Com Setup", "", "Working Mode"}));
    EXPECT_EQ(Greyed(g_shown), (std::vector<int>{6}));
    EXPECT_TRUE(g_shown[6].items.empty());  // rebuilt: no device listed
    EXPECT_TRUE(g_shown[8].items[0].checked);  // Standard
    EXPECT_FALSE(g_shown[8].items[1].checked);
    EXPECT_TRUE(g_shown[4].items[0].checked);  // dynamic equalisation On (the answer 0)
    EXPECT_EQ(Texts(g_shown[1].items), (std::vector<std::string>{"Aux 1", "Aux 2", "SPDIF", "Optical", "Phone"}));
    const struct {
        UINT id;
        UINT message;
        WPARAM w;
    } config[] = {{40133, ui::MsgWizard, 1},          {40285, ui::MsgToggleSource, 0}, {40289, ui::MsgToggleSource, 4},
                  {40148, ui::MsgDynamicEqDialog, 1}, {40282, ui::MsgDynamicEqSwitch, 0},
                  {40283, ui::MsgDynamicEqSwitch, 1}, {40149, ui::MsgScan, 1},
                  {40146, ui::MsgWorkingMode, 1},     {40147, ui::MsgWorkingMode, 0}};
    for (const auto& c : config) {
        const auto got = Command(bar, c.id);
        ASSERT_EQ(got.size(), 1u) << c.id;
        EXPECT_EQ(got[0].message, c.message) << c.id;
        EXPECT_EQ(got[0].wParam, c.w) << c.id;
    }
    EXPECT_TRUE(Command(bar, 58000).empty());  // no driver: no device to choose

    bar.SetPreset(1);
    ASSERT_TRUE(ShowMenu(bar, bar.PresetButton()));
    EXPECT_EQ(Texts(g_shown), (std::vector<std::string>{"Load All Presets", "Save All Presets", "",
                                                        "Load Current Preset", "Save Current Preset", "",
                                                        "Copy Preset From", "Current Preset Default"}));
    const struct {
        UINT id;
        UINT message;
        WPARAM w;
        LPARAM l;
    } preset[] = {{40135, ui::MsgPresetFile, 1, -1},    {40136, ui::MsgPresetFile, 0, -1},
                  {40137, ui::MsgPresetFile, 1, 1},     {40138, ui::MsgPresetFile, 0, 1},
                  {40141, ui::MsgCopyPreset, 0, 1},     {40144, ui::MsgCopyPreset, 3, 1},
                  {40140, ui::MsgCopyPreset, static_cast<WPARAM>(-1), 1}};
    for (const auto& c : preset) {
        const auto got = Command(bar, c.id);
        ASSERT_EQ(got.size(), 1u) << c.id;
        EXPECT_EQ(got[0].message, c.message) << c.id;
        EXPECT_EQ(got[0].wParam, c.w) << c.id;
        EXPECT_EQ(got[0].lParam, c.l) << c.id;
    }
    EXPECT_TRUE(Command(bar, 40142).empty());  // copy from B while B is current
    // Not a menu item: a control's notification or a command with a code.
    parent.Clear();
    SendMessageA(bar.GetHwnd(), WM_COMMAND, MAKEWPARAM(40135, 1), 0);
    SendMessageA(bar.GetHwnd(), WM_COMMAND, MAKEWPARAM(40135, 0), reinterpret_cast<LPARAM>(parent.hwnd()));
    Pump();
    EXPECT_TRUE(parent.received.empty());
}

TEST_F(TabBarWin, OnlineConfigListsTheDevicesAndGoesOffline) {
    const devlink::FtdiApiTable ftdi = TwoDevices();
    os::SetComSetting(settings, 2);
    pages::TabBarCtrl bar(parent.hwnd(), 0, 28, true, &ftdi, false, &settings);
    bar.SetWorkingMode(0);
    parent.onPrivate = [](UINT message, WPARAM w, LPARAM) {
        if (message == ui::MsgQuerySourceFlags) *reinterpret_cast<uint32_t*>(w) = 0x12;  // Aux 2, Phone
        if (message == ui::MsgQueryDynamicEqSwitch) *reinterpret_cast<int*>(w) = 1;      // off
    };
    ASSERT_TRUE(ShowMenu(bar, bar.ConfigButton()));
    EXPECT_TRUE(Greyed(g_shown).empty());
    ASSERT_EQ(g_shown[6].items.size(), 2u);
    EXPECT_EQ(g_shown[6].items[0].text, "Darvix Front");
    EXPECT_EQ(g_shown[6].items[0].id, 58000u);
    EXPECT_FALSE(g_shown[6].items[0].checked);
    EXPECT_EQ(g_shown[6].items[1].text, "Darvix Rear");
    EXPECT_EQ(g_shown[6].items[1].id, 58001u);
    EXPECT_TRUE(g_shown[6].items[1].checked);
    EXPECT_FALSE(g_shown[8].items[0].checked);  // Expert
    EXPECT_TRUE(g_shown[8].items[1].checked);
    EXPECT_FALSE(g_shown[4].items[0].checked);
    EXPECT_TRUE(g_shown[4].items[1].checked);
    std::vector<bool> ticks;
    for (const MenuItem& i : g_shown[1].items) ticks.push_back(i.checked);
    EXPECT_EQ(ticks, (std::vector<bool>{false, true, false, false, true}));
    // The queries were sent, not posted.
    for (UINT q : {ui::MsgQuerySourceFlags, ui::MsgQueryDynamicEqSwitch}) {
        ASSERT_EQ(parent.Of(q).size(), 1u);
        EXPECT_TRUE(parent.Of(q)[0].sent);
    }
    auto got = Command(bar, 58001);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, ui::MsgConnectDevice);
    EXPECT_EQ(got[0].wParam, 2u);
    EXPECT_TRUE(Command(bar, 58002).empty());

    ASSERT_TRUE(ShowMenu(bar, bar.FileButton()));
    EXPECT_TRUE(Greyed(g_shown).empty());
    EXPECT_EQ(g_shown[10].text, "Restore Factory Defaults");
    bar.SetConnected(0);
    ASSERT_TRUE(ShowMenu(bar, bar.FileButton()));
    EXPECT_EQ(Greyed(g_shown), (std::vector<int>{3, 4, 7}));
    EXPECT_EQ(g_shown[10].text, "Reset Settings");
    parent.onPrivate = nullptr;
}

// ---- the output-level page --------------------------------------------------------------------

class OutputLevelWin : public ::testing::Test {
protected:
    uitest::RecordingParent parent{1028, 774};
    RECT In(HWND child, HWND page) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

void ExpectRect(const RECT& r, int left, int top, int width, int height, const char* what) {
    EXPECT_EQ(r.left, left) << what;
    EXPECT_EQ(r.top, top) << what;
    EXPECT_EQ(r.right - r.left, width) << what;
    EXPECT_EQ(r.bottom - r.top, height) << what;
}

TEST_F(OutputLevelWin, ChildrenAtTheirPlaces) {
    pages::OutputLevel page(parent.hwnd(), 0, 65);
    RECT r;
    GetWindowRect(page.GetHwnd(), &r);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 703);
    // The skin is centred: its origin is (9, 100) on the page.
    for (int c = 0; c < 8; ++c) {
        ExpectRect(In(page.Fader(c).GetWindow(), page.GetHwnd()), 9 + 132 + 72 * c, 218, 34, 229, "fader");
        ExpectRect(In(page.ClipIndicator(c)->GetHwnd(), page.GetHwnd()), 9 + 130 + 72 * c, 176, 37, 38, "clip");
        ExpectRect(In(page.MuteSwitch(c)->GetHwnd(), page.GetHwnd()), 9 + 141 + 72 * c, 499, 21, 20, "mute");
        EXPECT_FALSE(IsWindowEnabled(page.ClipIndicator(c)->GetHwnd()));
    }
    ExpectRect(In(page.Fader(8).GetWindow(), page.GetHwnd()), 9 + 726, 218, 34, 229, "master");
    ExpectRect(In(page.Fader(9).GetWindow(), page.GetHwnd()), 9 + 838, 218, 34, 229, "subwoofer");
    ExpectRect(In(page.LinkSwitch()->GetHwnd(), page.GetHwnd()), 9 + 53, 403, 35, 38, "link");
    EXPECT_EQ(page.Fader(0).GetValue(), -3.0f);
    EXPECT_EQ(page.Fader(8).GetValue(), -45.0f);
    EXPECT_EQ(page.Fader(9).GetValue(), 0.0f);
    EXPECT_EQ(page.Fader(8).GetMin(), -60.0f);
    EXPECT_EQ(page.Fader(9).GetMin(), -12.0f);
    EXPECT_EQ(page.Fader(3).GetMin(), -40.0f);
}

TEST_F(OutputLevelWin, RowsAroundTheFaceAreTheGroundOfThePages) {
    // The face (1007 x 503) leaves 100 rows above and below it and 8 or 9 columns beside it:
    // they must be the dark ground the tuning page's face shows between its panels, and the
    // face's own margin must be of that ground, or the page shows bands around a dark card.
    pages::OutputLevel page(parent.hwnd(), 0, 65);
    UpdateWindow(page.GetHwnd());
    const COLORREF ground = uitest::BitmapPixel(IDB_PAGE_DSP, 0, 296);
    EXPECT_EQ(uitest::BitmapPixel(IDB_PAGE_LEVELS, 0, 0), ground);
    EXPECT_EQ(uitest::BitmapPixel(IDB_PAGE_LEVELS, 1006, 502), ground);
    HDC dc = GetDC(page.GetHwnd());
    for (const POINT& p : {POINT{2, 2}, POINT{512, 50}, POINT{512, 650}, POINT{1021, 700}, POINT{3, 350},
                           POINT{1020, 350}, POINT{9, 100}})
        EXPECT_EQ(uitest::Pixel(dc, p.x, p.y), ground) << p.x << ", " << p.y;
    ReleaseDC(page.GetHwnd(), dc);
}

TEST_F(OutputLevelWin, FadersMutesAndTheClipMask) {
    pages::OutputLevel page(parent.hwnd(), 0, 65);
    std::vector<uint32_t> mutes;
    float master = 0.0f;
    parent.onPrivate = [&](UINT message, WPARAM, LPARAM l) {
        if (message == ui::MsgMuteFlagsChanged) mutes.assign(reinterpret_cast<const uint32_t*>(l),
                                                             reinterpret_cast<const uint32_t*>(l) + 8);
        if (message == ui::MsgMasterLevel) master = *reinterpret_cast<const float*>(l);
    };
    // A fader moved as the slider reports it: the value is set, then the change is sent.
    page.Fader(2).SetValue(-3.2f);
    float change = -0.2f;
    SendMessageA(page.GetHwnd(), ui::MsgSliderMoved, 2, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(page.Logic().Level(0, 2), -3.2f);
    EXPECT_TRUE(page.Logic().SendFlag(2));
    EXPECT_EQ(page.IsChanged(), 1);
    page.Fader(8).SetValue(-30.0f);
    change = 15.0f;
    SendMessageA(page.GetHwnd(), ui::MsgSliderMoved, 8, reinterpret_cast<LPARAM>(&change));
    auto told = parent.Of(ui::MsgMasterLevel);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].sent);
    EXPECT_EQ(told[0].wParam, 1u);
    EXPECT_EQ(master, -30.0f);

    // A mute click tells all eight.
    const uint32_t before[8] = {1, 0, 0, 0, 0, 0, 0, 1};
    page.SetMutes(before);
    uitest::Click(page.MuteSwitch(3)->GetHwnd(), 5, 5);
    Pump();
    EXPECT_EQ(mutes, (std::vector<uint32_t>{1, 0, 0, 1, 0, 0, 0, 1}));
    ASSERT_EQ(parent.Of(ui::MsgMuteFlagsChanged).size(), 1u);
    EXPECT_EQ(parent.Of(ui::MsgMuteFlagsChanged)[0].wParam, 1u);

    // The clip mask lights indicators only while the page is shown.
    ShowWindow(page.GetHwnd(), SW_HIDE);
    PostMessageA(page.GetHwnd(), ui::MsgClipMask, 0x05, 0);
    Pump();
    EXPECT_EQ(page.ClipIndicator(0)->GetCheck(), 0);
    ShowWindow(page.GetHwnd(), SW_SHOW);
    PostMessageA(page.GetHwnd(), ui::MsgClipMask, 0x05, 0);
    Pump();
    for (int c = 0; c < 8; ++c) EXPECT_EQ(page.ClipIndicator(c)->GetCheck(), (0x05 >> c) & 1) << c;
    // Shown again: the indicators start dark.
    ShowWindow(page.GetHwnd(), SW_HIDE);
    ShowWindow(page.GetHwnd(), SW_SHOW);
    EXPECT_EQ(page.ClipIndicator(0)->GetCheck(), 0);
    parent.onPrivate = nullptr;
}

TEST_F(OutputLevelWin, Screenshots) {
    pages::TabBarCtrl bar(parent.hwnd(), 0, 28, true, nullptr, false, nullptr);
    pages::OutputLevel page(parent.hwnd(), 0, 65);
    bar.SetPage(2);
    bar.SetPreset(1);
    page.SelectPreset(1, 0);
    const int icons[8][3] = {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}, {2, 3, 0}, {5, 0, 0}, {3, 0, 0}, {1, 0, 0}, {4, 5, 0}};
    for (int c = 0; c < 8; ++c) page.SetChannelIcon(c, icons[c][0], icons[c][1], icons[c][2]);
    page.Fader(1).SetValue(-12.0f);
    float change = -9.0f;
    SendMessageA(page.GetHwnd(), ui::MsgSliderMoved, 1, reinterpret_cast<LPARAM>(&change));
    const uint32_t mutes[8] = {0, 0, 0, 0, 0, 1, 0, 0};
    page.SetMutes(mutes);
    ShowWindow(page.GetHwnd(), SW_HIDE);
    ShowWindow(page.GetHwnd(), SW_SHOW);
    PostMessageA(page.GetHwnd(), ui::MsgClipMask, 0x81, 0);
    Pump();
    EXPECT_EQ(page.ClipIndicator(7)->GetCheck(), 1);
    // The readout of fader 1 says -12.0: some light pixels in its dark box.
    HDC dc = GetDC(page.GetHwnd());
    const RECT readout = page.ReadoutRect(1);
    EXPECT_GT(uitest::PixelsDifferentFrom(dc, readout, uitest::Pixel(dc, readout.left + 3, readout.top + 2)), 5);
    // The icon of channel 0 (front left, full) is drawn where it belongs.
    const RECT icon = page.IconRect(0);
    EXPECT_EQ(uitest::Pixel(dc, icon.left + 6, icon.top + 18), uitest::BitmapPixel(IDB_LEVEL_ICONS, 6, 18));
    ReleaseDC(page.GetHwnd(), dc);
    UpdateWindow(parent.hwnd());
    HDC whole = GetDC(parent.hwnd());
    const std::string path = uitest::ScreenshotFolder() + "\\output_level_page.bmp";
    EXPECT_TRUE(uitest::SaveBmp(whole, RECT{0, 0, 1028, 774}, path));
    ReleaseDC(parent.hwnd(), whole);
    for (int p = 0; p < 3; ++p) {
        bar.SetPage(p);
        bar.SetPreset(p);
        UpdateWindow(bar.GetHwnd());
        HDC b = GetDC(bar.GetHwnd());
        EXPECT_TRUE(uitest::SaveBmp(b, RECT{0, 0, 1024, 37},
                                    uitest::ScreenshotFolder() + "\\tab_bar_" + std::to_string(p) + ".bmp"));
        ReleaseDC(bar.GetHwnd(), b);
    }
}

}  // namespace
