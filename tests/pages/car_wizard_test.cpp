// The car view's wizard steps: speakers, passive-crossover toggles and their notices, output
// channel labels with their defaults, moves and clashes, amplifier boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pages/car_channel_logic.h"
#include "ui/messages.h"

namespace {

using pages::CarChannelLogic;
using pages::PassiveGroupNotice;
using pages::WizardOutputEntry;
using Speakers = std::vector<std::pair<int, int>>;

// The wizard's 15 possible speakers, then 11 unused entries.
std::vector<WizardOutputEntry> Table(const Speakers& present = {}, const Speakers& passive = {}) {
    const int pk[15][2] = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2}, {2, 3}, {5, 1}, {5, 3},
                           {3, 1}, {3, 3}, {1, 1}, {1, 3}, {4, 6}, {4, 5}, {4, 4}};
    std::vector<WizardOutputEntry> t(pages::kWizardOutputEntries, {-1, -1, -1, 0, 0, 0});
    for (int i = 0; i < 15; ++i) {
        t[i] = {-1, pk[i][0], pk[i][1], 0, 0, 0};
        for (auto [p, k] : present)
            if (p == pk[i][0] && k == pk[i][1]) t[i].present = 1;
        for (auto [p, k] : passive)
            if (p == pk[i][0] && k == pk[i][1]) t[i].passive = 1;
    }
    return t;
}

struct Sent {
    uint32_t id;
    intptr_t w, l;
    PassiveGroupNotice notice{};  // copied while it lived
};

struct Wizard {
    CarChannelLogic car{10};
    std::vector<Sent> sent;
    std::vector<WizardOutputEntry> table;
    explicit Wizard(const Speakers& present = {}, const Speakers& passive = {})
        : table(Table(present, passive)) {
        car.SetWizardSink([this](const pages::Notification& n) {
            Sent s{n.id, n.wParam, n.lParam};
            if (n.id == ui::MsgCarViewEdit && n.lParam == 0)
                s.notice = *reinterpret_cast<const PassiveGroupNotice*>(n.wParam);
            sent.push_back(s);
        });
    }
    void Step(int step) { car.SetWizardStep(step, table.data()); }
    int Channel(int p, int k) const {
        for (int i = 0; i < car.GetLabelCount(); ++i)
            if (car.GetLabels()[i].position == p && car.GetLabels()[i].kind == k)
                return car.GetLabels()[i].channel;
        return -99;
    }
    int Label(int p, int k) const {
        for (int i = 0; i < car.GetLabelCount(); ++i)
            if (car.GetLabels()[i].position == p && car.GetLabels()[i].kind == k) return i;
        return -1;
    }
    void Click(int p, int k) {
        const pages::PanelRect r = car.HitRect(p, k);
        car.OnLButtonDown(r.left, r.top, false);
    }
};

const Speakers kFrontWT = {{0, 1}, {0, 3}, {2, 1}, {2, 3}};
const Speakers kFrontWMT = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2}, {2, 3}};
const Speakers kAll = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2}, {2, 3}, {5, 1}, {5, 3},
                       {3, 1}, {3, 3}, {1, 1}, {1, 3}, {4, 6}, {4, 5}, {4, 4}};

TEST(CarWizard, SpeakerStepShowsEverySpeakerAndReportsEachClick) {
    Wizard w;
    w.table[0].passive = 1;
    w.Step(10);
    EXPECT_EQ(w.car.Mode(), 10);
    int speakers = 0;
    for (int p = 0; p < 6; ++p)
        for (int k = 0; k < 7; ++k) speakers += w.car.SpeakerCount(p, k);
    EXPECT_EQ(speakers, 15);
    EXPECT_EQ(w.car.CountSelected(), 0);
    EXPECT_EQ(w.table[0].passive, 0);  // the speaker step starts without passive groups
    // The wizard's picture and its spots moved right.
    EXPECT_EQ(w.car.LastLayout()[0].bitmap, 198);
    EXPECT_EQ(w.car.GetSpeakerGrid()[0].anchorX, 123);
    EXPECT_EQ(w.car.GetSpeakerGrid()[4].anchorX, 223);

    w.Click(0, 3);
    w.Click(4, 6);
    w.Click(0, 3);
    const std::vector<std::pair<intptr_t, intptr_t>> expected = {
        {3, 0}, {1, -1}, {6, 4}, {2, -1}, {3, 0}, {1, -1}};
    ASSERT_EQ(w.sent.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(w.sent[i].id, ui::MsgSpeakerPicked);
        EXPECT_EQ(w.sent[i].w, expected[i].first) << i;
        EXPECT_EQ(w.sent[i].l, expected[i].second) << i;
    }
    EXPECT_TRUE(w.car.IsSpeakerSelected(4, 6));
    EXPECT_FALSE(w.car.IsSpeakerSelected(0, 3));
}

