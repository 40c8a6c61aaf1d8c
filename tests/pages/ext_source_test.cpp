// The external-source page's logic: its frames worked out by hand, the device's replies, the send
// cycle on a manual clock, the switches and readouts, and its section of setup files.
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

namespace {

using msgtest::Hex;
using msgtest::ToHex;
using pages::ExtSourceLogic;
using pages::ExtSourceRecord;

// Records what the logic asks of its window, chart, panel and main window.
class RecordingSourceView : public pages::ExtSourceView {
public:
    void ShowResponse(uint32_t id, const model::BiquadSection* s, int count, bool) override {
        responses.push_back(id);
        lastSections.assign(s, s + count);
    }
    void ShowCurve(uint32_t id, bool shown, bool) override { curves.push_back(shown ? int(id) : -1 - int(id)); }
    void HideAllCurves() override { ++hideAll; }
    void SetHighlight(int32_t id, bool) override { highlight = id; }
    void PaintChart() override {}
    void PanelSetGains(const float* g, int n, uint32_t off) override {
        panelGains.assign(g, g + n);
        panelOff = off;
    }
    void PanelSetBandEnables(const uint32_t* s, int n) override { panelSwitches.assign(s, s + n); }
    void PanelSetEnabled(bool on) override { panelEnabled = on; }
    void ControlsChanged(bool) override { ++refreshes; }
    bool PageVisible() const override { return visible; }
    void LockParent(uint32_t ms) override { locks.push_back(ms); }
    void PostShowSource(int s) override { shown.push_back(s); }
    void SendMasterLevelChanged(float dB) override { masters.push_back(dB); }
    std::optional<float> QueryOutputMaster() override {
        ++queries;
        return outputMaster;
    }

    bool visible = true;
    float outputMaster = -20.0f;
    std::vector<uint32_t> responses;
    std::vector<model::BiquadSection> lastSections;
    std::vector<int> curves, shown;
    std::vector<float> panelGains, masters;
    std::vector<uint32_t> panelSwitches, locks;
    uint32_t panelOff = 0;
    bool panelEnabled = false;
    int hideAll = 0, refreshes = 0, queries = 0;
    int32_t highlight = -1;
};

struct Page {
    RecordingSourceView view;
    ExtSourceLogic logic{&view, true};
    msgtest::RecordingLink link;
    // The page starts while the main window is still hidden.
    Page() {
        view.visible = false;
        logic.Start();
        view.visible = true;
    }

