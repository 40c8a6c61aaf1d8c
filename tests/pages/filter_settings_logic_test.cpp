// The crossover panel's rules without a window: type, family, slope and band-edge changes by
// popup, wheel and keys; the greyed menu items and the type steps per speaker; readouts; focus.
#include <gtest/gtest.h>

#include <vector>

#include "model/tables.h"
#include "pages/filter_settings_logic.h"
#include "ui/messages.h"

namespace {

using model::CrossoverParams;
using pages::FilterSettingsLogic;
using pages::XoField;

struct FakeQuery : pages::ChannelQuery {
    int ways = 1, kind = 0, woofer = 0;
    int QueryWays() override { return ways; }
    int QueryKind() override { return kind; }
    int QueryWooferAtPosition() override { return woofer; }
};

CrossoverParams Block(int32_t type, float lp, float hp, int32_t family = model::kLinkwitz,
                      float lfSlope = 12, float hfSlope = 12) {
    CrossoverParams b{};
    b.FilterType = type;
    b.LPFreq = lp;
    b.HPFreq = hp;
    b.FilterModel = family;
    b.LFSlope = lfSlope;
    b.HFSlope = hfSlope;
    model::CrossoverToMenuIds(&b);
    return b;
}

// The centre of a field's text rectangle, where a click or the wheel acts on it.
struct Centre {
    int x, y;
};
Centre Of(const FilterSettingsLogic& p, XoField f) {
    const pages::PanelRect r = p.FieldRect(f);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

constexpr int kToward = -120;  // a wheel turn toward the user
constexpr int kAway = 120;

bool IsFieldChange(const pages::Notification& n) {
    return n.id == ui::MsgCrossoverChanged && n.wParam == 0 && n.lParam == 0;
}

// Chooses an item of a field's popup as the window would after tracking it.
pages::Notification Choose(FilterSettingsLogic& p, XoField f, uint32_t id) {
    EXPECT_TRUE(p.OpenFieldPopup(f).open);
    return p.OnMenuCommand(id);
}

TEST(FilterSettingsLogic, TypeChangesKeepTheBandEdgesInOrder) {
    struct Case {
        const char* what;
        CrossoverParams from;
        uint32_t typeId;
        float lp, hp;
        uint32_t lpId, hpId;
    };
    const Case cases[] = {
        {"equal edges open a 300-500 band", Block(model::kLowPass, 1000, 1000), model::kIdBandPass,
         300, 500, 40048, 40052},
        {"crossed edges trade places", Block(model::kHighPass, 5000, 2000), model::kIdBandPass, 2000,
         5000, 40066, 40073},
        {"leaving a band pass for a high pass", Block(model::kBandPass, 300, 500),
         model::kIdHighPass, 500, 300, 40052, 40048},
        {"leaving a band pass for a low pass", Block(model::kBandPass, 300, 500), model::kIdLowPass,
         500, 300, 40052, 40048},
        {"a band pass kept ordered", Block(model::kLowPass, 200, 3000), model::kIdBandPass, 200,
         3000, 40045, 40069},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FilterSettingsLogic p;
        p.SetWorkingMode(0);
        p.SetCrossover(c.from);
        EXPECT_TRUE(IsFieldChange(Choose(p, XoField::Type, c.typeId)));
        EXPECT_EQ(p.Block().typeMenuId, c.typeId);
        EXPECT_EQ(p.Block().LPFreq, c.lp);
        EXPECT_EQ(p.Block().HPFreq, c.hp);
        EXPECT_EQ(p.Block().lpFreqMenuId, c.lpId);
        EXPECT_EQ(p.Block().hpFreqMenuId, c.hpId);
        EXPECT_EQ(p.Swapped(), c.typeId == model::kIdBandPass);
    }
}

TEST(FilterSettingsLogic, BandPassSwapsTheFrequencyFieldsAndShowsTheMenuTexts) {
    FilterSettingsLogic p;
    p.SetCrossover(Block(model::kLowPass, 500, 5000));
    EXPECT_EQ(p.FieldLabel(XoField::Type), "Low Pass");  // the menu's text, one blank
    EXPECT_EQ(p.FieldLabel(XoField::LpFreq), "500");
    EXPECT_EQ(p.FieldLabel(XoField::LfSlope), "12 dB");
    EXPECT_EQ(p.FieldLabel(XoField::Family), "Linkwitz");
    EXPECT_EQ(p.FieldLabel(XoField::HpFreq), "");  // hidden for a low pass
    EXPECT_EQ(p.FieldRect(XoField::LpFreq).left, 22);

    p.SetCrossover(Block(model::kBandPass, 500, 5000));
    EXPECT_TRUE(p.Swapped());
    EXPECT_EQ(p.FieldRect(XoField::LpFreq).left, 132);  // the lower edge on the right
    EXPECT_EQ(p.FieldButton(XoField::LpFreq).x, 211);
    EXPECT_EQ(p.FieldRect(XoField::HpFreq).left, 22);
    EXPECT_TRUE(p.FieldVisible(XoField::LfSlope));
    EXPECT_FALSE(p.FieldVisible(XoField::HfSlope));  // a band pass has one slope

    p.SetCrossover(Block(model::kFullRange, 500, 5000));
    EXPECT_FALSE(p.Swapped());
    for (XoField f : {XoField::LpFreq, XoField::LfSlope, XoField::HpFreq, XoField::HfSlope,
                      XoField::Family})
        EXPECT_FALSE(p.FieldVisible(f));
    EXPECT_EQ(FilterSettingsLogic::MenuItemText(pages::kMenuFrequency, 40091), "20000");

    p.DrawAllDisabled();
    EXPECT_FALSE(p.FieldVisible(XoField::Type));
    EXPECT_FALSE(p.DistanceEnabled());
    EXPECT_EQ(p.DelayText(), "");
    EXPECT_FALSE(p.OpenFieldPopup(XoField::Type).open);
}

TEST(FilterSettingsLogic, LinkwitzSlopesStepByTwoAndRefuseOddOrders) {
    FilterSettingsLogic p;
    p.SetCrossover(Block(model::kLowPass, 500, 5000, model::kLinkwitz, 12));
    const Centre slope = Of(p, XoField::LfSlope);
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        p.OnMouseWheel(slope.x, slope.y, kToward);
        seen.push_back(p.Block().LFSlope);
    }
    EXPECT_EQ(seen, (std::vector<float>{24, 36, 48, 48}));
    EXPECT_EQ(p.Block().lfSlopeMenuId, 40024u);
    for (int i = 0; i < 4; ++i) p.OnMouseWheel(slope.x, slope.y, kAway);
    EXPECT_EQ(p.Block().LFSlope, 12.0f);  // never below 12 dB
    EXPECT_FALSE(p.OnMouseWheel(slope.x, slope.y, kAway));

    // 6, 18, 30 and 42 dB are greyed, and a choice of one changes and sends nothing.
    pages::PopupPlan plan = p.OpenFieldPopup(XoField::LfSlope);
    EXPECT_EQ(plan.menu, pages::kMenuSlope);
    EXPECT_EQ(plan.checkedId, 40018u);
    EXPECT_EQ(plan.greyedIds, (std::vector<uint32_t>{40017, 40019, 40021, 40023}));
    EXPECT_EQ(plan.x, 22);
    EXPECT_EQ(plan.y, 183);
    for (uint32_t odd : {40017u, 40019u, 40021u, 40023u}) {
        EXPECT_FALSE(Choose(p, XoField::LfSlope, odd));
        EXPECT_EQ(p.Block().LFSlope, 12.0f);
    }
    EXPECT_TRUE(IsFieldChange(Choose(p, XoField::LfSlope, 40022)));
    EXPECT_EQ(p.Block().LFSlope, 36.0f);

    // Butterworth 18 dB on both sides becomes Linkwitz 12 dB on both.
    p.SetCrossover(Block(model::kBandPass, 500, 5000, model::kButterworth, 18, 18));
    EXPECT_TRUE(p.OpenFieldPopup(XoField::LfSlope).greyedIds.empty());
    EXPECT_TRUE(IsFieldChange(Choose(p, XoField::Family, model::kIdLinkwitz)));
    EXPECT_EQ(p.Block().FilterModel, model::kLinkwitz);
    EXPECT_EQ(p.Block().LFSlope, 12.0f);
    EXPECT_EQ(p.Block().HFSlope, 12.0f);
    EXPECT_EQ(p.Block().lfSlopeMenuId, 40018u);
    EXPECT_EQ(p.Block().hfSlopeMenuId, 40018u);

    // Butterworth steps one entry.
    p.SetCrossover(Block(model::kLowPass, 500, 5000, model::kButterworth, 6));
    const Centre s = Of(p, XoField::LfSlope);
    p.OnMouseWheel(s.x, s.y, kToward);
    EXPECT_EQ(p.Block().LFSlope, 12.0f);
    p.OnMouseWheel(s.x, s.y, kAway);
    p.OnMouseWheel(s.x, s.y, kAway);
    EXPECT_EQ(p.Block().LFSlope, 6.0f);
}

TEST(FilterSettingsLogic, BandEdgesNeverMeetByPopupWheelOrKeys) {
    FilterSettingsLogic p;
    p.SetCrossover(Block(model::kBandPass, 450, 500));
    // Popup: the upper edge at or below the lower one, the lower at or above the upper one.
    EXPECT_FALSE(Choose(p, XoField::HpFreq, 40051));  // 450
    EXPECT_FALSE(Choose(p, XoField::LpFreq, 40052));  // 500
    EXPECT_FALSE(Choose(p, XoField::LpFreq, 40059));  // 1000
    EXPECT_EQ(p.Block().LPFreq, 450.0f);
    EXPECT_EQ(p.Block().HPFreq, 500.0f);

    // Wheel: away from the user raises the frequency; the lower edge cannot reach 500.
    const Centre lower = Of(p, XoField::LpFreq);
    EXPECT_FALSE(p.OnMouseWheel(lower.x, lower.y, kAway));
    EXPECT_EQ(p.Block().LPFreq, 450.0f);
    const Centre upper = Of(p, XoField::HpFreq);
    EXPECT_FALSE(p.OnMouseWheel(upper.x, upper.y, kToward));
    EXPECT_EQ(p.Block().HPFreq, 500.0f);

    // Keys on the focused lower edge: up is higher.
    p.OnLButtonDown(lower.x, lower.y);
    EXPECT_TRUE(p.Focused(static_cast<int>(XoField::LpFreq)));
    EXPECT_FALSE(p.OnKey(true));
    EXPECT_TRUE(IsFieldChange(p.OnKey(false)));
    EXPECT_EQ(p.Block().LPFreq, 400.0f);
    EXPECT_EQ(p.Block().lpFreqMenuId, 40050u);

    // Outside a band pass the frequency stops at the ends of the list.
    p.SetCrossover(Block(model::kLowPass, 20000, 20000));
    const Centre lp = Of(p, XoField::LpFreq);
    EXPECT_FALSE(p.OnMouseWheel(lp.x, lp.y, kAway));
    EXPECT_TRUE(p.OnMouseWheel(lp.x, lp.y, kToward));
    EXPECT_EQ(p.Block().LPFreq, 19000.0f);
}

TEST(FilterSettingsLogic, AnIdOutsideTheTableIgnoresSteps) {
    FilterSettingsLogic p;
    CrossoverParams b = Block(model::kLowPass, 500, 5000, model::kButterworth, 18);
    b.lpFreqMenuId = 41234;
    b.lfSlopeMenuId = 99;
    p.SetCrossover(b);
    const Centre lp = Of(p, XoField::LpFreq);
    const Centre slope = Of(p, XoField::LfSlope);
    EXPECT_FALSE(p.OnMouseWheel(lp.x, lp.y, kToward));
    EXPECT_FALSE(p.OnMouseWheel(slope.x, slope.y, kToward));
    EXPECT_EQ(p.Block().LPFreq, 500.0f);
    EXPECT_EQ(p.Block().LFSlope, 18.0f);
    EXPECT_EQ(p.FieldLabel(XoField::LpFreq), "");
}

// Standard mode restricts the types by speaker: the greyed type items and the wheel's steps.
TEST(FilterSettingsLogic, TypeRestrictionsPerSpeaker) {
    using model::kIdFullRange, model::kIdLowPass, model::kIdHighPass;
    struct Case {
        const char* what;
        int ways, kind, woofer;
        std::vector<uint32_t> greyed;
        int32_t from;
        int next, previous;  // the wheel's result from `from`, toward and away from the user
    };
    const Case cases[] = {
        {"subwoofer", 2, model::kSubwooferL, 0, {kIdFullRange, kIdHighPass}, model::kLowPass, 3, 1},
        {"subwoofer in band pass", 1, model::kSubwoofer, 0, {kIdFullRange, kIdHighPass},
         model::kBandPass, 3, 1},
        {"lone tweeter", 1, model::kTweeter, 0, {kIdFullRange, kIdLowPass}, model::kHighPass, 2, 2},
        {"two-way woofer", 2, model::kWoofer, 0, {kIdFullRange, kIdHighPass}, model::kLowPass, 3, 1},
        {"three-way tweeter", 3, model::kTweeter, 0, {kIdFullRange, kIdLowPass}, model::kHighPass,
         3, 2},
        {"two-way midrange with woofer", 2, model::kMidrange, 1, {kIdFullRange, kIdLowPass},
         model::kHighPass, 3, 2},
        {"two-way midrange without woofer", 2, model::kMidrange, 0, {kIdFullRange, kIdHighPass},
         model::kLowPass, 3, 1},
        {"three-way midrange", 3, model::kMidrange, 1, {kIdFullRange, kIdLowPass, kIdHighPass},
         model::kLowPass, 3, 3},
        {"lone woofer", 1, model::kWoofer, 1, {}, model::kLowPass, 1, 1},
        {"full range steps freely", 1, model::kFull, 0, {}, model::kLowPass, 2, 0},
        {"no speaker", 0, -1, 0, {}, model::kLowPass, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeQuery q;
        q.ways = c.ways;
        q.kind = c.kind;
        q.woofer = c.woofer;
        FilterSettingsLogic p(&q);
        p.SetCrossover(Block(c.from, 300, 3000));
        EXPECT_EQ(p.OpenFieldPopup(XoField::Type).greyedIds, c.greyed);
        const Centre type = Of(p, XoField::Type);
        p.OnMouseWheel(type.x, type.y, kToward);
        EXPECT_EQ(p.Block().FilterType, c.next);
        p.SetCrossover(Block(c.from, 300, 3000));
        p.OnMouseWheel(type.x, type.y, kAway);
        EXPECT_EQ(p.Block().FilterType, c.previous);

        // Expert mode greys nothing and steps by one, limited to the four types.
        p.SetWorkingMode(0);
        p.SetCrossover(Block(c.from, 300, 3000));
        EXPECT_TRUE(p.OpenFieldPopup(XoField::Type).greyedIds.empty());
        p.OnMouseWheel(type.x, type.y, kToward);
        EXPECT_EQ(p.Block().FilterType, std::min(c.from + 1, 3));
    }
    FilterSettingsLogic expert;
    expert.SetWorkingMode(0);
    EXPECT_EQ(expert.StepFilterType(7, true), 8);  // outside the table: the caller limits it
    EXPECT_EQ(expert.StepFilterType(0, false), -1);
}

TEST(FilterSettingsLogic, ReadoutsDistanceAndTrim) {
    FilterSettingsLogic p;
    CrossoverParams b = Block(model::kLowPass, 500, 5000);
    b.distance = 1056;
    b.delay = 1056;
    p.SetCrossover(b);
    EXPECT_EQ(p.DelayText(), "22.00");
    EXPECT_EQ(p.CentimetreText(), "748.0");
    EXPECT_EQ(p.InchText(), "294.5");
    EXPECT_EQ(p.TrimText(), "+0.00");
    EXPECT_FALSE(p.OnDistanceButton(true));  // already at the limit
    EXPECT_EQ(p.Block().distance, 1056);

    b.distance = 4;
    b.delayTrim = 1;
    p.SetCrossover(b);
    EXPECT_EQ(p.CentimetreText(), "2.8");
    EXPECT_EQ(p.InchText(), "1.1");
    EXPECT_EQ(p.TrimText(), "+0.02");
    const pages::Notification down = p.OnDistanceButton(false);
    EXPECT_EQ(down.id, ui::MsgCrossoverChanged);
    EXPECT_EQ(down.wParam, 1);
    EXPECT_EQ(p.Block().distance, 0);
    EXPECT_FALSE(p.OnDistanceButton(false));

    // The trim is not limited here; the button travels with the notification.
    for (int i = 0; i < 2; ++i) {
        const pages::Notification n = p.OnTrimButton(false, 0x1234);
        EXPECT_EQ(n.id, ui::MsgDelayTrimChanged);
        EXPECT_EQ(n.lParam, 0x1234);
    }
    EXPECT_EQ(p.Block().delayTrim, -1);
    EXPECT_EQ(p.TrimText(), "-0.02");

    // The wheel on the centimetre readout moves the distance, on the trim readout the trim.
    EXPECT_EQ(p.OnMouseWheel(70, 220, kAway).wParam, 1);
    EXPECT_EQ(p.Block().distance, 4);
    const pages::Notification wheelTrim = p.OnMouseWheel(190, 220, kToward);
    EXPECT_EQ(wheelTrim.id, ui::MsgDelayTrimChanged);
    EXPECT_EQ(wheelTrim.lParam, 0);
    EXPECT_EQ(p.Block().delayTrim, -2);
    // The wheel over the delay readout does nothing, but a click there focuses the distance.
    EXPECT_FALSE(p.OnMouseWheel(150, 220, kAway));
    p.OnLButtonDown(150, 220);
    EXPECT_TRUE(p.Focused(pages::kFocusDistance));
    EXPECT_EQ(p.OnKey(true).wParam, 1);
    EXPECT_EQ(p.Block().distance, 8);
}

TEST(FilterSettingsLogic, LinkAndPhaseButtonsAndDefaults) {
    FilterSettingsLogic p;
    EXPECT_EQ(p.Block().FilterType, model::kFullRange);
    EXPECT_EQ(p.Block().LPFreq, 100.0f);
    EXPECT_EQ(p.Block().HPFreq, 2000.0f);
    EXPECT_EQ(p.Block().LFSlope, 6.0f);
    EXPECT_FALSE(p.Shown());
    p.SetDefaults();
    EXPECT_EQ(p.Block().LPFreq, 300.0f);
    EXPECT_EQ(p.Block().HPFreq, 4000.0f);
    EXPECT_EQ(p.Block().hfSlopeMenuId, 40018u);
    EXPECT_EQ(p.Block().familyMenuId, model::kIdLinkwitz);

    p.SetCrossover(Block(model::kLowPass, 500, 5000));
    const pages::Notification link = p.OnXoverLinkClicked(true);
    EXPECT_EQ(link.id, ui::MsgCrossoverChanged);
    EXPECT_EQ(link.lParam, 1);
    EXPECT_TRUE(p.IsXoverLinked());
    EXPECT_TRUE(IsFieldChange(p.OnPhaseClicked(true)));
    EXPECT_EQ(p.Block().bInvPhase, 1u);
    // The family wheel toggles.
    const Centre family = Of(p, XoField::Family);
    EXPECT_TRUE(IsFieldChange(p.OnMouseWheel(family.x, family.y, kAway)));
    EXPECT_EQ(p.Block().FilterModel, model::kButterworth);
    EXPECT_EQ(p.FieldLabel(XoField::Family), "Butterworth");
    // A command without an open popup is ignored.
    EXPECT_FALSE(p.OnMenuCommand(model::kIdBandPass));
}

}  // namespace
