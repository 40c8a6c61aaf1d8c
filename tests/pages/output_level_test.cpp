// The output-level page's logic: readouts, the Link step, icons, the send cycle with its clip poll
// on a fake link and the device's level report.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>

#include "link/bytes.h"
#include "pages/output_level_logic.h"
#include "tests/model/frame_helpers.h"

namespace {

using devlink::Frame;
using msgtest::Hex;
using msgtest::ToHex;
using pages::OutputLevelLogic;

// The link as the clip poll sees it: replies queued by the test, gate changes and clears kept.
class FakeReplies : public devlink::ReplyChannel {
public:
    void SetReceiveGate(int closed) override { events += closed ? 'C' : 'O'; }
    int WaitResponse(uint8_t command, uint8_t* out, size_t size, int timeoutMs, bool remove,
                     const std::atomic<int>*) override {
        waits.push_back({command, timeoutMs, remove});
        events += 'W';
        std::fill(out, out + size, 0);
        if (replies.empty()) return 0;
        const Frame f = replies.front();
        replies.pop_front();
        std::copy(f.begin(), f.begin() + std::min(size, f.size()), out);
        return 1;
    }
    void ClearReceived() override { events += 'X'; }

    struct Wait {
        uint8_t command;
        int timeoutMs;
        bool remove;
    };
    std::deque<Frame> replies;
    std::vector<Wait> waits;
    std::string events;
};

struct Page {
    devlink::RecordingNotifier posts;
    OutputLevelLogic page{&posts};
    msgtest::RecordingLink link;
    FakeReplies replies;

    int Send() { return page.SendPendingLevels(link.sender, &replies); }
    // Moves a fader as the user would: the slider's new value and the change.
    void Move(int i, float to) { page.OnFaderMoved(i, to, to - page.Fader(i)); }
};

TEST(LevelReadout, RoundsDownToTheHalfDecibel) {
    struct Case {
        float dB;
        const char* text;
    } cases[] = {{-3.2f, "-3.5"}, {0.0f, "0.0"}, {-0.2f, "-0.5"}, {-45.3f, "-45.5"},
                 {-12.0f, "-12.0"}, {-3.5f, "-3.5"}, {-60.0f, "-60.0"}, {-0.0f, "0.0"}};
    for (const Case& c : cases) EXPECT_EQ(pages::LevelReadout(c.dB), c.text) << c.dB;
}

TEST(ChannelIcons, IndexBySpeaker) {
    struct Case {
        int position, kind, variant, index;
    } cases[] = {
        {0, 0, 0, 0},  {0, 1, 0, 1},  {0, 2, 0, 2},   {0, 3, 0, 3},   {2, 0, 0, 4},  {2, 3, 0, 7},
        {5, 0, 0, 8},  {5, 1, 0, 9},  {5, 3, 0, 10},  {3, 0, 0, 11},  {3, 3, 0, 13}, {1, 0, 0, 14},
        {1, 1, 0, 15}, {1, 3, 0, 16}, {4, 5, 0, 17},  {4, 4, 0, 18},  {4, 6, 0, 19}, {0, 2, 3, 20},
        {2, 2, 7, 21}, {2, 2, 3, 6},  {5, 2, 0, 22},  {1, 2, 0, 22},  {-1, 0, 0, 22}, {0, -1, 0, 22},
        {4, 0, 0, 22}, {9, 0, 0, 22}, {0, 7, 0, 22},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pages::ChannelIconIndex(c.position, c.kind, c.variant), c.index)
            << c.position << "/" << c.kind << "/" << c.variant;
}

TEST(OutputLevel, StartsAtTheDefaults) {
    OutputLevelLogic page;
    float v[10];
    ASSERT_EQ(page.GetLevels(v, 10), 10);
    for (int c = 0; c < 8; ++c) EXPECT_EQ(v[c], -3.0f);
    EXPECT_EQ(v[8], -45.0f);
    EXPECT_EQ(v[9], 0.0f);
    EXPECT_EQ(page.GetLevels(v, 4), 4);
    EXPECT_EQ(page.GetLevels(v, 40), 10);
    EXPECT_EQ(page.GetLevels(v, 0), 0);
}

TEST(OutputLevel, LinkMovesAllChannelsAsFarAsTheNearestEndAllows) {
    for (float step : {3.0f, -3.0f}) {
        Page t;
        const float start[8] = {-1, -5, -39, -10, -10, -10, -10, -10};
        for (int c = 0; c < 8; ++c) t.Move(c, start[c]);
        t.page.SetLink(true);
        t.Send();
        t.link.Clear();
        // The user drags fader 3 by `step`: the slider already shows the new value.
        t.page.OnFaderMoved(3, start[3] + step, step);
        const float moved = step > 0 ? 1.0f : -1.0f;
        for (int c = 0; c < 8; ++c) {
            EXPECT_FLOAT_EQ(t.page.Fader(c), start[c] + moved) << "step " << step << " channel " << c;
            EXPECT_FLOAT_EQ(t.page.Level(0, c), start[c] + moved);
        }
        EXPECT_EQ(t.Send(), 1);
        ASSERT_EQ(t.link.frames.size(), 8u);
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(t.link.frames[c][4], '~');
            EXPECT_EQ(t.link.frames[c][6], c);
            EXPECT_EQ(t.link.frames[c][7], static_cast<uint8_t>(std::ceil(-2.0f * (start[c] + moved))));
        }
    }
}