    void Enable(std::initializer_list<int> sources, int pending = -2) {
        uint32_t flags[5] = {};
        for (int s : sources) flags[s] = 1;
        logic.ApplyToControls(flags, 5, -1, pending);
    }
    std::string Sent() {
        std::string s;
        for (const auto& f : link.frames) s += (s.empty() ? "" : ",") + ToHex(devlink::Frame(f.begin(), f.begin() + 5));
        return s;
    }
};

devlink::Frame Seal(devlink::Frame f) {
    devlink::SealFrame(f);
    return f;
}

// A '{' reply from the device: gains linear, the mask, EQ off, device flag, range flag and code.
devlink::Frame EqReply(int source, const std::vector<float>& linear, uint32_t mask, uint8_t off, uint8_t device,
                       uint8_t range, uint8_t code) {
    devlink::Frame f = devlink::NewFrame('Z', devlink::DeviceCommand::SourceEq, 140);
    f[1] = 'F';
    f[5] = static_cast<uint8_t>(source);
    for (int k = 0; k < 31; ++k) devlink::PutF32LE(&f[6 + 4 * k], k < int(linear.size()) ? linear[k] : 1.0f);
    devlink::PutU32LE(&f[130], mask);
    f[134] = off;
    f[135] = device;
    f[136] = range;
    f[137] = code;
    return Seal(f);
}

TEST(ExtSourceFrames, ByteForByte) {
    ExtSourceRecord aux1 = pages::InitialSourceRecord();
    ExtSourceRecord phone = aux1;
    phone.sensitivity = -9.0f;
    std::array<ExtSourceRecord, 5> records{};
    records[1].enabled = records[4].enabled = 1;
    struct Case {
        const char* what;
        devlink::Frame frame;
        const char* expected;
    } cases[] = {
        {"Aux1 selected", pages::BuildSourceSelectMessage(0), "46 5A 00 07 7A 00 21"},
        {"Master selected", pages::BuildSourceSelectMessage(0xFF), "46 5A 00 07 7A FF 20"},
        {"Aux1 at 1.00 V", pages::BuildSourceSensitivityMessage(0, aux1), "46 5A 00 0B 89 00 00 00 00 1C 50"},
        {"Phone at -9 dB", pages::BuildSourceSensitivityMessage(4, phone), "46 5A 00 0B 89 04 00 00 00 F4 2C"},
        {"Aux2 and Phone exist", pages::BuildSourceLevelsMessage(records), "46 5A 00 0B AA 00 01 00 00 01 57"},
        {"master -45 dB", pages::BuildMasterLevelMessage(45.0f), "00 5A 00 07 0A 1E 89"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToHex(c.frame), c.expected) << c.what;
    // The code is 2 trunc(dB + 3): whole decibels only, whatever the range flag says.
    EXPECT_EQ(pages::SensitivityCode(21.5f), 48);
    EXPECT_EQ(pages::SensitivityCode(11.99f), 28);
    EXPECT_EQ(pages::SensitivityCode(-3.0f), 0);
    EXPECT_EQ(pages::SensitivityCode(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(pages::SensitivityCode(3e38f), 0);  // a multiple of 256, without an integer overflow
}

TEST(ExtSourceFrames, EqualiserFrameCarriesLinearGainsMaskAndOff) {
    ExtSourceRecord r = pages::InitialSourceRecord();
    r.gains[5] = 6.0f;
    r.gains[30] = -12.0f;
    r.bandSwitches[5] = 1;
    r.bandSwitches[30] = 7;
    r.eqOff = 1;
    const devlink::Frame f = pages::BuildSourceEqMessage(2, r);
    ASSERT_EQ(f.size(), 136u);
    EXPECT_EQ(ToHex(devlink::Frame(f.begin(), f.begin() + 6)), "46 5A 00 88 7B 02");
    EXPECT_EQ(ToHex(devlink::Frame(f.begin() + 26, f.begin() + 30)), "C1 64 FF 3F");
    EXPECT_FLOAT_EQ(msgtest::F32At(f, 6 + 4 * 30), 0.25118864f);
    EXPECT_EQ(msgtest::F32At(f, 6), 1.0f);
    EXPECT_EQ(devlink::GetU32LE(&f[130]), (1u << 5) | (1u << 30));
    EXPECT_EQ(f[134], 1);
    EXPECT_TRUE(devlink::FrameChecksumValid(f.data(), 135));
}

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

TEST(ExtSourceSendCycle, WhatEachEditSends) {
    Page p;
    // Master mode: a master move sends the one 0x0A from record 0; an EQ edit nothing.
    p.logic.OnShowWindow();  // the first show only
    p.logic.OnSliderMoved(0, -20.0f);
    std::vector<float> gains(31, 1.0f);
    p.logic.OnEqBandChanged(3, gains.data(), 0);
    EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 1);
    ASSERT_EQ(p.link.frames.size(), 1u);
    EXPECT_EQ(ToHex(p.link.frames[0]), ToHex(pages::BuildMasterLevelMessage(20.0f)));
    EXPECT_EQ(p.link.frames[0][5], 80);
    // A pick: 'z' and then no frame for 1500 ms.
    p.Enable({0, 1, 4});
    p.link.Clear();
    p.logic.OnSourcePicked(4);
    p.logic.OnEqBandChanged(7, gains.data(), 0);
    EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 1);
    ASSERT_EQ(p.link.frames.size(), 2u);
    EXPECT_EQ(ToHex(p.link.frames[0]), "46 5A 00 07 7A 04 25");
    EXPECT_EQ(p.link.frames[1][4], 0x7B);
    EXPECT_GE(p.link.sentAt[1] - p.link.sentAt[0], 1500u);
    // Lit: a slider move sends 0x89 and then 0x0A.
    p.link.Clear();
    p.logic.OnSliderMoved(1, -9.0f);
    EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 1);
    ASSERT_EQ(p.link.frames.size(), 2u);
    EXPECT_EQ(ToHex(p.link.frames[0]), "46 5A 00 0B 89 04 00 00 00 F4 2C");
    EXPECT_EQ(p.link.frames[1][4], 0x0A);
    // Nothing pending: nothing sent.
    p.link.Clear();
    EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 0);
    EXPECT_TRUE(p.link.frames.empty());
}

