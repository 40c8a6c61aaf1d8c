#include "pages/output_level_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "link/bytes.h"
#include "model/records.h"

namespace pages {
namespace {

using devlink::DeviceCommand;

// The lowest channel level a level byte can carry (255 half-dB steps of attenuation).
constexpr float kLowestStoredLevel = -127.5f;

// A computed byte: a value the fader ranges cannot produce (NaN, or beyond a byte) is held at the
// byte's ends instead of relying on an undefined float-to-integer conversion.
uint8_t ToByte(float v) {
    if (!std::isfinite(v)) return 0;
    if (v <= 0.0f) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(static_cast<int>(v));
}

float ClampToFader(int i, float v) {
    const FaderRange& r = kFaderRanges[i];
    if (std::isnan(v)) return r.min;
    return std::clamp(v, r.min, r.max);
}

bool ValidChannelLevel(float v) { return std::isfinite(v) && v <= 0.0f && v >= kLowestStoredLevel; }

}  // namespace

devlink::Frame BuildLevelMessage(int fader, int preset, float attenuation) {
    if (fader >= 0 && fader < kLevelChannels) {
        devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::ChannelLevel, 9);
        f[5] = static_cast<uint8_t>(preset);
        f[6] = static_cast<uint8_t>(fader);
        // Single precision as the device's own firmware tools compute it: 3.2 dB gives 6.4 -> 7.
        f[7] = ToByte(std::ceil(2.0f * attenuation));
        devlink::SealFrame(f);
        return f;
    }
    const bool master = fader == kMasterFader;
    devlink::Frame f = devlink::NewFrame(devlink::kNodeLevel,
                                         master ? DeviceCommand::MasterLevel : DeviceCommand::ExtraLevel, 7);
    const float bottom = master ? 60.0f : 12.0f;
    f[5] = ToByte(2.0f * (bottom - attenuation));
    devlink::SealFrame(f);
    return f;
}

devlink::Frame BuildLevelsRequest() {
    return devlink::BuildSimpleFrame(devlink::kNodeDsp, DeviceCommand::LevelsRequest);
}

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

OutputLevelLogic::OutputLevelLogic(devlink::LinkNotifier* notifier) : notifier_(notifier) {
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
    if (!frame || length < 7 || frame[4] != static_cast<uint8_t>(DeviceCommand::ChannelLevel)) return 0;
    if (length != kLevelReportLength) return 1;  // taken off the list and ignored
    {
        std::lock_guard<std::mutex> g(lock_);
        for (int p = 0; p < kLevelPresets; ++p)
            for (int c = 0; c < kLevelChannels; ++c)
                levels_[p][c] = -0.5f * static_cast<float>(frame[7 + 8 * p + c]);
        FadersFromPresetLocked();
        SetFaderLocked(kMasterFader, 0.5f * static_cast<float>(frame[5]) - 60.0f);
        SetFaderLocked(kSubwooferFader, 0.5f * static_cast<float>(frame[6]) - 12.0f);
    }
    link_ = false;
    if (applied) *applied = true;
    return 1;
}

