#include "pages/output_level_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/records.h"

namespace pages {
namespace {

float ClampToFader(int i, float v) {
    const FaderRange& r = kFaderRanges[i];
    if (std::isnan(v)) return r.min;
    return std::clamp(v, r.min, r.max);
}

}  // namespace

std::string LevelReadout(float dB) {
    char text[32];
    const double shown = std::floor(2.0 * static_cast<double>(dB)) * 0.5;
    std::snprintf(text, sizeof text, "%2.1f", shown == 0.0 ? 0.0 : shown);
    return text;
}

int ChannelIconIndex(int position, int kind, int variant) {
    using namespace model;
    if (kind == kSubwoofer || kind == kSubwooferR || kind == kSubwooferL) {
        if (position < 0 || position > 5) return kNoChannelIcon;
        return kind == kSubwoofer ? 17 : kind == kSubwooferR ? 18 : 19;
    }
    if (kind < 0 || kind > 3) return kNoChannelIcon;
    switch (position) {
        case kFrontLeft:
            if (kind == kMidrange && variant == 3) return 20;
            return kind;
        case kFrontRight:
            if (kind == kMidrange && variant == 7) return 21;
            return 4 + kind;
        default: break;
    }
    // The rear and centre speakers have no midrange picture.
    static constexpr int kThreeWay[4] = {0, 1, -1, 2};
    const int k = kThreeWay[kind];
    if (k < 0) return kNoChannelIcon;
    switch (position) {
        case kRearLeft: return 8 + k;
        case kRearRight: return 11 + k;
        case kCenter: return 14 + k;
        default: return kNoChannelIcon;
    }
}

// ---- the page's state --------------------------------------------------------------------------

OutputLevelLogic::OutputLevelLogic(devlink::LinkNotifier* notifier, devlink::ReplyChannel* replies)
    : notifier_(notifier), replies_(replies) {
    for (auto& preset : levels_) preset.fill(kDefaultChannelLevel);
    for (int i = 0; i < kLevelFaders; ++i) faders_[i] = kFaderRanges[i].initial;
}

void OutputLevelLogic::SetFaderLocked(int i, float value) { faders_[i] = ClampToFader(i, value); }

void OutputLevelLogic::FadersFromPresetLocked() {
    for (int c = 0; c < kLevelChannels; ++c) SetFaderLocked(c, levels_[preset_][c]);
}

float OutputLevelLogic::Fader(int i) const {
    std::lock_guard<std::mutex> g(lock_);
    return i >= 0 && i < kLevelFaders ? faders_[i] : 0.0f;
}

float OutputLevelLogic::Level(int preset, int channel) const {
    std::lock_guard<std::mutex> g(lock_);
    if (preset < 0 || preset >= kLevelPresets || channel < 0 || channel >= kLevelChannels) return 0.0f;
    return levels_[preset][channel];
}

bool OutputLevelLogic::SendFlag(int i) const {
    std::lock_guard<std::mutex> g(lock_);
    return i >= 0 && i < kLevelFaders && sendFlags_[i] != 0;
}

bool OutputLevelLogic::SendAllPending() const {
    std::lock_guard<std::mutex> g(lock_);
    return sendAll_ != 0;
}

bool OutputLevelLogic::OnFaderMoved(int fader, float value, float change) {
    std::lock_guard<std::mutex> g(lock_);
    if (fader >= 0 && fader < kLevelChannels) {
        if (link_) {
            // All eight move by the same step, as far as the one nearest its end allows.
            float d = std::isfinite(change) ? change : 0.0f;
            const auto [lo, hi] = std::minmax_element(faders_.begin(), faders_.begin() + kLevelChannels);
            if (*hi + d > 0.0f) d = -*hi;
            if (*lo + d < kFaderRanges[0].min) d = kFaderRanges[0].min - *lo;
            for (int c = 0; c < kLevelChannels; ++c) {
                SetFaderLocked(c, faders_[c] + d);
                levels_[preset_][c] = faders_[c];
                sendFlags_[c] = 1;
            }
        } else {
            SetFaderLocked(fader, value);
            levels_[preset_][fader] = faders_[fader];
            sendFlags_[fader] = 1;
        }
        changed_ = 1;
        return false;
    }
    if (fader == kMasterFader || fader == kSubwooferFader) {
        SetFaderLocked(fader, value);
        sendFlags_[fader] = 1;
        return fader == kMasterFader;
    }
    return false;
}

std::array<uint32_t, 8> OutputLevelLogic::SetMute(int channel, bool muted) {
    if (channel >= 0 && channel < kLevelChannels) mutes_[channel] = muted ? 1 : 0;
    return mutes_;
}

void OutputLevelLogic::SetMutes(const uint32_t mutes[8]) {
    if (!mutes) return;
    for (int c = 0; c < kLevelChannels; ++c) mutes_[c] = mutes[c] ? 1 : 0;
}

void OutputLevelLogic::SelectPreset(int preset, int markChanged) {
    std::lock_guard<std::mutex> g(lock_);
    if (preset < 0 || preset >= kLevelPresets || preset == preset_) return;
    preset_ = preset;
    FadersFromPresetLocked();
    if (markChanged) changed_ = 1;
    for (int c = 0; c < kLevelChannels; ++c) sendFlags_[c] = 1;
}

void OutputLevelLogic::CopyPreset(int from, int to) {
    if (to < 0 || to >= kLevelPresets) return;
    std::lock_guard<std::mutex> g(lock_);
    if (from >= 0 && from < kLevelPresets) levels_[to] = levels_[from];
    else levels_[to].fill(kDefaultChannelLevel);
    FadersFromPresetLocked();
}

void OutputLevelLogic::ResetLevels() {
    std::lock_guard<std::mutex> g(lock_);
    for (auto& preset : levels_) preset.fill(kDefaultChannelLevel);
    for (int i = 0; i < kLevelFaders; ++i) faders_[i] = kFaderRanges[i].initial;
}

void OutputLevelLogic::Reset() {
    ResetLevels();
    link_ = false;
}

int OutputLevelLogic::GetLevels(float* out, int n) const {
    if (!out || n <= 0) return 0;
    const int k = std::min(n, kLevelFaders);
    std::lock_guard<std::mutex> g(lock_);
    for (int i = 0; i < k; ++i) out[i] = faders_[i];
    return k;
}

void OutputLevelLogic::SetMasterLevel(float dB) {
    std::lock_guard<std::mutex> g(lock_);
    SetFaderLocked(kMasterFader, dB);
}

void OutputLevelLogic::RequestFullSend() {
    std::lock_guard<std::mutex> g(lock_);
    sendAll_ = 1;
}

int OutputLevelLogic::ParseLevelResponse(const uint8_t* frame, size_t length, bool* applied) {
    if (applied) *applied = false;
    LevelReport report;
    switch (ParseLevelReport(frame, length, &report)) {
        case LevelReply::None: return 0;
        case LevelReply::Ignored: return 1;  // taken off the list and ignored
        case LevelReply::Report: break;
    }
    {
        std::lock_guard<std::mutex> g(lock_);
        levels_ = report.levels;
        FadersFromPresetLocked();
        SetFaderLocked(kMasterFader, report.master);
        SetFaderLocked(kSubwooferFader, report.subwoofer);
    }
    link_ = false;
    if (applied) *applied = true;
    return 1;
}

void OutputLevelLogic::OnShow(bool show) {
    clipRequest_.store(0);
    clipEnabled_.store(show ? 1 : 0);
    if (show) clipCounter_.store(0);
}

void OutputLevelLogic::OnClipTimer() {
    int expected = 0;
    clipRequest_.compare_exchange_strong(expected, 1);
}

std::optional<uint8_t> OutputLevelLogic::ClipMaskToShow(uint8_t mask) const {
    if (!clipEnabled_.load()) return std::nullopt;
    return mask;
}

}  // namespace pages