// Master mode is entered by a click that leaves the Master switch, or the current input type's
// indicator, checked. A click on either while Master is lit only checks it again: the selection is
// not sent once more, and the poll thread is not held for the unit's input change.
TEST(ExtSourceSendCycle, ARedundantMasterClickSendsNothingAndHoldsNothing) {
    const std::string kMasterSelect = "46 5A 00 07 7A FF 20";  // 'z' with 0xFF: no external source
    struct Case {
        const char* name;
        std::function<void(ExtSourceLogic&)> click;
    };
    const Case clicks[] = {
        {"the Master switch", [](ExtSourceLogic& l) { l.OnMasterClicked(); }},
        {"the low-level indicator (the current type)", [](ExtSourceLogic& l) { l.OnTypeIndicatorClicked(1); }},
    };
    for (const Case& c : clicks) {
        SCOPED_TRACE(c.name);
        Page p;
        p.Enable({0, 1});
        p.logic.OnShowWindow();
        p.logic.SendPendingChanges(p.link.sender);
        p.link.Clear();
        ASSERT_EQ(p.logic.GetSelectedSource(), -1);

        // Already in Master mode: the click changes nothing that goes to the unit.
        c.click(p.logic);
        EXPECT_TRUE(p.logic.MasterChecked());
        EXPECT_TRUE(p.logic.TypeIndicatorChecked(1));
        EXPECT_FALSE(p.logic.SelectDirty());
        EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 0);
        EXPECT_TRUE(p.link.frames.empty());
        EXPECT_EQ(p.link.sleeper.TotalMs(), 0u);

        // With a source lit the same click enters Master mode: 'z' 0xFF, then the unit's 1500 ms.
        p.logic.OnSourcePicked(1);
        p.logic.SendPendingChanges(p.link.sender);
        p.link.Clear();
        c.click(p.logic);
        EXPECT_TRUE(p.logic.MasterChecked());
        EXPECT_EQ(p.logic.GetSelectedSource(), -1);
        EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 1);
        ASSERT_EQ(p.link.frames.size(), 1u);
        EXPECT_EQ(ToHex(p.link.frames[0]), kMasterSelect);
        EXPECT_GE(p.link.sleeper.TotalMs(), 1500u);
    }
    {
        // The other type's indicator stays unchecked and does nothing either way.
        Page p;
        p.logic.OnShowWindow();
        p.logic.SendPendingChanges(p.link.sender);
        p.link.Clear();
        p.logic.OnTypeIndicatorClicked(0);
        EXPECT_FALSE(p.logic.TypeIndicatorChecked(0));
        EXPECT_TRUE(p.logic.TypeIndicatorChecked(1));
        EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 0);
        EXPECT_EQ(p.link.sleeper.TotalMs(), 0u);
    }
    {
        // Reloading the controls in Master mode lights Master again only when told to.
        Page p;
        p.logic.OnShowWindow();
        p.logic.SendPendingChanges(p.link.sender);
        p.link.Clear();
        p.logic.LoadControlsFromSource(false, 3);
        EXPECT_TRUE(p.logic.MasterChecked());
        EXPECT_FALSE(p.logic.PanelEnabled());
        EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 0);
        p.logic.LoadControlsFromSource(true, -1);
        EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 1);
        ASSERT_EQ(p.link.frames.size(), 1u);
        EXPECT_EQ(ToHex(p.link.frames[0]), kMasterSelect);
    }
}

