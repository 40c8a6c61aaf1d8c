// The tuning page and its crossover panel as windows under Wine, over a recording parent: every
// child and control at its place with its bitmap's size, the popup menus against the choice
// tables, clicks, keys and the wheel down to the notifications, the band-pass swap of the two
// frequency buttons, the red labels of a focused field, the popups' checks and greys, the
// questions in the real box, a disabled page, and nothing leaked by pages and popups.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/tables.h"
#include "os/settings.h"
#include "pages/dsp_setting.h"
#include "pages/filter_settings.h"
#include "res/resource.h"
#include "tests/pages/popup_reader.h"
#include "tests/ui/box_driver.h"
#include "tests/ui/harness.h"
#include "ui/gdi.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace {

using pagetest::MenuItem;
using pages::XoField;
using uitest::Point;
using uitest::Pump;

struct Place {
    HWND window;
    RECT expected;  // in the parent's client area
};

void ExpectPlaces(const std::vector<Place>& places, HWND parent) {
    for (const Place& p : places) {
        const RECT r = uitest::RectIn(p.window, parent);
        EXPECT_EQ(r.left, p.expected.left);
        EXPECT_EQ(r.top, p.expected.top);
        EXPECT_EQ(r.right, p.expected.right);
        EXPECT_EQ(r.bottom, p.expected.bottom);
    }
}

// Stands in for TrackPopupMenuEx: reads the popup it is given and, when told, chooses an item
// the way the system does (a WM_COMMAND posted to the owner after the popup closed).
class ScriptedTracker : public pages::PopupTracker {
public:
    void Track(HMENU popup, int x, int y, HWND owner) override {
        ++shown;
        items = pagetest::ReadMenu(popup);
        at = {x, y};
        if (choose) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(choose, 0), 0);
        choose = 0;
        if (onTrack) onTrack(popup);
    }
    int shown = 0;
    UINT choose = 0;
    std::vector<MenuItem> items;
    POINT at{};
    std::function<void(HMENU)> onTrack;
};

model::CrossoverParams Block(int32_t type, float lp, float hp, int32_t family = model::kButterworth) {
    model::CrossoverParams b{};
    b.FilterType = type;
    b.LPFreq = lp;
    b.HPFreq = hp;
    b.LFSlope = b.HFSlope = 24.0f;
    b.FilterModel = family;
    b.distance = 100;
    model::CrossoverToMenuIds(&b);
    b.typeMenuId = static_cast<uint32_t>(model::FilterTypeMenuId(type));
    b.familyMenuId = static_cast<uint32_t>(model::FamilyMenuId(family));
    return b;
}

std::vector<uitest::Received> Notifications(const uitest::RecordingParent& parent) {
    std::vector<uitest::Received> out;
    for (const uitest::Received& r : parent.received)
        if (r.message >= 0x8080 && r.message <= 0x8084) out.push_back(r);
    return out;
}

// ---- places and bitmaps ---------------------------------------------------------------------------

TEST(TuningPageWin, BitmapsOfThePanel) {
    struct Size {
        UINT id;
        int cx, cy;
    };
    const Size sizes[] = {{IDB_CROSSOVER_PANEL, 248, 294}, {IDB_CROSSOVER_FIELD, 51, 21},
                          {IDB_CROSSOVER_UP, 51, 9},       {IDB_CROSSOVER_DOWN, 51, 9},
                          {IDB_CROSSOVER_LINK, 176, 20},   {IDB_CROSSOVER_PHASE, 186, 22}};
    for (const Size& s : sizes) {
        const SIZE got = uitest::BitmapSizeOf(s.id);
        EXPECT_EQ(got.cx, s.cx) << s.id;
        EXPECT_EQ(got.cy, s.cy) << s.id;
    }
    // The panel fits left of the channel map and above the car view.
    EXPECT_LE(1 + 248, 250);
    EXPECT_LE(2 + 294, 297);
}