TEST(OutputLevel, FaderMovesSetFlagsAndTheChangedMark) {
    Page t;
    t.Move(2, -3.2f);
    EXPECT_TRUE(t.page.SendFlag(2));
    EXPECT_EQ(t.page.IsChanged(), 1);
    EXPECT_FLOAT_EQ(t.page.Level(0, 2), -3.2f);
    EXPECT_FLOAT_EQ(t.page.Level(1, 2), -3.0f);
    t.page.SetChanged(0);
    EXPECT_TRUE(t.page.OnFaderMoved(8, -50.0f, -5.0f));  // the master: the main window is told
    EXPECT_FALSE(t.page.OnFaderMoved(9, -2.0f, -2.0f));
    EXPECT_EQ(t.page.IsChanged(), 0);
    EXPECT_EQ(t.Send(), 1);
    EXPECT_EQ(ToHex(t.link.frames[0]), "46 5A 00 09 7E 00 02 07 30");
    EXPECT_EQ(ToHex(t.link.frames[1]), "00 5A 00 07 0A 14 7F");
    EXPECT_EQ(t.link.frames[2][5], 20);  // -2 dB subwoofer: 2 * (12 - 2)
    EXPECT_EQ(t.link.frames.size(), 3u);
    t.link.Clear();
    EXPECT_EQ(t.Send(), 0);  // nothing left, and no clip poll while hidden
    EXPECT_TRUE(t.link.frames.empty());
}

TEST(OutputLevel, MuteClickReportsAllEight) {
    OutputLevelLogic page;
    const uint32_t mutes[8] = {1, 0, 0, 0, 0, 0, 0, 1};
    page.SetMutes(mutes);
    const auto all = page.SetMute(3, true);
    const std::array<uint32_t, 8> expected = {1, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(all, expected);
}

TEST(OutputLevel, FullSendWritesFortyFrames) {
    Page t;
    for (int p = 0; p < 4; ++p) {
        t.page.SelectPreset(p, 0);
        for (int c = 0; c < 8; ++c) t.Move(c, -static_cast<float>(p * 8 + c));
    }
    t.page.SelectPreset(0, 0);
    t.page.OnFaderMoved(8, -20.0f, 25.0f);
    t.page.RequestFullSend();
    t.link.Clear();
    EXPECT_EQ(t.Send(), 1);
    ASSERT_EQ(t.link.frames.size(), 40u);
    for (int p = 0; p < 4; ++p) {
        for (int c = 0; c < 8; ++c) {
            const Frame& f = t.link.frames[10 * p + c];
            EXPECT_EQ(f[4], '~');
            EXPECT_EQ(f[5], p);
            EXPECT_EQ(f[6], c);
            EXPECT_EQ(f[7], 2 * (p * 8 + c));
        }
        EXPECT_EQ(ToHex(t.link.frames[10 * p + 8]), "00 5A 00 07 0A 50 BB");
        EXPECT_EQ(ToHex(t.link.frames[10 * p + 9]), "00 5A 00 07 0D 18 86");
    }
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(t.page.SendFlag(i));
    EXPECT_FALSE(t.page.SendAllPending());
    t.link.Clear();
    EXPECT_EQ(t.Send(), 0);
}

TEST(OutputLevel, PresetChangeSendsThatPresetsChannels) {
    Page t;
    t.page.CopyPreset(-1, 2);
    t.page.SelectPreset(2, 1);
    EXPECT_EQ(t.page.IsChanged(), 1);
    EXPECT_EQ(t.page.CurrentPreset(), 2);
    EXPECT_EQ(t.Send(), 1);
    ASSERT_EQ(t.link.frames.size(), 8u);
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(t.link.frames[c][5], 2);
        EXPECT_EQ(t.link.frames[c][6], c);
        EXPECT_EQ(t.link.frames[c][7], 6);
    }
    // The current preset again, or one the device does not have: nothing.
    t.link.Clear();
    t.page.SelectPreset(2, 1);
    t.page.SelectPreset(4, 1);
    t.page.SelectPreset(-1, 1);
    EXPECT_EQ(t.Send(), 0);
    EXPECT_EQ(t.page.CurrentPreset(), 2);
}

