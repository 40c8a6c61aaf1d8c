#include "pages/dsp_setting.h"

#include <cstring>

#include "model/tables.h"
#include "model/tuning_receive.h"
#include "res/resource.h"
#include "ui/gdi.h"

namespace pages {
namespace {

const char* kPositionNames[] = {"Front Left", "Center", "Front Right", "Rear Right", "Subwoofer", "Rear Left"};
const char* kKindNames[] = {"Full", "Woofer", "Midrange", "Tweeter", "Subwoofer R", "Subwoofer", "Subwoofer L"};
const char* kTypeNames[] = {"Full Range", "Low Pass", "High Pass", "Band Pass"};

std::string SpeakerName(const model::DspChannelRecord& r) {
    if (!model::IsAssigned(r)) return "Not Connected";
    std::string name = r.position >= 0 && r.position < 6 ? kPositionNames[r.position] : "?";
    name += " ";
    name += r.kind >= 0 && r.kind < 7 ? kKindNames[r.kind] : "?";
    return name;
}

}  // namespace

DSPSetting::DSPSetting(HWND parent, int x, int y, bool connected)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_PAGE_DSP, 0, false, ui::kChildStyle, 0),
      model_(this) {
    section_ = std::make_unique<model::TuningSection>(model_);
    // The send cycle's log, in the current folder as it has always been.
    sendLog_.open("tmp.log", std::ios::binary | std::ios::trunc);
    model_.SetConnected(connected ? 1 : 0);
    for (auto& line : lines_) line = " ";
    lines_[0] = "Offline Mode";
    font_ = ui::gdi::MakeFont(-15, FW_BOLD, "Tahoma");
    small_ = ui::gdi::MakeFont(-13, FW_NORMAL, "Tahoma");
    Redraw(true);
}

DSPSetting::~DSPSetting() {
    // The window goes first: no message reaches the page while its fonts are freed.
    ui::gdi::Free(font_);
    ui::gdi::Free(small_);
}

void DSPSetting::SetDisplayValue(int source) {
    source_ = source;
    Redraw(true);
}

void DSPSetting::NotifyChannelMap(const uint32_t mutes[8]) {
    if (!mutes) return;
    {
        std::lock_guard<std::mutex> g(model_.Lock(model::kLockMute));
        for (int o = 0; o < model::kChannelCount; ++o) model_.SetMuteValue(o, mutes[o]);
    }
    model_.SetMuteDirty();
    Redraw(true);
}

void DSPSetting::ShowCommError(int on) {
    if (on) {
        lines_[1] = "Comunication Error.";
        lines_[3] = " ";
        lines_[4] = " ";
    } else {
        lines_[1] = " ";
    }
    Redraw(true);
}

void DSPSetting::ShowConnectionStatus(uint32_t version, int star, int remote, int rescue) {
    remoteConnected_ = remote;
    if (version != 0xFFFFFFFFu) {
        const int b3 = (version >> 24) & 0xFF, b2 = (version >> 16) & 0xFF, b1 = (version >> 8) & 0xFF,
                  b0 = version & 0xFF;
        char text[96];
        if (version == 0)
            std::snprintf(text, sizeof text, "Offline Mode");
        else if (rescue)
            std::snprintf(text, sizeof text, "firmware: %d.%d.%d.%d - Rescue", b3, b2, b1, b0);
        else
            std::snprintf(text, sizeof text, "firmware: ver. %d.%d.%d.%d", b3, b2, b1, b0);
        lines_[0] = text;
        lines_[3] = remote ? "Vexa connected" : "Vexa not connected.";
    }
    if (version != 0) lines_[4] = star ? "darvix connected (*)." : "darvix connected.";
    Redraw(true);
}

void DSPSetting::ShowVexaStatus(int major, int minor) {
    char text[64];
    if (remoteConnected_)
        std::snprintf(text, sizeof text, "Vexa connected (ver. %d.%02d)", major, minor);
    else
        std::snprintf(text, sizeof text, "Vexa not connected.");
    lines_[3] = text;
    Redraw(true);
}

void DSPSetting::StoreWorkingMode(int mode) {
    model_.SetWorkingModeValue(static_cast<uint32_t>(mode));
    Redraw(true);
}

void DSPSetting::SetConfigMode(int mode) {
    model_.SetConfigMode(static_cast<uint32_t>(mode));
    Redraw(true);
}

void DSPSetting::SelectPreset(int preset) {
    model_.SelectPreset(preset);
    Redraw(true);
}

void DSPSetting::CopyPreset(int from, int to) {
    model_.CopyPreset(from, to);
    Redraw(true);
}

void DSPSetting::ReloadAllPages() {
    model_.ResetToDefaults();
    Redraw(true);
}

void DSPSetting::RefreshFromModel(bool) {
    model_.DesignPreset(model_.CurrentPreset());
    Redraw(true);
}

int DSPSetting::OnDeviceMessage(const uint8_t* frame, size_t length) {
    const int taken = model::ParseTuningMessage(model_, frame, length);
    // A live equaliser curve is taken above and applied here.
    if (length == devlink::kLiveEqCurveLength) model_.ApplyEqCurve({frame, length});
    return taken;
}

int DSPSetting::SendPendingChanges(const devlink::FrameSender& sender) {
    return model_.SendPendingChanges(sender, sendLog_.is_open() ? &sendLog_ : nullptr);
}

void DSPSetting::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    HDC dc = BackBuffer();
    if (dc && font_) {
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, font_);
        SetTextColor(dc, RGB(0x1E, 0x2A, 0x36));
        int y = 24;
        for (const std::string& line : lines_) {
            TextOutA(dc, 40, y, line.c_str(), static_cast<int>(line.size()));
            y += 22;
        }
        char head[96];
        std::snprintf(head, sizeof head, "Preset %c  -  %s mode%s", 'A' + model_.CurrentPreset(),
                      model_.WorkingMode() ? "Standard" : "Expert",
                      source_ >= 0 ? "  -  external source" : "");
        TextOutA(dc, 40, y + 16, head, static_cast<int>(std::strlen(head)));
        SelectObject(dc, small_);
        y += 52;
        for (int o = 0; o < model::kChannelCount; ++o) {
            const model::DspChannelRecord& r = model_.Record(model_.CurrentPreset(), o);
            char row[160];
            if (model::IsAssigned(r)) {
                const model::CrossoverParams& x = r.crossover;
                const char* type = x.FilterType >= 0 && x.FilterType < 4 ? kTypeNames[x.FilterType] : "?";
                std::snprintf(row, sizeof row, "%d: %-22s %-10s LP %6.0f Hz  HP %6.0f Hz  %2.0f dB  %s%s",
                              o + 1, SpeakerName(r).c_str(), type, x.LPFreq, x.HPFreq, x.LFSlope,
                              x.FilterModel == model::kButterworth ? "Butterworth" : "Linkwitz",
                              model_.Mute(o) ? "  (mute)" : "");
            } else {
                std::snprintf(row, sizeof row, "%d: Not Connected", o + 1);
            }
            TextOutA(dc, 40, y, row, static_cast<int>(std::strlen(row)));
            y += 20;
        }
        SelectObject(dc, old);
    }
    if (updateNow) UpdateNow();
}

}  // namespace pages
