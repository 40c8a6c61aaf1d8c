// The equaliser panel's rules without a window: single and group moves, Flat, the switches with
// Select All, the link and off buttons across a disable, the readouts and the crossover marks.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "model/tables.h"
#include "pages/eq_settings_logic.h"
#include "ui/messages.h"

namespace {

using pages::EqSettingsLogic;

void SwitchOn(EqSettingsLogic& eq, std::initializer_list<int> bands) {
    uint32_t flags[31] = {};
    for (int k : bands) flags[k] = 1;
    eq.SetBandEnables(flags, 31);
}

void SetValues(EqSettingsLogic& eq, std::initializer_list<std::pair<int, float>> values) {
    float v[31] = {};
    for (const auto& [k, g] : values) v[k] = g;
    eq.SetGains(v, 31, 1, 0);
}

// The slider moves first and then reports the change, as the real one does.
pages::Notification Drag(EqSettingsLogic& eq, int band, float change) {
    return eq.OnSliderMoved(band, eq.Value(band) + change, change);
}

TEST(EqSettingsLogic, GroupMoveIsClampedAndASwitchedOffBandMovesAlone) {
    EqSettingsLogic eq;
    SetValues(eq, {{3, 10}, {4, 8}, {5, 4}});
    SwitchOn(eq, {3, 4, 5});
    const pages::Notification group = Drag(eq, 5, 3);
    EXPECT_EQ(group.id, ui::MsgEqBandChanged);
    EXPECT_EQ(group.wParam, -2);
    EXPECT_EQ(group.lParam, 0);
    EXPECT_EQ(eq.Value(3), 12.0f);
    EXPECT_EQ(eq.Value(4), 10.0f);
    EXPECT_EQ(eq.Value(5), 6.0f);

    const pages::Notification single = Drag(eq, 7, 2.7f);
    EXPECT_EQ(single.wParam, 7);
    EXPECT_EQ(single.lParam, 2);  // the value, truncated
    EXPECT_EQ(eq.Value(7), 2.7f);
    EXPECT_EQ(eq.Value(3), 12.0f);

    // A group move down is clamped by the lowest band.
    SetValues(eq, {{3, -11}, {4, 0}, {5, 4}});
    Drag(eq, 4, -5);
    EXPECT_EQ(eq.Value(3), -12.0f);
    EXPECT_EQ(eq.Value(4), -1.0f);
    EXPECT_EQ(eq.Value(5), 3.0f);

    // With one band switched on, moving it is a single move.
    SwitchOn(eq, {9});
    EXPECT_EQ(Drag(eq, 9, -3.5f).wParam, 9);
    EXPECT_EQ(Drag(eq, 31, 1).id, 0u);  // no such slider
}

TEST(EqSettingsLogic, DynamicConfigurationClampsToSixDecibels) {
    EqSettingsLogic eq(pages::EqConfig{false, true});
    EXPECT_EQ(eq.Max(), 6.0f);
    EXPECT_FALSE(eq.HasLink());
    EXPECT_FALSE(eq.HasOff());
    SetValues(eq, {{0, 5}, {1, 2}});
    SwitchOn(eq, {0, 1});
    Drag(eq, 1, 3);
    EXPECT_EQ(eq.Value(0), 6.0f);
    EXPECT_EQ(eq.Value(1), 3.0f);
    // Values from outside land inside the range.
    SetValues(eq, {{2, 15}, {3, -40}});
    EXPECT_EQ(eq.Value(2), 6.0f);
    EXPECT_EQ(eq.Value(3), -6.0f);

    uint32_t link = 7, off = 7;
    float out[40];
    EXPECT_EQ(eq.GetGains(out, 40, &link, &off), 31);
    EXPECT_EQ(link, 7u);  // no such buttons: untouched
    EXPECT_EQ(off, 7u);
    EXPECT_EQ(out[2], 6.0f);
    for (int k = 31; k < 40; ++k) EXPECT_EQ(out[k], 0.0f);
}

TEST(EqSettingsLogic, FlatSwitchesAndSelectAll) {
    EqSettingsLogic eq;
    const pages::Notification flat = eq.OnFlat();  // flat already: still sent
    EXPECT_EQ(flat.id, ui::MsgEqBandChanged);
    EXPECT_EQ(flat.wParam, -1);
    SetValues(eq, {{4, 3}});
    eq.OnFlat();
    EXPECT_EQ(eq.Value(4), 0.0f);

    std::vector<int> all;
    for (int k = 0; k < 30; ++k) eq.OnBandSwitchClicked(k, true);
    EXPECT_FALSE(eq.SelectAll());
    const pages::Notification last = eq.OnBandSwitchClicked(30, true);
    EXPECT_EQ(last.id, ui::MsgEqBandSwitch);
    EXPECT_EQ(last.wParam, 30);
    EXPECT_EQ(last.lParam, 1);
    EXPECT_TRUE(eq.SelectAll());
    eq.OnBandSwitchClicked(12, false);
    EXPECT_FALSE(eq.SelectAll());
    const pages::Notification selectAll = eq.OnSelectAllClicked(true);
    EXPECT_EQ(selectAll.wParam, -1);
    EXPECT_EQ(selectAll.lParam, 1);
    EXPECT_EQ(eq.CountEnabledBands(), 31);
}

TEST(EqSettingsLogic, DisablingKeepsLinkAndOffAndShowsDashes) {
    EqSettingsLogic eq;
    EXPECT_TRUE(eq.IsEqLink());  // checked at construction on the tuning page
    SetValues(eq, {{0, 1.26f}});
    eq.SetEqLink(false);
    eq.SetEqOff(true);
    EXPECT_EQ(eq.ReadoutText(0), "1.3");
    eq.SetEnabled(false);
    for (int k = 0; k < 31; ++k) EXPECT_EQ(eq.ReadoutText(k), "---");
    EXPECT_FALSE(eq.OnFlat());
    eq.SetEnabled(false);  // a second disable remembers nothing new
    eq.SetEnabled(true);
    EXPECT_FALSE(eq.IsEqLink());
    EXPECT_TRUE(eq.IsEqOff());
    EXPECT_EQ(eq.ReadoutText(0), "1.3");

    const pages::Notification link = eq.OnLinkClicked(true);
    EXPECT_EQ(link.id, ui::MsgEqLinkChanged);
    EXPECT_EQ(link.wParam, 1);
    const pages::Notification off = eq.OnOffClicked(false);
    EXPECT_EQ(off.id, ui::MsgEqOffChanged);
    EXPECT_EQ(off.wParam, 0);
}

TEST(EqSettingsLogic, CrossoverMarksReachAnOctaveBeyondThePassBand) {
    struct Case {
        const char* what;
        int32_t type;
        float lp, hp;
        int first, last;  // the marked bands
    };
    const Case cases[] = {
        {"low pass 100 Hz", model::kLowPass, 100, 5000, 0, 10},
        {"high pass 5000 Hz", model::kHighPass, 100, 5000, 21, 30},
        {"band pass 500-5000 Hz", model::kBandPass, 500, 5000, 11, 26},
        {"full range", model::kFullRange, 100, 5000, 0, 30},
        {"low pass 500 Hz", model::kLowPass, 500, 5000, 0, 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EqSettingsLogic eq;
        model::CrossoverParams block{};
        block.FilterType = c.type;
        block.LPFreq = c.lp;
        block.HPFreq = c.hp;
        eq.MarkCrossoverBands(block);
        for (int k = 0; k < 31; ++k) {
            // Independently: the band's nominal centre within [lo / 2, 2 hi].
            const double centre = 1000.0 * std::pow(2.0, (k - 17) / 3.0);
            EXPECT_EQ(eq.BandState(k), k >= c.first && k <= c.last ? 2 : 0)
                << "band " << k << " at " << centre << " Hz";
        }
    }
}

}  // namespace

namespace {

// The window that shows the logic hears of every owner's call with what it changed, and of none
// of the user's actions (it shows those itself).
TEST(EqSettingsLogic, OwnersCallsTellTheListenerWhatChanged) {
    EqSettingsLogic eq;
    std::vector<unsigned> heard;
    eq.SetChangeListener([&heard](unsigned aspects) { heard.push_back(aspects); });
    const float gains[31] = {};
    const uint32_t flags[31] = {};
    const int states[31] = {};
    model::CrossoverParams block{};
    struct Case {
        const char* what;
        std::function<void()> call;
        unsigned want;  // 0: nothing heard
    };
    const Case cases[] = {
        {"SetGains", [&] { eq.SetGains(gains, 31, 1, 0); },
         EqSettingsLogic::kValuesChanged | EqSettingsLogic::kButtonsChanged},
        {"SetEqLink", [&] { eq.SetEqLink(false); }, EqSettingsLogic::kButtonsChanged},
        {"SetEqOff", [&] { eq.SetEqOff(true); }, EqSettingsLogic::kButtonsChanged},
        {"SetBandEnables", [&] { eq.SetBandEnables(flags, 31); }, EqSettingsLogic::kSwitchesChanged},
        {"SetBandStates", [&] { eq.SetBandStates(states, 31); }, EqSettingsLogic::kStatesChanged},
        {"MarkCrossoverBands", [&] { eq.MarkCrossoverBands(block); }, EqSettingsLogic::kStatesChanged},
        {"SetEnabled", [&] { eq.SetEnabled(false); }, EqSettingsLogic::kEnabledChanged},
        {"OnSliderMoved", [&] {
             eq.SetEnabled(true);
             heard.clear();
             eq.OnSliderMoved(2, 1.0f, 1.0f);
         }, 0},
        {"OnFlat", [&] { eq.OnFlat(); }, 0},
        {"OnBandSwitchClicked", [&] { eq.OnBandSwitchClicked(3, true); }, 0},
        {"OnSelectAllClicked", [&] { eq.OnSelectAllClicked(true); }, 0},
    };
    for (const Case& c : cases) {
        heard.clear();
        c.call();
        if (c.want)
            EXPECT_EQ(heard, std::vector<unsigned>{c.want}) << c.what;
        else
            EXPECT_TRUE(heard.empty()) << c.what;
    }
    eq.SetChangeListener(nullptr);
    eq.SetEqLink(true);  // no listener: nothing to call
    EXPECT_TRUE(eq.IsEqLink());
}

}  // namespace