TEST(TuningPageWin, ChildrenAndControlsAtTheirPlaces) {
    uitest::RecordingParent parent(1100, 800);
    os::MemorySettings settings;
    settings.CreateKeys();
    pages::DSPSetting page(parent.hwnd(), 0, 65, false, &settings);
    ASSERT_NE(page.GetHwnd(), nullptr);
    ASSERT_TRUE(page.Filter() && page.Map() && page.Info() && page.Settings() && page.Chart() && page.Eq() &&
                page.Car());
    const std::vector<Place> children = {
        {page.Filter()->GetHwnd(), {1, 2, 1 + 248, 2 + 294}},
        {page.Map()->GetHwnd(), {250, 3, 250 + 314, 3 + 296}},
        {page.Info()->GetHwnd(), {564, 2, 564 + 458, 2 + 199}},
        {page.Settings()->GetHwnd(), {564, 202, 564 + 460, 202 + 106}},
        {page.Chart()->GetHwnd(), {264, 311, 264 + 747, 311 + 159}},
        {page.Eq()->GetHwnd(), {251, 485, 251 + 773, 485 + 219}},
        {page.Car()->GetHwnd(), {2, 297, 2 + 249, 297 + 406}},
    };
    ExpectPlaces(children, page.GetHwnd());
    for (const Place& p : children) EXPECT_EQ(GetWindowLongA(p.window, GWL_STYLE) & 0x56000000, 0x56000000);
    const RECT pageRect = uitest::RectIn(page.GetHwnd(), parent.hwnd());
    EXPECT_EQ(pageRect.left, 0);
    EXPECT_EQ(pageRect.top, 65);

    pages::FilterSettings& f = *page.Filter();
    const std::vector<Place> controls = {
        {f.FieldButton(XoField::Type)->GetHwnd(), {101, 62, 118, 83}},
        {f.FieldButton(XoField::LpFreq)->GetHwnd(), {101, 112, 118, 133}},
        {f.FieldButton(XoField::LfSlope)->GetHwnd(), {101, 162, 118, 183}},
        {f.FieldButton(XoField::Family)->GetHwnd(), {211, 62, 228, 83}},
        {f.FieldButton(XoField::HpFreq)->GetHwnd(), {211, 112, 228, 133}},
        {f.FieldButton(XoField::HfSlope)->GetHwnd(), {211, 162, 228, 183}},
        {f.DistanceButton(true)->GetHwnd(), {101, 212, 118, 221}},
        {f.DistanceButton(false)->GetHwnd(), {101, 221, 118, 230}},
        {f.TrimButton(true)->GetHwnd(), {211, 212, 228, 221}},
        {f.TrimButton(false)->GetHwnd(), {211, 221, 228, 230}},
        {f.LinkButton()->GetHwnd(), {118, 270, 118 + 88, 290}},
        {f.PhaseButton()->GetHwnd(), {6, 268, 6 + 62, 290}},
    };
    // The front-left woofer is loaded at start: a low pass, so the frequency buttons sit unswapped.
    ASSERT_EQ(f.Logic().Block().FilterType, model::kLowPass);
    ExpectPlaces(controls, f.GetHwnd());
    // The channel map and the car view show the page's speakers, the woofer selected in both.
    EXPECT_EQ(page.Map()->Logic().GetRowName(0), "Front Left Woofer");
    EXPECT_TRUE(page.Map()->Logic().IsRowSelected(0));
    EXPECT_TRUE(page.Car()->Logic().IsSpeakerSelected(0, model::kWoofer));
    EXPECT_EQ(page.Car()->Logic().SpeakerCount(4, model::kSubwooferL), 1);
}

// ---- menus -----------------------------------------------------------------------------------------

std::vector<MenuItem> LoadedItems(UINT id) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    EXPECT_NE(menu, nullptr) << id;
    if (!menu) return {};
    HMENU popup = GetSubMenu(menu, 0);
    std::vector<MenuItem> items = popup ? pagetest::ReadMenu(popup) : std::vector<MenuItem>{};
    DestroyMenu(menu);
    return items;
}

