// The I/O wizard's steps: the step graph and its request words, each step's controls and Next
// rule, what the steps write to the record, the input menus, the measurement steps, the car
// view's messages, the end of the wizard and the layout the tuning takes from it.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/wizard_logic.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"
#include "ui/messages.h"
#include "wizard_doubles.h"

namespace {

using dialogs::WizardLogic;
using dialogs::WizButton;
using wizardtest::Post;
using wizardtest::View;
using wizardtest::Wizard;

TEST(WizardSteps, NextSkipAndBackFollowTheGraphAndRaiseTheirFlags) {
    enum Action { N, B, S };
    struct Case {
        int type, from;
        Action action;
        int to;
        std::vector<int> left;
    } cases[] = {
        {1, 0, N, 1, {0}},   {1, 1, N, 2, {1}},   {0, 1, N, 3, {1}},   {1, 2, N, 4, {2}},
        {0, 3, N, 4, {3}},   {1, 4, N, 5, {4}},   {1, 5, N, 6, {5}},   {0, 5, N, 10, {5}},
        {1, 6, N, 7, {6}},   {1, 6, S, 10, {6}},  {1, 7, N, 8, {7}},   {1, 8, N, 10, {8}},
        {1, 10, N, 11, {10}}, {1, 11, N, 12, {11}}, {1, 12, N, 13, {12}}, {1, 13, N, 14, {13}},
        {1, 14, N, 14, {}},
        {1, 0, B, 0, {}},    {1, 1, B, 0, {}},    {1, 2, B, 1, {}},    {0, 3, B, 1, {}},
        {1, 4, B, 2, {}},    {0, 4, B, 3, {}},    {1, 5, B, 4, {}},    {1, 6, B, 4, {}},
        {1, 7, B, 6, {}},    {1, 8, B, 7, {}},    {1, 10, B, 6, {}},   {0, 10, B, 4, {}},
        {1, 11, B, 10, {}},  {1, 12, B, 11, {}},  {1, 13, B, 12, {}},  {1, 14, B, 14, {}},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.logic.GoToStep(1);
        w.logic.OnCheckClicked(c.type ? dialogs::kCheckHighLevel : dialogs::kCheckLowLevel, true);
        w.logic.GoToStep(c.from);
        w.ClearFlags();
        if (c.action == N) w.logic.GoToStep(-1);
        else if (c.action == B) w.logic.GoBack();
        else w.logic.OnButton(WizButton::Skip);
        EXPECT_EQ(w.logic.Step(), c.to) << "type " << c.type << " from " << c.from;
        EXPECT_EQ(w.Left(), c.left) << "type " << c.type << " from " << c.from;
    }
    Wizard w;
    w.logic.GoToStep(20);
    EXPECT_EQ(w.logic.Step(), 14);
}

TEST(WizardSteps, EachStepShowsItsPictureAndPlacesItsButtons) {
    using P = std::pair<int, int>;
    struct Case {
        int step;
        uint32_t skin, overlay;
        bool back, backEnabled, next, nextEnabled, cancel, skip, finish, bar;
        P backAt, nextAt, cancelAt;
    } cases[] = {
        {0, 145, 0, true, false, true, true, true, false, false, false, {31, 330}, {110, 330}, {189, 330}},
        {1, 150, 0, true, true, true, true, true, false, false, false, {31, 330}, {110, 330}, {189, 330}},
        {4, 155, 0, true, true, true, true, true, false, false, false, {31, 330}, {110, 330}, {189, 330}},
        {5, 156, 0, true, false, true, false, true, false, false, true, {31, 330}, {110, 330}, {189, 330}},
        {6, 157, 0, true, true, true, true, false, true, false, false, {31, 330}, {110, 330}, {189, 330}},
        {7, 158, 0, true, true, true, true, true, false, false, false, {31, 330}, {110, 330}, {189, 330}},
        {8, 224, 0, true, false, true, false, true, false, false, true, {31, 330}, {110, 330}, {189, 330}},
        {10, 197, 259, true, true, true, false, true, false, false, false, {106, 460}, {185, 460}, {264, 460}},
        {11, 197, 260, true, true, true, true, true, false, false, false, {106, 460}, {185, 460}, {264, 460}},
        {12, 197, 258, true, true, true, true, true, false, false, false, {106, 460}, {185, 460}, {264, 460}},
        {13, 197, 261, true, true, true, true, true, false, false, false, {106, 460}, {185, 460}, {264, 460}},
        {14, 159, 0, false, false, false, false, false, false, true, false, {31, 330}, {110, 330}, {189, 330}},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.logic.GoToStep(c.step);
        View& v = w.view;
        EXPECT_EQ(v.skin, c.skin) << c.step;
        EXPECT_EQ(v.overlay, c.overlay) << c.step;
        EXPECT_EQ(v.shown[WizButton::Back], c.back) << c.step;
        if (c.back) {
            EXPECT_EQ(v.enabled[WizButton::Back], c.backEnabled) << c.step;
        }
        EXPECT_EQ(v.shown[WizButton::Next], c.next) << c.step;
        if (c.next) {
            EXPECT_EQ(v.enabled[WizButton::Next], c.nextEnabled) << c.step;
        }
        EXPECT_EQ(v.shown[WizButton::Cancel], c.cancel) << c.step;
        EXPECT_EQ(v.shown[WizButton::Skip], c.skip) << c.step;
        EXPECT_EQ(v.shown[WizButton::Finish], c.finish) << c.step;
        EXPECT_EQ(v.barShown, c.bar) << c.step;
        EXPECT_EQ(v.carShown, c.step >= 10 && c.step <= 13) << c.step;
        if (c.back) {
            EXPECT_EQ(v.place[WizButton::Back], c.backAt) << c.step;
        }
        if (c.next) {
            EXPECT_EQ(v.place[WizButton::Next], c.nextAt) << c.step;
        }
        if (c.cancel) {
            EXPECT_EQ(v.place[WizButton::Cancel], c.cancelAt) << c.step;
        }
        if (c.skip) {
            EXPECT_EQ(v.place[WizButton::Skip], P(189, 330)) << c.step;
        }
        if (c.finish) {
            EXPECT_EQ(v.place[WizButton::Finish], P(110, 330));
            EXPECT_TRUE(v.enabled[WizButton::Finish]);
        }
    }
}

TEST(WizardSteps, SourceAndInputTypeChecksWriteTheRecord) {
    Wizard w;
    w.logic.GoToStep(1);
    View& v = w.view;
    for (int c = 0; c < 5; ++c) {
        EXPECT_TRUE(v.checkShown[c]);
        EXPECT_EQ(v.checkPlace[c], std::make_pair(71, 179 + 24 * c));
        EXPECT_TRUE(v.checked[c]);
    }
    EXPECT_EQ(v.checkPlace[5], std::make_pair(71, 108));
    EXPECT_EQ(v.checkPlace[6], std::make_pair(71, 84));
    EXPECT_TRUE(v.checked[5]);
    EXPECT_FALSE(v.checked[6]);
    EXPECT_FALSE(v.checkShown[7]);
    w.logic.OnCheckClicked(2, false);
    w.logic.OnCheckClicked(6, true);
    EXPECT_EQ(w.logic.Record().sourceFlags[2], 0);
    EXPECT_EQ(w.logic.Record().inputType, 1);
    EXPECT_EQ(w.logic.Record().inputTypeMenuId, 40093);
    EXPECT_FALSE(v.checked[5]);
    // The pair works as radio buttons: a click on the checked one keeps it checked.
    w.logic.OnCheckClicked(6, false);
    EXPECT_TRUE(v.checked[6]);
    EXPECT_EQ(w.logic.Record().inputType, 1);
    w.logic.OnCheckClicked(5, true);
    EXPECT_EQ(w.logic.Record().inputType, 0);
    EXPECT_EQ(w.logic.Record().inputTypeMenuId, 40092);
    w.logic.GoToStep(4);
    for (int c = 0; c < 8; ++c) EXPECT_FALSE(v.checkShown[c]);
}

TEST(WizardSteps, InputAssignmentNeedsBothSidesAndTheMenuGreysOtherBoxesChoices) {
    Wizard w;
    w.logic.GoToStep(2);
    for (int b = 0; b < 9; ++b) EXPECT_EQ(w.view.boxShown[b], b < 8) << b;
    EXPECT_EQ(w.view.boxPlace[3], std::make_pair(250, 155));
    EXPECT_TRUE(w.Next());  // the defaults: Front Left Full and Front Right Full
    w.Choose(1, 40102);     // Rear Left Full
    EXPECT_FALSE(w.Next());
    EXPECT_EQ(w.logic.Record().highLevelInput[1], 8);
    EXPECT_EQ(w.logic.Record().highLevelMenuId[1], 40102);
    w.Choose(2, 40101);  // Front Right Woofer
    EXPECT_TRUE(w.Next());
    w.Choose(4, 40112);
    EXPECT_EQ(w.logic.Record().highLevelInput[4], 1024);

    // Box 3's menu, under its rectangle: its own choice checked, the others' greyed.
    w.Choose(3, 40095);  // Front Right Full
    w.Choose(5, 40112);
    w.logic.OnBoxClicked(3);
    EXPECT_EQ(w.view.popupMenu, 161);
    EXPECT_EQ(w.view.popupX, 141);
    EXPECT_EQ(w.view.popupY, 174);
    ASSERT_EQ(w.view.popupItems.size(), 19u);
    for (const auto& item : w.view.popupItems) {
        const bool other = item.id == 40094 || item.id == 40102 || item.id == 40101;
        EXPECT_EQ(item.checked, item.id == 40095) << item.id;
        EXPECT_EQ(item.greyed, other) << item.id;
    }
    EXPECT_TRUE(w.logic.MenuOpen());
    w.logic.OnCommand(40113);  // another menu's command: ignored
    EXPECT_EQ(w.logic.Record().highLevelInput[3], 1);
    EXPECT_FALSE(w.logic.MenuOpen());

    // The labels the window draws in the boxes.
    const auto labels = w.logic.BoxLabels();
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels[7].rect.top, 255);
    EXPECT_EQ(labels[7].rect.bottom, 269);
    EXPECT_EQ(labels[1].menuId, 40102);
    EXPECT_STREQ(dialogs::RoutingIndexName(dialogs::MenuIdToRoutingIndex(40102), false), "Rear Left Full");

