// The tuning page's logic with a recording chart, a scripted prompter and the view stand-ins:
// construction and reset, the selection flows, every edit by working mode and link down to the
// frames the send cycle sends, the questions and warnings, and the edits that must do nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "model/tuning_messages.h"
#include "model/tuning_receive.h"
#include "model/tables.h"
#include "page_doubles.h"

namespace {

using pages::XoField;
using pagetest::Page;

constexpr int kStandard = 1;
constexpr int kExpert = 0;

// Moves band k of the page's equaliser panel by a change, as the slider reports it.
void MoveBand(Page& p, int band, float change) {
    pages::EqSettingsLogic& eq = p.logic->Eq();
    p.Send(eq.OnSliderMoved(band, eq.Value(band) + change, change));
}

void ChooseFrequency(Page& p, XoField field, uint32_t id) {
    ASSERT_TRUE(p.logic->Filter().OpenFieldPopup(field).open);
    p.Send(p.logic->Filter().OnMenuCommand(id));
}

bool AnyFlag(Page& p) {
    for (int preset = 0; preset < model::kPresetCount; ++preset)
        for (int o = 0; o < model::kChannelCount; ++o)
            for (int f = 0; f < model::kDirtyFlagCount; ++f)
                if (p.M().IsDirty(preset, o, f)) return true;
    return false;
}

TEST(DspSettingLogic, ConstructionShowsTheFrontLeftWooferWithoutMarkingAnything) {
    Page p(true);
    EXPECT_EQ(p.map.GetRowName(0), "Front Left Woofer");
    EXPECT_EQ(p.map.GetRowName(5), "Front Right Tweeter");
    EXPECT_EQ(p.map.GetRowName(6), "Subwoofer L");
    EXPECT_EQ(p.map.GetRowName(7), "Subwoofer R");
    EXPECT_EQ(p.map.CountSelected(), 1);
    EXPECT_TRUE(p.map.IsRowSelected(0));
    EXPECT_EQ(p.car.CountSelected(), 1);
    EXPECT_TRUE(p.car.IsSpeakerSelected(model::kFrontLeft, model::kWoofer));
    EXPECT_EQ(p.car.SpeakerCount(model::kSubwooferSpot, model::kSubwooferL), 1);

    EXPECT_EQ(p.logic->Filter().FieldLabel(XoField::Type), "Low Pass");
    EXPECT_EQ(p.logic->Filter().FieldLabel(XoField::LpFreq), "500");
    EXPECT_TRUE(p.logic->Eq().Enabled());
    EXPECT_TRUE(p.logic->Eq().IsEqLink());
    for (int k = 0; k < 31; ++k) EXPECT_EQ(p.logic->Eq().BandState(k), k <= 17 ? 2 : 0) << k;

    EXPECT_FALSE(AnyFlag(p));
    EXPECT_TRUE(p.M().DirtyTracking());
    EXPECT_FALSE(p.M().IsChanged());
    for (int o = 0; o < 8; ++o) {
        EXPECT_EQ(p.R(o).EQLink, 1u);
        EXPECT_EQ(p.R(o).crossover.bXoLink, 1u);
        EXPECT_GT(p.R(o).crossover.sectionCount, 0);
    }

    // Every speaker's curves with the page's ids and colours: (kind, position) ids.
    const auto responses = p.chart.Of("ShowResponse");
    ASSERT_GE(responses.size(), 8u);
    EXPECT_EQ(responses[0].id, model::ParamIndex(0, model::kWoofer, model::kFrontLeft));
    EXPECT_EQ(responses[0].count, 31);
    EXPECT_EQ(responses[7].id, model::ParamIndex(0, model::kSubwooferR, model::kSubwooferSpot));
    EXPECT_EQ(responses[7].id, 104);
    for (const auto& c : p.chart.Of("Fill")) {
        const bool eq = c.id % 2 == 0;
        const pages::CurveColour want = eq ? pages::kEqualiserFill : pages::kCrossoverFill;
        EXPECT_EQ(c.colour.r, want.r);
        EXPECT_EQ(c.colour.g, want.g);
        EXPECT_EQ(c.colour.a, want.a);
    }
    const auto lines = p.chart.Of("Line");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[1].id, model::ParamIndex(1, model::kWoofer, model::kFrontLeft));
    EXPECT_EQ(lines[1].colour.r, 250);
    EXPECT_EQ(lines[1].colour.g, 20);
    EXPECT_EQ(lines[1].colour.a, 180);
    EXPECT_EQ(p.chart.Of("SetHighlight").back().id, 2);