TEST(TuningPageWin, MenusEqualTheChoiceTables) {
    struct Row {
        UINT menu;
        int firstRow, rows;
    };
    // Types, slopes, families: ids from the table, texts the fields show.
    const Row rows[] = {{IDR_MENU_FILTER_TYPE, model::kTypeRow, model::kTypeRows},
                        {IDR_MENU_SLOPE, model::kSlopeRow, model::kSlopeRows}};
    for (const Row& r : rows) {
        const std::vector<MenuItem> items = LoadedItems(r.menu);
        ASSERT_EQ(static_cast<int>(items.size()), r.rows);
        for (int i = 0; i < r.rows; ++i) {
            EXPECT_EQ(items[i].id, model::CrossoverChoiceTable[r.firstRow + i].id);
            EXPECT_EQ(items[i].text, pages::FilterSettingsLogic::MenuItemText(static_cast<int>(r.menu), items[i].id));
        }
    }
    const std::vector<MenuItem> types = LoadedItems(IDR_MENU_FILTER_TYPE);
    EXPECT_EQ(types[1].text, "Low Pass");  // one blank, whatever the table's label has
    const std::vector<MenuItem> family = LoadedItems(IDR_MENU_FAMILY);
    ASSERT_EQ(family.size(), 2u);
    EXPECT_EQ(family[0].text, "Butterworth");
    EXPECT_EQ(family[0].id, model::kIdButterworth);
    EXPECT_EQ(family[1].text, "Linkwitz");
    EXPECT_EQ(family[1].id, model::kIdLinkwitz);

    const std::vector<MenuItem> ranges = LoadedItems(IDR_MENU_FREQUENCY);
    const char* names[] = {"10 - 100", "110 - 500", "500 - 2000", "2250 - 7500", "8000 - 20000"};
    ASSERT_EQ(ranges.size(), 5u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(ranges[i].text, names[i]);
    const std::vector<MenuItem> all = pagetest::Flatten(ranges);
    ASSERT_EQ(static_cast<int>(all.size()), model::kFrequencyRows);
    for (int i = 0; i < model::kFrequencyRows; ++i) {
        const model::CrossoverChoice& c = model::CrossoverChoiceTable[model::kFrequencyRow + i];
        EXPECT_EQ(all[i].id, c.id);
        EXPECT_EQ(all[i].text, c.label);
        EXPECT_EQ(std::stof(all[i].text), c.value);
    }
    // Each submenu holds its range's frequencies only.
    EXPECT_EQ(ranges[0].items.back().text, "100");
    EXPECT_EQ(ranges[1].items.front().text, "110");
    EXPECT_EQ(ranges[2].items.front().text, "550");
    EXPECT_EQ(ranges[4].items.front().text, "8000");
}

// ---- the panel under a recording parent -------------------------------------------------------------

class PanelWin : public ::testing::Test {
protected:
    uitest::RecordingParent parent{400, 400};
    pages::FilterSettings panel{parent.hwnd()};
    ScriptedTracker tracker;
    void SetUp() override {
        panel.SetPopupTracker(&tracker);
        panel.Logic().SetWorkingMode(0);
    }
    void Press(ui::BtnWnd* b) {
        uitest::Click(b->GetHwnd(), 3, 3);
        Pump();
    }
};

TEST_F(PanelWin, ClickOnTheDelayThenUpStepsTheDistance) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 1000, 2000));
    parent.Clear();
    SendMessageA(panel.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(150, 220));
    SendMessageA(panel.GetHwnd(), WM_KEYDOWN, VK_UP, 1);
    Pump();
    EXPECT_EQ(panel.Logic().Block().distance, 104);
    const auto got = Notifications(parent);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, ui::MsgCrossoverChanged);
    EXPECT_EQ(got[0].wParam, 1u);
    EXPECT_EQ(got[0].lParam, 0);
    EXPECT_TRUE(got[0].sent);
    // 104 samples: 2.1666 ms, 73.7 cm, 29.0 inches.
    EXPECT_EQ(panel.Logic().CentimetreText(), "73.7");
    EXPECT_EQ(panel.Logic().InchText(), "29.0");
}

