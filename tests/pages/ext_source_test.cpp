// The external-source page's logic: the device's replies, the switches and readouts, the clicks
// and edits.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "dsp/eq.h"
#include "link/bytes.h"
#include "pages/ext_source_logic.h"
#include "pages/output_level_logic.h"
#include "tests/model/frame_helpers.h"
#include "tests/pages/source_page.h"

namespace {

using namespace sourcetest;

TEST(ExtSourceReplies, SourceEqualiserFromTheDevice) {
    Page p;
    p.Enable({0, 1, 4});
    p.logic.OnSourcePicked(1);
    std::vector<float> lin(31, 1.0f);
    lin[5] = 1.9952623f;
    lin[0] = 0.5f;
    // Code 28 with the range flag clear: 28 * 0.5 - 3 = 11 dB, shown as 1.02 V.
    EXPECT_EQ(p.logic.OnDeviceReply(EqReply(1, lin, 0x21, 1, 9, 0, 28).data(), 140), 1);
    ExtSourceRecord r = p.logic.Record(1);
    EXPECT_EQ(r.sensitivity, 11.0f);
    EXPECT_EQ(r.deviceFlag, 9u);
    EXPECT_EQ(r.eqOff, 1u);
    EXPECT_NEAR(r.gains[5], 6.0f, 1e-5f);
    EXPECT_NEAR(r.gains[0], 20.0 * std::log10(0.5), 1e-5);
    EXPECT_EQ(r.bandSwitches[0], 1u);
    EXPECT_EQ(r.bandSwitches[5], 1u);
    EXPECT_EQ(r.bandSwitches[1], 0u);
    model::BiquadSection expected{};
    dsp::ComputeEqBand(&expected, 1.9952623f, 5);
    EXPECT_EQ(std::memcmp(&r.sections[5], &expected, sizeof expected), 0);
    // The lit source goes back on the controls.
    EXPECT_NEAR(p.view.panelGains[5], 6.0f, 1e-5f);
    EXPECT_EQ(p.logic.SensitivityValue(), 11.0f);
    EXPECT_EQ(p.logic.SensitivityText(), "1.02");
    // Range flag set, code 40: 40 * 0.5 - 3 - 12 = 5 dB.
    EXPECT_EQ(p.logic.OnDeviceReply(EqReply(4, lin, 0, 0, 0, 1, 40).data(), 140), 1);
    EXPECT_EQ(p.logic.Record(4).sensitivity, 5.0f);
    EXPECT_EQ(p.logic.Record(4).rangeFlag, 1u);
}

TEST(ExtSourceReplies, DamagedFramesAreTakenWithoutEffect) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> flat(31, 1.0f), withNaN(31, 2.0f), withInf(31, 2.0f);
    withNaN[3] = nan;
    withInf[7] = std::numeric_limits<float>::infinity();
    devlink::Frame short139 = EqReply(0, std::vector<float>(31, 2.0f), 1, 1, 1, 0, 40);
    short139.pop_back();
    devlink::Frame config19 = Hex("5A 46 00 13 A3 02 01 01 01 01 01 28 30 00 00 00 00 00 00");
    struct Case {
        const char* what;
        devlink::Frame frame;
    } cases[] = {
        {"139-byte equaliser", short139},
        {"source 7", EqReply(7, flat, 1, 1, 1, 0, 40)},
        {"a NaN gain", EqReply(0, withNaN, 1, 1, 1, 0, 40)},
        {"an infinite gain", EqReply(0, withInf, 1, 1, 1, 0, 40)},
        {"19-byte input configuration", config19},
    };
    for (const Case& c : cases) {
        Page p;
        p.Enable({0});
        const ExtSourceRecord before = p.logic.Record(0);
        EXPECT_EQ(p.logic.OnDeviceReply(c.frame.data(), c.frame.size()), 1) << c.what;
        const ExtSourceRecord after = p.logic.Record(0);
        EXPECT_EQ(after.gains, before.gains) << c.what;
        EXPECT_EQ(after.sensitivity, before.sensitivity) << c.what;
        EXPECT_EQ(after.bandSwitches, before.bandSwitches) << c.what;
        EXPECT_EQ(p.logic.InputType(), 0u) << c.what;
        uint32_t flags[5];
        p.logic.GetSourceFlags(flags);
        EXPECT_EQ(flags[1], 0u) << c.what;
    }
    // A band at zero or below keeps its gain and section; the rest of the frame is taken.
    Page p;
    p.Enable({0});
    std::vector<float> lin(31, 2.0f);
    lin[4] = 0.0f;
    lin[9] = -1.0f;
    const ExtSourceRecord before = p.logic.Record(0);
    EXPECT_EQ(p.logic.OnDeviceReply(EqReply(0, lin, 0, 0, 0, 0, 30).data(), 140), 1);
    const ExtSourceRecord after = p.logic.Record(0);
    EXPECT_EQ(after.gains[4], before.gains[4]);
    EXPECT_EQ(after.gains[9], before.gains[9]);
    EXPECT_EQ(std::memcmp(&after.sections[9], &before.sections[9], sizeof before.sections[9]), 0);
    EXPECT_NEAR(after.gains[0], 6.0206f, 1e-4f);
    EXPECT_EQ(after.sensitivity, 12.0f);
    // Frames of other commands and runts are not the page's.
    EXPECT_EQ(p.logic.OnDeviceReply(Hex("5A 46 00 07 7A 01 22").data(), 7), 0);
    EXPECT_EQ(p.logic.OnDeviceReply(Hex("5A 46 00 06 7B 21").data(), 6), 0);
    EXPECT_EQ(p.logic.OnDeviceReply(nullptr, 140), 0);
}