TEST(OutputLevel, CopyResetAndMaster) {
    OutputLevelLogic page;
    page.OnFaderMoved(4, -20.0f, -17.0f);  // preset 0, channel 4
    page.CopyPreset(0, 1);
    EXPECT_EQ(page.Level(1, 4), -20.0f);
    page.OnFaderMoved(4, -25.0f, -5.0f);
    page.CopyPreset(-1, 0);  // the current preset back to its defaults: the faders follow
    EXPECT_EQ(page.Level(0, 4), -3.0f);
    EXPECT_EQ(page.Fader(4), -3.0f);
    page.CopyPreset(1, 7);  // no such preset: nothing
    EXPECT_EQ(page.Level(1, 4), -20.0f);

    page.SetMasterLevel(-70.0f);
    EXPECT_EQ(page.Fader(8), -60.0f);
    page.SetMasterLevel(-12.5f);
    EXPECT_EQ(page.Fader(8), -12.5f);
    EXPECT_FALSE(page.SendFlag(8));

    page.SetLink(true);
    page.Reset();
    EXPECT_FALSE(page.Link());
    EXPECT_EQ(page.Level(1, 4), -3.0f);
    EXPECT_EQ(page.Fader(8), -45.0f);
    EXPECT_EQ(page.Fader(9), 0.0f);
}

Frame LevelReport(uint8_t master, uint8_t sub, uint8_t base) {
    Frame f = devlink::NewFrame(devlink::kNodePc, devlink::DeviceCommand::ChannelLevel, 41);
    f[1] = devlink::kNodeDsp;
    f[5] = master;
    f[6] = sub;
    for (int i = 0; i < 32; ++i) f[7 + i] = static_cast<uint8_t>(base + i);
    devlink::SealFrame(f);
    return f;
}

TEST(OutputLevel, LevelReportFromTheDevice) {
    OutputLevelLogic page;
    page.SelectPreset(1, 0);
    page.SetLink(true);
    const Frame report = LevelReport(30, 20, 1);
    bool applied = false;
    EXPECT_EQ(page.ParseLevelResponse(report.data(), report.size(), &applied), 1);
    EXPECT_TRUE(applied);
    for (int p = 0; p < 4; ++p)
        for (int c = 0; c < 8; ++c) EXPECT_EQ(page.Level(p, c), -0.5f * (1 + 8 * p + c));
    for (int c = 0; c < 8; ++c) EXPECT_EQ(page.Fader(c), -0.5f * (9 + c));  // preset 1 is shown
    EXPECT_EQ(page.Fader(8), -45.0f);
    EXPECT_EQ(page.Fader(9), -2.0f);
    EXPECT_FALSE(page.Link());

    // Other frames: too short or another command are not taken; a '~' of another length is
    // taken and changes nothing.
    const Frame nine = pages::BuildLevelMessage(0, 0, 10.0f);
    EXPECT_EQ(page.ParseLevelResponse(nine.data(), nine.size(), &applied), 1);
    EXPECT_FALSE(applied);
    EXPECT_EQ(page.Level(0, 0), -0.5f);
    const Frame request = pages::BuildLevelsRequest();
    EXPECT_EQ(page.ParseLevelResponse(request.data(), request.size()), 0);
    EXPECT_EQ(page.ParseLevelResponse(report.data(), 6), 0);
    Frame other = report;
    other[4] = 0x7D;
    EXPECT_EQ(page.ParseLevelResponse(other.data(), other.size()), 0);
}