    // Built offline, the defaults are marked for a later send.
    Page offline(false);
    EXPECT_TRUE(offline.M().IsDirty(0, 0, model::kDirtyCrossover));
    EXPECT_TRUE(offline.M().IsDirty(0, 7, model::kDirtyBand0 + 30));
}

TEST(DspSettingLogic, ResetLeavesFourFullSpeakersLinked) {
    Page p;
    p.logic->StoreWorkingMode(kExpert);
    p.R(0).EQLink = 0;
    p.logic->ReloadAllPages();
    EXPECT_EQ(p.M().WorkingMode(), 1u);
    EXPECT_EQ(p.logic->Filter().WorkingMode(), 1u);
    EXPECT_EQ(p.M().CurrentPreset(), 0);
    const char* names[] = {"Front Left Full", "Front Right Full", "Rear Left Full",
                           "Rear Right Full", "Not Connected"};
    for (int o = 0; o < 5; ++o) EXPECT_EQ(p.map.GetRowName(o), names[o]);
    for (int preset = 0; preset < 4; ++preset)
        for (int o = 0; o < 8; ++o) EXPECT_EQ(p.M().Record(preset, o).EQLink, 1u) << o;
    EXPECT_TRUE(p.logic->Eq().IsEqLink());
    EXPECT_TRUE(p.map.IsRowSelected(0));
    EXPECT_TRUE(p.car.IsSpeakerSelected(model::kFrontLeft, model::kFull));
    EXPECT_EQ(p.logic->Filter().FieldLabel(XoField::Type), "Full Range");
    EXPECT_TRUE(p.car.IsSeatChecked(0));
}

TEST(DspSettingLogic, SelectionFlowsKeepViewsPanelsAndChartInStep) {
    Page p;
    // Two rows, row 3 current: both speakers in the car view, their sum, row 3 in the panels.
    pagetest::SelectRows(p.map, {0, 3}, 3);
    p.chart.calls.clear();
    p.Msg(ui::MsgChannelMapSelection, model::kFrontRight, model::kWoofer);
    EXPECT_EQ(p.car.CountSelected(), 2);
    EXPECT_TRUE(p.car.IsSpeakerSelected(model::kFrontRight, model::kWoofer));
    const auto sums = p.chart.Of("ShowSumResponse");
    ASSERT_EQ(sums.size(), 1u);
    EXPECT_TRUE(sums[0].flag);
    EXPECT_EQ(p.chart.lastSum, (std::vector<int32_t>{0, 1, 0, 2, 1, 3}));
    EXPECT_EQ(p.logic->EditedChannel(), 3);
    EXPECT_EQ(p.chart.calls.front().op, "Hold");

    // A change of the current row: the car view's selection is cleared, row 0 is loaded.
    p.R(0).EQGain[4] = 2.5f;
    p.map.SetCurrentRow(0);
    p.Msg(ui::MsgChannelMapCurrent, 0);
    EXPECT_EQ(p.car.CountSelected(), 0);
    EXPECT_EQ(p.logic->Eq().Value(4), 2.5f);

    // Two rows and no current one: nothing in the panels.
    pagetest::SelectRows(p.map, {0, 3}, -1);
    p.Msg(ui::MsgChannelMapSelection, 0, 1);
    EXPECT_FALSE(p.logic->Filter().Shown());
    EXPECT_EQ(p.logic->Eq().ReadoutText(0), "---");

    // The curve switches with no row selected change nothing.
    pagetest::SelectRows(p.map, {}, -1);
    p.chart.calls.clear();
    p.Msg(ui::MsgCurveSwitches);
    EXPECT_TRUE(p.chart.calls.empty());

    // Only the total switch: only the speaker's total curve is shown.
    p.ClickRow(1);
    p.chart.switches[2] = 1;
    p.chart.calls.clear();
    p.Msg(ui::MsgCurveSwitches);
    const auto shown = p.chart.Of("ShowCurve");
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_FALSE(shown[0].flag);
    EXPECT_FALSE(shown[1].flag);
    EXPECT_TRUE(shown[2].flag);
    EXPECT_EQ(shown[2].id, model::ParamIndex(1024, model::kMidrange, model::kFrontLeft));

    // Two speakers picked in the car view: their rows, row 0 current, the sum.
    p.car.SetSpeakerSelected(model::kFrontLeft, model::kTweeter, true, true, false);
    p.car.SetSpeakerSelected(model::kFrontRight, model::kTweeter, true, false, false);
    p.Msg(ui::MsgSpeakerPicked, 0, 0);
    EXPECT_EQ(p.map.CountSelected(), 2);
    EXPECT_TRUE(p.map.IsRowSelected(2));
    EXPECT_TRUE(p.map.IsRowSelected(5));
    EXPECT_EQ(p.map.GetCurrentRow(), 2);
    EXPECT_EQ(p.logic->EditedChannel(), 2);
}