TEST_F(PanelWin, WheelOverAFrequencyAndOverTheInches) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 1000, 2000));
    struct Case {
        int x, y, delta;
        float lp;
        int32_t distance;
        UINT message;
        WPARAM w;
    };
    const Case cases[] = {
        {50, 120, -120, 900, 100, ui::MsgCrossoverChanged, 0},   // toward the user: lower
        {50, 120, 120, 1000, 100, ui::MsgCrossoverChanged, 0},
        {50, 120, 120, 1100, 100, ui::MsgCrossoverChanged, 0},
        {170, 120, 120, 1100, 100, 0, 0},                         // HP field hidden in a low pass
        {40, 220, 120, 1100, 104, ui::MsgCrossoverChanged, 1},   // inches: the distance
        {80, 220, -120, 1100, 100, ui::MsgCrossoverChanged, 1},  // centimetres
        {150, 220, 120, 1100, 100, 0, 0},                         // the delay readout ignores it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.delta));
        parent.Clear();
        POINT screen{c.x, c.y};
        ClientToScreen(panel.GetHwnd(), &screen);
        SendMessageA(panel.GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), MAKELPARAM(screen.x, screen.y));
        Pump();
        EXPECT_EQ(panel.Logic().Block().LPFreq, c.lp);
        EXPECT_EQ(panel.Logic().Block().distance, c.distance);
        const auto got = Notifications(parent);
        if (!c.message) {
            EXPECT_TRUE(got.empty());
            continue;
        }
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, c.message);
        EXPECT_EQ(got[0].wParam, c.w);
    }
}

TEST_F(PanelWin, BandPassSwapMovesTheFrequencyButtons) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 5000, 2000));
    auto at = [&](XoField f) {
        const RECT r = uitest::RectIn(panel.FieldButton(f)->GetHwnd(), panel.GetHwnd());
        return std::make_pair(static_cast<int>(r.left), static_cast<int>(r.top));
    };
    EXPECT_EQ(at(XoField::LpFreq), std::make_pair(101, 112));
    EXPECT_EQ(at(XoField::HpFreq), std::make_pair(211, 112));
    tracker.choose = model::kIdBandPass;
    Press(panel.FieldButton(XoField::Type));
    ASSERT_EQ(tracker.shown, 1);
    ASSERT_EQ(panel.Logic().Block().FilterType, model::kBandPass);
    // The edges trade places: the band runs from 2000 Hz (right) to 5000 Hz (left).
    EXPECT_EQ(panel.Logic().Block().LPFreq, 2000.0f);
    EXPECT_EQ(panel.Logic().Block().HPFreq, 5000.0f);
    EXPECT_EQ(at(XoField::LpFreq), std::make_pair(211, 112));
    EXPECT_EQ(at(XoField::HpFreq), std::make_pair(101, 112));
    EXPECT_TRUE(IsWindowEnabled(panel.FieldButton(XoField::HpFreq)->GetHwnd()));
    EXPECT_FALSE(IsWindowEnabled(panel.FieldButton(XoField::HfSlope)->GetHwnd()));
    // The choice freed the popup's menu.
    EXPECT_EQ(panel.LoadedMenu(), nullptr);

    // The left button now opens the upper edge's popup, checked at 5000 Hz.
    Press(panel.FieldButton(XoField::HpFreq));
    std::vector<MenuItem> flat = pagetest::Flatten(tracker.items);
    std::vector<std::string> checked;
    for (const MenuItem& i : flat)
        if (i.checked) checked.push_back(i.text);
    EXPECT_EQ(checked, std::vector<std::string>{"5000"});
    // Popups open 3 pixels below the text rectangle's lower-left corner, on the screen.
    POINT corner{22, 130 + 3};
    ClientToScreen(panel.GetHwnd(), &corner);
    EXPECT_EQ(tracker.at.x, corner.x);
    EXPECT_EQ(tracker.at.y, corner.y);

    tracker.choose = model::kIdLowPass;
    Press(panel.FieldButton(XoField::Type));
    EXPECT_EQ(panel.Logic().Block().LPFreq, 5000.0f);
    EXPECT_EQ(at(XoField::LpFreq), std::make_pair(101, 112));
    EXPECT_EQ(at(XoField::HpFreq), std::make_pair(211, 112));
}