    // Low level: Front Left and Front Right are both needed; Not Connected is never greyed.
    w.logic.GoToStep(3);
    for (int b = 0; b < 9; ++b) EXPECT_EQ(w.view.boxShown[b], b < 6) << b;
    EXPECT_EQ(w.view.boxPlace[0], std::make_pair(235, 82));
    EXPECT_TRUE(w.Next());
    w.Choose(0, 40115);  // Rear Left
    w.Choose(1, 40116);  // Rear Right
    EXPECT_FALSE(w.Next());
    w.Choose(2, 40113);
    EXPECT_FALSE(w.Next());
    w.Choose(3, 40114);
    EXPECT_TRUE(w.Next());
    w.Choose(4, 40119);
    w.Choose(5, 40119);
    w.logic.OnBoxClicked(4);
    EXPECT_EQ(w.view.popupMenu, 162);
    EXPECT_EQ(w.view.popupX, 156);
    for (const auto& item : w.view.popupItems)
        if (item.id == 40119) {
            EXPECT_FALSE(item.greyed);
        }
    const int32_t low[6] = {20, 21, 18, 19, 1024, 1024};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(w.logic.Record().lowLevelInput[i], low[i]);
    EXPECT_EQ(w.logic.BoxLabels()[2].rect.left, 157);
}

