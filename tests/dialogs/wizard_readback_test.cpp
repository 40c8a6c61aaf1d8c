// A unit's configuration read back into the I/O wizard and the tuning: the input configuration
// (0xA3) and the routing (0xA4) into the wizard's record and car view, the layout the tuning takes
// from the routing, and the round trip from a finished wizard through the unit and back.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <tuple>
#include <vector>

#include "dialogs/wizard_logic.h"
#include "dialogs/wizard_messages.h"
#include "dialogs/wizard_serve.h"
#include "link/frame.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"
#include "wizard_doubles.h"

namespace {

using dialogs::WizardIoRecord;
using wizardtest::Wizard;

constexpr int kFL = 0, kC = 1, kFR = 2, kRR = 3, kSubSpot = 4, kRL = 5;
constexpr int kFull = 0, kWoofer = 1, kMid = 2, kTweeter = 3, kSubR = 4, kSubMono = 5, kSubL = 6;

// A frame as the unit sends it ('Z' from 'F'), its checksum summed here.
devlink::Frame UnitFrame(uint8_t command, const std::vector<uint8_t>& payload, size_t length) {
    devlink::Frame f(length, 0);
    f[0] = 0x5A;
    f[1] = 0x46;
    f[2] = static_cast<uint8_t>(length >> 8);
    f[3] = static_cast<uint8_t>(length);
    f[4] = command;
    for (size_t i = 0; i < payload.size() && 5 + i < length - 1; ++i) f[5 + i] = payload[i];
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < length; ++i) sum += f[i];
    f[length - 1] = static_cast<uint8_t>(sum);
    return f;
}

// The input configuration: type byte, five source flags, eight input codes.
devlink::Frame InputConfig(uint8_t type, std::vector<uint8_t> sources, std::vector<uint8_t> codes,
                           size_t length = 20) {
    std::vector<uint8_t> payload{type};
    payload.insert(payload.end(), sources.begin(), sources.end());
    payload.insert(payload.end(), codes.begin(), codes.end());
    return UnitFrame(0xA3, payload, length);
}

// One output of a routing frame: the speaker it feeds, its passive variant and amplifier flag.
struct Routed {
    int output, position, kind, variant, amplifier;
};

// The routing frame: the five arrays of eight; an output not named has no speaker (routing code
// 0, position and kind 0xFF). The routing codes are not read back, so they stay 0 here.
devlink::Frame Routing(std::initializer_list<Routed> outputs, size_t length = 46) {
    std::vector<uint8_t> payload(40, 0);
    for (int o = 0; o < 8; ++o) payload[8 + o] = payload[16 + o] = 0xFF;
    for (const Routed& r : outputs) {
        payload[8 + r.output] = static_cast<uint8_t>(r.position);
        payload[16 + r.output] = static_cast<uint8_t>(r.kind);
        payload[24 + r.output] = static_cast<uint8_t>(r.variant);
        payload[32 + r.output] = static_cast<uint8_t>(r.amplifier);
    }
    return UnitFrame(0xA4, payload, length);
}

int Parse(Wizard& w, const devlink::Frame& f) { return w.logic.ParseDeviceConfig(f.data(), f.size()); }

