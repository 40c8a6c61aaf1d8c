#include "pages/dsp_setting.h"

#include <cstring>

#include "model/tables.h"
#include "model/tuning_receive.h"
#include "res/resource.h"
#include "ui/gdi.h"
#include "ui/messages.h"

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
    lines_.SetLine(0, "Offline Mode");
    font_ = ui::gdi::MakeFont(-15, FW_BOLD, "Tahoma");
    small_ = ui::gdi::MakeFont(-13, FW_NORMAL, "Tahoma");
    if (GetHwnd()) {
        info_ = std::make_unique<DeviceInfo>(GetHwnd(), 564, 2);
        settings_ = std::make_unique<DisplaySettings>(GetHwnd(), 564, 202);
        chart_ = std::make_unique<DisplayChart>(GetHwnd(), 264, 311, 0);
        // A panel without its window is as good as none.
        if (!info_->GetHwnd()) info_.reset();
        if (!settings_->GetHwnd()) settings_.reset();
        if (!chart_->GetHwnd()) chart_.reset();
    }
    view_ = DisplayPanelsView(chart_.get(), settings_.get(), info_.get());
    ShowStatusLines();
    DrawChart();
    Redraw(true);
}

DSPSetting::~DSPSetting() {
    // The panels go before the page's window; the window goes before the fonts, so that no
    // message reaches the page while they are freed.
    view_ = DisplayPanelsView(nullptr, nullptr, nullptr);
    chart_.reset();
    settings_.reset();
    info_.reset();
    ui::gdi::Free(font_);
    ui::gdi::Free(small_);
}

void DSPSetting::SetDisplayValue(int source) {
    source_ = source;
    view_.SetSource(source);
}

void DSPSetting::ShowStatusLines() {
    for (int i = 0; i < 5; ++i) view_.SetLine(i, lines_.Line(i));
    view_.RefreshText(true);
}

int DSPSetting::ChartedOutput() const {
    const int p = model_.CurrentPreset();
    for (int o = 0; o < model::kChannelCount; ++o)
        if (model::IsAssigned(model_.Record(p, o))) return o;
    return -1;
}

void DSPSetting::UpdateChartCurves(int position, int kind, bool redraw) {
    if (!view_.HasSettings() || !view_.HasChart()) return;
    view_.ShowAllCurves(false);
    int eq = 0, xo = 0, total = 0;
    view_.GetSwitches(&eq, &xo, &total);
    const uint32_t e = EqualiserCurveId(position, kind), x = CrossoverCurveId(position, kind),
                   t = TotalCurveId(position, kind);
    if (total == 1) {
        view_.ShowCurve(e, false, false);
        view_.ShowCurve(x, false, false);
        view_.ShowCurve(t, true, redraw);
    } else if (eq == 1 || xo == 1) {
        view_.ShowCurve(e, eq == 1, false);
        view_.ShowCurve(x, xo == 1, false);
        view_.ShowCurve(t, false, redraw);
    } else {
        view_.ShowCurve(e, false, false);
        view_.ShowCurve(x, false, false);
        view_.ShowCurve(t, false, redraw);
    }
}

void DSPSetting::UpdateChartCurve(int position, int kind) {
    view_.SetHighlight(static_cast<int32_t>(EqualiserCurveId(position, kind)),
                       static_cast<int32_t>(CrossoverCurveId(position, kind)),
                       static_cast<int32_t>(TotalCurveId(position, kind)), false);
}

void DSPSetting::ShowChannelEq(int output, bool redraw) {
    if (!view_.HasChart() || output < 0 || output >= model::kChannelCount) return;
    const model::DspChannelRecord& r = model_.Record(model_.CurrentPreset(), output);
    const uint32_t id = EqualiserCurveId(r.position, r.kind);
    view_.ShowResponse(id, r.eqSections, model::kBandCount, redraw);
    view_.SetCurveFillArgb(id, kEqualiserFill, false);
    view_.SetCurveLineArgb(id, kEqualiserLine, false);
    UpdateChartCurves(r.position, r.kind, redraw);
}

void DSPSetting::ShowChannelCrossover(int output, bool redraw) {
    if (!view_.HasChart() || output < 0 || output >= model::kChannelCount) return;
    const int p = model_.CurrentPreset();
    const model::DspChannelRecord& r = model_.Record(p, output);
    const uint32_t id = CrossoverCurveId(r.position, r.kind);
    view_.ShowCrossoverResponse(id, r.crossover, model_.Sections(p, output), redraw);
    view_.SetCurveFillArgb(id, kCrossoverFill, false);
    view_.SetCurveLineArgb(id, kCrossoverLine, false);
    UpdateChartCurves(r.position, r.kind, redraw);
}

