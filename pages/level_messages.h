// The output levels' frames: the level frames the PC sends, the clip-indicator request, and the
// unit's level report and clip reply read into plain values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "pages/level_records.h"

namespace pages {

// The smallest clip reply that carries a mask: header, command, mask, checksum.
constexpr size_t kClipReplyMinLength = 7;
// The device's level report: master, subwoofer, 32 attenuation bytes, one spare, the checksum.
constexpr size_t kLevelReportLength = 41;

// The level frame of a fader: 0..7 the channel level of that preset ('~', attenuation in half-dB
// steps rounded up in single precision); 8 the master (0x0A), any other the subwoofer level
// (0x0D), both to the level node, in half-dB steps above the fader's bottom, truncated.
// attenuation = -dB. Byte values outside 0..255 wrap as the device's byte does.
devlink::Frame BuildLevelMessage(int fader, int preset, float attenuation);
// The master level frame (0x0A) for an attenuation a = -dB; the external-source page sends it too.
inline devlink::Frame BuildMasterLevelMessage(float attenuation) {
    return BuildLevelMessage(kMasterFader, 0, attenuation);
}
// The clip-indicator request (0x7F).
devlink::Frame BuildLevelsRequest();

// The unit's level report in dB, the faders' values before they are held to their ranges.
struct LevelReport {
    LevelTable levels{};
    float master = 0.0f;
    float subwoofer = 0.0f;
};
enum class LevelReply {
    None,     // not a level report (shorter than 7 bytes or another command)
    Ignored,  // a level frame of another length: taken without effect
    Report,
};
LevelReply ParseLevelReport(const uint8_t* frame, size_t length, LevelReport* out);

// The clip mask of a reply to the clip request, as the reply wait copied it (the first bytes
// of the frame); nothing when its length leaves no mask byte before the checksum.
std::optional<uint8_t> ClipReplyMask(const uint8_t* reply);

}  // namespace pages
