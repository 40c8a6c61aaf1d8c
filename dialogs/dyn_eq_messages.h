// The dynamic-equalisation curve record and the device messages that carry it: calibration start
// and stop (0x87, 0x88), a curve's band gains (0x8A), the mode (0x8B) and a curve's reference
// volume (0x94). Each builder returns the complete frame to the DSP unit ('F').
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/frame.h"
#include "model/records.h"

namespace dialogs {

constexpr int kDynEqBands = model::kBandCount;  // 31
constexpr int kDynEqCurves = 2;                 // 0 the Low-volume curve, 1 the High-volume curve
constexpr int kDynEqPresets = 4;

// Modes: the Easy slider, the Advanced graphic equaliser, or dynamic equalisation off.
constexpr int kDynEqEasy = 0;
constexpr int kDynEqAdvanced = 1;
constexpr int kDynEqOff = 2;

// One curve as setup files hold it byte for byte (little-endian).
struct DynEqCurveRecord {
    int32_t index;                                   // 0 Low-volume, 1 High-volume
    float eqLevel;                                   // dB, the Easy slider (-6..+6)
    float reference;                                 // dB, the Volume slider (-60..0)
    float gains[kDynEqBands];                        // dB, bands 0..30
    model::BiquadSection sections[kDynEqBands];      // designed from the gains
    int32_t enables[kDynEqBands];                    // Advanced band switches, 1 = on
    int32_t chartColoured;                           // 1 once the chart has this curve's colours
};
static_assert(sizeof(DynEqCurveRecord) == 4976);
static_assert(offsetof(DynEqCurveRecord, index) == 0);
static_assert(offsetof(DynEqCurveRecord, eqLevel) == 4);
static_assert(offsetof(DynEqCurveRecord, reference) == 8);
static_assert(offsetof(DynEqCurveRecord, gains) == 12);
static_assert(offsetof(DynEqCurveRecord, sections) == 136);
static_assert(offsetof(DynEqCurveRecord, enables) == 4848);
static_assert(offsetof(DynEqCurveRecord, chartColoured) == 4972);

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
// True when a gain in dB is finite and its linear gain 10^(dB / 20) is a finite float.
bool DynEqGainFits(float dB);

// The reset contents of curve c: index c, EQ level +6 (Low) or -6 (High), reference -30 (Low) or
// 0 (High), the Easy gains of that level, every section a neutral placeholder (b[1] = 1, a[0] = 1,
// order 2) until the chart designs it, enables and chart colour 0.
DynEqCurveRecord ResetDynEqCurve(int c);
// The Easy curve of an EQ level L: band i gets L - i L / 18 for bands 0..17, 0 above.
void EasyCurveGains(float level, float gains[kDynEqBands]);

}  // namespace dialogs
