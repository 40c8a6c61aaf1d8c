// The external sources' send cycle on a manual clock: what each edit sends, the full write and
// the resend, and frames built from whole records while the user edits.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link/bytes.h"
#include "pages/ext_source_logic.h"
#include "pages/output_level_logic.h"
#include "tests/model/frame_helpers.h"
#include "tests/pages/source_page.h"

namespace {

using namespace sourcetest;

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

// The program's idle cycle and full write reach the page through the write-member interface: the
// full write gives the selection, then each enabled source's equaliser and sensitivity; an edit
// afterwards gives just its frames.
TEST(ExtSourceSendCycle, TheWriteMemberInterfaceMarksAndSends) {
    Page p;
    p.Enable({1, 3});
    devlink::WriteMember& member = p.logic;
    member.MarkAllDirty();
    EXPECT_EQ(member.SendPending(p.link.sender), 1);
    EXPECT_EQ(p.link.Commands(), std::string("z{\x89{\x89"));
    EXPECT_EQ(p.link.frames[1][5], 1);
    EXPECT_EQ(p.link.frames[3][5], 3);
    EXPECT_EQ(member.SendPending(p.link.sender), 0);
    p.logic.OnSourcePicked(3);
    p.logic.OnSliderMoved(0, -30.0f);
    p.link.Clear();
    EXPECT_EQ(member.SendPending(p.link.sender), 1);
    // The selection (Optical), then its sensitivity and the master level at 30 dB attenuation.
    EXPECT_EQ(p.link.Commands(), std::string("z\x89\x0A"));
    EXPECT_EQ(ToHex(p.link.frames[0]), "46 5A 00 07 7A 03 24");
    EXPECT_EQ(p.link.frames[2][5], 60);
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
