// The tuning page over the real channel-map and car-view logic: picks on either view selecting
// the other, mutes and the listening point down to the frames of a send cycle, the question
// before distances are reset, and the device status lines.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <memory>
#include <string>

#include "model/tuning_section.h"
#include "page_doubles.h"
#include "pages/car_channel_logic.h"
#include "pages/channel_map_logic.h"
#include "view_doubles.h"

namespace {

class LineChart : public pagetest::RecordingChart {
public:
    void SetLine(int line, const char* text) override {
        if (line >= 0 && line < 5) lines[line] = text;
    }
    void RefreshText(bool updateNow) override { refreshed += updateNow ? 1 : 0; }
    bool HasDeviceInfo() const override { return deviceInfo; }
    std::array<std::string, 5> lines{"-", "-", "-", "-", "-"};
    int refreshed = 0;
    bool deviceInfo = true;
};

class ViewsPage {
public:
    explicit ViewsPage(bool online = true) : map(&messages) {
        settings.CreateKeys();
        pages::DspPageViews v;
        v.chart = &chart;
        v.channelMap = &map;
        v.carView = &car;
        v.prompter = &prompter;
        v.settings = &settings;
        v.messages = &messages;
        logic = std::make_unique<pages::DSPSettingLogic>(v, false);
        M().SetOnline(online ? 1 : 0);
        M().ClearAllDirty();
        messages.sent.clear();
    }
    model::TuningModel& M() { return logic->Model(); }
    model::DspChannelRecord& R(int o) { return M().Record(M().CurrentPreset(), o); }
    intptr_t Send(const pages::Notification& n) { return logic->Send(n); }

    // One send cycle: each frame as its command in hex, its first payload byte and, for the
    // per-channel frames, the channel ("96:02 75:00.3" ...).
    std::string Cycle() {
        link.Clear();
        M().SendPendingChanges(link.sender, nullptr);
        std::string s;
        char part[32];
        for (const devlink::Frame& f : link.frames) {
            if (f[4] == 'u')
                std::snprintf(part, sizeof part, "%su%d", s.empty() ? "" : " ", f[6]);
            else
                std::snprintf(part, sizeof part, "%s%02x:%02x", s.empty() ? "" : " ", f[4], f[5]);
            s += part;
        }
        return s;
    }