TEST(CarWizard, IconClicksAreIgnoredOnTheLaterSteps) {
    for (int step : {11, 12, 13}) {
        Wizard w(kFrontWT);
        w.Step(11);
        if (step > 11) w.Step(12);
        if (step > 12) w.Step(13);
        const int selected = w.car.CountSelected();
        w.sent.clear();
        w.Click(0, 1);
        EXPECT_TRUE(w.sent.empty()) << step;
        EXPECT_EQ(w.car.CountSelected(), selected) << step;
    }
}

TEST(CarWizard, ToggleSpotsFollowTheKindsPresent) {
    struct Case {
        Speakers present;
        std::vector<std::tuple<int, int, int>> shown;  // toggle, x, y
    } cases[] = {
        {kFrontWT, {{0, 49, 170}, {3, 339, 170}}},
        {kFrontWMT, {{0, 53, 155}, {1, 3, 155}, {3, 335, 155}, {4, 385, 155}}},
        {{{1, 1}, {1, 3}, {3, 1}, {3, 3}, {5, 1}, {5, 3}, {4, 6}, {4, 4}},
         {{2, 183, 15}, {5, 335, 295}, {6, 49, 295}}},
        {{{0, 1}, {2, 3}, {4, 5}}, {}},
    };
    for (const Case& c : cases) {
        Wizard w(c.present);
        w.Step(11);
        for (int t = 0; t < pages::kPassiveToggles; ++t) {
            bool expectShown = false;
            for (auto [toggle, x, y] : c.shown)
                if (toggle == t) {
                    expectShown = true;
                    EXPECT_EQ(w.car.Toggle(t).x, x) << t;
                    EXPECT_EQ(w.car.Toggle(t).y, y) << t;
                }
            EXPECT_EQ(w.car.Toggle(t).shown, expectShown) << t;
        }
    }
}

// The window places its controls when the panel is drawn: on the output and amplifier steps
// every layout must already have the toggles of the passive step hidden, or they stay on screen
// over the labels' buttons.
TEST(CarWizard, LaterStepsAreDrawnWithTheTogglesAlreadyHidden) {
    Wizard w(kFrontWMT);
    std::vector<std::pair<int, int>> shownAtLayout;  // step, toggles shown when it was drawn
    int step = 0;
    w.car.SetHooks(nullptr,
                   [&] {
                       int shown = 0;
                       for (int t = 0; t < pages::kPassiveToggles; ++t) shown += w.car.Toggle(t).shown;
                       shownAtLayout.emplace_back(step, shown);
                   },
                   nullptr);
    for (step = 11; step <= 13; ++step) w.Step(step);
    w.Step(step = 12);  // back from the amplifiers
    ASSERT_FALSE(shownAtLayout.empty());
    for (auto [s, shown] : shownAtLayout) {
        if (s == 11)
            EXPECT_EQ(shown, 4) << "the passive step shows both sides' two toggles";
        else
            EXPECT_EQ(shown, 0) << "step " << s << " was drawn with toggles on it";
    }
}