TEST_F(PanelWin, ButtonsAndSwitchesNotify) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 1000, 2000));
    struct Case {
        std::function<ui::BtnWnd*()> button;
        UINT message;
        WPARAM w;
        bool lIsButton;
        LPARAM l;
    };
    const Case cases[] = {
        {[&] { return panel.DistanceButton(true); }, ui::MsgCrossoverChanged, 1, false, 0},
        {[&] { return panel.DistanceButton(false); }, ui::MsgCrossoverChanged, 1, false, 0},
        {[&] { return panel.TrimButton(true); }, ui::MsgDelayTrimChanged, 0, true, 0},
        {[&] { return panel.TrimButton(false); }, ui::MsgDelayTrimChanged, 0, true, 0},
        {[&] { return panel.LinkButton(); }, ui::MsgCrossoverChanged, 0, false, 1},
        {[&] { return panel.PhaseButton(); }, ui::MsgCrossoverChanged, 0, false, 0},
    };
    for (const Case& c : cases) {
        parent.Clear();
        ui::BtnWnd* b = c.button();
        Press(b);
        const auto got = Notifications(parent);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, c.message);
        EXPECT_EQ(got[0].wParam, c.w);
        EXPECT_EQ(got[0].lParam, c.lIsButton ? reinterpret_cast<LPARAM>(b->GetHwnd()) : c.l);
    }
    EXPECT_EQ(panel.Logic().Block().distance, 100);
    EXPECT_EQ(panel.Logic().Block().delayTrim, 0);
    EXPECT_EQ(panel.Logic().Block().bXoLink, 1u);
    EXPECT_EQ(panel.Logic().Block().bInvPhase, 1u);
    EXPECT_EQ(panel.LinkButton()->GetCheck(), ui::ChkWnd::kOn);

    // No channel: the field, distance and phase buttons are disabled, the trim and link are not.
    panel.Logic().DrawAllDisabled();
    EXPECT_FALSE(IsWindowEnabled(panel.FieldButton(XoField::Type)->GetHwnd()));
    EXPECT_FALSE(IsWindowEnabled(panel.DistanceButton(true)->GetHwnd()));
    EXPECT_FALSE(IsWindowEnabled(panel.PhaseButton()->GetHwnd()));
    EXPECT_TRUE(IsWindowEnabled(panel.TrimButton(true)->GetHwnd()));
    EXPECT_TRUE(IsWindowEnabled(panel.LinkButton()->GetHwnd()));
    EXPECT_EQ(panel.Logic().DelayText(), "");
}

// Red pixels of the type field's label in the panel's face.
int RedPixels(pages::FilterSettings& panel) {
    const pages::PanelRect r = panel.Logic().FieldRect(XoField::Type);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = uitest::Pixel(panel.BackBuffer(), x, y);
            if (GetRValue(c) > 140 && GetGValue(c) < 120 && GetBValue(c) < 120) ++n;
        }
    return n;
}

TEST_F(PanelWin, FocusedLabelIsRedOnlyWhileTheMainWindowIsActive) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 1000, 2000));
    // Xvfb has no window manager: the test activates the windows itself.
    SetForegroundWindow(parent.hwnd());
    SetActiveWindow(parent.hwnd());
    SendMessageA(panel.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 70));
    Pump();
    ASSERT_TRUE(panel.Logic().Focused(static_cast<int>(XoField::Type)));
    ASSERT_EQ(GetFocus(), panel.GetHwnd());
    EXPECT_TRUE(panel.ShowsFocus());
    EXPECT_GT(RedPixels(panel), 5);

    // Another window of the program becomes active: the label turns black.
    uitest::RecordingParent other(200, 200);
    SetForegroundWindow(other.hwnd());
    SetActiveWindow(other.hwnd());
    Pump();
    EXPECT_FALSE(panel.ShowsFocus());
    EXPECT_EQ(RedPixels(panel), 0);

    // Back: the mouse moving over the panel takes the focus again.
    SetActiveWindow(parent.hwnd());
    SetFocus(parent.hwnd());
    Pump();
    SendMessageA(panel.GetHwnd(), WM_MOUSEMOVE, 0, Point(60, 60));
    Pump();
    EXPECT_EQ(GetFocus(), panel.GetHwnd());
    EXPECT_GT(RedPixels(panel), 5);
}