TEST(ExtSourceSendCycle, FullWriteAndResend) {
    {
        Page p;
        p.logic.MarkAllDirty();
        EXPECT_EQ(p.logic.SendPendingChanges(p.link.sender), 1);
        EXPECT_EQ(p.Sent(), "46 5A 00 07 7A");
    }
    {
        Page p;
        p.Enable({1, 3});
        p.logic.MarkAllDirty();
        p.logic.SendPendingChanges(p.link.sender);
        EXPECT_EQ(p.link.Commands(), std::string("z{\x89{\x89"));
        EXPECT_EQ(p.link.frames[1][5], 1);
        EXPECT_EQ(p.link.frames[3][5], 3);
        EXPECT_FALSE(p.logic.EqDirty());
        EXPECT_FALSE(p.logic.LevelDirty());
    }
    {
        Page p;
        p.Enable({0, 3}, 3);
        EXPECT_EQ(p.logic.PendingSource(), 3);
        p.logic.SendAll(p.link.sender);
        EXPECT_EQ(p.link.Commands(), "\xAA{");
        EXPECT_EQ(ToHex(p.link.frames[0]), "46 5A 00 0B AA 01 00 00 01 00 57");
        EXPECT_EQ(p.logic.PendingSource(), -2);
        p.link.Clear();
        p.logic.SendAll(p.link.sender);
        EXPECT_EQ(p.link.Commands(), "\xAA");
        p.link.Clear();
        p.Enable({0, 1}, 1);
        EXPECT_EQ(p.logic.RequestSendAll(p.link.sender), 1);
        EXPECT_EQ(p.link.Commands(), "\xAA{\x89");
        EXPECT_EQ(p.logic.IsChanged(), 1);
        // A source named for a resend that is disabled is not pending.
        p.Enable({0}, 2);
        EXPECT_EQ(p.logic.PendingSource(), -2);
    }
}

TEST(ExtSourceSendCycle, ShowingAgainResendsTheSelection) {
    Page p;
    p.logic.OnShowWindow();
    EXPECT_FALSE(p.logic.SelectDirty());
    p.logic.OnShowWindow();
    EXPECT_TRUE(p.logic.SelectDirty());
    p.logic.SendPendingChanges(p.link.sender);
    EXPECT_EQ(ToHex(p.link.frames[0]), "46 5A 00 07 7A FF 20");
    // Hidden, lighting a source asks for no selection.
    p.view.visible = false;
    p.Enable({0});
    p.logic.OnSourcePicked(0);
    EXPECT_FALSE(p.logic.SelectDirty());
}

// ---- the setup-file section --------------------------------------------------------------------

std::vector<uint8_t> SectionBytes(ExtSourceLogic& logic) {
    std::vector<uint8_t> bytes;
    model::SectionWriter w(bytes);
    logic.Section().Write(w, {});
    return bytes;
}

std::string LoadBytes(ExtSourceLogic& logic, const std::vector<uint8_t>& bytes) {
    model::SectionReader r(bytes);
    const std::string error = logic.Section().Read(r, {});
    if (error.empty()) logic.Section().Apply({});
    logic.Section().Discard();
    return error;
}