TEST(WizardSteps, MeasurementProgressStatusAndResults) {
    // Progress: completed x 20 / inputs assigned, 20 once all are done or none is assigned.
    struct Bar {
        int assigned, done;
        double bar;
    } bars[] = {{3, 2, 40.0 / 3}, {3, 3, 20}, {3, 4, 20}, {0, 0, 20}, {8, 1, 2.5}};
    for (const Bar& b : bars) {
        Wizard w;
        w.logic.SetConnected(1);
        w.logic.GoToStep(1);
        w.logic.OnCheckClicked(dialogs::kCheckHighLevel, true);
        w.logic.GoToStep(2);
        for (int i = 0; i < 8; ++i) w.Choose(i, i < b.assigned ? 40094 + i : 40112);
        w.logic.GoToStep(5);
        w.logic.completedCount = b.done;
        w.logic.OnTimer(WizardLogic::kInputTimer);
        EXPECT_NEAR(w.view.bar, b.bar, 1e-9) << b.assigned << "/" << b.done;
        EXPECT_TRUE(w.view.toSelf.empty());
    }

    // Status lines: channels reported on the way, then the result.
    struct Status {
        int step;
        int channel;  // -2: no channel report
        uintptr_t end;
        intptr_t status;
        const char* text;
        bool next;
    } statuses[] = {
        {5, 2, 0, 0, "Channel 3 completed.", false},
        {8, 0, 0, 0, "'Front Left' completed.", false},
        {8, 5, 0, 0, "'Subwoofer' completed.", false},
        {8, 6, 0, 0, "Channel 7 completed.", false},
        {5, -2, 1, 0, "Press 'Next' to Continue.", true},
        {5, -2, 1, 0x43, "Channel 4 - Input Level too low.", false},
        {5, -2, 1, 0x81, "", false},
        {5, -2, 0, 0, "TimeOut: Repeat the Procedure.", false},
        {8, -2, 0, 0, "TimeOut: Repeat the Procedure.", true},
        {8, -2, 1, 0x45, "Channel 6 - Input Level too low.", true},
    };
    for (const Status& s : statuses) {
        Wizard w;
        w.logic.SetConnected(1);
        w.logic.GoToStep(s.step);
        EXPECT_EQ(w.logic.StatusText(), "");
        EXPECT_EQ(w.view.timers.count(s.step == 5 ? 1500u : 2500u), 1u);
        if (s.channel >= -1) {
            (s.step == 5 ? w.logic.inputChannel : w.logic.outputChannel) = s.channel;
            w.logic.OnTimer(s.step == 5 ? 1500 : 2500);
            EXPECT_EQ(w.logic.DetectionState(), 3);
        } else {
            w.logic.OnAppMessage(s.step == 5 ? ui::MsgInputDetectDone : ui::MsgOutputDetectDone,
                                 s.end, s.status);
            EXPECT_TRUE(w.view.timers.empty());
            EXPECT_EQ(w.view.bar, 20);
            EXPECT_TRUE(w.view.enabled[WizButton::Back]);
            EXPECT_EQ(w.Next(), s.next) << s.text;
        }
        EXPECT_EQ(w.logic.StatusText(), s.text);
    }
}