TEST_F(PanelWin, PopupsShowChecksAndGreysOfTheLoadedMenu) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 1000, 2000, model::kLinkwitz));
    tracker.onTrack = [&](HMENU popup) {
        // The popup is the first submenu of the menu the panel holds.
        EXPECT_EQ(GetSubMenu(panel.LoadedMenu(), 0), popup);
    };
    Press(panel.FieldButton(XoField::LfSlope));
    ASSERT_EQ(tracker.items.size(), 8u);
    std::vector<std::string> greyed, checked;
    for (const MenuItem& i : tracker.items) {
        if (i.greyed) greyed.push_back(i.text);
        if (i.checked) checked.push_back(i.text);
    }
    EXPECT_EQ(greyed, (std::vector<std::string>{"6 dB", "18 dB", "30 dB", "42 dB"}));
    EXPECT_EQ(checked, std::vector<std::string>{"24 dB"});
    // A refused slope (18 dB with Linkwitz) changes nothing and sends nothing, but frees the menu.
    parent.Clear();
    PostMessageA(panel.GetHwnd(), WM_COMMAND, model::kIdSlope6 + 2, 0);
    Pump();
    EXPECT_EQ(panel.Logic().Block().LFSlope, 24.0f);
    EXPECT_TRUE(Notifications(parent).empty());
    EXPECT_EQ(panel.LoadedMenu(), nullptr);

    Press(panel.FieldButton(XoField::Family));
    ASSERT_EQ(tracker.items.size(), 2u);
    EXPECT_FALSE(tracker.items[0].checked);
    EXPECT_TRUE(tracker.items[1].checked);  // Linkwitz
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

TEST_F(PanelWin, DismissedPopupsLeakNoMenu) {
    panel.Logic().SetCrossover(Block(model::kLowPass, 1000, 2000));
    std::vector<HMENU> loaded;
    tracker.onTrack = [&](HMENU) { loaded.push_back(panel.LoadedMenu()); };
    const XoField fields[] = {XoField::Type, XoField::LpFreq, XoField::LfSlope, XoField::Family};
    for (int i = 0; i < 1000; ++i)
        SendMessageA(panel.GetHwnd(), ui::MsgButtonClicked, 0,
                     reinterpret_cast<LPARAM>(panel.FieldButton(fields[i % 4])->GetHwnd()));
    ASSERT_EQ(loaded.size(), 1000u);
    // One menu at a time: each popup freed the one before.
    for (size_t i = 0; i + 1 < loaded.size(); ++i) ASSERT_FALSE(IsMenu(loaded[i])) << i;
    EXPECT_TRUE(IsMenu(loaded.back()));

    // The system's own popup, closed without a choice, the same way.
    panel.SetPopupTracker(nullptr);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseMenu);
    for (int i = 0; i < 3; ++i) {
        SendMessageA(panel.GetHwnd(), ui::MsgButtonClicked, 0,
                     reinterpret_cast<LPARAM>(panel.FieldButton(XoField::Type)->GetHwnd()));
        loaded.push_back(panel.LoadedMenu());
    }
    KillTimer(nullptr, timer);
    for (size_t i = 0; i + 1 < loaded.size(); ++i) EXPECT_FALSE(IsMenu(loaded[i])) << i;
    EXPECT_TRUE(IsMenu(loaded.back()));
}

TEST(TuningPageWin, NothingLeaksFromPagesAndPopups) {
    uitest::RecordingParent parent(1100, 800);
    os::MemorySettings settings;
    settings.CreateKeys();
    ScriptedTracker tracker;
    // Once, so that the toolkit's shared objects (cached fonts, classes) exist before counting.
    { pages::DSPSetting warm(parent.hwnd(), 0, 65, false, &settings); }
    Pump();
    const ui::gdi::LiveCounts before = ui::gdi::Live();
    const long textObjects = ui::LiveGdiplusObjects();
    std::vector<HMENU> menus;
    for (int i = 0; i < 100; ++i) {
        pages::DSPSetting page(parent.hwnd(), 0, 65, false, &settings);
        ASSERT_NE(page.Filter(), nullptr);
        page.Filter()->SetPopupTracker(&tracker);
        // Every tenth page is left with a popup dismissed: its menu goes with the panel.
        if (i % 10 == 0) {
            SendMessageA(page.Filter()->GetHwnd(), ui::MsgButtonClicked, 0,
                         reinterpret_cast<LPARAM>(page.Filter()->FieldButton(XoField::Type)->GetHwnd()));
            menus.push_back(page.Filter()->LoadedMenu());
            EXPECT_TRUE(IsMenu(menus.back()));
        }
        Pump();
    }
    EXPECT_EQ(ui::gdi::Live(), before);
    EXPECT_EQ(ui::LiveGdiplusObjects(), textObjects);
    ASSERT_EQ(menus.size(), 10u);
    for (HMENU m : menus) EXPECT_FALSE(IsMenu(m));
}