TEST(CarWizard, EachToggleSendsItsGroupsAndMirrorsItsPartner) {
    using N = PassiveGroupNotice;
    struct Case {
        const char* what;
        Speakers present;
        std::vector<std::pair<int, bool>> before;  // toggles pressed first (notices not checked)
        int toggle;
        bool state;
        std::vector<N> notices;
        std::vector<int> checked;  // toggles checked afterwards
        int outputs;
    } cases[] = {
        {"front left W+T on", kFrontWT, {}, 0, true,
         {{2, {0, 0, 0}, {1, 3, 0}, {1, 1, 0}}, {2, {2, 2, 0}, {1, 3, 0}, {1, 1, 0}}}, {0, 3}, 2},
        {"front left W+T off", kFrontWT, {{0, true}}, 0, false,
         {{2, {0, 0, 0}, {1, 3, 0}, {0, 0, 0}}, {2, {2, 2, 0}, {1, 3, 0}, {0, 0, 0}}}, {}, 4},
        {"front right M+T", {{0, 2}, {0, 3}, {2, 2}, {2, 3}}, {}, 3, true,
         {{2, {2, 2, 0}, {2, 3, 0}, {1, 1, 0}}, {2, {0, 0, 0}, {2, 3, 0}, {1, 1, 0}}}, {0, 3}, 2},
        {"front left two-way of three kinds", kFrontWMT, {{1, true}}, 0, true,
         {{2, {0, 0, 0}, {2, 3, 0}, {1, 1, 0}}, {2, {2, 2, 0}, {2, 3, 0}, {1, 1, 0}}}, {0, 3}, 4},
        {"front right two-way of three kinds", kFrontWMT, {{4, true}}, 3, true,
         {{2, {2, 2, 0}, {2, 3, 0}, {1, 1, 0}}, {2, {0, 0, 0}, {2, 3, 0}, {1, 1, 0}}}, {0, 3}, 4},
        {"front left three-way", kFrontWMT, {{0, true}}, 1, true,
         {{3, {0, 0, 0}, {1, 2, 3}, {1, 1, 1}}, {3, {2, 2, 2}, {1, 2, 3}, {1, 1, 1}}}, {1, 4}, 2},
        {"front right three-way", kFrontWMT, {{3, true}}, 4, true,
         {{3, {2, 2, 2}, {1, 2, 3}, {1, 1, 1}}, {3, {0, 0, 0}, {1, 2, 3}, {1, 1, 1}}}, {1, 4}, 2},
        {"center", {{1, 1}, {1, 3}}, {}, 2, true, {{2, {1, 1, 0}, {1, 3, 0}, {1, 1, 0}}}, {2}, 1},
        {"rear right", {{3, 1}, {3, 3}, {5, 1}, {5, 3}}, {}, 5, true,
         {{2, {3, 3, 0}, {1, 3, 0}, {1, 1, 0}}, {2, {5, 5, 0}, {1, 3, 0}, {1, 1, 0}}}, {5, 6}, 2},
        {"rear left", {{3, 1}, {3, 3}, {5, 1}, {5, 3}}, {}, 6, true,
         {{2, {5, 5, 0}, {1, 3, 0}, {1, 1, 0}}, {2, {3, 3, 0}, {1, 3, 0}, {1, 1, 0}}}, {5, 6}, 2},
    };
    for (const Case& c : cases) {
        Wizard w(c.present);
        w.Step(11);
        for (auto [t, s] : c.before) w.car.OnToggleClicked(t, s);
        w.sent.clear();
        w.car.OnToggleClicked(c.toggle, c.state);
        ASSERT_EQ(w.sent.size(), c.notices.size() + 1) << c.what;
        for (size_t i = 0; i < c.notices.size(); ++i) {
            const N& got = w.sent[i].notice;
            const N& want = c.notices[i];
            EXPECT_EQ(w.sent[i].id, ui::MsgCarViewEdit) << c.what;
            EXPECT_EQ(got.count, want.count) << c.what << " notice " << i;
            for (int m = 0; m < 3; ++m) {
                EXPECT_EQ(got.position[m], want.position[m]) << c.what << " notice " << i;
                EXPECT_EQ(got.kind[m], want.kind[m]) << c.what << " notice " << i;
                EXPECT_EQ(got.state[m], want.state[m]) << c.what << " notice " << i;
            }
        }
        EXPECT_EQ(w.sent.back().id, ui::MsgCarViewEdit) << c.what;
        EXPECT_EQ(w.sent.back().w, c.outputs) << c.what;
        EXPECT_EQ(w.sent.back().l, -2) << c.what;
        EXPECT_EQ(w.car.CountOutputChannels(), c.outputs) << c.what;
        for (int t = 0; t < pages::kPassiveToggles; ++t) {
            const bool want = std::find(c.checked.begin(), c.checked.end(), t) != c.checked.end();
            EXPECT_EQ(w.car.Toggle(t).checked, want) << c.what << " toggle " << t;
        }
    }
}