bool SameRecord(const WizardIoRecord& a, const WizardIoRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

using Assignment = std::tuple<int, int, int, uint32_t, int>;  // output, position, kind, amp, variant
std::vector<Assignment> Tuples(const std::vector<model::OutputAssignment>& table) {
    std::vector<Assignment> out;
    for (const auto& a : table) out.emplace_back(a.output, a.position, a.kind, a.amplifier, a.variant);
    return out;
}

TEST(WizardReadBack, OtherFramesAreLeftAndWrongLengthsTakenWithoutChange) {
    const devlink::Frame preset = UnitFrame(0x7D, {1}, 7);
    const devlink::Frame shortInput = InputConfig(1, {1, 1, 1, 1, 1}, {40, 48}, 6);
    struct Case {
        const char* what;
        devlink::Frame frame;
        int taken;
    } cases[] = {
        {"another command", preset, 0},
        {"shorter than 7 bytes", shortInput, 0},
        {"0xA3 of 19 bytes", InputConfig(2, {0, 0, 0, 0, 0}, {43, 51}, 19), 1},
        {"0xA3 of 21 bytes", InputConfig(2, {0, 0, 0, 0, 0}, {43, 51}, 21), 1},
        {"0xA3 of type byte 0", InputConfig(0, {0, 0, 0, 0, 0}, {43, 51}), 1},
        {"0xA3 of type byte 3", InputConfig(3, {0, 0, 0, 0, 0}, {43, 51}), 1},
        {"0xA4 of 45 bytes", Routing({{0, kFL, kWoofer, 0, 0}}, 45), 1},
        {"0xA4 of 47 bytes", Routing({{0, kFL, kWoofer, 0, 0}}, 47), 1},
    };
    for (const Case& c : cases) {
        Wizard w;
        const WizardIoRecord before = w.logic.GetIoRecord();
        EXPECT_EQ(Parse(w, c.frame), c.taken) << c.what;
        EXPECT_TRUE(SameRecord(w.logic.GetIoRecord(), before)) << c.what;
        EXPECT_TRUE(SameRecord(w.logic.ServedRecord(), before)) << c.what;
        EXPECT_FALSE(w.logic.TakeDeviceLayout().has_value()) << c.what;
        EXPECT_EQ(w.view.carsMade, 0) << c.what;
    }
    Wizard w;
    EXPECT_EQ(w.logic.ParseDeviceConfig(nullptr, 0), 0);
}

TEST(WizardReadBack, InputConfigurationOfEachTypeAndTheStepsThatShowIt) {
    struct Case {
        devlink::Frame frame;
        int type, typeMenuId;
        std::vector<int> sources;
        std::vector<int> low, lowIds, high, highIds;
    } cases[] = {
        // Low level: the six codes at 11..16 (the two after them are not inputs of this type).
        {InputConfig(1, {1, 0, 1, 0, 0}, {40, 48, 96, 0, 128, 72, 0x55, 0x66}),
         0, 40092, {1, 0, 1, 0, 0},
         {18, 19, 22, 1024, 23, 20}, {40113, 40114, 40117, 40119, 40118, 40115},
         std::vector<int>(8, 1024), std::vector<int>(8, 40112)},
        // High level: eight codes.
        {InputConfig(2, {0, 1, 0, 1, 1}, {43, 51, 44, 52, 0, 128, 100, 40}),
         1, 40093, {0, 1, 0, 1, 1},
         std::vector<int>(6, 1024), std::vector<int>(6, 40119),
         {2, 3, 6, 7, 1024, 17, 16, 0}, {40096, 40097, 40100, 40101, 40112, 40111, 40110, 40094}},
    };
    for (const Case& c : cases) {
        Wizard w;
        ASSERT_EQ(Parse(w, c.frame), 1);
        for (const WizardIoRecord& r : {w.logic.GetIoRecord(), w.logic.ServedRecord()}) {
            EXPECT_EQ(r.inputType, c.type);
            EXPECT_EQ(r.inputTypeMenuId, c.typeMenuId);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(r.sourceFlags[i], c.sources[i]) << i;
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(r.lowLevelInput[i], c.low[i]) << "type " << c.type << " low " << i;
                EXPECT_EQ(r.lowLevelMenuId[i], c.lowIds[i]) << "type " << c.type << " low " << i;
            }
            for (int i = 0; i < 8; ++i) {
                EXPECT_EQ(r.highLevelInput[i], c.high[i]) << "type " << c.type << " high " << i;
                EXPECT_EQ(r.highLevelMenuId[i], c.highIds[i]) << "type " << c.type << " high " << i;
            }
        }
        EXPECT_FALSE(w.logic.TakeDeviceLayout().has_value());

        // The wizard opened again shows what the unit reported.
        w.logic.Start();
        w.logic.GoToStep(1);
        EXPECT_EQ(w.view.checked[dialogs::kCheckHighLevel], c.type == 1);
        EXPECT_EQ(w.view.checked[dialogs::kCheckLowLevel], c.type == 0);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(w.view.checked[i], c.sources[i] != 0) << i;
        w.logic.GoToStep(-1);
        EXPECT_EQ(w.logic.Step(), c.type == 1 ? 2 : 3);
        const auto& ids = c.type == 1 ? c.highIds : c.lowIds;
        const auto labels = w.logic.BoxLabels();
        ASSERT_EQ(labels.size(), ids.size());
        for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(labels[i].menuId, ids[i]) << i;
    }
}