TEST(WizardSteps, OfflineTheMeasurementEndsOnTheFirstTickAndALateResultIsIgnored) {
    Wizard w;
    w.logic.GoToStep(5);
    w.logic.OnTimer(2500);  // another step's timer
    EXPECT_TRUE(w.view.toSelf.empty());
    w.logic.OnTimer(1500);
    w.logic.OnTimer(1500);
    ASSERT_EQ(w.view.toSelf.size(), 2u);
    EXPECT_EQ(w.view.toSelf[0].message, ui::MsgInputDetectDone);
    EXPECT_EQ(w.view.toSelf[0].wParam, 1u);
    w.Pump();
    EXPECT_TRUE(w.Next());
    EXPECT_EQ(w.logic.StatusText(), "Press 'Next' to Continue.");

    // Cancelled while a detection runs, restarted: the old result cannot touch step 0.
    // Entering the de-equalization after a finished setup starts with an empty status line.
    w.logic.GoToStep(-1);
    w.logic.GoToStep(8);
    EXPECT_EQ(w.view.painted, "");
    EXPECT_EQ(w.logic.DetectionState(), 0);

    Wizard c;
    c.logic.GoToStep(5);
    c.logic.OnButton(WizButton::Cancel);
    EXPECT_TRUE(c.view.timers.empty());
    c.logic.Start();
    c.logic.OnAppMessage(ui::MsgInputDetectDone, 0, 0);
    EXPECT_EQ(c.logic.Step(), 0);
    EXPECT_EQ(c.logic.DetectionState(), 0);
    EXPECT_FALSE(c.view.enabled[WizButton::Back]);
    EXPECT_TRUE(c.Next());
}