TEST(CarWizard, TooManyOutputsShowTheOverlayUnderTheIconsUntilGroupsBringThemToEight) {
    Wizard w(kAll);
    w.Step(11);
    EXPECT_EQ(w.car.CountOutputChannels(), 15);
    EXPECT_FALSE(w.car.TooManyChannelsShown());
    w.car.OnToggleClicked(2, true);  // 14 outputs
    EXPECT_EQ(w.sent.back().w, 14);
    ASSERT_TRUE(w.car.TooManyChannelsShown());
    const auto& items = w.car.LastLayout();
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[1].bitmap, 270);
    EXPECT_EQ(items[1].rect.left, 4);
    EXPECT_EQ(items[1].rect.top, 5);
    w.car.OnToggleClicked(1, true);  // both fronts three-way: 10
    EXPECT_TRUE(w.car.TooManyChannelsShown());
    w.car.OnToggleClicked(5, true);  // both rears two-way: 2 + 1 + 2 + 3 subwoofers = 8
    EXPECT_EQ(w.sent.back().w, 8);
    EXPECT_FALSE(w.car.TooManyChannelsShown());
    EXPECT_NE(w.car.LastLayout()[1].bitmap, 270);
    // Back on the speaker step every group is gone.
    w.Step(10);
    for (int t = 0; t < pages::kPassiveToggles; ++t) EXPECT_FALSE(w.car.Toggle(t).checked);
    EXPECT_EQ(w.car.CountOutputChannels(), 15);
}

TEST(CarWizard, DefaultChannelsPairLeftAndRightFromTheBottom) {
    Wizard w({{0, 1}, {0, 3}, {2, 1}, {2, 3}, {1, 1}, {1, 3}, {4, 5}});
    w.Step(11);
    w.Step(12);
    EXPECT_EQ(w.car.GetLabelCount(), 7);
    const std::tuple<int, int, int> expected[] = {{0, 1, 0}, {2, 1, 1}, {0, 3, 2}, {2, 3, 3},
                                                  {1, 3, 4}, {1, 1, 5}, {4, 5, 7}};
    for (auto [p, k, c] : expected) EXPECT_EQ(w.Channel(p, k), c) << p << "," << k;
    EXPECT_EQ(w.car.HasChannelConflict(), 0);
    // Labels in position order, kinds ascending; the right-hand ones flagged.
    const int order[7][3] = {{0, 1, 0}, {0, 3, 0}, {1, 1, 1}, {1, 3, 0},
                             {2, 1, 1}, {2, 3, 1}, {4, 5, 0}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(w.car.GetLabels()[i].position, order[i][0]);
        EXPECT_EQ(w.car.GetLabels()[i].kind, order[i][1]);
        EXPECT_EQ(w.car.GetLabels()[i].rightSide, order[i][2]) << i;
    }
}