// ---- the page: disabled, and its questions in the real box ------------------------------------------

TEST(TuningPageWin, DisablingThePageDisablesEveryChild) {
    uitest::RecordingParent parent(1100, 800);
    pages::DSPSetting page(parent.hwnd(), 0, 65, false, nullptr);
    const HWND children[] = {page.Filter()->GetHwnd(), page.Map()->GetHwnd(),      page.Info()->GetHwnd(),
                             page.Settings()->GetHwnd(), page.Chart()->GetHwnd(), page.Eq()->GetHwnd(),
                             page.Car()->GetHwnd()};
    EnableWindow(page.GetHwnd(), FALSE);
    for (HWND c : children) EXPECT_FALSE(IsWindowEnabled(c));
    EnableWindow(page.GetHwnd(), TRUE);
    for (HWND c : children) EXPECT_TRUE(IsWindowEnabled(c));
}

class PageQuestions : public ::testing::Test {
protected:
    uitest::RecordingParent parent{1100, 800};
    os::MemorySettings settings;
    std::unique_ptr<pages::DSPSetting> page;
    void SetUp() override {
        settings.CreateKeys();
        page = std::make_unique<pages::DSPSetting>(parent.hwnd(), 0, 65, false, &settings);
    }
    void TearDown() override { page.reset(); }
    // Steps of a box: check its text and buttons, tick the check box when asked, press one.
    std::vector<uitest::BoxStep> Answer(const std::string& text, size_t buttons, int press, bool tick) {
        std::vector<uitest::BoxStep> steps;
        steps.push_back([=](HWND d) {
            char got[256] = {};
            GetWindowTextA(d, got, sizeof got);
            EXPECT_EQ(std::string(got), text);
            const auto all = uitest::BoxButtons(d, true);
            const auto row = uitest::BoxButtons(d);
            EXPECT_EQ(row.size(), buttons);
            EXPECT_EQ(all.size(), buttons + 1);  // the check box, shown
            for (const uitest::Child& c : all)
                if (c.rect.right - c.rect.left == 145) {
                    EXPECT_EQ(ui::AttachedObject<ui::ChkWnd>(c.window)->GetCheck(), ui::ChkWnd::kOff);
                    if (tick) uitest::ClickChild(c.window);
                }
        });
        steps.push_back([=](HWND d) {
            if (press < 0) {
                SendMessageA(d, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
                return;
            }
            const auto row = uitest::BoxButtons(d);
            if (static_cast<size_t>(press) < row.size()) uitest::ClickChild(row[press].window);
        });
        return steps;
    }
};

TEST_F(PageQuestions, EachQuestionInTheRealBox) {
    pages::DSPSettingLogic& logic = page->Logic();
    const std::string crossover =
        "This action will erase previous 'Front Right Woofer' Crossover Settings. Press 'Ok' to Continue.";
    const std::string equalisation =
        "This action will erase previous 'Front Right Woofer' Equalization Settings. Press 'Ok' to Continue.";
    const std::string farthest = "This is the farthest speaker. Set the new distance to reduce delay.";
    const std::string advance = "This is the maximum allowable advance from default set.";
    struct Case {
        std::function<int()> ask;
        std::string text;
        size_t buttons;
        int press;  // index in the row; -1 a double click
        bool tick;
        int result;
        os::Question question;
        int32_t stored;
    };
    logic.Filter().SetXoverLinked(true);
    logic.Eq().SetEqLink(true);
    const Case cases[] = {
        {[&] { return logic.AskEraseCrossover(); }, crossover, 2, 1, true, 0, os::Question::XoLink, -1},
        {[&] { return logic.AskEraseCrossover(); }, crossover, 2, -1, false, 0, os::Question::XoLink, -1},
        {[&] { return logic.AskEraseCrossover(); }, crossover, 2, 0, true, 1, os::Question::XoLink, 1},
        {[&] { return logic.AskEraseEqualisation(); }, equalisation, 2, 0, false, 1, os::Question::EqLink, -1},
        {[&] { return logic.WarnDelayLimit(false, 0); }, advance, 1, 0, false, 1, os::Question::MinFDS, -1},
        {[&] { return logic.WarnDelayLimit(true, 0); }, farthest, 1, 0, true, 1, os::Question::MinFDS, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " " + std::to_string(c.press));
        uitest::BoxDriver driver(parent, Answer(c.text, c.buttons, c.press, c.tick));
        EXPECT_EQ(c.ask(), c.result);
        EXPECT_FALSE(driver.timedOut);
        EXPECT_EQ(os::GetRememberedAnswer(settings, c.question), c.stored);
    }
}

TEST_F(PageQuestions, ListeningPointFromTheSeatsAnsweredYesNoAndByDoubleClick) {
    const std::string text =
        "You have changed current listening point, and you have to set new distances for current memory. "
        "Reset previous values?";
    model::TuningModel& m = page->Model();
    struct Case {
        int seat, press;
        bool tick;
        int32_t distance;  // output 0's afterwards
        int32_t stored;
    };
    const Case cases[] = {
        {2, 1, true, 40, -1},  // NO: nothing reset, nothing remembered
        {3, -1, true, 40, -1}, // closed by a double click: as NO
        {1, 0, true, 0, 1},    // YES with the tick: reset and remembered
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seat);
        m.Record(0, 0).crossover.distance = 40;
        uitest::BoxDriver driver(parent, Answer(text, 2, c.press, c.tick));
        uitest::Click(page->Car()->Seat(c.seat)->GetHwnd(), 5, 5);
        Pump();
        EXPECT_FALSE(driver.timedOut);
        EXPECT_EQ(m.ListeningPoint(0), c.seat);
        EXPECT_EQ(m.Record(0, 0).crossover.distance, c.distance);
        EXPECT_EQ(os::GetAskDelayRif(settings), c.stored);
    }
}

