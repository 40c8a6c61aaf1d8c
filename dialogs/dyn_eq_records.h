// The dynamic-equalisation record: the two curves (Low-volume and High-volume) as setup files hold
// them, with the modes and the counts they are sized by, and what makes a curve or a gain usable.
#pragma once

#include <cstddef>
#include <cstdint>

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

// True when a gain in dB is finite and its linear gain 10^(dB / 20) is a finite float.
bool DynEqGainFits(float dB);

// The reset contents of curve c: index c, EQ level +6 (Low) or -6 (High), reference -30 (Low) or
// 0 (High), the Easy gains of that level, every section a neutral placeholder (b[1] = 1, a[0] = 1,
// order 2) until the chart designs it, enables and chart colour 0.
DynEqCurveRecord ResetDynEqCurve(int c);
// The Easy curve of an EQ level L: band i gets L - i L / 18 for bands 0..17, 0 above.
void EasyCurveGains(float level, float gains[kDynEqBands]);
// Designs the record's 31 sections from its gains in dB; a band whose design is not finite keeps
// its section.
void DesignDynEqBands(DynEqCurveRecord& record);

}  // namespace dialogs