TEST(WizardSteps, SpeakerPicksMirrorPartnersAndTheSubwooferRules) {
    Wizard w;
    w.logic.GoToStep(10);
    EXPECT_FALSE(w.Next());
    const auto present = [&w](int p, int k) {
        for (const auto& e : w.logic.Record().outputTable)
            if (e.position == p && e.kind == k) return e.present;
        return -1;
    };
    w.ClickSpeaker(0, 3);  // Front Left Tweeter
    EXPECT_EQ(present(0, 3), 1);
    EXPECT_EQ(present(2, 3), 1);
    EXPECT_TRUE(w.view.car->IsSpeakerSelected(2, 3));
    EXPECT_TRUE(w.Next());
    w.ClickSpeaker(3, 1);  // Rear Right Woofer
    EXPECT_EQ(present(5, 1), 1);
    w.ClickSpeaker(4, 5);  // Subwoofer
    EXPECT_EQ(present(4, 5), 1);
    w.ClickSpeaker(4, 6);  // Subwoofer L: Subwoofer R follows, the mono one goes
    EXPECT_EQ(present(4, 6), 1);
    EXPECT_EQ(present(4, 4), 1);
    EXPECT_EQ(present(4, 5), 0);
    EXPECT_FALSE(w.view.car->IsSpeakerSelected(4, 5));
    w.ClickSpeaker(4, 5);  // and back: the pair goes
    EXPECT_EQ(present(4, 6), 0);
    EXPECT_EQ(present(4, 4), 0);
    EXPECT_TRUE(w.view.car->IsSpeakerSelected(4, 5));
    w.ClickSpeaker(2, 3);  // both tweeters off
    EXPECT_EQ(present(0, 3), 0);
    EXPECT_EQ(w.view.car->CountSelected(), 3);
    w.ClickSpeaker(5, 1);
    w.ClickSpeaker(4, 5);
    EXPECT_EQ(w.view.car->CountSelected(), 0);
    EXPECT_FALSE(w.Next());
}

TEST(WizardSteps, PassiveGroupsAndTheOutputCountDecideNext) {
    Wizard w;
    w.logic.GoToStep(10);
    // Every speaker: 15 outputs.
    for (auto [p, k] : std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {0, 3}, {5, 1}, {5, 3},
                                                        {1, 1}, {1, 3}, {4, 6}})
        w.ClickSpeaker(p, k);
    w.ClickSpeaker(4, 5);  // the mono Subwoofer joins, the pair goes: 13 outputs
    w.logic.GoToStep(-1);
    EXPECT_EQ(w.view.car->CountOutputChannels(), 13);
    EXPECT_FALSE(w.Next());
    EXPECT_TRUE(w.view.car->TooManyChannelsShown());
    w.view.car->OnToggleClicked(1, true);  // front three-way both sides: 9
    EXPECT_FALSE(w.Next());
    w.view.car->OnToggleClicked(2, true);  // center: 8
    EXPECT_TRUE(w.Next());
    EXPECT_FALSE(w.view.car->TooManyChannelsShown());
    const auto passive = [&w](int p, int k) {
        for (const auto& e : w.logic.Record().outputTable)
            if (e.position == p && e.kind == k) return e.passive;
        return -1;
    };
    for (int p : {0, 2})
        for (int k : {1, 2, 3}) EXPECT_EQ(passive(p, k), 1) << p << "," << k;
    EXPECT_EQ(passive(1, 1), 1);
    EXPECT_EQ(passive(5, 1), 0);
    w.view.car->OnToggleClicked(0, true);  // front two-way midrange + tweeter instead
    EXPECT_EQ(passive(0, 1), 0);
    EXPECT_EQ(passive(0, 2), 1);
    EXPECT_EQ(passive(2, 3), 1);
    EXPECT_FALSE(w.Next());  // 4 + 1 + 4 + 1 = 10

    // Channels: a clash keeps Next disabled.
    w.view.car->OnToggleClicked(1, true);
    w.logic.GoToStep(-1);
    EXPECT_EQ(w.logic.Step(), 12);
    EXPECT_TRUE(w.Next());
    const pages::CarChannelLabel* labels = w.view.car->GetLabels();
    int fl = -1;
    for (int i = 0; i < w.view.car->GetLabelCount(); ++i)
        if (labels[i].position == 0) fl = i;
    ASSERT_GE(fl, 0);
    w.view.car->OnChannelButton(fl, true);
    EXPECT_FALSE(w.Next());
    EXPECT_TRUE(w.view.car->ConflictShown());
    w.view.car->OnChannelButton(fl, false);
    EXPECT_TRUE(w.Next());
}