TEST(ExtSourceSection, RoundTripKeepsEverythingButTheMaster) {
    Page a;
    a.Enable({1, 3, 4});
    a.logic.OnSourcePicked(4);
    std::vector<float> gains(31, 0.0f);
    gains[0] = -7.5f;
    gains[30] = 11.5f;
    a.logic.OnEqBandChanged(-2, gains.data(), 1);
    a.logic.OnEqBandSwitch(12, 1);
    a.logic.OnSliderMoved(1, 3.5f);
    a.logic.OnSliderMoved(0, -12.0f);
    const std::vector<uint8_t> bytes = SectionBytes(a.logic);
    ASSERT_EQ(bytes.size(), 24972u);
    EXPECT_EQ(ToHex(devlink::Frame(bytes.begin(), bytes.begin() + 12)), "80 13 00 00 04 00 00 00 00 00 00 00");
    // The record of Phone: reserved word and padding zero, sensitivity at 4984.
    const size_t phone = 12 + 4 * 4992;
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone]), 0u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 252]), 0u);
    EXPECT_EQ(devlink::GetF32LE(&bytes[phone + 4]), -7.5f);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 128 + 4 * 12]), 1u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 4968]), 1u);
    EXPECT_EQ(devlink::GetF32LE(&bytes[phone + 4980]), -12.0f);
    EXPECT_EQ(devlink::GetF32LE(&bytes[phone + 4984]), 3.5f);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 4988]), 1u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 256 + 148]), 0u);  // a section's spare word
    EXPECT_EQ(devlink::GetF32LE(&bytes[12 + 4984]), 11.15014f);

    // A fresh page in Aux2 mode (enabled in the file) keeps Aux2 lit; masters follow the levels page.
    Page b;
    b.Enable({0, 1});
    b.logic.OnSourcePicked(1);
    b.view.outputMaster = -33.0f;
    EXPECT_EQ(LoadBytes(b.logic, bytes), "");
    EXPECT_EQ(b.logic.Section().LastResult(), 1);
    EXPECT_EQ(b.view.queries, 1);
    for (int s = 0; s < 5; ++s) {
        const ExtSourceRecord ra = a.logic.Record(s), rb = b.logic.Record(s);
        EXPECT_EQ(ra.gains, rb.gains) << s;
        EXPECT_EQ(ra.bandSwitches, rb.bandSwitches) << s;
        EXPECT_EQ(ra.sensitivity, rb.sensitivity) << s;
        EXPECT_EQ(ra.enabled, rb.enabled) << s;
        EXPECT_EQ(std::memcmp(ra.sections.data(), rb.sections.data(), sizeof ra.sections), 0) << s;
        EXPECT_EQ(rb.master, -33.0f) << s;
    }
    // The page's bytes now equal the file's except the masters.
    std::vector<uint8_t> again = SectionBytes(b.logic);
    for (int s = 0; s < 5; ++s) devlink::PutF32LE(&again[12 + 4992 * s + 4980], -12.0f);
    again[4] = 4;
    EXPECT_EQ(again, bytes);
}

TEST(ExtSourceSection, WhichSourceIsLitAfterALoad) {
    Page a;
    a.Enable({0, 3});
    a.logic.OnSourcePicked(0);
    const std::vector<uint8_t> file = SectionBytes(a.logic);  // Aux1 lit, Aux1 and Optical enabled

    // Optical lit and enabled in the file: stays lit whatever the file stores.
    Page b;
    b.Enable({3});
    b.logic.OnSourcePicked(3);
    EXPECT_EQ(LoadBytes(b.logic, file), "");
    EXPECT_EQ(b.logic.GetSelectedSource(), 3);
    // Phone lit, not in the file: the file's source is lit.
    Page c;
    c.Enable({4});
    c.logic.OnSourcePicked(4);
    EXPECT_EQ(LoadBytes(c.logic, file), "");
    EXPECT_EQ(c.logic.GetSelectedSource(), 0);
    EXPECT_EQ(c.logic.Section().LastResult(), 0);
    // A file whose stored source it does not enable loads in Master mode.
    std::vector<uint8_t> odd = file;
    devlink::PutU32LE(&odd[4], 2);
    Page d;
    d.Enable({4});
    d.logic.OnSourcePicked(4);
    EXPECT_EQ(LoadBytes(d.logic, odd), "");
    EXPECT_EQ(d.logic.GetSelectedSource(), -1);
    EXPECT_TRUE(d.logic.MasterChecked());
    // The earlier program wrote the size word and zeros: source 0, nothing enabled.
    std::vector<uint8_t> interim(24972, 0);
    devlink::PutU32LE(&interim[0], 4992);
    Page e;
    e.logic.Reset();  // Aux1 lit
    EXPECT_EQ(e.logic.GetSelectedSource(), 0);
    EXPECT_EQ(LoadBytes(e.logic, interim), "");
    EXPECT_EQ(e.logic.GetSelectedSource(), -1);
    EXPECT_EQ(e.logic.Record(2).gains[0], 0.0f);
    EXPECT_EQ(e.logic.Record(2).sections[0].a[0], 1.0);
}