TEST(ExtSourceReplies, InputConfigurationShowsTypeFlagsAndInputMap) {
    Page p;
    // Low level; Aux2 and Phone exist; codes: FL, FR, an unknown 77, sub, 0, RL, then two that a
    // low-level unit does not have.
    devlink::Frame f = Hex("5A 46 00 14 A3 01 00 01 00 00 01 28 30 4D 80 00 48 28 30 00");
    f = Seal(f);
    EXPECT_EQ(p.logic.OnDeviceReply(f.data(), f.size()), 1);
    EXPECT_TRUE(p.logic.InputMapLowLevel());
    const int rows[8] = {18, 19, 18, 22, 25, 20, 25, 25};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.logic.InputMapRowOf(i), rows[i]) << "input " << i;
    EXPECT_EQ(p.logic.InputType(), 0u);
    EXPECT_TRUE(p.logic.SwitchShown(1));
    EXPECT_TRUE(p.logic.SwitchShown(4));
    EXPECT_FALSE(p.logic.SwitchShown(0));
    EXPECT_EQ(p.logic.PendingSource(), -2);
    // High level: all eight inputs, each code's own row.
    f = Seal(Hex("5A 46 00 14 A3 02 01 00 00 00 00 28 2B 29 2C 30 34 31 33 00"));
    EXPECT_EQ(p.logic.OnDeviceReply(f.data(), f.size()), 1);
    EXPECT_FALSE(p.logic.InputMapLowLevel());
    EXPECT_EQ(p.logic.InputType(), 1u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.logic.InputMapRowOf(i), i) << "input " << i;
    EXPECT_TRUE(p.logic.TypeIndicatorShown(0));
    EXPECT_FALSE(p.logic.TypeIndicatorShown(1));
}