// A read-back whose unit sent no layout: the layout on screen stays, but the panels show what the
// unit sent (here full-range crossovers on every output and a boost on output 0's band 17), in
// every preset, and an edit starts from it rather than from what the panels showed before.
TEST(DspSettingLogic, AReadBackWithoutALayoutShowsTheTuningReceived) {
    Page p(true);
    ASSERT_EQ(p.logic->Filter().FieldLabel(XoField::Type), "Low Pass");
    model::CrossoverParams full{};
    full.FilterType = model::kFullRange;
    full.FilterModel = model::kLinkwitz;
    full.LPFreq = 50.0f;
    full.HPFreq = 100.0f;
    full.LFSlope = full.HFSlope = 12.0f;
    full.bXoLink = 1;
    full.sectionCount = 1;
    model::CrossoverSections one;
    one.section.fill(model::IdentitySection());
    model::DspChannelRecord boosted{};
    boosted.EQGain[17] = 6.0f;
    boosted.EQLink = 1;
    // The frames as the unit streams them: addressed to the PC, from its DSP node.
    auto receive = [&](devlink::Frame f) {
        f[0] = devlink::kNodePc;
        f[1] = devlink::kNodeDsp;
        devlink::SealFrame(f);
        ASSERT_EQ(model::ReceiveTuningFrame(p.M(), f.data(), f.size()), 1);
    };
    p.M().SetOnline(0);
    for (int preset = 0; preset < model::kPresetCount; ++preset)
        for (int o = 0; o < model::kChannelCount; ++o) receive(model::BuildCrossoverMessage(o, preset, full, one));
    receive(model::BuildEqMessage(0, boosted, 0));
    p.M().ShowReadBackTuning();
    p.M().SetOnline(1);
    EXPECT_FALSE(AnyFlag(p)) << "showing what the unit holds sends nothing";
    EXPECT_EQ(p.map.GetRowName(0), "Front Left Woofer") << "the layout stays";
    EXPECT_EQ(p.logic->Filter().FieldLabel(XoField::Type), "Full Range");
    EXPECT_NEAR(p.logic->Eq().Value(17), 6.0f, 0.2f);

    // An edit builds its frame from the unit's crossover.
    p.link.Clear();
    p.Send(p.logic->Filter().OnPhaseClicked(true));
    p.M().SendPendingChanges(p.link.sender, nullptr);
    ASSERT_FALSE(p.link.frames.empty());
    const devlink::Frame& t = p.link.frames[0];
    ASSERT_EQ(t[4], 't');
    ASSERT_EQ(t[6], 0);
    const size_t fields = 8 + 20 * t[7];
    EXPECT_EQ(t[fields], model::kFullRange);
    EXPECT_EQ(devlink::GetF32LE(&t[fields + 2]), 50.0f);
    // Another preset shows its own received crossover too.
    p.M().SelectPreset(2);
    EXPECT_EQ(p.logic->Filter().FieldLabel(XoField::Type), "Full Range");
}