TEST(ExtSourceSection, DamagedSectionsAreRefusedWhole) {
    Page a;
    a.Enable({0});
    a.logic.OnSourcePicked(0);
    const std::vector<uint8_t> good = SectionBytes(a.logic);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        size_t at;     // where to patch (or the length to cut to when cut)
        float value;
        bool cut;
        const char* message;
    } cases[] = {
        {"size word", 0, 0.0f, false, "record size"},
        {"one byte short", 24971, 0.0f, true, "ends inside"},
        {"no records", 12, 0.0f, true, "ends inside"},
        {"NaN gain", 12 + 4992 * 3 + 4 + 4 * 9, nan, false, "Optical"},
        {"infinite gain", 12 + 4 + 4 * 30, std::numeric_limits<float>::infinity(), false, "band 31"},
        {"gain beyond a float", 12 + 4992 + 4, 800.0f, false, "Aux2: band 1"},
        {"NaN sensitivity", 12 + 4992 * 4 + 4984, nan, false, "sensitivity"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        if (c.cut)
            bad.resize(c.at);
        else if (c.at == 0)
            devlink::PutU32LE(&bad[0], 4988);
        else
            devlink::PutF32LE(&bad[c.at], c.value);
        Page b;
        b.Enable({1, 2});
        b.logic.OnSourcePicked(2);
        const std::vector<uint8_t> before = SectionBytes(b.logic);
        const std::string error = LoadBytes(b.logic, bad);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(SectionBytes(b.logic), before) << c.what;
        EXPECT_EQ(b.logic.GetSelectedSource(), 2) << c.what;
        EXPECT_EQ(b.view.queries, 0) << c.what;
    }
    // A large but finite gain (the panel's +-12 dB are far below) still loads.
    std::vector<uint8_t> loud = good;
    devlink::PutF32LE(&loud[12 + 4], 700.0f);
    Page c;
    EXPECT_EQ(LoadBytes(c.logic, loud), "");
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

// The poll thread sends while the user edits, loads a file and the levels page moves the master:
// every frame it builds carries one state of the record, never half of one.
TEST(ExtSourceThreads, FramesAreBuiltFromWholeRecords) {
    Page p;
    p.Enable({0, 1});
    p.logic.OnSourcePicked(0);
    const std::vector<uint8_t> file = SectionBytes(p.logic);
    std::atomic<bool> stop{false};
    std::atomic<int> cycles{0};
    std::thread poll([&] {
        while (!stop) {
            p.logic.SendPendingChanges(p.link.sender);
            p.logic.MarkAllDirty();
            p.logic.SendAll(p.link.sender);
            ++cycles;
        }
    });
    for (int i = 0; i < 300 || cycles < 100; ++i) {
        std::vector<float> gains(31, static_cast<float>(i % 13 - 6));
        p.logic.OnEqBandChanged(-2, gains.data(), 0);
        p.logic.SetLevelAll(-1.0f * (i % 50));
        if (i % 60 == 0) LoadBytes(p.logic, file);
        uint32_t flags[5] = {1, 1, 0, 0, static_cast<uint32_t>(i & 1)};
        p.logic.ApplyToControls(flags, 5, -1, i % 5);
    }
    stop = true;
    poll.join();
    int equalisers = 0;
    for (const devlink::Frame& f : p.link.frames) {
        if (f.size() != 136 || f[4] != 0x7B) continue;
        ++equalisers;
        for (int k = 1; k < 31; ++k) ASSERT_EQ(msgtest::F32At(f, 6 + 4 * k), msgtest::F32At(f, 6)) << "band " << k;
    }
    EXPECT_GT(equalisers, 0);
}

}  // namespace