TEST(ExtSourceTables, InputMapRowsAndReadouts) {
    struct Row {
        int code, high, low;
    } rows[] = {{40, 0, 18}, {43, 1, 25}, {48, 4, 19}, {72, 8, 20}, {80, 11, 21}, {96, 14, 17},
                {99, 16, 25}, {128, 22, 22}, {0, 25, 25}, {136, 25, 25}};
    for (const Row& r : rows) {
        EXPECT_EQ(pages::InputMapRow(r.code, false), r.high) << r.code;
        EXPECT_EQ(pages::InputMapRow(r.code, true), r.low) << r.code;
    }
    struct Text {
        float dB;
        const char* volts;
    } texts[] = {{-3.0f, "5.10"}, {21.5f, "0.30"}, {11.15014f, "1.00"}, {15.5f, "0.61"}, {-9.0f, "10.2"},
                 {11.0f, "1.02"}};
    for (const Text& t : texts) EXPECT_EQ(pages::SensitivityReadout(t.dB), t.volts) << t.dB;
    EXPECT_EQ(pages::SourceMasterReadout(-45.0f), "-45.0");
    EXPECT_EQ(pages::SourceMasterReadout(-33.3f), "-33.5");
    EXPECT_EQ(pages::SourceMasterReadout(0.0f), "0.0");
    EXPECT_STREQ(pages::SourceName(2), "S/PDIF");
    EXPECT_STREQ(pages::SourceName(-1), "Master");
}

TEST(ExtSourceControls, SwitchesStackInTheLeftColumn) {
    Page p;
    EXPECT_TRUE(p.logic.MasterChecked());
    EXPECT_EQ(p.logic.GetSelectedSource(), -1);
    EXPECT_EQ(p.logic.MasterPlace().y, 352);
    EXPECT_FALSE(p.logic.PanelEnabled());
    EXPECT_FALSE(p.logic.SensitivityEnabled());
    EXPECT_TRUE(p.logic.TypeIndicatorChecked(1));
    p.Enable({1, 4});
    EXPECT_FALSE(p.logic.SwitchShown(0));
    EXPECT_EQ(p.logic.SwitchPlace(1).x, 22);
    EXPECT_EQ(p.logic.SwitchPlace(1).y, 352);
    EXPECT_EQ(p.logic.SwitchPlace(4).y, 383);
    EXPECT_EQ(p.logic.MasterPlace().y, 414);
    p.Enable({0, 1, 2, 3, 4});
    EXPECT_EQ(p.logic.MasterPlace().y, 507);
    EXPECT_EQ(p.logic.SwitchPlace(3).y, 445);
}

TEST(ExtSourceControls, PicksRangesAndMasterMode) {
    Page p;
    p.Enable({0, 1, 2, 3, 4});
    p.logic.OnSourcePicked(2);
    EXPECT_EQ(p.logic.GetSelectedSource(), 2);
    EXPECT_FALSE(p.logic.MasterChecked());
    EXPECT_FALSE(p.logic.SensitivityEnabled());
    EXPECT_EQ(p.logic.SensitivityText(), "");
    EXPECT_EQ(p.logic.SelectedName(), "S/PDIF");
    EXPECT_EQ(p.view.highlight, 4);
    EXPECT_EQ(p.view.shown.back(), 2);
    EXPECT_EQ(p.view.locks, std::vector<uint32_t>{1500});
    p.logic.OnSourcePicked(4);
    EXPECT_EQ(p.logic.ScaleFrame(), 1);
    EXPECT_EQ(p.logic.SensitivityMin(), -9.0f);
    EXPECT_EQ(p.logic.SensitivityMax(), 15.5f);
    EXPECT_EQ(p.logic.SensitivityValue(), 11.15014f);
    p.logic.OnSliderMoved(1, -9.0f);
    EXPECT_EQ(p.logic.SensitivityText(), "10.2");
    EXPECT_EQ(p.logic.Record(4).sensitivity, -9.0f);
    EXPECT_EQ(p.logic.IsChanged(), 1);
    // Back on Aux1 the range and scale return; the value follows Aux1's record.
    p.logic.OnSourcePicked(0);
    EXPECT_EQ(p.logic.ScaleFrame(), 0);
    EXPECT_EQ(p.logic.SensitivityMin(), -3.0f);
    EXPECT_EQ(p.logic.SensitivityValue(), 11.15014f);
    // A master move changes all five records and tells the main window.
    p.logic.OnSliderMoved(0, -30.0f);
    for (int s = 0; s < 5; ++s) EXPECT_EQ(p.logic.Record(s).master, -30.0f);
    EXPECT_EQ(p.view.masters.back(), -30.0f);
    EXPECT_EQ(p.logic.Record(4).sensitivity, -9.0f);
    // Disabling another source keeps the lit one; disabling the lit one returns to Master.
    p.Enable({0, 3});
    EXPECT_EQ(p.logic.GetSelectedSource(), 0);
    p.Enable({3});
    EXPECT_EQ(p.logic.GetSelectedSource(), -1);
    EXPECT_TRUE(p.logic.MasterChecked());
    EXPECT_FALSE(p.logic.PanelEnabled());
    // Offline a pick does not block the user.
    RecordingSourceView view;
    ExtSourceLogic offline(&view, false);
    offline.Start();
    uint32_t flags[5] = {1, 0, 0, 0, 0};
    offline.ApplyToControls(flags, 5, -1, -2);
    offline.OnSourcePicked(0);
    EXPECT_TRUE(view.locks.empty());
}

