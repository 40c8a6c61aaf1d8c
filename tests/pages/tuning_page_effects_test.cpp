// What the tuning model's operations make the real tuning page do beyond its own panels, seen where
// it leaves the page: the level icons and the full write the main window receives, the car view,
// the panels and the chart after a preset switch with one or several rows selected, and the
// channel map's marks after the distances were reset.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "model/tuning_section.h"
#include "page_doubles.h"
#include "view_doubles.h"

namespace {

using model::OutputAssignment;

// The page over the real channel-map and car-view logic, both telling one recording main window.
class EffectsPage : public pagetest::Page {
public:
    explicit EffectsPage(bool connected = true) : Page(connected) {}

    // The 0x800B messages since the last clear: output, then the speaker it pointed at.
    using Icon = std::tuple<int, int, int, int>;
    std::vector<Icon> Icons() const {
        std::vector<Icon> out;
        for (const viewtest::SentMessage& m : messages.sent) {
            if (m.id != 0x800B) continue;
            EXPECT_FALSE(m.posted) << "the icons are sent: their array lives only during the call";
            if (m.wParam < 0)
                out.emplace_back(-1, -1, -1, -1);
            else if (m.speaker.size() == 3)
                out.emplace_back(static_cast<int>(m.wParam), m.speaker[0], m.speaker[1], m.speaker[2]);
            else
                out.emplace_back(static_cast<int>(m.wParam), -9, -9, -9);  // no array
        }
        return out;
    }
    // The icons after the last clear-all, which must come first.
    std::vector<Icon> IconsAfterClear() const {
        const std::vector<Icon> all = Icons();
        size_t last = all.size();
        for (size_t i = 0; i < all.size(); ++i)
            if (std::get<0>(all[i]) == -1) last = i;
        EXPECT_LT(last, all.size()) << "the icons were not cleared first";
        if (last >= all.size()) return {};
        return {all.begin() + static_cast<long>(last) + 1, all.end()};
    }
    std::vector<viewtest::SentMessage> ToMain(uint32_t id) const {
        std::vector<viewtest::SentMessage> out;
        for (const viewtest::SentMessage& m : messages.sent)
            if (m.id == id) out.push_back(m);
        return out;
    }
};

// Speaker positions and kinds by their numbers: 0 Front Left, 2 Front Right, 3 Rear Right, 4 the
// subwoofer spot, 5 Rear Left; 0 Full, 1 Woofer, 2 Midrange, 3 Tweeter, 4 Subwoofer R, 6 Subwoofer L.
// A new tuning's outputs: front left woofer, midrange, tweeter, the same on the right, then
// Subwoofer L and Subwoofer R, all without a passive crossover.
const std::vector<EffectsPage::Icon> kNewTuningIcons = {
    {0, 0, 1, 0}, {1, 0, 2, 0}, {2, 0, 3, 0}, {3, 2, 1, 0},
    {4, 2, 2, 0}, {5, 2, 3, 0}, {6, 4, 6, 0}, {7, 4, 4, 0}};

TEST(TuningPageEffects, ConstructionSendsTheIconOfEveryDefaultSpeaker) {
    for (bool connected : {true, false}) {
        SCOPED_TRACE(connected ? "connected" : "offline");
        EffectsPage p(connected);
        EXPECT_EQ(p.Icons(), kNewTuningIcons);
        // A new tuning is no new configuration: nothing is written.
        EXPECT_TRUE(p.ToMain(ui::MsgWriteToDevice).empty());
    }
}

// The raw bytes of a setup file's tuning section holding these records in all four presets.
std::vector<uint8_t> SetupSection(const std::vector<model::DspChannelRecord>& records) {
    std::vector<uint8_t> bytes;
    model::SectionWriter w(bytes);
    w.WriteU32(5072);
    w.WriteU32(76);
    w.WriteU32(1);
    for (uint32_t p = 0; p < 4; ++p) {
        w.WriteU32(p);
        for (const model::DspChannelRecord& r : records) w.WriteBytes(&r, sizeof r);
    }
    for (int i = 0; i < 4; ++i) w.WriteU32(0);
    return bytes;
}

// Every operation that gives the outputs new speakers clears the level icons, then sends one per
// output it assigns; a setup load sends one per output of preset 0 that is assigned, in use and
// has a passive-crossover variant.
TEST(TuningPageEffects, EveryNewLayoutClearsTheIconsThenSendsOnePerOutput) {
    const std::vector<OutputAssignment> wizard = {
        {0, 0, 2, 0, 3}, {1, 0, 1, 1, 0}, {2, 2, 2, 0, 7}, {5, 4, 5, 0, 0}};
    struct Case {
        const char* name;
        std::function<void(EffectsPage&)> run;
        std::vector<EffectsPage::Icon> icons;
    };
    const Case cases[] = {
        {"Reset Settings", [](EffectsPage& p) { p.logic->ReloadAllPages(); },
         {{0, 0, 0, 0}, {1, 2, 0, 0}, {2, 5, 0, 0}, {3, 3, 0, 0}}},
        {"the wizard", [&](EffectsPage& p) { p.M().ApplyConfiguration(wizard); },
         {{0, 0, 2, 3}, {1, 0, 1, 0}, {2, 2, 2, 7}, {5, 4, 5, 0}}},
        {"a read-back", [&](EffectsPage& p) { p.M().ApplyDeviceConfiguration(wizard); },
         {{0, 0, 2, 3}, {1, 0, 1, 0}, {2, 2, 2, 7}, {5, 4, 5, 0}}},
        {"a setup load",
         [](EffectsPage& p) {
             std::vector<model::DspChannelRecord> records(8);
             for (int o = 0; o < 8; ++o) {
                 records[o] = p.M().Record(0, o);
                 records[o].passiveVariant = 0;
             }
             records[1].passiveVariant = 3;  // the front left midrange-plus-tweeter pair
             records[2].passiveVariant = -1;
             records[4].inUse = 0;
             records[6].output = records[6].position = records[6].kind = -1;
             const std::vector<uint8_t> bytes = SetupSection(records);
             model::TuningSection section(p.M());
             model::SectionReader in(bytes);
             const model::SectionContext setup;
             ASSERT_EQ(section.Read(in, setup), "");
             section.Apply(setup);
         },
         {{0, 0, 1, 0}, {1, 0, 2, 3}, {3, 2, 1, 0}, {5, 2, 3, 0}, {7, 4, 4, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectsPage p;
        p.messages.sent.clear();
        c.run(p);
        EXPECT_EQ(p.IconsAfterClear(), c.icons);
    }
}

TEST(TuningPageEffects, ANewConfigurationIsWrittenAtOnceOnlyWhileConnected) {
    const std::vector<OutputAssignment> layout = {{0, 0, 1, 0, 0}, {1, 0, 3, 0, 0}, {2, 4, 5, 0, 0}};
    {
        EffectsPage p(true);
        p.messages.sent.clear();
        p.M().ApplyConfiguration(layout);
        const auto writes = p.ToMain(ui::MsgWriteToDevice);
        ASSERT_EQ(writes.size(), 1u);
        // Posted to the main window, so that the write begins after the wizard's end.
        EXPECT_TRUE(writes[0].posted);
        EXPECT_TRUE(writes[0].toMain);
        EXPECT_EQ(writes[0].wParam, 1);
        EXPECT_EQ(writes[0].lParam, 0x10000);
        // The layout read back from the unit is what the unit holds already.
        p.messages.sent.clear();
        p.M().ApplyDeviceConfiguration(layout);
        EXPECT_TRUE(p.ToMain(ui::MsgWriteToDevice).empty());
    }
    {
        EffectsPage p(false);
        p.messages.sent.clear();
        p.M().ApplyConfiguration(layout);
        EXPECT_TRUE(p.ToMain(ui::MsgWriteToDevice).empty());
        // The same page once a link exists.
        p.M().SetConnected(1);
        p.M().ApplyConfiguration(layout);
        EXPECT_EQ(p.ToMain(ui::MsgWriteToDevice).size(), 1u);
    }
}

// The chart ids of a speaker: equaliser 2k + 24p, crossover one above.
uint32_t EqId(int position, int kind) { return static_cast<uint32_t>(2 * kind + 24 * position); }
uint32_t XoId(int position, int kind) { return EqId(position, kind) + 1; }

// Preset B's records differ from output to output, so the panels tell which one they show.
void MarkPresetB(EffectsPage& p) {
    for (int o = 0; o < 8; ++o) p.M().Record(1, o).EQGain[4] = 1.0f + static_cast<float>(o);
}

// The curves shown since the last hiding of them all.
std::set<uint32_t> ShownCurves(const pagetest::RecordingChart& chart) {
    std::set<uint32_t> shown;
    for (const pagetest::ChartCall& c : chart.calls) {
        if (c.op == "ShowAllCurves") shown.clear();
        if (c.op == "ShowCurve" && c.flag) shown.insert(static_cast<uint32_t>(c.id));
        if (c.op == "ShowCurve" && !c.flag) shown.erase(static_cast<uint32_t>(c.id));
    }
    return shown;
}

TEST(TuningPageEffects, APresetSwitchKeepsSeveralRowsTheirSpeakersCurvesAndSum) {
    // Rows by output: 0 front left woofer, 1 midrange, 2 tweeter, 6 Subwoofer L.
    const int speakers[8][2] = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2}, {2, 3}, {4, 6}, {4, 4}};
    struct Case {
        std::vector<int> rows;
        int current;  // -1: none carries the mark
    };
    const Case cases[] = {{{0, 2}, 2}, {{0, 1, 6}, 1}, {{0, 2}, -1}, {{0, 1, 6}, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rows.size() << " rows, current " << c.current);
        EffectsPage p;
        MarkPresetB(p);
        pages::ChannelMapLogic& map = p.map;
        map.SelectByAssignment(-2, -2, false, true, false);
        for (int r : c.rows) map.SelectByAssignment(speakers[r][0], speakers[r][1], true, false, false);
        if (c.current >= 0) map.SetCurrentRow(c.current);
        p.chart.calls.clear();

        p.M().SelectPreset(1);

        ASSERT_EQ(map.CountSelected(), static_cast<int>(c.rows.size()));
        // The car view selects exactly the rows' speakers.
        EXPECT_EQ(p.car.CountSelected(), static_cast<int>(c.rows.size()));
        for (int r : c.rows) EXPECT_TRUE(p.car.IsSpeakerSelected(speakers[r][0], speakers[r][1])) << r;
        // The chart: the rows' curves and, last, their sum.
        const auto sums = p.chart.Of("ShowSumResponse");
        ASSERT_FALSE(sums.empty());
        EXPECT_TRUE(sums.back().flag);
        std::vector<int32_t> triples;
        std::set<uint32_t> curves;
        for (int r : c.rows) {
            triples.insert(triples.end(), {speakers[r][0], speakers[r][1], r});
            curves.insert({EqId(speakers[r][0], speakers[r][1]), XoId(speakers[r][0], speakers[r][1])});
        }
        EXPECT_EQ(p.chart.lastSum, triples);
        EXPECT_EQ(ShownCurves(p.chart), curves);
        // The curve switches stay as they were.
        EXPECT_TRUE(p.chart.Of("ResetSwitches").empty());
        if (c.current >= 0) {
            // The panels show the current row, enabled, with preset B's values.
            EXPECT_EQ(p.logic->EditedChannel(), c.current);
            EXPECT_TRUE(p.logic->Filter().Shown());
            EXPECT_TRUE(p.logic->Eq().Enabled());
            EXPECT_EQ(p.logic->Eq().Value(4), 1.0f + static_cast<float>(c.current));
            EXPECT_EQ(p.chart.Of("SetHighlight").back().id, EqId(speakers[c.current][0], speakers[c.current][1]));
        } else {
            // No edited channel: both panels show nothing and take no edit.
            EXPECT_EQ(p.logic->EditedChannel(), -1);
            EXPECT_FALSE(p.logic->Filter().Shown());
            EXPECT_FALSE(p.logic->Eq().Enabled());
            EXPECT_EQ(p.logic->Eq().ReadoutText(4), "---");
        }
    }
}

TEST(TuningPageEffects, APresetSwitchWithOneClickedRowShowsThatRow) {
    EffectsPage p;
    MarkPresetB(p);
    // A plain click on the front left tweeter's row selects it without making it current.
    p.logic->Send(p.map.OnLButtonDown(100, 35 + 28 * 2 + 14, false));
    ASSERT_EQ(p.map.CountSelected(), 1);
    ASSERT_EQ(p.map.GetCurrentRow(), -1);
    p.chart.calls.clear();

    p.M().SelectPreset(1);

    EXPECT_EQ(p.logic->EditedChannel(), 2);
    EXPECT_TRUE(p.logic->Filter().Shown());
    EXPECT_TRUE(p.logic->Eq().Enabled());
    EXPECT_EQ(p.logic->Eq().Value(4), 3.0f);
    EXPECT_EQ(p.car.CountSelected(), 1);
    EXPECT_TRUE(p.car.IsSpeakerSelected(0, 3));
    // One speaker: no sum, its own curves highlighted.
    const auto sums = p.chart.Of("ShowSumResponse");
    ASSERT_FALSE(sums.empty());
    EXPECT_FALSE(sums.back().flag);
    EXPECT_EQ(p.chart.Of("SetHighlight").back().id, EqId(0, 3));
    EXPECT_EQ(ShownCurves(p.chart), (std::set<uint32_t>{EqId(0, 3), XoId(0, 3)}));
}

// After a confirmed reset of the distances every output's trim is 0, so no row may keep its "fds"
// mark, whether or not a channel is being edited.
TEST(TuningPageEffects, AConfirmedDistanceResetClearsEveryFdsMark) {
    struct Case {
        const char* name;
        std::function<void(EffectsPage&)> select;
    };
    const Case cases[] = {
        {"one row edited", [](EffectsPage& p) { pagetest::SelectRows(p.map, {1}, -1); }},
        {"no row selected", [](EffectsPage& p) { pagetest::SelectRows(p.map, {}, -1); }},
        {"two rows, none current", [](EffectsPage& p) { pagetest::SelectRows(p.map, {0, 2}, -1); }},
        {"the edited record not in use",
         [](EffectsPage& p) {
             pagetest::SelectRows(p.map, {3}, -1);
             p.M().Record(0, 3).inUse = 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectsPage p;
        for (int o : {0, 4, 7}) p.M().Record(0, o).crossover.delayTrim = 5;
        p.logic->UpdateChannelMapStates();
        ASSERT_TRUE(p.map.IsChannelOn(4));
        c.select(p);
        os::SetAskDelayRif(p.settings, 1);  // the reset is confirmed
        p.logic->OnAppMessage(ui::MsgListeningPoint, 2, 0);
        for (int o = 0; o < 8; ++o) {
            EXPECT_EQ(p.M().Record(0, o).crossover.delayTrim, 0) << o;
            EXPECT_FALSE(p.map.IsChannelOn(o)) << o;
        }
    }
}

}  // namespace
