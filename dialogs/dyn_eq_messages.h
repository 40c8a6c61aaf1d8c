// The device messages of dynamic equalisation: calibration start and stop (0x87, 0x88), a curve's
// band gains (0x8A), the mode (0x8B) and a curve's reference volume (0x94). Each builder returns
// the complete frame to the DSP unit ('F'); the parsers read the unit's curve and mode replies of
// a read-back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "dialogs/dyn_eq_records.h"
#include "link/frame.h"

namespace dialogs {

// Frame lengths.
constexpr size_t kDynEqStartLength = 7;
constexpr size_t kDynEqCurveSentLength = 131;
constexpr size_t kDynEqCurveReplyLength = 132;
constexpr size_t kDynEqModeSentLength = 8;
constexpr size_t kDynEqModeReplyLength = 11;
constexpr size_t kDynEqLevelLength = 9;

// Below this a received linear gain counts as this (-360 dB).
constexpr double kDynEqGainFloor = 1e-18;

// 0x87 / 0x88 with curve index + 1 (index -1, the dialog opening or closing, gives 0).
devlink::Frame BuildDynEqStartMessage(int curveIndex);
devlink::Frame BuildDynEqStopMessage(int curveIndex);
// 0x8B: the mode and 1 when dynamic equalisation is enabled for the current preset.
devlink::Frame BuildDynEqModeMessage(int mode, int enable);
// 0x8A: the 31 gains in dB sent as linear single-precision gains 10^(dB / 20).
devlink::Frame BuildDynEqCurveMessage(int curveIndex, const float gainsDb[kDynEqBands]);
// 0x94: the level byte is the truncation of 2 (60 - x), callers pass x = -reference dB; flag is 0
// in the full send and 1 otherwise. A byte outside 0..255 is held at the nearer end.
devlink::Frame BuildDynEqLevelMessage(int curveIndex, float x, int flag);

// The level byte of a reference volume: the truncation of 2 (reference + 60), or -1 when the
// reference is not finite; a reference outside the byte's range gives -1 below it and 256
// above it. The device's byte b means b / 2 - 60 dB.
int DynEqLevelByte(float referenceDb);

// A curve the unit reports: 0x8A of 132 bytes with curve byte 1 or 2 (curve = byte - 1); gain i
// is 20 log10 of the linear gain i (at least 1e-18), the reference b / 2 - 60 dB of byte 130.
struct DynEqCurveReply {
    int curve;
    float gains[kDynEqBands];
    float reference;
};
// Nothing for a frame of another command or length, another curve byte, or a gain that is no
// number or whose value in dB a curve cannot hold.
std::optional<DynEqCurveReply> ParseDynEqCurveReply(const uint8_t* frame, size_t length);

// The unit's mode: 0x8B of 11 bytes with mode byte 0..2, then the four presets' switch values
// (1 = dynamic equalisation off for that preset).
struct DynEqModeReply {
    int mode;
    std::array<uint32_t, kDynEqPresets> switches;
};
// Nothing for a frame of another command or length, or a mode byte above 2.
std::optional<DynEqModeReply> ParseDynEqModeReply(const uint8_t* frame, size_t length);

}  // namespace dialogs
