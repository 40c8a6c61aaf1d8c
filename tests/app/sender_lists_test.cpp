// The poll thread's two walks over the pending-send cycles: which cycles each one reaches and in
// what order, seen in the frames the unit gets. The tuning and the application's own requests are
// the real ones; the pages' cycles are stand-ins that send one frame of their own when something
// is pending, so that their places in the stream can be told apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/pending_commands.h"
#include "app/sender_lists.h"
#include "model/tuning_model.h"
#include "tests/model/frame_helpers.h"

namespace {

using devlink::Frame;
using msgtest::Hex;
using msgtest::ToHex;

// A page's cycle: its own frame when pending; a full write makes it pending.
class StandIn : public devlink::WriteMember {
public:
    StandIn(const char* frameHex, std::vector<std::string>* marks, const char* name)
        : frame_(Hex(frameHex)), marks_(marks), name_(name) {}
    int SendPending(const devlink::FrameSender& s) override {
        if (!pending) return 0;
        pending = false;
        s.Send(frame_);
        return 1;
    }
    void MarkAllDirty() override {
        marks_->push_back(name_);
        pending = true;
    }
    bool pending = false;

private:
    Frame frame_;
    std::vector<std::string>* marks_;
    const char* name_;
};

// Seven-byte frames with commands no other member sends, checksums summed by hand.
constexpr const char* kSourcesFrame = "46 5A 00 07 01 00 A8";
constexpr const char* kLevelsFrame = "46 5A 00 07 02 00 A9";
constexpr const char* kDynEqFrame = "46 5A 00 07 03 00 AA";

struct Cycles {
    std::vector<std::string> marks;
    model::TuningModel tuning;
    StandIn sources{kSourcesFrame, &marks, "sources"};
    StandIn levels{kLevelsFrame, &marks, "levels"};
    StandIn dynEq{kDynEqFrame, &marks, "dynamic EQ"};
    app::PendingCommands pending;
    msgtest::RecordingLink link;

    app::SenderMembers Members() {
        app::SenderMembers m;
        m.tuning = &tuning;
        m.sources = &sources;
        m.levels = &levels;
        m.dynamicEq = &dynEq;
        m.preset = &pending.PresetSender();
        m.dynamicEqSwitch = &pending.DynamicEqSwitchSender();
        return m;
    }

    // Something pending in every cycle: outputs 2 and 3 muted, preset 3 chosen (sent as 2),
    // dynamic equalisation switched off, and every page's own frame.
    void AllPending() {
        tuning.SetMuteValue(1, 1);
        tuning.SetMuteValue(2, 1);
        tuning.SetMuteDirty();
        pending.SetPendingPreset(2);
        pending.SetDynamicEqSwitch(1);
        sources.pending = levels.pending = dynEq.pending = true;
    }

    std::vector<std::string> Sent() const {
        std::vector<std::string> out;
        for (const Frame& f : link.frames) out.push_back(ToHex(f));
        return out;
    }
};

// The tuning's mute mask; the preset selection and the accessory's notice of it (preset + 1, to
// node 0x80); the switch (0 = off).
const std::vector<std::string> kIdleStream = {
    "46 5A 00 07 79 06 26", kSourcesFrame, kLevelsFrame,
    "46 5A 00 07 7D 02 26", "80 5A 00 07 0F 03 F3", "46 5A 00 07 95 00 3C",
};

}  // namespace

TEST(SenderLists, IdleCycleSendsTuningSourcesLevelsPresetAndSwitchButNotTheDialog) {
    Cycles c;
    const app::SenderLists lists(c.Members());
    c.AllPending();
    EXPECT_GT(lists.SendIdle(c.link.sender), 0);
    EXPECT_EQ(c.Sent(), kIdleStream);
    EXPECT_TRUE(c.dynEq.pending) << "the dialog's curves go out on its own request, not in the idle cycle";

    // Nothing left: a second walk sends nothing.
    c.link.Clear();
    EXPECT_EQ(lists.SendIdle(c.link.sender), 0);
    EXPECT_TRUE(c.link.frames.empty());
    EXPECT_TRUE(c.marks.empty()) << "the idle cycle marks nothing";
}

TEST(SenderLists, WriteMarksAndSendsTuningSourcesDialogThenLevelsButNotThePresetOrSwitch) {
    Cycles c;
    const app::SenderLists lists(c.Members());
    c.pending.SetPendingPreset(2);
    c.pending.SetDynamicEqSwitch(1);
    lists.MarkWrite();
    EXPECT_EQ(c.marks, (std::vector<std::string>{"sources", "levels", "dynamic EQ"}));
    EXPECT_TRUE(c.tuning.IsDirty(0, 0, model::kDirtyCrossover));
    EXPECT_FALSE(c.tuning.IsMuteDirty()) << "a full write leaves the mute mask to its own flag";

    lists.SendWrite(c.link.sender);
    // Every preset's eight outputs, group by group (crossover, delay, equaliser, EQ off, EQ link,
    // band switches), then the sources, the dialog and the levels.
    std::string expected;
    for (int p = 0; p < model::kPresetCount; ++p)
        for (char group : std::string("tusvwx")) expected += std::string(8, group);
    expected += "\x01\x03\x02";
    EXPECT_EQ(c.link.Commands(), expected);

    // The preset and the switch wait for the next idle cycle.
    c.link.Clear();
    EXPECT_GT(lists.SendIdle(c.link.sender), 0);
    EXPECT_EQ(c.Sent(), (std::vector<std::string>{kIdleStream.begin() + 3, kIdleStream.end()}));
}

TEST(SenderLists, AbsentMembersAreSkippedAndAnEmptyListSendsNothing) {
    Cycles c;
    app::SenderMembers m = c.Members();
    m.sources = nullptr;
    m.preset = nullptr;
    m.dynamicEq = nullptr;
    const app::SenderLists lists(m);
    c.AllPending();
    lists.SendIdle(c.link.sender);
    EXPECT_EQ(c.Sent(), (std::vector<std::string>{kIdleStream[0], kIdleStream[2], kIdleStream[5]}));

    const app::SenderLists none;
    c.link.Clear();
    c.AllPending();
    none.MarkWrite();
    EXPECT_EQ(none.SendIdle(c.link.sender), 0);
    EXPECT_EQ(none.SendWrite(c.link.sender), 0);
    EXPECT_TRUE(c.link.frames.empty());
    EXPECT_TRUE(c.marks.empty());
}
