#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/device_info_logic.h"
#include "pages/display_settings_logic.h"

using namespace pages;

namespace {

// Switches that behave as the toolkit's: disabling shows state 2, enabling brings state 0.
struct Panel : SwitchPanel {
    int state[3] = {1, 1, 0};
    bool enabled[3] = {true, true, true};
    int notifications = 0;
    std::vector<std::string> painted;
    int SwitchState(ChartSwitch s) const override { return state[s]; }
    void SetCheck(ChartSwitch s, int v) override { state[s] = v; }
    void EnableSwitch(ChartSwitch s, bool e) override {
        enabled[s] = e;
        state[s] = e ? 0 : 2;
    }
    void NotifyCurveSwitches() override { ++notifications; }
    void PaintSource(const char* name, bool) override { painted.push_back(name); }
    // A click as the switch makes it: ignored while disabled, else flips and reports.
    void Click(DisplaySettingsLogic& l, ChartSwitch s) {
        if (!enabled[s]) return;
        state[s] = state[s] == 1 ? 0 : 1;
        l.OnSwitchClicked(s, state[s]);
    }
};

TEST(DisplaySettings, TotalFreezesAndRestoresTheOtherTwo) {
    for (int eq : {0, 1}) {
        for (int xo : {0, 1}) {
            Panel p;
            DisplaySettingsLogic l(p);
            if (!eq) p.Click(l, kEqualiserSwitch);
            if (!xo) p.Click(l, kCrossoverSwitch);
            p.notifications = 0;
            p.Click(l, kTotalSwitch);
            int e, x, t;
            l.GetSwitches(&e, &x, &t);
            EXPECT_EQ(e, 2);
            EXPECT_EQ(x, 2);
            EXPECT_EQ(t, 1);
            p.Click(l, kEqualiserSwitch);  // frozen: takes no click
            p.Click(l, kTotalSwitch);
            l.GetSwitches(&e, &x, &t);
            EXPECT_EQ(e, eq);
            EXPECT_EQ(x, xo);
            EXPECT_EQ(t, 0);
            EXPECT_EQ(p.notifications, 2);  // one per click taken
        }
    }
}

TEST(DisplaySettings, ResetWithTheTotalOnLeavesBothClickable) {
    Panel p;
    DisplaySettingsLogic l(p);
    p.Click(l, kEqualiserSwitch);
    p.Click(l, kTotalSwitch);
    p.notifications = 0;
    l.SetSource(3);
    l.Reset(false);
    EXPECT_TRUE(p.enabled[kEqualiserSwitch]);
    EXPECT_TRUE(p.enabled[kCrossoverSwitch]);
    int e, x, t;
    l.GetSwitches(&e, &x, &t);
    EXPECT_EQ(e, 1);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(p.notifications, 0);  // a reset reports nothing
    EXPECT_EQ(l.Source(), 3);
    EXPECT_EQ(p.painted.back(), "Optical");
    p.Click(l, kEqualiserSwitch);
    EXPECT_EQ(p.state[kEqualiserSwitch], 0);
    l.Reset(true);
    EXPECT_EQ(p.painted.back(), "Master");
}

TEST(DisplaySettings, SourcePaintsOnlyWhenItChanges) {
    Panel p;
    DisplaySettingsLogic l(p);
    l.SetSource(-1);  // the first one paints although unchanged
    l.SetSource(-1);
    l.SetSource(4);
    l.SetSource(4);
    l.SetSource(9);
    EXPECT_EQ(p.painted, (std::vector<std::string>{"Master", "Phone", ""}));
    const char* names[] = {"Master", "Aux1", "Aux2", "S/PDIF", "Optical", "Phone"};
    for (int s = -1; s <= 4; ++s) EXPECT_STREQ(DisplaySettingsLogic::SourceName(s), names[s + 1]);
    EXPECT_STREQ(DisplaySettingsLogic::SourceName(-2), "");
}

TEST(DeviceInfo, LinesAndTheirPlaces) {
    DeviceInfoLines d;
    const LineRect want[5] = {{26, 47, 434, 69}, {26, 70, 434, 92}, {26, 94, 434, 116},
                              {26, 124, 434, 139}, {26, 145, 434, 163}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(d.Rect(i).left, want[i].left);
        EXPECT_EQ(d.Rect(i).top, want[i].top) << i;
        EXPECT_EQ(d.Rect(i).right, want[i].right);
        EXPECT_EQ(d.Rect(i).bottom, want[i].bottom) << i;
    }
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(d.Line(i), " ");
    EXPECT_STREQ(d.Line(4), "darvix not connected.");
    const std::string hundred(100, 'x');
    d.SetLine(2, hundred.c_str());
    EXPECT_EQ(std::string(d.Line(2)), std::string(63, 'x'));
    d.SetLine(5, "ignored");
    d.SetLine(-1, "ignored");
    d.SetLine(1, nullptr);
    EXPECT_STREQ(d.Line(1), "");
}

}  // namespace
