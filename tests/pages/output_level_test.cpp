// The output-level page's logic: level frames byte for byte, readouts, the Link step, icons, the
// send cycle with its clip poll on a fake link, the device's level report and the file section.
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

TEST(LevelFrames, ByteForByte) {
    struct Case {
        int fader, preset;
        float dB;
        const char* frame;
    } cases[] = {
        {0, 0, -3.2f, "46 5A 00 09 7E 00 00 07 2E"},
        {0, 0, 0.0f, "46 5A 00 09 7E 00 00 00 27"},
        {3, 2, -10.25f, "46 5A 00 09 7E 02 03 15 41"},
        {7, 3, -40.0f, "46 5A 00 09 7E 03 07 50 81"},
        {8, 0, -45.0f, "00 5A 00 07 0A 1E 89"},
        {8, 1, -45.3f, "00 5A 00 07 0A 1D 88"},
        {8, 0, 0.0f, "00 5A 00 07 0A 78 E3"},
        {8, 0, -60.0f, "00 5A 00 07 0A 00 6B"},
        {9, 0, 0.0f, "00 5A 00 07 0D 18 86"},
        {9, 0, -12.0f, "00 5A 00 07 0D 00 6E"},
        {42, 0, -6.0f, "00 5A 00 07 0D 0C 7A"},  // any other fader is the subwoofer level
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToHex(pages::BuildLevelMessage(c.fader, c.preset, -c.dB)), c.frame)
            << "fader " << c.fader << " at " << c.dB << " dB";
    EXPECT_EQ(ToHex(pages::BuildLevelsRequest()), "46 5A 00 06 7F 25");
    // A value no fader can hold stays a byte instead of wrapping through undefined conversion.
    EXPECT_EQ(pages::BuildLevelMessage(0, 0, std::numeric_limits<float>::quiet_NaN())[7], 0);
    EXPECT_EQ(pages::BuildLevelMessage(0, 0, 500.0f)[7], 255);
}

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

// ---- the file section --------------------------------------------------------------------------

std::vector<uint8_t> SectionBytes(int32_t count, const std::vector<float>& values) {
    std::vector<uint8_t> out;
    model::SectionWriter w(out);
    w.WriteI32(count);
    for (float v : values) w.WriteF32(v);
    return out;
}

model::SectionContext PresetContext(int slot) {
    model::SectionContext c;
    c.presetFile = true;
    c.slot = slot;
    for (int p = 0; p < 4; ++p) c.included[p] = (slot == -1 || slot == p) ? 1 : 0;
    return c;
}

std::string Load(OutputLevelLogic& page, const std::vector<uint8_t>& bytes, const model::SectionContext& c) {
    model::SectionReader in(bytes);
    std::string why = page.Section().Read(in, c);
    if (why.empty()) page.Section().Apply(c);
    page.Section().Discard();
    return why;
}

std::vector<float> Ramp(int n, float start, float step) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back(start + step * static_cast<float>(i));
    return v;
}

TEST(OutputLevelSection, SetupFileWritesAllAndLoadKeepsTheVolume) {
    OutputLevelLogic saved;
    for (int p = 0; p < 4; ++p) {
        saved.SelectPreset(p, 0);
        for (int c = 0; c < 8; ++c) saved.OnFaderMoved(c, -1.0f - 0.5f * (8 * p + c), 0.0f);
    }
    saved.OnFaderMoved(8, -30.0f, 0.0f);
    saved.OnFaderMoved(9, -6.0f, 0.0f);
    std::vector<uint8_t> bytes;
    model::SectionWriter w(bytes);
    saved.Section().Write(w, {});
    std::vector<float> expected = Ramp(32, -1.0f, -0.5f);
    expected.push_back(-30.0f);
    expected.push_back(-6.0f);
    EXPECT_EQ(bytes, SectionBytes(34, expected));

    OutputLevelLogic loaded;
    int calls = 0;
    loaded.SetLoadListener([&] { ++calls; });
    EXPECT_EQ(Load(loaded, bytes, {}), "");
    EXPECT_EQ(calls, 1);
    for (int k = 0; k < 32; ++k) EXPECT_EQ(loaded.Level(k / 8, k % 8), -1.0f - 0.5f * k);
    for (int c = 0; c < 8; ++c) EXPECT_EQ(loaded.Fader(c), -1.0f - 0.5f * c);
    EXPECT_EQ(loaded.Fader(8), -45.0f);  // master and subwoofer stay as they were
    EXPECT_EQ(loaded.Fader(9), 0.0f);
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(loaded.SendFlag(i));
}