TEST(ClipPoll, FirstPollUnshownSecondPostedSilenceChangesNothing) {
    Page t;
    const Frame reply = Hex("5A 46 00 07 7F 05 2B");
    // Hidden: the timer's request does nothing.
    t.page.OnClipTimer();
    EXPECT_EQ(t.Send(), 0);
    EXPECT_TRUE(t.link.frames.empty());

    t.page.OnShow(true);
    EXPECT_EQ(t.Send(), 0);  // shown, but no timer yet
    t.page.OnClipTimer();
    t.replies.replies.push_back(reply);
    EXPECT_EQ(t.Send(), 1);
    ASSERT_EQ(t.link.frames.size(), 1u);
    EXPECT_EQ(ToHex(t.link.frames[0]), "46 5A 00 06 7F 25");
    EXPECT_EQ(t.replies.events, "OWCX");  // gate open, wait, gate closed, list emptied
    ASSERT_EQ(t.replies.waits.size(), 1u);
    EXPECT_EQ(t.replies.waits[0].command, 0x7F);
    EXPECT_EQ(t.replies.waits[0].timeoutMs, 250);
    EXPECT_TRUE(t.replies.waits[0].remove);
    EXPECT_TRUE(t.posts.Posts().empty());  // the first poll is not shown
    EXPECT_FALSE(t.page.ClipRequested());
    EXPECT_EQ(t.Send(), 0);  // the request was served

    t.page.OnClipTimer();
    t.replies.replies.push_back(reply);
    EXPECT_EQ(t.Send(), 1);
    ASSERT_EQ(t.posts.Posts().size(), 1u);
    EXPECT_EQ(t.posts.Posts()[0], (devlink::RecordingNotifier::Posted{0x8022, 5, 0}));

    // Silence, and a reply too short to carry a mask: nothing posted.
    t.page.OnClipTimer();
    EXPECT_EQ(t.Send(), 1);
    t.page.OnClipTimer();
    t.replies.replies.push_back(Hex("5A 46 00 06 7F 25"));
    EXPECT_EQ(t.Send(), 1);
    EXPECT_EQ(t.posts.Posts().size(), 1u);
    EXPECT_EQ(t.page.ClipCounter(), 2);

    // A level change waiting goes first; the poll waits for a cycle with nothing to send.
    t.page.OnClipTimer();
    t.Move(0, -6.0f);
    t.link.Clear();
    EXPECT_EQ(t.Send(), 1);
    ASSERT_EQ(t.link.frames.size(), 1u);
    EXPECT_EQ(t.link.frames[0][4], '~');
    EXPECT_TRUE(t.page.ClipRequested());

    // Shown again: the count starts over.
    t.page.OnShow(false);
    EXPECT_FALSE(t.page.ClipMaskToShow(5).has_value());
    t.page.OnShow(true);
    EXPECT_EQ(t.page.ClipCounter(), 0);
    EXPECT_EQ(t.page.ClipMaskToShow(5), std::optional<uint8_t>(5));
    // The timer does not stack requests, and a poll without a reply channel does nothing.
    t.page.OnClipTimer();
    t.page.OnClipTimer();
    EXPECT_EQ(t.page.SendPendingLevels(t.link.sender, nullptr), 0);
}

// The program's idle cycle and full write reach the page through the write-member interface, with
// the reply channel the clip poll needs given at construction or set later.
TEST(OutputLevel, TheWriteMemberInterfaceSendsAndPollsOverItsReplyChannel) {
    devlink::RecordingNotifier posts;
    FakeReplies replies;
    msgtest::RecordingLink link;
    OutputLevelLogic page{&posts, &replies};
    devlink::WriteMember& member = page;
    member.MarkAllDirty();
    EXPECT_EQ(member.SendPending(link.sender), 1);
    ASSERT_EQ(link.frames.size(), 40u);
    EXPECT_EQ(ToHex(link.frames[8]), "00 5A 00 07 0A 1E 89");  // the master at -45 dB
    EXPECT_EQ(member.SendPending(link.sender), 0);

    page.OnFaderMoved(2, -10.0f, -7.0f);
    link.Clear();
    EXPECT_EQ(member.SendPending(link.sender), 1);
    ASSERT_EQ(link.frames.size(), 1u);
    EXPECT_EQ(ToHex(Frame(link.frames[0].begin(), link.frames[0].begin() + 8)), "46 5A 00 09 7E 00 02 14");

    page.OnShow(true);
    for (int poll = 0; poll < 2; ++poll) {
        page.OnClipTimer();
        replies.replies.push_back(Hex("5A 46 00 07 7F 09 2B"));
        EXPECT_EQ(member.SendPending(link.sender), 1);
    }
    EXPECT_EQ(replies.events, "OWCXOWCX");
    ASSERT_EQ(posts.Posts().size(), 1u);
    EXPECT_EQ(posts.Posts()[0], (devlink::RecordingNotifier::Posted{0x8022, 9, 0}));

    // Without a reply channel the poll waits.
    page.SetReplyChannel(nullptr);
    page.OnClipTimer();
    EXPECT_EQ(member.SendPending(link.sender), 0);
    EXPECT_TRUE(page.ClipRequested());
    page.SetReplyChannel(&replies);
    EXPECT_EQ(member.SendPending(link.sender), 1);
    EXPECT_FALSE(page.ClipRequested());
}

}  // namespace