    LineChart chart;
    viewtest::RecordingMessages messages;
    pages::ChannelMapLogic map;
    pages::CarChannelLogic car;
    pagetest::ScriptedPrompter prompter;
    os::MemorySettings settings;
    msgtest::RecordingLink link;
    std::unique_ptr<pages::DSPSettingLogic> logic;
};

int Mid(int row) { return 35 + 28 * row + 14; }

TEST(SpeakerViewsPage, PicksOnEitherViewSelectTheOther) {
    ViewsPage p;
    // The front left woofer's icon: its one row, which the panels load.
    p.Send(p.car.OnLButtonDown(20, 220, false));
    EXPECT_TRUE(p.map.IsRowSelected(0));
    EXPECT_EQ(p.map.CountSelected(), 1);
    EXPECT_EQ(p.logic->EditedChannel(), 0);
    // Ctrl adds the tweeter: both rows, the first current.
    p.Send(p.car.OnLButtonDown(20, 150, true));
    EXPECT_EQ(p.map.CountSelected(), 2);
    EXPECT_TRUE(p.map.IsRowSelected(2));

    // Two rows Ctrl-selected on the map select both speakers on the car view.
    p.Send(p.map.OnLButtonDown(100, Mid(3), false));
    EXPECT_TRUE(p.car.IsSpeakerSelected(2, 1));
    EXPECT_EQ(p.car.CountSelected(), 1);
    p.Send(p.map.OnLButtonDown(100, Mid(5), true));
    EXPECT_TRUE(p.car.IsSpeakerSelected(2, 1));
    EXPECT_TRUE(p.car.IsSpeakerSelected(2, 3));
    EXPECT_EQ(p.car.CountSelected(), 2);
    EXPECT_EQ(p.logic->EditedChannel(), 5);
    // Deselecting the other row keeps the current one loaded and shown.
    p.Send(p.map.OnLButtonDown(100, Mid(3), true));
    EXPECT_EQ(p.car.CountSelected(), 1);
    EXPECT_TRUE(p.car.IsSpeakerSelected(2, 3));
    EXPECT_EQ(p.logic->EditedChannel(), 5);
}

TEST(SpeakerViewsPage, MuteZoneSendsTheMaskAndTellsTheMainWindow) {
    for (bool online : {true, false}) {
        SCOPED_TRACE(online ? "online" : "offline");
        ViewsPage p(online);
        p.Send(p.map.OnLButtonDown(20, Mid(1), false));
        EXPECT_EQ(p.M().Mute(1), 1u);
        ASSERT_EQ(p.messages.sent.size(), 1u);
        EXPECT_EQ(p.messages.sent[0].id, ui::MsgMuteFlagsChanged);
        EXPECT_EQ(p.messages.sent[0].wParam, 0);
        EXPECT_EQ(p.messages.sent[0].mutes, (std::vector<uint32_t>{0, 1, 0, 0, 0, 0, 0, 0}));
        // Offline the mute is kept but nothing is marked to send.
        EXPECT_EQ(p.Cycle(), online ? "79:02" : "");
    }
}

TEST(SpeakerViewsPage, OutputLevelMutesReachTheMapThenTheModel) {
    ViewsPage p;
    const uint32_t mutes[8] = {1, 0, 0, 0, 0, 0, 0, 1};
    p.logic->NotifyChannelMap(mutes);
    ASSERT_EQ(p.messages.sent.size(), 1u);
    EXPECT_TRUE(p.messages.sent[0].posted);
    EXPECT_EQ(p.messages.sent[0].id, ui::MsgChannelMapMutes);
    EXPECT_TRUE(p.map.IsMuted(0));
    EXPECT_TRUE(p.map.IsMuted(7));
    EXPECT_EQ(p.M().Mute(0), 0u);  // the model takes them when the posted message arrives
    p.logic->OnAppMessage(ui::MsgChannelMapMutes, 0, 0);
    EXPECT_EQ(p.M().Mute(0), 1u);
    EXPECT_EQ(p.M().Mute(7), 1u);
    EXPECT_EQ(p.Cycle(), "79:81");
}

// A setup holds no mutes: after loading one, the map, the output-level page and (online) the unit
// all say unmuted, and the next click on the map mutes again instead of silently unmuting.
TEST(SpeakerViewsPage, SetupLoadUnmutesEverywhere) {
    for (bool online : {true, false}) {
        SCOPED_TRACE(online ? "online" : "offline");
        ViewsPage p(online);
        p.Send(p.map.OnLButtonDown(20, Mid(3), false));
        EXPECT_EQ(p.Cycle(), online ? "79:08" : "");
        std::vector<uint8_t> image;
        model::TuningSection section(p.M());
        model::SectionWriter out(image);
        const model::SectionContext setup;
        section.Write(out, setup);
        model::SectionReader in(image);
        ASSERT_EQ(section.Read(in, setup), "");
        section.Apply(setup);
        p.messages.sent.clear();

        p.logic->ShareMutes();
        ASSERT_EQ(p.messages.sent.size(), 1u);
        EXPECT_EQ(p.messages.sent[0].id, ui::MsgMuteFlagsChanged);
        EXPECT_EQ(p.messages.sent[0].wParam, 0) << "to the output-level page";
        EXPECT_EQ(p.messages.sent[0].mutes, std::vector<uint32_t>(8, 0));
        EXPECT_FALSE(p.map.IsMuted(3));
        EXPECT_EQ(p.Cycle(), online ? "79:00" : "");
        p.Send(p.map.OnLButtonDown(20, Mid(3), false));
        EXPECT_EQ(p.M().Mute(3), 1u);
        EXPECT_EQ(p.Cycle(), online ? "79:08" : "");
    }
}

TEST(SpeakerViewsPage, ListeningPointOnAndOffline) {
    for (bool online : {true, false}) {
        SCOPED_TRACE(online ? "online" : "offline");
        {
            // Equal to the stored point, and 7 counting as 0: nothing at all.
            ViewsPage p(online);
            p.Send(p.car.OnSeatClicked(0, false));
            p.logic->OnAppMessage(ui::MsgListeningPoint, 7, 0);
            EXPECT_TRUE(p.prompter.asked.empty());
            EXPECT_EQ(p.Cycle(), "");
        }
        {
            // YES: the point and every assigned output's zeroed distance are sent.
            ViewsPage p(online);
            for (int o = 0; o < 8; ++o) {
                p.R(o).crossover.distance = 100 + o;
                p.R(o).crossover.delay = 10;
                p.R(o).crossover.delayTrim = 2;
            }
            p.Send(p.map.OnLButtonDown(100, Mid(0), false));
            p.M().ClearAllDirty();
            p.prompter.answers.push_back({pages::kPromptYes, false});
            p.Send(p.car.OnSeatClicked(2, true));
            ASSERT_EQ(p.prompter.asked.size(), 1u);
            EXPECT_EQ(p.prompter.asked[0].buttons, pages::kPromptYes | pages::kPromptNo);
            EXPECT_EQ(p.M().ListeningPoint(0), 2);
            for (int o = 0; o < 8; ++o) {
                EXPECT_EQ(p.R(o).crossover.distance, 0);
                EXPECT_EQ(p.R(o).crossover.delayTrim, 0);
            }
            EXPECT_EQ(p.logic->Filter().Block().distance, 0);
            EXPECT_EQ(p.Cycle(), "u0 u1 u2 u3 u4 u5 u6 u7 96:02");
        }
        {
            // NO: only the point.
            ViewsPage p(online);
            p.R(0).crossover.distance = 100;
            p.prompter.answers.push_back({pages::kPromptNo, true});
            p.Send(p.car.OnSeatClicked(3, true));
            EXPECT_EQ(p.R(0).crossover.distance, 100);
            EXPECT_EQ(p.Cycle(), "96:03");
            EXPECT_EQ(os::GetAskDelayRif(p.settings), -1);
        }
    }
}

TEST(SpeakerViewsPage, MutesAndListeningPointInOneCycle) {
    ViewsPage p;
    p.Send(p.map.OnLButtonDown(20, Mid(1), false));
    p.prompter.answers.push_back({pages::kPromptYes, false});
    p.Send(p.car.OnSeatClicked(1, true));
    EXPECT_EQ(p.Cycle(), "u0 u1 u2 u3 u4 u5 u6 u7 79:02 96:01");
    EXPECT_EQ(p.Cycle(), "");
}

TEST(SpeakerViewsPage, ListeningPointQuestion) {
    struct Case {
        int stored;  // 99: missing
        uint32_t button;
        bool ticked;
        int result;
        int written;  // what the store holds afterwards (-1 when missing)
        bool asked;
    };
    const Case cases[] = {
        {-1, pages::kPromptYes, false, 1, -1, true},
        {-1, pages::kPromptYes, true, 1, 1, true},
        {-1, pages::kPromptNo, true, 0, -1, true},
        {-1, pages::kPromptNo, false, 0, -1, true},
        // A double click on the box answers neither button: nothing is reset.
        {-1, pages::kPromptCancel, false, 0, -1, true},
        {-1, pages::kPromptCancel, true, 0, -1, true},
        {99, pages::kPromptYes, true, 1, 1, true},
        {99, pages::kPromptCancel, true, 0, -1, true},
        {0, pages::kPromptYes, true, 0, 0, false},
        {1, pages::kPromptNo, false, 1, 1, false},
        {5, pages::kPromptNo, false, 1, 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("stored " + std::to_string(c.stored) + " button " + std::to_string(c.button) +
                     (c.ticked ? " ticked" : ""));
        ViewsPage p;
        if (c.stored == 99)
            p.settings.Erase("AskDelayRif");
        else
            os::SetAskDelayRif(p.settings, c.stored);
        p.prompter.answers.push_back({c.button, c.ticked});
        EXPECT_EQ(p.logic->AskListeningPointChange(), c.result);
        EXPECT_EQ(os::GetAskDelayRif(p.settings), c.written);
        ASSERT_EQ(p.prompter.asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            const pages::PromptRequest& r = p.prompter.asked[0];
            EXPECT_EQ(r.text,
                      "You have changed current listening point, and you have to set new distances "
                      "for current memory. Reset previous values?");
            EXPECT_EQ(r.messageRect.left, 20);
            EXPECT_EQ(r.messageRect.top, 50);
            EXPECT_EQ(r.messageRect.right, 285);
            EXPECT_EQ(r.messageRect.bottom, 145);
        }
    }
}

TEST(SpeakerViewsPage, StatusLines) {
    ViewsPage p;
    p.logic->ShowCommError(1);
    EXPECT_EQ(p.chart.lines[1], "Comunication Error.");
    EXPECT_EQ(p.chart.lines[3], " ");
    EXPECT_EQ(p.chart.lines[4], " ");

    p.logic->ShowConnectionStatus(0x01020304u, 1, 1, 0);
    EXPECT_EQ(p.chart.lines[0], "firmware: ver. 1.2.3.4");
    EXPECT_EQ(p.chart.lines[1], " ");
    EXPECT_EQ(p.chart.lines[2], " ");
    EXPECT_EQ(p.chart.lines[3], "Vexa connected");
    EXPECT_EQ(p.chart.lines[4], "darvix connected (*).");
    p.logic->ShowVexaStatus(1, 5);
    EXPECT_EQ(p.chart.lines[3], "Vexa connected (ver. 1.05)");

    p.logic->ShowConnectionStatus(0x01020304u, 0, 0, 1);
    EXPECT_EQ(p.chart.lines[0], "firmware: 1.2.3.4 - Rescue");
    EXPECT_EQ(p.chart.lines[3], "Vexa not connected.");
    EXPECT_EQ(p.chart.lines[4], "darvix connected.");
    p.logic->ShowVexaStatus(1, 5);
    EXPECT_EQ(p.chart.lines[3], "Vexa not connected.");

    // 0: offline, line 4 unchanged.
    p.chart.lines[4] = "kept";
    p.logic->ShowConnectionStatus(0, 1, 1, 0);
    EXPECT_EQ(p.chart.lines[0], "Offline Mode");
    EXPECT_EQ(p.chart.lines[4], "kept");

    // -1: lines 0 and 3 unchanged, the rest as always; the remote flag too, whatever is passed
    // with it (the end of a write passes 0): a later remote version still shows.
    p.chart.lines[1] = "x";
    p.logic->ShowConnectionStatus(0xFFFFFFFFu, 1, 0, 0);
    EXPECT_EQ(p.chart.lines[0], "Offline Mode");
    EXPECT_EQ(p.chart.lines[1], " ");
    EXPECT_EQ(p.chart.lines[3], "Vexa connected");
    EXPECT_EQ(p.chart.lines[4], "darvix connected (*).");
    p.logic->ShowVexaStatus(5, 2);
    EXPECT_EQ(p.chart.lines[3], "Vexa connected (ver. 5.02)");
    // Nor does -1 with remote set make a missing remote connected.
    p.logic->ShowConnectionStatus(0x01020304u, 0, 0, 0);
    p.logic->ShowConnectionStatus(0xFFFFFFFFu, 0, 1, 0);
    p.logic->ShowVexaStatus(1, 5);
    EXPECT_EQ(p.chart.lines[3], "Vexa not connected.");

    // The error line's timer clears it; another timer does nothing.
    p.logic->ShowCommError(1);
    EXPECT_FALSE(p.logic->OnTimer(0));
    p.logic->SetCommErrorTimer(7);
    EXPECT_FALSE(p.logic->OnTimer(8));
    EXPECT_EQ(p.chart.lines[1], "Comunication Error.");
    EXPECT_TRUE(p.logic->OnTimer(7));
    EXPECT_EQ(p.chart.lines[1], " ");
    EXPECT_EQ(p.logic->CommErrorTimer(), 0u);
    EXPECT_GT(p.chart.refreshed, 0);

    // Without the information panel, the connection status writes nothing.
    p.chart.deviceInfo = false;
    p.chart.lines[0] = "unchanged";
    p.logic->ShowConnectionStatus(0x01020304u, 0, 0, 0);
    EXPECT_EQ(p.chart.lines[0], "unchanged");
}

TEST(SpeakerViewsPage, ModelEventsReachBothViews) {
    ViewsPage p;
    EXPECT_TRUE(p.car.HasSpeaker(0, 1));
    EXPECT_EQ(p.map.GetRowName(6), "Subwoofer L");
    p.M().SetListeningPointValue(1, 3);
    p.M().SelectPreset(1);
    EXPECT_TRUE(p.car.IsSeatChecked(3));
    p.logic->ClearSpeakers();
    EXPECT_FALSE(p.car.HasSpeaker(0, 1));
    EXPECT_EQ(p.map.GetRowName(6), "Not Connected");
    p.logic->AssignmentLoaded(0);
    EXPECT_TRUE(p.car.HasSpeaker(4, 6));
    EXPECT_EQ(p.map.GetRowName(6), "Subwoofer L");
}

// Under ThreadSanitizer: the mutes and the listening point are written under the locks the poll
// thread's send cycle reads them under.
TEST(SpeakerViewsPage, MutesAndListeningPointWhileTheSendCycleRuns) {
    ViewsPage p;
    os::SetAskDelayRif(p.settings, 1);
    msgtest::RecordingLink pollLink;
    std::atomic<bool> stop{false};
    std::atomic<int> cycles{0};
    std::thread poll([&] {
        while (!stop) {
            p.M().SendPendingChanges(pollLink.sender, nullptr);
            ++cycles;
            pollLink.Clear();
        }
    });
    for (int round = 0; round < 40 || cycles.load() < 3; ++round) {
        p.Send(p.map.OnLButtonDown(20, Mid(round % 8), false));
        p.Send(p.car.OnSeatClicked(round % 4, true));
        const uint32_t mutes[8] = {static_cast<uint32_t>(round % 2), 0, 1, 0, 0, 0, 0, 0};
        p.logic->NotifyChannelMap(mutes);
        p.logic->OnAppMessage(ui::MsgChannelMapMutes, 0, 0);
    }
    stop = true;
    poll.join();
    EXPECT_GE(cycles.load(), 3);
}

}  // namespace