// A code the unit reports for an input that names none of the choices of its type (one the
// routing table does not know, which the table reads as Front Left Full, or another type's) is
// Not Connected in the wizard's record: it is not counted as an input, does not satisfy a step's
// rule as Front Left, and goes back to the unit as 0, not as Front Left.
TEST(WizardReadBack, InputCodesWithoutAChoiceOfTheirTypeReadAsNotConnected) {
    struct Case {
        const char* what;
        devlink::Frame frame;
        std::vector<int> inputs;     // the record's inputs of the frame's type
        bool nextOnAssignmentStep;   // the input assignment's rule with them
        std::vector<uint8_t> sent;   // the codes the wizard's next 0xA3 carries (bytes 11..18)
    } cases[] = {
        {"high level: an unknown code and Front Right Full",
         InputConfig(2, {0, 0, 0, 0, 0}, {0x55, 48, 0, 0, 0, 0, 0, 0}),
         {1024, 1, 1024, 1024, 1024, 1024, 1024, 1024}, false, {0, 48, 0, 0, 0, 0, 0, 0}},
        {"high level: a code of the table that is no high-level input (136)",
         InputConfig(2, {0, 0, 0, 0, 0}, {40, 136, 48, 0, 0, 0, 0, 0}),
         {0, 1024, 1, 1024, 1024, 1024, 1024, 1024}, true, {40, 0, 48, 0, 0, 0, 0, 0}},
        {"low level: a high-level code (43) and an unknown one",
         InputConfig(1, {0, 0, 0, 0, 0}, {43, 48, 0x55, 40, 0, 128, 0, 0}),
         {1024, 19, 1024, 18, 1024, 23}, true, {0, 48, 0, 40, 0, 128, 0, 0}},
        {"low level: an unknown code where Front Left should be",
         InputConfig(1, {0, 0, 0, 0, 0}, {0x55, 48, 0, 0, 0, 0, 0, 0}),
         {1024, 19, 1024, 1024, 1024, 1024}, false, {0, 48, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Wizard w;
        ASSERT_EQ(Parse(w, c.frame), 1);
        const WizardIoRecord r = w.logic.ServedRecord();
        const bool high = c.frame[5] == 2;
        for (size_t i = 0; i < c.inputs.size(); ++i)
            EXPECT_EQ(high ? r.highLevelInput[i] : r.lowLevelInput[i], c.inputs[i]) << i;

        const devlink::Frame back = dialogs::BuildInputConfigMessage(r);
        EXPECT_EQ(std::vector<uint8_t>(back.begin() + 11, back.begin() + 19), c.sent);

        w.logic.Start();
        w.logic.GoToStep(1);
        w.logic.GoToStep(-1);
        ASSERT_EQ(w.logic.Step(), high ? 2 : 3);
        EXPECT_EQ(w.view.enabled[dialogs::WizButton::Next], c.nextOnAssignmentStep);
    }
}

TEST(WizardReadBack, RoutingMarksTheSpeakersOfEachOutputAndLabelsThem) {
    struct Entry {
        int position, kind, present, passive, channel, amplifier;
    };
    struct Label {
        int position, kind, channel, amplifier;
    };
    struct Case {
        const char* what;
        devlink::Frame frame;
        std::vector<Entry> marked;  // every other entry: absent, no channel
        std::vector<Label> labels;  // labels that carry a unit's output
        std::vector<Assignment> layout;
    } cases[] = {
        {"passive front pairs, a center woofer, a subwoofer, outputs without a speaker",
         Routing({{0, kFL, kFull, 2, 1},
                  {1, kFR, kFull, 6, 1},
                  {2, kC, kWoofer, 0, 0},
                  {3, kSubSpot, kSubMono, 0, 1},
                  {5, 0xFF, kWoofer, 0, 1},
                  {6, kRL, 0xFF, 0, 1}}),
         {{kFL, kWoofer, 1, 1, 0, 1},
          {kFL, kTweeter, 1, 1, 0, 1},
          {kFR, kWoofer, 1, 1, 1, 1},
          {kFR, kTweeter, 1, 1, 1, 1},
          {kC, kWoofer, 1, 0, 2, 0},
          {kSubSpot, kSubMono, 1, 0, 3, 1}},
         {{kFL, kFull, 0, 1}, {kFR, kFull, 1, 1}, {kC, kWoofer, 2, 0}, {kSubSpot, kSubMono, 3, 1}},
         {{0, kFL, kFull, 1u, 2}, {1, kFR, kFull, 1u, 6}, {2, kC, kWoofer, 0u, 0},
          {3, kSubSpot, kSubMono, 1u, 0}}},
        {"a three-way passive front left (variant 4 at position 0)",
         Routing({{4, kFL, kFull, 4, 0}, {1, 0xFF, 0xFF, 0, 0}}),
         {{kFL, kWoofer, 1, 1, 4, 0}, {kFL, kMid, 1, 1, 4, 0}, {kFL, kTweeter, 1, 1, 4, 0}},
         {{kFL, kFull, 4, 0}},
         {{4, kFL, kFull, 0u, 4}}},
        {"woofers as themselves on both rear sides, an amplifier byte other than 1",
         Routing({{7, kRL, kWoofer, 0, 5}, {6, kRR, kWoofer, 0, 0}}),
         {{kRL, kWoofer, 1, 0, 7, 1}, {kRR, kWoofer, 1, 0, 6, 0}},
         {{kRL, kWoofer, 7, 1}, {kRR, kWoofer, 6, 0}},
         {{6, kRR, kWoofer, 0u, 0}, {7, kRL, kWoofer, 1u, 0}}},
    };
    for (const Case& c : cases) {
        Wizard w;
        ASSERT_EQ(Parse(w, c.frame), 1) << c.what;
        EXPECT_EQ(w.view.carsMade, 1) << c.what;
        const WizardIoRecord r = w.logic.GetIoRecord();
        for (const pages::WizardOutputEntry& e : r.outputTable) {
            Entry want{e.position, e.kind, 0, 0, -1, 0};
            for (const Entry& m : c.marked)
                if (m.position == e.position && m.kind == e.kind) want = m;
            EXPECT_EQ(e.present, want.present) << c.what << " (" << e.position << "," << e.kind << ")";
            EXPECT_EQ(e.passive, want.passive) << c.what << " (" << e.position << "," << e.kind << ")";
            EXPECT_EQ(e.channel, want.channel) << c.what << " (" << e.position << "," << e.kind << ")";
            EXPECT_EQ(e.amplifier, want.amplifier) << c.what << " (" << e.position << "," << e.kind << ")";
        }
        // The record holds the car view's labels as the unit's outputs left them.
        ASSERT_EQ(r.labelCount, w.view.car->GetLabelCount()) << c.what;
        for (const Label& want : c.labels) {
            bool found = false;
            for (int i = 0; i < r.labelCount; ++i) {
                const pages::CarChannelLabel& l = r.labelTable[i];
                if (l.position != want.position || l.kind != want.kind) continue;
                found = true;
                EXPECT_EQ(l.channel, want.channel) << c.what << " label (" << want.position << "," << want.kind << ")";
                EXPECT_EQ(l.amplifier, want.amplifier) << c.what << " label (" << want.position << "," << want.kind << ")";
                EXPECT_EQ(w.view.car->GetLabels()[i].channel, want.channel) << c.what;
            }
            EXPECT_TRUE(found) << c.what << " label (" << want.position << "," << want.kind << ")";
        }
        EXPECT_TRUE(SameRecord(w.logic.ServedRecord(), r)) << c.what;
        // The tuning's layout, once: a later read-back without routing leaves it.
        const auto layout = w.logic.TakeDeviceLayout();
        ASSERT_TRUE(layout.has_value()) << c.what;
        EXPECT_EQ(Tuples(*layout), c.layout) << c.what;
        EXPECT_EQ(Parse(w, InputConfig(2, {1, 1, 1, 1, 1}, {43, 51})), 1);
        EXPECT_FALSE(w.logic.TakeDeviceLayout().has_value()) << c.what;
    }
}

TEST(WizardReadBack, OnlyPositionsAndKindsUpToElevenMakeAnAssignment) {
    const devlink::Frame f = Routing({{0, 12, kFull, 0, 0}, {1, kFL, 12, 0, 0}, {2, 11, 11, 0, 0}, {3, 0, 0, 0, 0}});
    EXPECT_EQ(Tuples(dialogs::RoutingFrameAssignments(f.data(), f.size())),
              (std::vector<Assignment>{{2, 11, 11, 0u, 0}, {3, 0, 0, 0u, 0}}));
    EXPECT_TRUE(dialogs::RoutingFrameAssignments(f.data(), f.size() - 1).empty());
    const devlink::Frame input = InputConfig(2, {1, 1, 1, 1, 1}, {}, 46);
    EXPECT_TRUE(dialogs::RoutingFrameAssignments(input.data(), input.size()).empty());
}

// Output, position, kind, passive variant and amplifier of every assigned record, all presets.
using ModelLayout = std::vector<std::tuple<int, int, int, int, int, uint32_t>>;
ModelLayout LayoutOf(const model::TuningModel& m) {
    ModelLayout out;
    for (int p = 0; p < model::kPresetCount; ++p)
        for (int o = 0; o < model::kChannelCount; ++o) {
            const model::DspChannelRecord& r = m.Record(p, o);
            if (model::IsAssigned(r))
                out.emplace_back(p, r.output, r.position, r.kind, r.passiveVariant, r.amplifier);
        }
    return out;
}

TEST(DeviceLayout, EveryOutputKeepsTheSpeakerTheUnitReports) {
    // Passive groups of three, side Full speakers as Reset Settings makes them, a center pair and
    // two subwoofers: eight outputs, each taken as it stands.
    const devlink::Frame f = Routing({{0, kFL, kFull, 4, 0},
                                      {1, kFR, kFull, 8, 1},
                                      {2, kRL, kFull, 0, 0},
                                      {3, kRR, kFull, 0, 0},
                                      {4, kC, kWoofer, 0, 1},
                                      {5, kC, kTweeter, 0, 0},
                                      {6, kSubSpot, kSubL, 0, 0},
                                      {7, kSubSpot, kSubR, 0, 1}});
    Wizard w;
    ASSERT_EQ(Parse(w, f), 1);
    const auto layout = w.logic.TakeDeviceLayout();
    ASSERT_TRUE(layout.has_value());
    model::TuningModel m;
    m.ApplyDeviceConfiguration(*layout);
    EXPECT_EQ(m.AssignedCount(), 8);
    const int expected[8][4] = {{kFL, kFull, 4, 0},    {kFR, kFull, 8, 1},   {kRL, kFull, 0, 0},
                                {kRR, kFull, 0, 0},    {kC, kWoofer, 0, 1},  {kC, kTweeter, 0, 0},
                                {kSubSpot, kSubL, 0, 0}, {kSubSpot, kSubR, 0, 1}};
    for (int p = 0; p < model::kPresetCount; ++p)
        for (int o = 0; o < 8; ++o) {
            const model::DspChannelRecord& r = m.Record(p, o);
            EXPECT_EQ(r.output, o) << p << "/" << o;
            EXPECT_EQ(r.position, expected[o][0]) << p << "/" << o;
            EXPECT_EQ(r.kind, expected[o][1]) << p << "/" << o;
            EXPECT_EQ(r.passiveVariant, expected[o][2]) << p << "/" << o;
            EXPECT_EQ(r.amplifier, static_cast<uint32_t>(expected[o][3])) << p << "/" << o;
        }

    // Two outputs without a speaker in a later read-back: they are unassigned, the rest stays.
    Parse(w, Routing({{0, kFL, kFull, 4, 0}, {1, kFR, kFull, 8, 1}}));
    m.ApplyDeviceConfiguration(*w.logic.TakeDeviceLayout());
    EXPECT_EQ(m.AssignedCount(), 2);
    EXPECT_EQ(LayoutOf(m).size(), 8u);  // two outputs in four presets
}

// The car-view steps of a walk: the speakers clicked on step 10, the passive toggles of step 11,
// the labels ticked on the amplifier step.
struct CarWalk {
    std::vector<std::pair<int, int>> clicks;
    std::vector<int> toggles;
    std::vector<int> amplifiers;
};

void WalkCarSteps(Wizard& w, const CarWalk& walk) {
    w.logic.GoToStep(10);
    for (auto [p, k] : walk.clicks) w.ClickSpeaker(p, k);
    w.logic.GoToStep(-1);
    for (int t : walk.toggles) w.view.car->OnToggleClicked(t, true);
    w.logic.GoToStep(-1);
    w.logic.GoToStep(-1);
    for (int i : walk.amplifiers) w.view.car->OnAmplifierClicked(i, true);
    w.logic.GoToStep(-1);
    ASSERT_EQ(w.logic.Step(), 14);
}

TEST(WizardRoundTrip, TheUnitsRoutingGivesBackTheWizardsLayoutAndChoices) {
    const CarWalk walks[] = {
        // Passive front woofer and tweeter pairs, a subwoofer with an amplifier.
        {{{kFL, kWoofer}, {kFL, kTweeter}, {kSubSpot, kSubMono}}, {0}, {2}},
        // Three-way fronts (passive midrange and tweeter), rear woofers, a center pair, amplifiers
        // on the front woofers.
        {{{kFL, kWoofer}, {kFL, kMid}, {kFL, kTweeter}, {kRL, kWoofer}, {kC, kWoofer}, {kC, kTweeter}},
         {0},
         {0}},
    };
    for (const CarWalk& walk : walks) {
        Wizard w;
        WalkCarSteps(w, walk);
        const WizardIoRecord finished = w.logic.GetIoRecord();
        model::TuningModel wizardModel;
        wizardModel.ApplyConfiguration(dialogs::LabelAssignments(finished));

        // The routing the wizard's Finish sends: the unit keeps it and streams it back at the
        // next read-back. It is the one the tuning's own routing would send too.
        const devlink::Frame routing = dialogs::BuildRoutingMessage(finished);
        EXPECT_EQ(routing, model::BuildRoutingMessage(wizardModel.Preset(0)));

        Wizard reopened;
        ASSERT_EQ(Parse(reopened, routing), 1);
        const auto layout = reopened.logic.TakeDeviceLayout();
        ASSERT_TRUE(layout.has_value());
        model::TuningModel readModel;
        readModel.ApplyDeviceConfiguration(*layout);
        EXPECT_EQ(LayoutOf(readModel), LayoutOf(wizardModel));
        EXPECT_EQ(readModel.AssignedCount(), wizardModel.AssignedCount());

        // The wizard's record: the same speakers and passive groups, the same labels.
        const WizardIoRecord read = reopened.logic.GetIoRecord();
        for (int i = 0; i < pages::kWizardOutputEntries; ++i) {
            EXPECT_EQ(read.outputTable[i].present, finished.outputTable[i].present) << i;
            EXPECT_EQ(read.outputTable[i].passive, finished.outputTable[i].passive) << i;
        }
        ASSERT_EQ(read.labelCount, finished.labelCount);
        for (int i = 0; i < read.labelCount; ++i) {
            EXPECT_EQ(read.labelTable[i].position, finished.labelTable[i].position) << i;
            EXPECT_EQ(read.labelTable[i].kind, finished.labelTable[i].kind) << i;
            EXPECT_EQ(read.labelTable[i].channel, finished.labelTable[i].channel) << i;
            EXPECT_EQ(read.labelTable[i].amplifier, finished.labelTable[i].amplifier) << i;
        }
        EXPECT_EQ(dialogs::LabelAssignments(read).size(), dialogs::LabelAssignments(finished).size());

        // Opened again, the speaker step shows the same speakers chosen.
        reopened.logic.Start();
        reopened.logic.GoToStep(10);
        w.logic.Start();
        w.logic.GoToStep(10);
        for (const pages::WizardOutputEntry& e : finished.outputTable) {
            if (e.position < 0) continue;
            EXPECT_EQ(reopened.view.car->IsSpeakerSelected(e.position, e.kind),
                      w.view.car->IsSpeakerSelected(e.position, e.kind))
                << "(" << e.position << "," << e.kind << ")";
        }
        EXPECT_GT(w.view.car->CountSelected(), 0);
        EXPECT_EQ(reopened.view.car->CountSelected(), w.view.car->CountSelected());
    }
}

TEST(WizardServedRecord, LeavingAStepForwardPublishesTheRecordWithTheCarLabels) {
    Wizard w;
    w.logic.GoToStep(1);
    w.logic.OnCheckClicked(dialogs::kCheckHighLevel, true);
    // Not yet left: the poll thread still sees the earlier record.
    EXPECT_EQ(w.logic.ServedRecord().inputType, 0);
    w.logic.GoToStep(-1);
    EXPECT_EQ(w.logic.ServedRecord().inputType, 1);
    w.logic.OnBoxClicked(2);
    w.logic.OnCommand(40100);  // Front Left Woofer
    w.logic.GoBack();  // Back publishes nothing
    EXPECT_EQ(w.logic.ServedRecord().highLevelInput[2], 1024);
    w.logic.GoToStep(-1);
    w.logic.GoToStep(-1);
    EXPECT_EQ(w.logic.ServedRecord().highLevelInput[2], 6);

    WalkCarSteps(w, {{{kFL, kWoofer}, {kSubSpot, kSubMono}}, {}, {0}});
    const WizardIoRecord served = w.logic.ServedRecord();
    ASSERT_EQ(served.labelCount, w.view.car->GetLabelCount());
    ASSERT_EQ(served.labelCount, 3);
    for (int i = 0; i < served.labelCount; ++i) {
        EXPECT_EQ(served.labelTable[i].channel, w.view.car->GetLabels()[i].channel) << i;
        EXPECT_EQ(served.labelTable[i].amplifier, w.view.car->GetLabels()[i].amplifier) << i;
    }
    EXPECT_EQ(served.labelTable[0].amplifier, 1);
}

}  // namespace