TEST(DspSettingLogic, QueriesDescribeTheEditedChannel) {
    Page p;
    p.ClickRow(1);  // front-left midrange of a three-way front
    EXPECT_EQ(p.Msg(ui::MsgQueryWays), 3);
    EXPECT_EQ(p.Msg(ui::MsgQueryKind), model::kMidrange);
    EXPECT_EQ(p.Msg(ui::MsgQueryWooferAtPosition), 1);
    pagetest::SelectRows(p.map, {}, -1);
    EXPECT_EQ(p.Msg(ui::MsgQueryWays), 0);
    EXPECT_EQ(p.Msg(ui::MsgQueryKind), -1);
    EXPECT_EQ(p.Msg(ui::MsgQueryWooferAtPosition), 0);
}

// Every edit of the panels by working mode and link: the records it reaches, the frames the next
// send cycle sends, and the changed flag.
TEST(DspSettingLogic, EveryEditReachesTheRecordsAndTheSendCycle) {
    struct Case {
        const char* what;
        int mode;
        bool linksOff;
        std::function<void(Page&)> edit;
        std::string frames;
        bool changed;
        std::function<void(Page&)> check;
    };
    const Case cases[] = {
        {"band, Standard, linked", kStandard, false, [](Page& p) { MoveBand(p, 10, 3); },
         "s0 s1 s2 s3 s4 s5", true,
         [](Page& p) {
             for (int o = 0; o < 6; ++o) EXPECT_EQ(p.R(o).EQGain[10], 3.0f) << o;
             EXPECT_EQ(p.R(6).EQGain[10], 0.0f);
         }},
        {"band, Expert, linked", kExpert, false, [](Page& p) { MoveBand(p, 10, 3); }, "s0 s3", true,
         [](Page& p) { EXPECT_EQ(p.R(1).EQGain[10], 0.0f); }},
        {"band, Expert, unlinked", kExpert, true, [](Page& p) { MoveBand(p, 10, 3); }, "s0", true,
         [](Page& p) { EXPECT_EQ(p.R(3).EQGain[10], 0.0f); }},
        {"band, Standard, unlinked", kStandard, true, [](Page& p) { MoveBand(p, 10, 3); },
         "s0 s1 s2", true, nullptr},
        {"flat", kExpert, false, [](Page& p) { p.Send(p.logic->Eq().OnFlat()); }, "s0 s3", true,
         nullptr},
        {"off, Standard, linked", kStandard, false,
         [](Page& p) { p.Send(p.logic->Eq().OnOffClicked(true)); }, "v0 v1 v2 v3 v4 v5", true,
         [](Page& p) { EXPECT_EQ(p.R(5).EQOff, 1u); }},
        {"off, Standard, unlinked", kStandard, true,
         [](Page& p) { p.Send(p.logic->Eq().OnOffClicked(true)); }, "v0 v1 v2", true, nullptr},
        {"off, Expert, linked", kExpert, false,
         [](Page& p) { p.Send(p.logic->Eq().OnOffClicked(true)); }, "v0 v3", true, nullptr},
        {"off, Expert, unlinked", kExpert, true,
         [](Page& p) { p.Send(p.logic->Eq().OnOffClicked(true)); }, "v0", true, nullptr},
        {"select all", kStandard, false,
         [](Page& p) { p.Send(p.logic->Eq().OnSelectAllClicked(true)); }, "x0", false,
         [](Page& p) {
             for (int k = 0; k < 31; ++k) EXPECT_EQ(p.R(0).btmskSel[k], 1u);
             EXPECT_EQ(p.R(3).btmskSel[0], 0u);
         }},
        {"one band switch", kExpert, false,
         [](Page& p) { p.Send(p.logic->Eq().OnBandSwitchClicked(7, true)); }, "x0", false,
         [](Page& p) { EXPECT_EQ(p.R(0).btmskSel[7], 1u); }},
        {"equaliser unlinked, Standard", kStandard, false,
         [](Page& p) { p.Send(p.logic->Eq().OnLinkClicked(false)); }, "s1 s2 s3 s4 s5 w0", true,
         [](Page& p) {
             for (int o = 0; o < 6; ++o) EXPECT_EQ(p.R(o).EQLink, 0u) << o;
             EXPECT_TRUE(p.prompter.asked.empty());
         }},
        {"equaliser unlinked, Expert", kExpert, false,
         [](Page& p) { p.Send(p.logic->Eq().OnLinkClicked(false)); }, "s3 w0", true,
         [](Page& p) { EXPECT_EQ(p.R(1).EQLink, 1u); }},
        {"cut-off, Expert, linked", kExpert, false,
         [](Page& p) { ChooseFrequency(p, XoField::LpFreq, 40057); }, "t0 t3", true,
         [](Page& p) {
             EXPECT_EQ(p.R(0).crossover.LPFreq, 800.0f);
             EXPECT_EQ(p.R(3).crossover.LPFreq, 800.0f);
             EXPECT_EQ(p.R(1).crossover.LPFreq, 500.0f);
         }},
        {"cut-off, Expert, unlinked", kExpert, true,
         [](Page& p) { ChooseFrequency(p, XoField::LpFreq, 40057); }, "t0", true, nullptr},
        {"cut-off, Standard, linked", kStandard, false,
         [](Page& p) { ChooseFrequency(p, XoField::LpFreq, 40057); }, "t0 t1 t3 t4", true,
         [](Page& p) {
             EXPECT_EQ(p.R(1).crossover.LPFreq, 800.0f);  // the midrange follows the woofer
             EXPECT_EQ(p.R(4).crossover.LPFreq, 800.0f);
         }},
        {"phase, Expert, linked", kExpert, false,
         [](Page& p) { p.Send(p.logic->Filter().OnPhaseClicked(true)); }, "t0 t3", true,
         [](Page& p) { EXPECT_EQ(p.R(3).crossover.bInvPhase, 1u); }},
        {"distance", kStandard, false,
         [](Page& p) { p.Send(p.logic->Filter().OnDistanceButton(true)); },
         "u0 u1 u2 u3 u4 u5 u6 u7", true,
         [](Page& p) {
             EXPECT_EQ(p.R(0).crossover.distance, 4);
             EXPECT_EQ(p.R(0).crossover.delay, 0);
             EXPECT_EQ(p.R(7).crossover.delay, 4);
             EXPECT_EQ(p.logic->Filter().Block().delay, 0);
         }},
        {"trim", kExpert, false, [](Page& p) { p.Send(p.logic->Filter().OnTrimButton(true, 9)); },
         "u0", true,
         [](Page& p) {
             EXPECT_EQ(p.R(0).crossover.delayTrim, 1);
             EXPECT_TRUE(p.map.IsChannelOn(0));
             EXPECT_FALSE(p.map.IsChannelOn(1));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Page p;
        p.logic->StoreWorkingMode(c.mode);
        if (c.linksOff)
            for (int o = 0; o < 8; ++o) p.R(o).EQLink = p.R(o).crossover.bXoLink = 0;
        p.ClickRow(0);
        ASSERT_FALSE(AnyFlag(p));
        c.edit(p);
        EXPECT_EQ(p.M().IsChanged(), c.changed);
        if (c.check) c.check(p);
        EXPECT_EQ(p.Cycle(), c.frames);
        EXPECT_EQ(p.link.writesUnderLock, 0);
        EXPECT_FALSE(AnyFlag(p));
    }
}

// A confirmed Xover Link toggle designs and marks every output whose link flag changed, so the
// device learns the new link.
TEST(DspSettingLogic, LinkToggleMarksEveryOutputWhoseLinkChanged) {
    {
        SCOPED_TRACE("Standard: unlinking reaches both fronts");
        Page p;
        p.ClickRow(0);
        p.Send(p.logic->Filter().OnXoverLinkClicked(false));
        EXPECT_TRUE(p.prompter.asked.empty());
        for (int o = 0; o < 6; ++o) EXPECT_EQ(p.R(o).crossover.bXoLink, 0u) << o;
        EXPECT_EQ(p.R(6).crossover.bXoLink, 1u);
        EXPECT_EQ(p.Cycle(), "t0 t1 t2 t3 t4 t5");
        // The 't' frame carries the link flag as its second byte from the end.
        EXPECT_EQ(p.link.frames[0][p.link.frames[0].size() - 2], 0);

        SCOPED_TRACE("Standard: linking again copies each way to its mirror");
        p.Remember(os::Question::XoLink, 1);
        ChooseFrequency(p, XoField::LpFreq, 40057);  // only the left side changes now
        EXPECT_EQ(p.R(3).crossover.LPFreq, 500.0f);
        p.Cycle();
        p.Send(p.logic->Filter().OnXoverLinkClicked(true));
        EXPECT_EQ(p.R(3).crossover.LPFreq, 800.0f);
        EXPECT_EQ(p.R(3).crossover.bXoLink, 1u);
        EXPECT_EQ(p.Cycle(), "t0 t1 t2 t3 t4 t5");
    }
    {
        SCOPED_TRACE("Expert: the mirror and the edited channel");
        Page p;
        p.logic->StoreWorkingMode(kExpert);
        p.ClickRow(0);
        p.Send(p.logic->Filter().OnXoverLinkClicked(false));
        EXPECT_EQ(p.R(0).crossover.bXoLink, 0u);
        EXPECT_EQ(p.R(3).crossover.bXoLink, 0u);
        EXPECT_EQ(p.Cycle(), "t0 t3");
    }
}

// The panel's block never brings a section count or handle into a record: a record's count is
// its own design's.
TEST(DspSettingLogic, SectionCountsComeOnlyFromTheDesign) {
    for (int mode : {kExpert, kStandard}) {
        SCOPED_TRACE(mode);
        Page p;
        p.logic->StoreWorkingMode(mode);
        p.ClickRow(0);
        model::CrossoverParams panel = p.logic->Filter().Block();
        panel.sectionCount = 9;
        panel.LFSlope = 48;
        panel.lfSlopeMenuId = 40024;
        p.logic->Filter().SetCrossover(panel);
        p.Send(p.logic->Filter().OnTrimButton(true, 0));  // the whole block, designed nothing
        const int own = p.R(0).crossover.sectionCount;
        EXPECT_NE(own, 9);
        EXPECT_EQ(p.R(0).crossover.sectionArray, 0u);

        p.Send(p.logic->Filter().OnPhaseClicked(true));  // now designed: 48 dB has more sections
        model::CrossoverParams reference = p.R(0).crossover;
        model::CrossoverSections sections;
        ASSERT_EQ(dsp::DesignCrossover(reference, sections), 1);
        EXPECT_EQ(p.R(0).crossover.sectionCount, reference.sectionCount);
        EXPECT_NE(p.R(0).crossover.sectionCount, own);
        EXPECT_EQ(p.R(3).crossover.sectionCount, reference.sectionCount);  // its own design
        EXPECT_EQ(p.R(3).crossover.sectionArray, 0u);
        EXPECT_EQ(p.Cycle(), "t0 t3 u0");
        EXPECT_EQ(p.link.frames[0].size(),
                  model::CrossoverMessageLength(reference.sectionCount));
    }
}

// A band that differed on the partner is designed again when the partner takes the gains.
TEST(DspSettingLogic, PartnerBandsThatDifferedAreDesignedAgain) {
    Page p;
    p.logic->StoreWorkingMode(kExpert);
    p.R(3).EQGain[20] = 5.0f;
    p.M().SetEqBandGain(3, 20);
    p.ClickRow(0);
    p.Cycle();
    MoveBand(p, 3, 2);
    EXPECT_EQ(p.R(3).EQGain[20], 0.0f);
    EXPECT_EQ(p.R(3).EQGain[3], 2.0f);
    EXPECT_EQ(p.Flags(), (std::vector<std::string>{"0:5", "3:5", "3:22"}));
    model::BiquadSection flat{};
    dsp::ComputeEqBand(&flat, 1.0, 20);
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(p.R(3).eqSections[20].b[i], flat.b[i]);
        EXPECT_DOUBLE_EQ(p.R(3).eqSections[20].a[i], flat.a[i]);
    }
}

// A band beyond the sliders' range (a file, the device's live curve) stays until it is moved.
TEST(DspSettingLogic, AGainBeyondTheSlidersIsKeptUntilMoved) {
    Page p;
    p.logic->StoreWorkingMode(kExpert);
    p.R(0).EQGain[8] = 15.0f;
    p.M().SetEqBandGain(0, 8);
    p.ClickRow(0);  // shown (the slider holds 12) but not taken back
    EXPECT_EQ(p.logic->Eq().Value(8), 12.0f);
    EXPECT_EQ(p.R(0).EQGain[8], 15.0f);
    MoveBand(p, 3, 1);
    EXPECT_EQ(p.R(0).EQGain[8], 15.0f);
    EXPECT_EQ(p.R(3).EQGain[8], 15.0f);  // the partner takes the channel's own gains
    MoveBand(p, 8, -1);
    EXPECT_EQ(p.R(0).EQGain[8], 11.0f);
    EXPECT_EQ(p.R(3).EQGain[8], 11.0f);
}

// One speaker fed by two outputs: picking it in the car view makes its first row current.
TEST(DspSettingLogic, ASpeakerOnTwoOutputsEditsItsFirstRow) {
    Page p;
    p.R(7).position = model::kFrontLeft;
    p.R(7).kind = model::kWoofer;
    p.map.SetRow(7, model::kFrontLeft, model::kWoofer, false, 0, 0);
    p.car.SetSpeakerSelected(model::kFrontLeft, model::kWoofer, true, true, false);
    p.Msg(ui::MsgSpeakerPicked, model::kFrontLeft, model::kWoofer);
    EXPECT_EQ(p.map.CountSelected(), 2);
    EXPECT_EQ(p.logic->EditedChannel(), 0);
    MoveBand(p, 2, 4);
    EXPECT_EQ(p.R(0).EQGain[2], 4.0f);
}

TEST(DspSettingLogic, LinkQuestionsFollowTheRememberedAnswers) {
    const std::string text =
        "This action will erase previous 'Front Right Woofer' Crossover Settings. Press 'Ok' to "
        "Continue.";
    struct Case {
        int32_t stored;
        pages::PromptAnswer answer;
        bool asked, linked;
        int32_t storedAfter;
    };
    const Case cases[] = {
        {-1, {pages::kPromptOk, true}, true, true, 1},
        {-1, {pages::kPromptOk, false}, true, true, -1},
        {-1, {pages::kPromptCancel, true}, true, false, -1},
        {0, {}, false, false, 0},
        {1, {}, false, true, 1},
        {5, {}, false, true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Page p;
        p.logic->StoreWorkingMode(kExpert);
        p.ClickRow(0);
        p.Send(p.logic->Filter().OnXoverLinkClicked(false));  // unlinking asks nothing
        ASSERT_TRUE(p.prompter.asked.empty());
        ChooseFrequency(p, XoField::LpFreq, 40057);
        p.Remember(os::Question::XoLink, c.stored);
        p.prompter.answers = {c.answer};
        p.M().SetChanged(0);
        p.Send(p.logic->Filter().OnXoverLinkClicked(true));
        ASSERT_EQ(p.prompter.asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(p.prompter.asked[0].text, text);
            EXPECT_EQ(p.prompter.asked[0].buttons, pages::kPromptOk | pages::kPromptCancel);
            EXPECT_EQ(p.prompter.asked[0].messageRect.left, 30);
        }
        EXPECT_EQ(p.logic->Filter().IsXoverLinked(), c.linked);
        EXPECT_EQ(p.R(0).crossover.bXoLink, c.linked ? 1u : 0u);
        EXPECT_EQ(p.R(3).crossover.LPFreq, c.linked ? 800.0f : 500.0f);
        EXPECT_TRUE(p.M().IsChanged());  // also when refused
        EXPECT_EQ(os::GetAskXoLink(p.settings), c.storedAfter);
    }
}

TEST(DspSettingLogic, ACenterSpeakerCannotBeLinked) {
    Page p;
    p.R(6).position = model::kCenter;
    p.R(6).kind = model::kFull;
    p.map.SetRow(6, model::kCenter, model::kFull, false, 0, 0);
    p.ClickRow(6);
    p.Send(p.logic->Eq().OnLinkClicked(false));
    EXPECT_EQ(p.R(6).EQLink, 0u);
    const pages::Notification on = p.logic->Eq().OnLinkClicked(true);
    p.Send(on);
    EXPECT_TRUE(p.prompter.asked.empty());
    EXPECT_FALSE(p.logic->Eq().IsEqLink());
    EXPECT_EQ(p.R(6).EQLink, 0u);

    // The equaliser question names the partner.
    p.ClickRow(0);
    p.Send(p.logic->Eq().OnLinkClicked(false));
    p.prompter.answers = {{pages::kPromptOk, false}};
    p.Send(p.logic->Eq().OnLinkClicked(true));
    ASSERT_EQ(p.prompter.asked.size(), 1u);
    EXPECT_EQ(p.prompter.asked[0].text,
              "This action will erase previous 'Front Right Woofer' Equalization Settings. Press "
              "'Ok' to Continue.");
    EXPECT_EQ(p.R(0).EQLink, 1u);
    EXPECT_EQ(p.R(3).EQLink, 1u);
    EXPECT_EQ(os::GetAskEqLink(p.settings), -1);
}

TEST(DspSettingLogic, TrimWarningsAtBothLimits) {
    {
        SCOPED_TRACE("the farthest speaker");
        Page p;
        p.ClickRow(0);
        p.prompter.answers = {{pages::kPromptOk, true}};
        p.Send(p.logic->Filter().OnTrimButton(false, 0x77));
        EXPECT_EQ(p.R(0).crossover.delayTrim, 0);
        EXPECT_EQ(p.logic->Filter().Block().delayTrim, 0);
        ASSERT_EQ(p.prompter.asked.size(), 1u);
        EXPECT_EQ(p.prompter.asked[0].text,
                  "This is the farthest speaker. Set the new distance to reduce delay.");
        EXPECT_EQ(p.prompter.cancelled, (std::vector<intptr_t>{0x77}));
        EXPECT_EQ(os::GetAskMinFDS(p.settings), 1);
        // Silenced: only the limit remains.
        p.Send(p.logic->Filter().OnTrimButton(false, 0x77));
        EXPECT_EQ(p.prompter.asked.size(), 1u);
        EXPECT_EQ(p.R(0).crossover.delayTrim, 0);
    }
    {
        SCOPED_TRACE("a nearer speaker");
        Page p;
        p.R(1).crossover.distance = 20;
        p.M().ComputeDelaysFromDistances(0, 1);
        p.ClickRow(0);
        EXPECT_EQ(p.R(0).crossover.delay, 20);
        for (int i = 0; i < 20; ++i) p.Send(p.logic->Filter().OnTrimButton(false, 0));
        EXPECT_TRUE(p.prompter.asked.empty());
        p.Send(p.logic->Filter().OnTrimButton(false, 0));
        EXPECT_EQ(p.R(0).crossover.delayTrim, -20);
        ASSERT_EQ(p.prompter.asked.size(), 1u);
        EXPECT_EQ(p.prompter.asked[0].text, "This is the maximum allowable advance from default set.");
        EXPECT_TRUE(p.prompter.cancelled.empty());
        EXPECT_EQ(os::GetAskMinFDS(p.settings), -1);
    }
}

TEST(DspSettingLogic, EditsThatMustDoNothing) {
    auto everyEdit = [](Page& p) {
        MoveBand(p, 3, 2);
        p.Send(p.logic->Eq().OnOffClicked(true));
        p.Send(p.logic->Eq().OnBandSwitchClicked(4, true));
        p.Send(p.logic->Eq().OnLinkClicked(false));
        p.Send(p.logic->Filter().OnPhaseClicked(true));
        p.Send(p.logic->Filter().OnDistanceButton(true));
        p.Send(p.logic->Filter().OnTrimButton(true, 0));
    };
    {
        SCOPED_TRACE("no edited channel");
        Page p;
        pagetest::SelectRows(p.map, {}, -1);
        everyEdit(p);
        EXPECT_FALSE(AnyFlag(p));
        EXPECT_FALSE(p.M().IsChanged());
        EXPECT_EQ(p.R(0).EQGain[3], 0.0f);
    }
    {
        SCOPED_TRACE("a record not in use");
        Page p;
        p.ClickRow(0);
        p.R(0).inUse = 0;
        p.Send(p.logic->Filter().OnPhaseClicked(true));
        p.Send(p.logic->Filter().OnDistanceButton(true));
        p.Send(p.logic->Filter().OnTrimButton(true, 0));
        EXPECT_FALSE(AnyFlag(p));
        EXPECT_FALSE(p.M().IsChanged());
        EXPECT_EQ(p.R(0).crossover.bInvPhase, 0u);
    }
    {
        SCOPED_TRACE("a band outside the equaliser");
        Page p;
        p.ClickRow(0);
        for (int band : {31, -3, 1000}) p.Msg(ui::MsgEqBandChanged, band, 0);
        EXPECT_FALSE(AnyFlag(p));
        EXPECT_FALSE(p.M().IsChanged());
    }
}

}  // namespace