int OutputLevelLogic::SendPendingLevels(const devlink::FrameSender& sender, devlink::ReplyChannel* replies) {
    bool all = false;
    {
        std::lock_guard<std::mutex> g(lock_);
        all = sendAll_ != 0;
    }
    if (all) {
        // Every preset's channels; the master and subwoofer level go with each preset.
        for (int p = 0; p < kLevelPresets; ++p)
            for (int i = 0; i < kLevelFaders; ++i)
                sender.SendLocked(lock_, [&] {
                    sendFlags_[i] = 0;
                    return BuildLevelMessage(i, p, i < kLevelChannels ? -levels_[p][i] : -faders_[i]);
                });
        std::lock_guard<std::mutex> g(lock_);
        sendAll_ = 0;
        return 1;
    }

    bool sent = false;
    for (int i = 0; i < kLevelFaders; ++i) {
        devlink::Frame frame;
        {
            std::lock_guard<std::mutex> g(lock_);
            if (!sendFlags_[i]) continue;
            sendFlags_[i] = 0;
            frame = BuildLevelMessage(i, preset_, -faders_[i]);
        }
        sender.Send(frame);
        sent = true;
    }
    if (sent) return 1;

    if (!replies || !clipEnabled_.load() || !clipRequest_.load()) return 0;
    replies->SetReceiveGate(0);
    // The first poll after the page is shown counts but is not shown: the device's first answer
    // may still hold clips from before.
    const int counter = std::min(clipCounter_.load() + 1, 2);
    clipCounter_.store(counter);
    sender.Send(BuildLevelsRequest());
    uint8_t reply[16] = {};
    const int got = replies->WaitResponse(static_cast<uint8_t>(DeviceCommand::LevelsRequest), reply, sizeof reply,
                                          kClipReplyWaitMs, true, nullptr);
    // A reply without a mask byte before its checksum counts as none.
    const bool usable = got && devlink::GetU16BE(reply + 2) >= kClipReplyMinLength;
    if (usable && counter == 2 && notifier_) notifier_->Post(kMsgClipMask, reply[5], 0);
    clipRequest_.store(0);
    replies->SetReceiveGate(1);
    replies->ClearReceived();
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

// ---- the file section ----------------------------------------------------------------------------
//
// A setup file holds a count and that many floats: 34 (the 32 channel levels preset by preset,
// the master, the subwoofer level; the last two are kept in the file but a load leaves the
// faders as they are, so that loading a setup never changes the volume); files of older programs
// hold 1..10 values (the eight channel levels for every preset, then the master and the
// subwoofer level, which these do set). A preset file holds eight levels per preset it contains.

void OutputLevelSection::Write(model::SectionWriter& out, const model::SectionContext& context) const {
    std::lock_guard<std::mutex> g(page_.lock_);
    if (!context.presetFile) {
        out.WriteI32(kSetupCount);
        for (const auto& preset : page_.levels_)
            for (float v : preset) out.WriteF32(v);
        out.WriteF32(page_.faders_[kMasterFader]);
        out.WriteF32(page_.faders_[kSubwooferFader]);
        return;
    }
    if (context.slot < -1 || context.slot > 3) {
        out.WriteI32(0);
        return;
    }
    out.WriteI32(8 * context.IncludedCount());
    for (int p = 0; p < kLevelPresets; ++p)
        if (context.included[p])
            for (float v : page_.levels_[p]) out.WriteF32(v);
}

std::string OutputLevelSection::Read(model::SectionReader& in, const model::SectionContext& context) {
    staged_.reset();
    int32_t count = 0;
    if (!in.ReadI32(&count)) return "the file ends before the output levels";
    if (count < 0) return "the output-level section holds a negative count (" + std::to_string(count) + ")";
    if (!context.presetFile) {
        if (count > kSetupCount)
            return "the output-level section holds " + std::to_string(count) + " values, at most 34 are allowed";
    } else {
        const int expected = 8 * context.IncludedCount();
        if (count != expected)
            return "the output-level section holds " + std::to_string(count) + " values, " +
                   std::to_string(expected) + " are expected";
    }
    Staging s;
    s.count = count;
    s.values.resize(static_cast<size_t>(count));
    // Which values are channel levels: older setup files put the channels first, then master and
    // subwoofer; the others hold channel levels up to value 32.
    const int channelValues = context.presetFile ? count : count <= 10 ? std::min(count, 8) : std::min(count, 32);
    for (int k = 0; k < count; ++k) {
        float& v = s.values[static_cast<size_t>(k)];
        if (!in.ReadF32(&v)) return "the file ends inside the output levels";
        if (!std::isfinite(v)) return "output level " + std::to_string(k + 1) + " is not a number";
        if (k < channelValues && !ValidChannelLevel(v))
            return "output level " + std::to_string(k + 1) + " is outside -127.5 to 0 dB";
    }
    staged_ = std::move(s);
    return "";
}

void OutputLevelSection::Apply(const model::SectionContext& context) {
    if (!staged_) return;
    const Staging& s = *staged_;
    {
        std::lock_guard<std::mutex> g(page_.lock_);
        auto& levels = page_.levels_;
        if (!context.presetFile) {
            if (s.count >= 1 && s.count <= 10) {
                for (int k = 0; k < s.count; ++k) {
                    const float v = s.values[static_cast<size_t>(k)];
                    if (k < kLevelChannels)
                        for (auto& preset : levels) preset[k] = v;
                    page_.SetFaderLocked(k, v);
                }
            } else {
                for (int k = 0; k < s.count && k < 32; ++k) levels[k / 8][k % 8] = s.values[static_cast<size_t>(k)];
            }
        } else if (context.slot == -1) {
            size_t b = 0;
            for (int p = 0; p < kLevelPresets; ++p) {
                if (!context.included[p]) continue;
                for (int c = 0; c < kLevelChannels; ++c) levels[p][c] = s.values[8 * b + c];
                ++b;
            }
        } else if (context.slot >= 0 && context.slot < kLevelPresets && s.count >= 8) {
            for (int c = 0; c < kLevelChannels; ++c) levels[context.slot][c] = s.values[c];
        }
        page_.FadersFromPresetLocked();
    }
    staged_.reset();
    if (page_.onLoaded_) page_.onLoaded_();
}

}  // namespace pages