TEST(WizardSteps, CancelFinishAndARestartThatKeepsTheRecord) {
    for (int step : {0, 1, 5, 8, 10, 13}) {
        Wizard w;
        w.logic.GoToStep(step);
        w.ClearFlags();
        w.logic.OnButton(WizButton::Cancel);
        EXPECT_EQ(w.logic.stepClosed[step], 1) << step;
        ASSERT_EQ(w.view.toParent.size(), 1u) << step;
        EXPECT_EQ(w.view.toParent[0].message, ui::MsgWizard);
        EXPECT_EQ(w.view.toParent[0].wParam, 0u);
        EXPECT_EQ(w.view.toParent[0].lParam, 0);
    }
    for (int step : {6, 14}) {
        Wizard w;
        w.logic.GoToStep(step);
        w.ClearFlags();
        w.logic.OnButton(WizButton::Cancel);
        EXPECT_TRUE(w.view.toParent.empty()) << step;
        EXPECT_EQ(w.logic.stepClosed[step], 0) << step;
    }
    Wizard w;
    w.logic.OnButton(WizButton::Finish);  // only on the last step
    EXPECT_TRUE(w.view.toParent.empty());
    w.logic.GoToStep(1);
    w.logic.OnCheckClicked(dialogs::kCheckHighLevel, true);
    w.logic.OnCheckClicked(4, false);
    w.logic.GoToStep(14);
    w.logic.OnButton(WizButton::Finish);
    ASSERT_EQ(w.view.toParent.size(), 1u);
    EXPECT_EQ(w.view.toParent[0].lParam, 1);

    w.logic.Start();
    EXPECT_EQ(w.logic.Step(), 0);
    for (int i = 0; i < dialogs::kWizardSteps; ++i) {
        EXPECT_EQ(w.logic.stepLeft[i], 0);
        EXPECT_EQ(w.logic.stepClosed[i], 0);
    }
    EXPECT_EQ(w.view.skin, 145u);
    EXPECT_FALSE(w.view.carShown);
    EXPECT_EQ(w.logic.Record().inputType, 1);
    EXPECT_EQ(w.logic.Record().sourceFlags[4], 0);
    w.logic.GoToStep(1);
    EXPECT_TRUE(w.view.checked[dialogs::kCheckHighLevel]);
    EXPECT_FALSE(w.view.checked[4]);
}

TEST(WizardRecord, DefaultsAndMenuIds) {
    const dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    EXPECT_EQ(r.inputType, 0);
    EXPECT_EQ(r.inputTypeMenuId, 40092);
    const int32_t high[8] = {0, 1, 1024, 1024, 1024, 1024, 1024, 1024};
    const int32_t highIds[8] = {40094, 40095, 40112, 40112, 40112, 40112, 40112, 40112};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(r.highLevelInput[i], high[i]);
        EXPECT_EQ(r.highLevelMenuId[i], highIds[i]);
    }
    const int32_t lowIds[6] = {40113, 40114, 40119, 40119, 40119, 40119};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.lowLevelMenuId[i], lowIds[i]);
    EXPECT_EQ(r.lowLevelInput[1], 19);
    EXPECT_EQ(r.outputTable[12].position, 4);
    EXPECT_EQ(r.outputTable[12].kind, 6);
    EXPECT_EQ(r.outputTable[14].kind, 4);
    EXPECT_EQ(r.outputTable[15].position, -1);
    for (const auto& e : r.outputTable) EXPECT_EQ(e.channel, -1);
    for (int f : r.sourceFlags) EXPECT_EQ(f, 1);
    const int menu[][3] = {{40094, 0, 0},     {40111, 17, 0},    {40112, 1024, 0},
                           {40113, 18, 1},    {40118, 23, 1},    {40119, 1024, 1},
                           {40093, -1, 0},    {40120, -1, 1}};
    for (const auto& m : menu) {
        EXPECT_EQ(dialogs::MenuIdToRoutingIndex(m[0]), m[1]) << m[0];
        if (m[1] >= 0) {
            EXPECT_EQ(dialogs::RoutingIndexToMenuId(m[1], m[2] != 0), m[0]);
        }
    }
}

