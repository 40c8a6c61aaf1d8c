#include "pages/level_messages.h"

#include <cmath>

#include "link/bytes.h"

namespace pages {
namespace {

using devlink::DeviceCommand;

// A computed byte: a value the fader ranges cannot produce (NaN, or beyond a byte) is held at the
// byte's ends instead of relying on an undefined float-to-integer conversion.
uint8_t ToByte(float v) {
    if (!std::isfinite(v)) return 0;
    if (v <= 0.0f) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(static_cast<int>(v));
}

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

LevelReply ParseLevelReport(const uint8_t* frame, size_t length, LevelReport* out) {
    if (!frame || length < 7 || frame[4] != static_cast<uint8_t>(DeviceCommand::ChannelLevel)) return LevelReply::None;
    if (length != kLevelReportLength) return LevelReply::Ignored;
    for (int p = 0; p < kLevelPresets; ++p)
        for (int c = 0; c < kLevelChannels; ++c)
            out->levels[p][c] = -0.5f * static_cast<float>(frame[7 + 8 * p + c]);
    out->master = 0.5f * static_cast<float>(frame[5]) - 60.0f;
    out->subwoofer = 0.5f * static_cast<float>(frame[6]) - 12.0f;
    return LevelReply::Report;
}

std::optional<uint8_t> ClipReplyMask(const uint8_t* reply) {
    if (devlink::GetU16BE(reply + 2) < kClipReplyMinLength) return std::nullopt;
    return reply[5];
}

}  // namespace pages
