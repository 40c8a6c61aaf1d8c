// The tuning page's mutes, listening point and device status lines.
#include <cstdio>
#include <mutex>

#include "os/settings.h"
#include "pages/dsp_setting_logic.h"
#include "ui/messages.h"

namespace pages {
namespace {

const char* const kListeningPointText =
    "You have changed current listening point, and you have to set new distances for current "
    "memory. Reset previous values?";

constexpr int kSeatCount = 4;
constexpr uint32_t kNoVersion = 0xFFFFFFFFu;

}  // namespace

void DSPSettingLogic::OnChannelMapMutes() {
    if (!views_.channelMap) return;
    model::TuningModel& m = *model_;
    std::lock_guard<std::mutex> guard(m.Lock(model::kLockMute));
    uint32_t mutes[model::kChannelCount] = {};
    views_.channelMap->GetMuteFlags(mutes, model::kChannelCount);
    for (int o = 0; o < model::kChannelCount; ++o) m.SetMuteValue(o, mutes[o]);
    // The output-level page shows the same mutes.
    if (views_.messages)
        views_.messages->SendToMain(ui::MsgMuteFlagsChanged, 0, reinterpret_cast<intptr_t>(mutes));
    m.SetMuteDirty();
}

// The model's mutes go to every place that shows or holds them: the channel map, the output-level
// page and, online, the unit. A setup load leaves every output unmuted in the model (no section of
// the file holds mutes) while the level page and the unit kept the old ones, and the next click on
// the map would then silently unmute.
void DSPSettingLogic::ShareMutes() {
    model::TuningModel& m = *model_;
    uint32_t mutes[model::kChannelCount] = {};
    {
        std::lock_guard<std::mutex> guard(m.Lock(model::kLockMute));
        for (int o = 0; o < model::kChannelCount; ++o) mutes[o] = m.Mute(o);
        m.SetMuteDirty();
    }
    if (views_.channelMap) views_.channelMap->SetMuteFlags(mutes);
    if (views_.messages)
        views_.messages->SendToMain(ui::MsgMuteFlagsChanged, 0, reinterpret_cast<intptr_t>(mutes));
}

void DSPSettingLogic::NotifyChannelMap(const uint32_t* mutes) {
    if (!views_.channelMap || !mutes) return;
    if (views_.messages) {
        // Posted first, handled after the flags below are in the channel map.
        views_.messages->PostToPage(ui::MsgChannelMapMutes, 0, 0);
        views_.channelMap->SetMuteFlags(mutes);
        return;
    }
    views_.channelMap->SetMuteFlags(mutes);
    OnChannelMapMutes();
}

void DSPSettingLogic::OnListeningPoint(int point) {
    if (point < 0 || point >= kSeatCount) point = 0;
    model::TuningModel& m = *model_;
    const int preset = m.CurrentPreset();
    if (point == m.ListeningPoint(preset)) return;
    // Unlike the other edits, these flags are set offline too.
    {
        std::lock_guard<std::mutex> guard(m.Lock(model::kLockListening));
        m.SetListeningPointValue(preset, point);
        m.SetListeningPointDirtyAlways();
    }
    if (!AskListeningPointChange()) return;
    for (int o = 0; o < model::kChannelCount; ++o) {
        if (!Assigned(o)) continue;
        std::lock_guard<std::mutex> guard(m.Lock(model::kLockDelay));
        model::CrossoverParams& block = Rec(o).crossover;
        block.distance = 0;
        block.delay = 0;
        block.delayTrim = 0;
        m.SetDirtyAlways(preset, o, model::kDirtyDelay);
    }
    const int c = EditedChannel();
    if (c >= 0 && c < model::kChannelCount && Rec(c).inUse) filter_.SetCrossover(Rec(c).crossover);
    // The trims are gone from every output, whichever is edited: their marks go too.
    UpdateChannelMapStates();
}

int DSPSettingLogic::AskListeningPointChange() {
    const int32_t stored =
        views_.settings ? os::GetAskDelayRif(*views_.settings) : os::kAskAgain;
    if (stored == 0) return 0;
    if (stored != os::kAskAgain) return 1;
    if (!views_.prompter) return 0;
    PromptRequest request;
    request.text = kListeningPointText;
    request.buttons = kPromptYes | kPromptNo;
    request.messageRect = {20, 50, 285, 145};
    const PromptAnswer answer = views_.prompter->Ask(request);
    // Only YES resets the distances: a box closed any other way (a double click on it answers
    // neither button) is a refusal, since a reset cannot be undone.
    if (answer.button != kPromptYes) return 0;
    if (answer.ticked && views_.settings) os::SetAskDelayRif(*views_.settings, 1);
    return 1;
}

void DSPSettingLogic::ShowConnectionStatus(uint32_t version, int star, int remote, int rescue) {
    if (!HasDeviceInfo()) return;
    ChartView& info = *views_.chart;
    if (version != kNoVersion) {
        // Only an identification says whether the remote control is there: the end of a write
        // passes no version and no remote, and must not make a connected Vexa read as missing.
        remoteConnected_ = remote;
        const int b3 = (version >> 24) & 0xFF, b2 = (version >> 16) & 0xFF,
                  b1 = (version >> 8) & 0xFF, b0 = version & 0xFF;
        char text[64];
        if (version == 0)
            std::snprintf(text, sizeof text, "Offline Mode");
        else if (rescue)
            std::snprintf(text, sizeof text, "firmware: %d.%d.%d.%d - Rescue", b3, b2, b1, b0);
        else
            std::snprintf(text, sizeof text, "firmware: ver. %d.%d.%d.%d", b3, b2, b1, b0);
        info.SetLine(0, text);
        info.SetLine(3, remote ? "Vexa connected" : "Vexa not connected.");
    }
    info.SetLine(1, " ");
    info.SetLine(2, " ");
    if (version != 0) info.SetLine(4, star ? "darvix connected (*)." : "darvix connected.");
    info.RefreshText(true);
}

void DSPSettingLogic::ShowVexaStatus(int major, int minor) {
    if (!HasDeviceInfo()) return;
    char text[64];
    if (remoteConnected_)
        std::snprintf(text, sizeof text, "Vexa connected (ver. %d.%02d)", major, minor);
    else
        std::snprintf(text, sizeof text, "Vexa not connected.");
    views_.chart->SetLine(3, text);
    views_.chart->RefreshText(true);
}

void DSPSettingLogic::ShowCommError(int on) {
    if (!HasDeviceInfo()) return;
    ChartView& info = *views_.chart;
    if (on) {
        info.SetLine(1, "Comunication Error.");
        info.SetLine(3, " ");
        info.SetLine(4, " ");
    } else {
        // The window kills a running timer when it sees the id go back to 0.
        commErrorTimer_ = 0;
        info.SetLine(1, " ");
    }
    info.RefreshText(true);
}

bool DSPSettingLogic::OnTimer(uintptr_t id) {
    if (commErrorTimer_ == 0 || commErrorTimer_ != id) return false;
    ShowCommError(0);
    return true;
}

}  // namespace pages