// Walks the car-view steps with the given speakers and passive toggles and returns the tuning's
// routing frame of preset 0 after Finish applied the labels.
struct Walk {
    std::vector<std::pair<int, int>> clicks;
    std::vector<int> toggles;
    std::vector<int> amplifiers;  // labels by (position, kind) ticked on the amplifier step
};

devlink::Frame FinishAndRoute(const Walk& walk, model::TuningModel& m) {
    Wizard w;
    w.logic.GoToStep(10);
    for (auto [p, k] : walk.clicks) w.ClickSpeaker(p, k);
    w.logic.GoToStep(-1);
    for (int t : walk.toggles) w.view.car->OnToggleClicked(t, true);
    w.logic.GoToStep(-1);
    w.logic.GoToStep(-1);
    for (int i : walk.amplifiers) w.view.car->OnAmplifierClicked(i, true);
    w.logic.GoToStep(-1);
    EXPECT_EQ(w.logic.Step(), 14);
    const dialogs::WizardIoRecord record = w.logic.GetIoRecord();
    m.ApplyConfiguration(dialogs::LabelAssignments(record));
    return model::BuildRoutingMessage(m.Preset(0));
}

TEST(WizardFinish, TheTuningTakesTheLabelsLayout) {
    model::TuningModel m;
    // Front woofers and tweeters, the center pair and a subwoofer.
    const devlink::Frame plain = FinishAndRoute(
        {{{0, 1}, {0, 3}, {1, 1}, {1, 3}, {4, 5}}, {}, {}}, m);
    const uint8_t codes[8] = {44, 52, 43, 51, 99, 100, 0, 128};
    for (int o = 0; o < 8; ++o) EXPECT_EQ(plain[5 + o], codes[o]) << o;
    const int positions[8] = {0, 2, 0, 2, 1, 1, 0xFF, 4};
    const int kinds[8] = {1, 1, 3, 3, 3, 1, 0xFF, 5};
    for (int o = 0; o < 8; ++o) {
        EXPECT_EQ(plain[13 + o], positions[o]) << o;
        EXPECT_EQ(plain[21 + o], kinds[o]) << o;
    }
    EXPECT_EQ(m.AssignedCount(), 7);

    // Passive W+T fronts: one Full output each side, variants 2 and 6; an amplifier on the left
    // label reaches its partner too.
    const devlink::Frame passive = FinishAndRoute({{{0, 1}, {0, 3}}, {0}, {0}}, m);
    EXPECT_EQ(passive[13 + 0], 0);
    EXPECT_EQ(passive[21 + 0], 0);
    EXPECT_EQ(passive[29 + 0], 2);
    EXPECT_EQ(passive[13 + 1], 2);
    EXPECT_EQ(passive[21 + 1], 0);
    EXPECT_EQ(passive[29 + 1], 6);
    EXPECT_EQ(passive[37 + 0], 1);
    EXPECT_EQ(passive[37 + 1], 1);
    for (int o = 2; o < 8; ++o) EXPECT_EQ(passive[13 + o], 0xFF) << o;
    EXPECT_EQ(m.Record(0, 0).passiveVariant, 2);
    EXPECT_EQ(m.Record(3, 1).passiveVariant, 6);
}

TEST(WizardFinish, LabelsOnOneChannelLeaveTheLaterOne) {
    dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    r.labelCount = 4;
    r.labelTable[0].channel = 3, r.labelTable[0].position = 0, r.labelTable[0].kind = 1;
    r.labelTable[1].channel = 3, r.labelTable[1].position = 2, r.labelTable[1].kind = 1;
    r.labelTable[1].amplifier = 1;
    r.labelTable[2].channel = 8, r.labelTable[2].position = 0, r.labelTable[2].kind = 3;
    r.labelTable[3].channel = 0, r.labelTable[3].position = 12, r.labelTable[3].kind = 3;
    r.speakerGrid[2].variant[1] = 5;
    const auto a = dialogs::LabelAssignments(r);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].output, 3);
    EXPECT_EQ(a[0].position, 2);
    EXPECT_EQ(a[0].kind, 1);
    EXPECT_EQ(a[0].amplifier, 1u);
    EXPECT_EQ(a[0].variant, 5);
    r.labelCount = 1000;  // never past the table
    EXPECT_EQ(dialogs::LabelAssignments(r).size(), 1u);
}

}  // namespace