// Every other assigned output drawn, then the charted one highlighted and drawn, in one paint.
void DSPSetting::DrawChart() {
    if (!view_.HasChart()) return;
    view_.ShowSumResponse(false, nullptr, nullptr, nullptr, 0, false);
    const int f = ChartedOutput();
    if (f < 0) {
        view_.Paint(true);
        return;
    }
    const int p = model_.CurrentPreset();
    view_.SetHoldRedraw(true);
    for (int o = 0; o < model::kChannelCount; ++o) {
        if (o == f || !model::IsAssigned(model_.Record(p, o))) continue;
        ShowChannelEq(o, true);
        ShowChannelCrossover(o, true);
    }
    const model::DspChannelRecord& r = model_.Record(p, f);
    UpdateChartCurve(r.position, r.kind);
    ShowChannelEq(f, true);
    ShowChannelCrossover(f, true);
    view_.SetHoldRedraw(false);
}

void DSPSetting::RefreshPages() {
    DrawChart();
    Redraw(true);
}

void DSPSetting::EqualiserCurveChanged(int output) {
    const int f = ChartedOutput();
    if (output < 0 || output >= model::kChannelCount || !model::IsAssigned(model_.Record(model_.CurrentPreset(), output)))
        return;
    view_.SetHoldRedraw(true);
    ShowChannelEq(output, true);
    if (f >= 0) {
        const model::DspChannelRecord& r = model_.Record(model_.CurrentPreset(), f);
        UpdateChartCurves(r.position, r.kind, true);
    }
    view_.SetHoldRedraw(false);
}

LRESULT DSPSetting::OnAppMessage(HWND, UINT message, WPARAM, LPARAM) {
    if (message == ui::MsgCurveSwitches) {
        const int f = ChartedOutput();
        if (f >= 0) {
            const model::DspChannelRecord& r = model_.Record(model_.CurrentPreset(), f);
            UpdateChartCurves(r.position, r.kind, true);
        }
    }
    return 0;
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
        lines_.SetLine(1, "Comunication Error.");
        lines_.SetLine(3, " ");
        lines_.SetLine(4, " ");
    } else {
        lines_.SetLine(1, " ");
    }
    ShowStatusLines();
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
        lines_.SetLine(0, text);
        lines_.SetLine(3, remote ? "Vexa connected" : "Vexa not connected.");
    }
    if (version != 0) lines_.SetLine(4, star ? "darvix connected (*)." : "darvix connected.");
    ShowStatusLines();
}

void DSPSetting::ShowVexaStatus(int major, int minor) {
    char text[64];
    if (remoteConnected_)
        std::snprintf(text, sizeof text, "Vexa connected (ver. %d.%02d)", major, minor);
    else
        std::snprintf(text, sizeof text, "Vexa not connected.");
    lines_.SetLine(3, text);
    ShowStatusLines();
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
    // The page's own reset also brings the source back to "Master".
    view_.ResetSwitches(true);
    view_.ClearCurves();
    RefreshPages();
}

void DSPSetting::RefreshFromModel(bool) {
    model_.DesignPreset(model_.CurrentPreset());
    RefreshPages();
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
        // The summary keeps left of the status panels and above the chart.
        int y = 24 - 16;
        char head[96];
        std::snprintf(head, sizeof head, "Preset %c  -  %s mode%s", 'A' + model_.CurrentPreset(),
                      model_.WorkingMode() ? "Standard" : "Expert",
                      source_ >= 0 ? "  -  external source" : "");
        TextOutA(dc, 40, y + 16, head, static_cast<int>(std::strlen(head)));
        SelectObject(dc, small_);
        y += 46;
        for (int o = 0; o < model::kChannelCount; ++o) {
            const model::DspChannelRecord& r = model_.Record(model_.CurrentPreset(), o);
            char row[160];
            if (model::IsAssigned(r)) {
                const model::CrossoverParams& x = r.crossover;
                const char* type = x.FilterType >= 0 && x.FilterType < 4 ? kTypeNames[x.FilterType] : "?";
                std::snprintf(row, sizeof row, "%d: %s - %s %.0f / %.0f Hz %.0f dB %s%s", o + 1,
                              SpeakerName(r).c_str(), type, x.LPFreq, x.HPFreq, x.LFSlope,
                              x.FilterModel == model::kButterworth ? "BW" : "LR",
                              model_.Mute(o) ? " (mute)" : "");
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