TEST(ExtSourceControls, EqualiserEditsOnlyWhileASourceIsLit) {
    Page p;
    p.Enable({0, 1});
    std::vector<float> gains(31, 0.0f);
    gains[5] = 6.0f;
    p.logic.OnEqBandChanged(5, gains.data(), 0);
    EXPECT_EQ(p.logic.Record(0).gains[5], 0.0f);
    EXPECT_FALSE(p.logic.EqDirty());
    p.logic.OnSourcePicked(1);
    p.logic.OnEqBandChanged(5, gains.data(), 1);
    const ExtSourceRecord r = p.logic.Record(1);
    EXPECT_EQ(r.gains[5], 6.0f);
    EXPECT_EQ(r.eqOff, 1u);
    model::BiquadSection expected{};
    dsp::ComputeEqBand(&expected, std::pow(10.0, 6.0 / 20.0), 5);
    EXPECT_EQ(std::memcmp(&r.sections[5], &expected, sizeof expected), 0);
    EXPECT_EQ(p.view.responses.back(), 2u);
    EXPECT_TRUE(p.logic.EqDirty());
    p.logic.OnEqBandSwitch(-3, 1);
    EXPECT_EQ(p.logic.Record(1).bandSwitches[30], 1u);
    p.logic.OnEqBandSwitch(2, 0);
    EXPECT_EQ(p.logic.Record(1).bandSwitches[2], 0u);
    EXPECT_EQ(p.logic.Record(0).bandSwitches[30], 0u);
}

TEST(ExtSourceControls, ResetAndTheOutputLevelsMaster) {
    Page p;
    p.Enable({0, 1});
    p.logic.OnSourcePicked(1);
    p.logic.OnSliderMoved(0, -10.0f);
    p.logic.SetChanged(1);
    p.logic.Reset();
    EXPECT_EQ(p.logic.GetSelectedSource(), 0);
    EXPECT_EQ(p.logic.IsChanged(), 0);
    EXPECT_EQ(p.logic.MasterValue(), -45.0f);
    EXPECT_EQ(p.logic.SensitivityValue(), 11.15014f);
    uint32_t flags[5];
    EXPECT_EQ(p.logic.GetSourceFlags(flags), 5);
    for (uint32_t f : flags) EXPECT_EQ(f, 0u);
    EXPECT_EQ(p.view.highlight, 0);
    // SetLevelAll moves every record and the slider, marking nothing for sending.
    p.logic.SendPendingChanges(p.link.sender);
    const size_t told = p.view.masters.size();
    p.logic.SetLevelAll(-7.0f);
    EXPECT_EQ(p.logic.Record(3).master, -7.0f);
    EXPECT_EQ(p.logic.MasterText(), "-7.0");
    EXPECT_FALSE(p.logic.LevelDirty());
    EXPECT_EQ(p.view.masters.size(), told);
}

}  // namespace

namespace {

}  // namespace