TEST(CarWizard, PartnersOfEverySpeaker) {
    const int cases[][4] = {{0, 1, 2, 1}, {2, 3, 0, 3}, {5, 1, 3, 1}, {3, 3, 5, 3},
                            {4, 6, 4, 4}, {4, 4, 4, 6}, {1, 1, 1, 3}, {1, 3, 1, 1},
                            {1, 2, 1, 2}, {1, 0, -1, -1}, {4, 5, -1, -1}, {6, 1, -1, -1}};
    CarChannelLogic car(10);
    for (const auto& c : cases) {
        const pages::SpeakerTriple t = car.GetPartner(c[0], c[1]);
        EXPECT_EQ(t.position, c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(t.kind, c[3]) << c[0] << "," << c[1];
        EXPECT_EQ(t.row, -1);
    }
}

TEST(CarWizard, PassiveGroupsShowOneRepresentativeWithItsVariant) {
    struct Case {
        const char* what;
        Speakers present, passive;
        std::vector<std::tuple<int, int, int>> shown;  // position, kind, variant
    } cases[] = {
        {"front W+T", kFrontWT, kFrontWT, {{0, 0, 2}, {2, 0, 6}}},
        {"front W+M", {{0, 1}, {0, 2}, {2, 1}, {2, 2}}, {{0, 1}, {0, 2}, {2, 1}, {2, 2}},
         {{0, 1, 1}, {2, 1, 5}}},
        {"front M+T", {{0, 2}, {0, 3}, {2, 2}, {2, 3}}, {{0, 2}, {0, 3}, {2, 2}, {2, 3}},
         {{0, 2, 3}, {2, 2, 7}}},
        {"front three-way", kFrontWMT, kFrontWMT, {{0, 0, 4}, {2, 0, 8}}},
        {"rears W+T", {{5, 1}, {5, 3}, {3, 1}, {3, 3}}, {{5, 1}, {5, 3}, {3, 1}, {3, 3}},
         {{5, 0, 2}, {3, 0, 6}}},
        {"center W+T", {{1, 1}, {1, 3}}, {{1, 1}, {1, 3}}, {{1, 0, 9}}},
    };
    for (const Case& c : cases) {
        Wizard w(c.present, c.passive);
        w.Step(12);
        int speakers = 0;
        for (int p = 0; p < 6; ++p)
            for (int k = 0; k < 7; ++k) speakers += w.car.SpeakerCount(p, k);
        EXPECT_EQ(speakers, static_cast<int>(c.shown.size())) << c.what;
        EXPECT_EQ(w.car.GetLabelCount(), static_cast<int>(c.shown.size())) << c.what;
        for (auto [p, k, v] : c.shown) {
            EXPECT_EQ(w.car.SpeakerCount(p, k), 1) << c.what;
            EXPECT_EQ(w.car.PassiveVariant(p, k), v) << c.what;
            EXPECT_TRUE(w.car.IsSpeakerSelected(p, k)) << c.what;
        }
    }
}

TEST(CarWizard, ChannelButtonsMovePairsAndSinglesAndReportClashes) {
    Wizard w({{0, 1}, {0, 3}, {2, 1}, {2, 3}, {1, 1}, {1, 3}, {4, 5}});
    w.Step(12);
    w.sent.clear();
    // Front Left Woofer up: the pair 0/1 moves to 2/3, onto the tweeters.
    w.car.OnChannelButton(w.Label(0, 1), true);
    EXPECT_EQ(w.Channel(0, 1), 2);
    EXPECT_EQ(w.Channel(2, 1), 3);
    ASSERT_EQ(w.sent.size(), 1u);
    EXPECT_EQ(w.sent[0].id, ui::MsgCarViewNextState);
    EXPECT_EQ(w.sent[0].w, 1);
    EXPECT_EQ(w.sent[0].l, 0);
    EXPECT_TRUE(w.car.ConflictShown());
    // The clashing numbers are red, the others black; the overlay lies under the icons.
    int red = 0, black = 0;
    for (const auto& item : w.car.LastLayout()) {
        if (item.bitmap != 0 || item.textColor < 0) continue;
        (item.textColor == CarChannelLogic::kRedText ? red : black) += 1;
        if (item.textColor == CarChannelLogic::kRedText) {
            EXPECT_TRUE(item.text == "3" || item.text == "4") << item.text;
        }
    }
    EXPECT_EQ(red, 4);
    EXPECT_EQ(black, 3);
    EXPECT_EQ(w.car.LastLayout()[1].bitmap, 289);
    // Down again: no clash.
    w.car.OnChannelButton(w.Label(2, 1), false);
    EXPECT_EQ(w.Channel(0, 1), 0);
    EXPECT_EQ(w.Channel(2, 1), 1);
    EXPECT_EQ(w.sent.back().w, 0);
    EXPECT_FALSE(w.car.ConflictShown());

    // The edges: a pair at 6/7 cannot go up, a single at 0 cannot go down.
    struct Edge {
        int p, k;
        bool up;
        int start;
    } edges[] = {{0, 3, true, 6}, {4, 5, false, 0}, {4, 5, true, 7}, {1, 3, false, 0}};
    for (const Edge& e : edges) {
        Wizard v({{0, 3}, {2, 3}, {1, 1}, {1, 3}, {4, 5}});
        v.Step(12);
        // Place the label (and its partner) by hand from the defaults.
        while (v.Channel(e.p, e.k) != e.start) {
            const int before = v.Channel(e.p, e.k);
            v.car.OnChannelButton(v.Label(e.p, e.k), before < e.start);
            if (v.Channel(e.p, e.k) == before) break;
        }
        ASSERT_EQ(v.Channel(e.p, e.k), e.start) << e.p << "," << e.k;
        std::vector<int> before;
        for (int i = 0; i < v.car.GetLabelCount(); ++i) before.push_back(v.car.GetLabels()[i].channel);
        v.car.OnChannelButton(v.Label(e.p, e.k), e.up);
        for (int i = 0; i < v.car.GetLabelCount(); ++i)
            EXPECT_EQ(v.car.GetLabels()[i].channel, before[i]) << e.p << "," << e.k;
    }
}

TEST(CarWizard, NoFreeChannelLeavesALabelWithoutOneAndBothShowRed) {
    // Nine labels for eight outputs: the ninth single finds nothing.
    Wizard w({{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2}, {2, 3}, {1, 1}, {1, 3}, {4, 5}});
    w.Step(12);
    EXPECT_EQ(w.Channel(4, 5), -1);
    EXPECT_EQ(w.car.HasChannelConflict(), 0);  // only one label without a channel
    bool zeroShown = false;
    for (const auto& item : w.car.LastLayout())
        if (item.bitmap == 0 && item.text == "0") zeroShown = true;
    EXPECT_TRUE(zeroShown);
}

TEST(CarWizard, LabelsStandBesideTheirIconsWithTheirControls) {
    Wizard w({{0, 1}, {2, 1}, {1, 1}});
    w.Step(12);
    // Front Left Woofer: icon (104, 171)-(142, 209), the label left of it.
    const pages::CarChannelLabel& fl = w.car.GetLabels()[w.Label(0, 1)];
    EXPECT_EQ(fl.rightSide, 0);
    EXPECT_EQ(fl.upX, 61);
    EXPECT_EQ(fl.upY, 181);
    EXPECT_EQ(fl.downY, 190);
    EXPECT_EQ(fl.checkX, 45);
    EXPECT_EQ(fl.checkY, 184);
    EXPECT_EQ(fl.arrowsShown, 1);
    // Front Right Woofer: icon (298, 171)-(336, 209), the label right of its centre.
    const pages::CarChannelLabel& fr = w.car.GetLabels()[w.Label(2, 1)];
    EXPECT_EQ(fr.upX, 363);
    EXPECT_EQ(fr.checkX, 346);
    EXPECT_EQ(fr.checkY, 184);
    // Center Woofer, side by side: icon (204, 38)-(242, 76), the label right of the icon.
    const pages::CarChannelLabel& cw = w.car.GetLabels()[w.Label(1, 1)];
    EXPECT_EQ(cw.checkX, 252);
    EXPECT_EQ(cw.checkY, 51);
    bool leftLabel = false, rightNumber = false;
    for (const auto& item : w.car.LastLayout()) {
        if (item.bitmap == 215 && item.rect.left == 15 && item.rect.top == 180 &&
            item.rect.right == 94 && item.rect.bottom == 200)
            leftLabel = true;
        if (item.bitmap == 0 && item.rect.left == 351 && item.rect.top == 182 &&
            item.rect.right == 361 && item.text == "2")
            rightNumber = true;
    }
    EXPECT_TRUE(leftLabel);
    EXPECT_TRUE(rightNumber);
}

TEST(CarWizard, AmplifierStepMirrorsBoxesAndLeavingItKeepsTheChannels) {
    Wizard w({{0, 1}, {2, 1}, {4, 6}, {4, 4}, {4, 5}});
    w.Step(11);
    w.Step(12);
    w.car.OnChannelButton(w.Label(0, 1), true);  // 2/3
    const int fl = w.Channel(0, 1), fr = w.Channel(2, 1), sl = w.Channel(4, 6);
    w.Step(13);
    for (int i = 0; i < w.car.GetLabelCount(); ++i) {
        EXPECT_EQ(w.car.GetLabels()[i].checkShown, 1);
        EXPECT_EQ(w.car.GetLabels()[i].arrowsShown, 0);
    }
    for (const auto& item : w.car.LastLayout()) EXPECT_NE(item.bitmap, 215);  // no labels
    w.sent.clear();
    w.car.OnAmplifierClicked(w.Label(0, 1), true);
    w.car.OnAmplifierClicked(w.Label(4, 6), true);
    w.car.OnAmplifierClicked(w.Label(4, 5), true);
    w.car.OnAmplifierClicked(w.Label(4, 5), false);
    EXPECT_TRUE(w.sent.empty());
    const auto amp = [&w](int p, int k) { return w.car.GetLabels()[w.Label(p, k)].amplifier; };
    EXPECT_EQ(amp(0, 1), 1);
    EXPECT_EQ(amp(2, 1), 1);
    EXPECT_EQ(amp(4, 6), 1);
    EXPECT_EQ(amp(4, 4), 1);
    EXPECT_EQ(amp(4, 5), 0);
    // 13 -> 12 keeps channels and amplifiers; 12 -> 11 drops both.
    w.Step(12);
    EXPECT_EQ(w.Channel(0, 1), fl);
    EXPECT_EQ(w.Channel(2, 1), fr);
    EXPECT_EQ(w.Channel(4, 6), sl);
    EXPECT_EQ(amp(0, 1), 1);
    w.Step(11);
    w.Step(12);
    EXPECT_EQ(w.Channel(0, 1), 0);
    EXPECT_EQ(amp(0, 1), 0);
}

}  // namespace