TEST_F(PageQuestions, HeldTrimButtonStopsBeforeTheWarning) {
    pages::FilterSettings& f = *page->Filter();
    ui::BtnWnd* down = f.TrimButton(false);
    SendMessageA(down->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(3, 3));
    ASSERT_TRUE(down->Captured());
    bool heldDuringBox = true;
    std::vector<uitest::BoxStep> steps = Answer(
        "This is the farthest speaker. Set the new distance to reduce delay.", 1, 0, false);
    steps.insert(steps.begin(), [&](HWND) { heldDuringBox = down->Captured(); });
    uitest::BoxDriver driver(parent, steps);
    EXPECT_EQ(page->Logic().WarnDelayLimit(true, reinterpret_cast<intptr_t>(down->GetHwnd())), 1);
    EXPECT_FALSE(driver.timedOut);
    EXPECT_FALSE(heldDuringBox);
    EXPECT_EQ(down->State(), ui::BtnWnd::kNormal);
}

}  // namespace

namespace {

// The crossover panel in each filter type, for a person to look at (Band Pass with its frequency
// fields swapped).
TEST_F(PanelWin, ScreenshotsOfEachType) {
    const int32_t types[] = {model::kFullRange, model::kLowPass, model::kHighPass, model::kBandPass};
    const char* names[] = {"full_range", "low_pass", "high_pass", "band_pass"};
    for (int i = 0; i < 4; ++i) {
        panel.Logic().SetCrossover(Block(types[i], 300, 3000, model::kLinkwitz));
        EXPECT_EQ(panel.Logic().Swapped(), types[i] == model::kBandPass);
        const std::string path = uitest::ScreenshotFolder() + "\\crossover_" + names[i] + ".bmp";
        EXPECT_TRUE(uitest::SaveBmp(panel.BackBuffer(), {0, 0, 248, 294}, path));
    }
}

}  // namespace
