// The application's own device messages: the current preset and its notice to the remote-control
// accessory, the dynamic-equalisation switch, the working mode, the reset of the device's settings
// and the diagnostics dump; and the parsers of what the device reports about them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "link/frame.h"

namespace app {

devlink::Frame BuildPresetSelectMessage(int preset);
// The preset notice for the accessory node, made from a preset-select frame: node 0x80, command
// 0x0F, preset + 1 (1..4). An input that is not a 7-byte preset-select frame gives nothing.
devlink::Frame PresetNoticeFrom(const devlink::Frame& presetSelect);
// offFlag is the stored "off" switch: the device receives its negation (1 = on).
devlink::Frame BuildDynamicEqSwitchMessage(uint32_t offFlag);
devlink::Frame BuildWorkingModeMessage(uint32_t mode);
devlink::Frame BuildResetDeviceMessage();
devlink::Frame BuildStatusDumpRequest();

// Each returns 0 for a null frame, one shorter than 7 bytes or of another command, and 1 for its
// own command of any length; the value is taken only from a frame of exactly 7 bytes, and only
// when it is in range (preset 0..3, source 0..4, mode 0 or 1). Untaken values are left as they are.
int ParsePresetMessage(const uint8_t* frame, size_t length, int* preset);
int ParseSourceMessage(const uint8_t* frame, size_t length, int* source);
int ParseWorkingModeMessage(const uint8_t* frame, size_t length, int* mode);

// The longest diagnostics dump the device sends.
constexpr size_t kDeviceStateDumpLength = 802;

// Writes the rows of a diagnostics dump reply as "dumpDsp.log" holds them. The file is written in
// binary mode and every "\n" of the formats becomes CR LF, as a Windows text stream writes it, so
// the bytes are the same whichever build writes them. A reply shorter than 802 bytes has its
// missing fields read as zero. Returns false when the file could not be written.
bool WriteDeviceStateDump(const uint8_t* reply, size_t length, std::FILE* out);

}  // namespace app