TEST(OutputLevelSection, EveryCountOfASetupFile) {
    // Older files: the first values are the eight channels of every preset, then master, sub.
    {
        OutputLevelLogic page;
        page.SelectPreset(3, 0);
        EXPECT_EQ(Load(page, SectionBytes(10, {-1, -2, -3, -4, -5, -6, -7, -8, -20, -4}), {}), "");
        for (int p = 0; p < 4; ++p)
            for (int c = 0; c < 8; ++c) EXPECT_EQ(page.Level(p, c), -1.0f - c);
        for (int c = 0; c < 8; ++c) EXPECT_EQ(page.Fader(c), -1.0f - c);
        EXPECT_EQ(page.Fader(8), -20.0f);
        EXPECT_EQ(page.Fader(9), -4.0f);
    }
    {
        OutputLevelLogic page;
        EXPECT_EQ(Load(page, SectionBytes(9, Ramp(9, -1.0f, -1.0f)), {}), "");
        EXPECT_EQ(page.Fader(8), -9.0f);
        EXPECT_EQ(page.Fader(9), 0.0f);
    }
    {
        OutputLevelLogic page;
        EXPECT_EQ(Load(page, SectionBytes(3, {-1, -2, -3}), {}), "");
        EXPECT_EQ(page.Level(2, 2), -3.0f);
        EXPECT_EQ(page.Level(2, 3), -3.0f);
        EXPECT_EQ(page.Fader(8), -45.0f);
    }
    // 11..34: channel values in preset order from the first.
    {
        OutputLevelLogic page;
        page.SelectPreset(1, 0);
        EXPECT_EQ(Load(page, SectionBytes(12, Ramp(12, -10.0f, -1.0f)), {}), "");
        EXPECT_EQ(page.Level(0, 7), -17.0f);
        EXPECT_EQ(page.Level(1, 3), -21.0f);
        EXPECT_EQ(page.Level(1, 4), -3.0f);
        EXPECT_EQ(page.Fader(3), -21.0f);
        EXPECT_EQ(page.Fader(4), -3.0f);
    }
    // 0: nothing; the setup saved before the page was built (zero levels) loads.
    {
        OutputLevelLogic page;
        EXPECT_EQ(Load(page, SectionBytes(0, {}), {}), "");
        EXPECT_EQ(page.Level(0, 0), -3.0f);
        std::vector<float> zeros(34, 0.0f);
        EXPECT_EQ(Load(page, SectionBytes(34, zeros), {}), "");
        EXPECT_EQ(page.Level(3, 7), 0.0f);
        EXPECT_EQ(page.Fader(0), 0.0f);
        EXPECT_EQ(page.Fader(8), -45.0f);
    }
}

TEST(OutputLevelSection, PresetFiles) {
    OutputLevelLogic source;
    source.SelectPreset(2, 0);
    for (int c = 0; c < 8; ++c) source.OnFaderMoved(c, -1.0f - c, 0.0f);
    std::vector<uint8_t> one, all, none;
    model::SectionWriter w1(one), wa(all), wn(none);
    source.Section().Write(w1, PresetContext(2));
    source.Section().Write(wa, PresetContext(-1));
    model::SectionContext outside = PresetContext(-1);
    outside.slot = 5;
    source.Section().Write(wn, outside);
    EXPECT_EQ(one, SectionBytes(8, Ramp(8, -1.0f, -1.0f)));
    EXPECT_EQ(all.size(), 4u + 4u * 32u);
    EXPECT_EQ(devlink::GetU32LE(all.data()), 32u);
    EXPECT_EQ(none, SectionBytes(0, {}));

    // One preset's file loaded into preset 1 fills only preset 1 (the shown preset is 0).
    OutputLevelLogic page;
    model::SectionContext into1 = PresetContext(1);
    into1.included = {0, 0, 1, 0};  // the file holds preset C
    EXPECT_EQ(Load(page, one, into1), "");
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(page.Level(1, c), -1.0f - c);
        EXPECT_EQ(page.Level(0, c), -3.0f);
        EXPECT_EQ(page.Level(2, c), -3.0f);
    }
    OutputLevelLogic page2;
    EXPECT_EQ(Load(page2, all, PresetContext(-1)), "");
    EXPECT_EQ(page2.Level(2, 7), -8.0f);
    EXPECT_EQ(page2.Level(0, 7), -3.0f);
}

TEST(OutputLevelSection, DamagedSectionsAreRefusedAndChangeNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> good34(34, -6.0f);
    auto with = [](std::vector<float> v, size_t at, float x) {
        v[at] = x;
        return v;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        model::SectionContext context;
    } cases[] = {
        {"no count", {1, 0}, {}},
        {"negative count", SectionBytes(-1, {}), {}},
        {"count above 34", SectionBytes(35, std::vector<float>(35, -1.0f)), {}},
        {"huge count", SectionBytes(0x7FFFFFFF, {}), {}},
        {"ends inside", SectionBytes(34, std::vector<float>(20, -1.0f)), {}},
        {"NaN level", SectionBytes(34, with(good34, 5, nan)), {}},
        {"infinite master", SectionBytes(34, with(good34, 32, inf)), {}},
        {"level above 0", SectionBytes(34, with(good34, 31, 0.5f)), {}},
        {"level below the byte", SectionBytes(34, with(good34, 0, -128.0f)), {}},
        {"older file, level above 0", SectionBytes(10, with(std::vector<float>(10, -1.0f), 7, 3.0f)), {}},
        {"older file, NaN subwoofer", SectionBytes(10, with(std::vector<float>(10, -1.0f), 9, nan)), {}},
        {"preset file of one with 32", SectionBytes(32, std::vector<float>(32, -1.0f)), PresetContext(2)},
        {"preset file of all with 8", SectionBytes(8, std::vector<float>(8, -1.0f)), PresetContext(-1)},
        {"preset file, level above 0", SectionBytes(8, with(std::vector<float>(8, -1.0f), 2, 1.0f)),
         PresetContext(0)},
    };
    for (const Case& c : cases) {
        OutputLevelLogic page;
        model::SectionReader in(c.bytes);
        const std::string why = page.Section().Read(in, c.context);
        EXPECT_FALSE(why.empty()) << c.what;
        // A refused section is never applied; staging alone changed nothing.
        page.Section().Discard();
        page.Section().Apply(c.context);
        for (int k = 0; k < 32; ++k) EXPECT_EQ(page.Level(k / 8, k % 8), -3.0f) << c.what;
        EXPECT_EQ(page.Fader(8), -45.0f) << c.what;
    }
    // The edges that are allowed.
    OutputLevelLogic page;
    EXPECT_EQ(Load(page, SectionBytes(34, with(with(good34, 0, -127.5f), 1, 0.0f)), {}), "");
    EXPECT_EQ(page.Level(0, 0), -127.5f);
    EXPECT_EQ(page.Fader(0), -40.0f);  // the fader shows its bottom
}

}  // namespace
