// The tuning records. They are written to setup and preset files byte for byte, so every field has
// a fixed width and every size and offset is checked at compile time, identically in both builds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace model {

constexpr int kPresetCount = 4;
constexpr int kChannelCount = 8;
constexpr int kBandCount = 31;
constexpr int kCoefficientCount = 9;
// A Butterworth 48 dB band pass is the longest cascade: 2 * (8 / 2) + 1 sections.
constexpr int kMaxCrossoverSections = 9;

enum SpeakerPosition : int32_t {
    kFrontLeft = 0,
    kCenter = 1,
    kFrontRight = 2,
    kRearRight = 3,
    kSubwooferSpot = 4,
    kRearLeft = 5,
};
constexpr int kPositionCount = 6;

enum SpeakerKind : int32_t {
    kFull = 0,
    kWoofer = 1,
    kMidrange = 2,
    kTweeter = 3,
    kSubwooferR = 4,
    kSubwoofer = 5,
    kSubwooferL = 6,
};
constexpr int kKindCount = 7;

constexpr int32_t kUnassigned = -1;

enum FilterTypeValue : int32_t { kFullRange = 0, kLowPass = 1, kHighPass = 2, kBandPass = 3 };
enum FilterModelValue : int32_t { kLinkwitz = 0, kButterworth = 1 };

// One IIR section: b[0..2] and a[0..2] are the only coefficients ever used; a0 may differ from 1
// (every user divides by it).
struct BiquadSection {
    double b[kCoefficientCount];
    double a[kCoefficientCount];
    int32_t order;
    uint32_t reserved;  // always 0
};
static_assert(sizeof(BiquadSection) == 152);
static_assert(offsetof(BiquadSection, b) == 0);
static_assert(offsetof(BiquadSection, a) == 72);
static_assert(offsetof(BiquadSection, order) == 144);
static_assert(offsetof(BiquadSection, reserved) == 148);

// The crossover block of a record: what the crossover panel edits and the crossover message
// carries. The five menu-id words always hold the choice-table id of the value beside them.
struct CrossoverParams {
    uint32_t typeMenuId;
    uint32_t lpFreqMenuId;
    uint32_t lfSlopeMenuId;
    uint32_t hpFreqMenuId;
    uint32_t hfSlopeMenuId;
    uint32_t familyMenuId;
    int32_t FilterType;
    float LPFreq;   // Hz: a low pass's cut-off; a band pass's lower edge
    float LFSlope;  // dB per octave: a low pass's slope, and both edges of a band pass
    float HPFreq;   // Hz: a high pass's cut-off; a band pass's upper edge
    float HFSlope;  // dB per octave: a high pass's slope
    int32_t distance;   // samples at 48000 Hz, >= 0
    int32_t delay;      // samples, 0..1056
    int32_t delayTrim;  // samples; delay + trim stays within 0..1056
    int32_t FilterModel;
    uint32_t bXoLink;
    // Once a run-time handle of the filter sections. The sections live in the model, outside the
    // raw bytes (a record copied whole or read from a file must not carry them), so this word is
    // always written as 0 and ignored when read.
    uint32_t sectionArray;
    int32_t sectionCount;
    uint32_t bInvPhase;
};
static_assert(sizeof(CrossoverParams) == 76);
static_assert(offsetof(CrossoverParams, typeMenuId) == 0);
static_assert(offsetof(CrossoverParams, lpFreqMenuId) == 4);
static_assert(offsetof(CrossoverParams, lfSlopeMenuId) == 8);
static_assert(offsetof(CrossoverParams, hpFreqMenuId) == 12);
static_assert(offsetof(CrossoverParams, hfSlopeMenuId) == 16);
static_assert(offsetof(CrossoverParams, familyMenuId) == 20);
static_assert(offsetof(CrossoverParams, FilterType) == 24);
static_assert(offsetof(CrossoverParams, LPFreq) == 28);
static_assert(offsetof(CrossoverParams, LFSlope) == 32);
static_assert(offsetof(CrossoverParams, HPFreq) == 36);
static_assert(offsetof(CrossoverParams, HFSlope) == 40);
static_assert(offsetof(CrossoverParams, distance) == 44);
static_assert(offsetof(CrossoverParams, delay) == 48);
static_assert(offsetof(CrossoverParams, delayTrim) == 52);
static_assert(offsetof(CrossoverParams, FilterModel) == 56);
static_assert(offsetof(CrossoverParams, bXoLink) == 60);
static_assert(offsetof(CrossoverParams, sectionArray) == 64);
static_assert(offsetof(CrossoverParams, sectionCount) == 68);
static_assert(offsetof(CrossoverParams, bInvPhase) == 72);

// Words 11..13 of the block: distance, delay and trim, which a partial copy keeps.
constexpr int kCrossoverWordCount = 19;
constexpr int kFirstDistanceWord = 11;
constexpr int kLastDistanceWord = 13;

// The tuning of one output channel in one preset.
struct DspChannelRecord {
    uint32_t inUse;  // 1 once the channel has received its default crossover
    int32_t output;    // 0..7, -1 none
    int32_t position;  // SpeakerPosition, -1 none
    int32_t kind;      // SpeakerKind, -1 none
    CrossoverParams crossover;
    float EQGain[kBandCount];       // dB, 0 = flat
    uint32_t btmskSel[kBandCount];  // 1 = band moves with the selection
    uint32_t reserved;              // keeps the sections 8-byte aligned; always written as 0
    BiquadSection eqSections[kBandCount];
    uint32_t EQLink;
    uint32_t EQOff;
    uint32_t amplifier;
    int32_t passiveVariant;  // 0..9; 3 and 7 are the left and right midrange-plus-tweeter pairs
};
static_assert(sizeof(DspChannelRecord) == 5072);
static_assert(offsetof(DspChannelRecord, inUse) == 0);
static_assert(offsetof(DspChannelRecord, output) == 4);
static_assert(offsetof(DspChannelRecord, position) == 8);
static_assert(offsetof(DspChannelRecord, kind) == 12);
static_assert(offsetof(DspChannelRecord, crossover) == 16);
static_assert(offsetof(DspChannelRecord, crossover) + offsetof(CrossoverParams, sectionArray) == 80);
static_assert(offsetof(DspChannelRecord, crossover) + offsetof(CrossoverParams, sectionCount) == 84);
static_assert(offsetof(DspChannelRecord, EQGain) == 92);
static_assert(offsetof(DspChannelRecord, btmskSel) == 216);
static_assert(offsetof(DspChannelRecord, reserved) == 340);
static_assert(offsetof(DspChannelRecord, eqSections) == 344);
static_assert(offsetof(DspChannelRecord, EQLink) == 5056);
static_assert(offsetof(DspChannelRecord, EQOff) == 5060);
static_assert(offsetof(DspChannelRecord, amplifier) == 5064);
static_assert(offsetof(DspChannelRecord, passiveVariant) == 5068);

struct DspPreset {
    DspChannelRecord channel[kChannelCount];  // indexed by output
};
static_assert(sizeof(DspPreset) == 40576);

// Send flags of one channel in one preset, one per message group.
enum DirtyFlag : int {
    kDirtyEqLink = 0,     // 'w'
    kDirtyEqOff = 1,      // 'v'
    kDirtyBand0 = 2,      // bands 0..30 at 2..32; any of them sends the whole equaliser ('s')
    kDirtyBandMask = 33,  // 'x'
    kDirtyCrossover = 34, // 't'
    kDirtyDelay = 35,     // 'u'
    kDirtyFlagCount = 36,
};

// The crossover's filter sections of one record, kept in storage the model owns beside the raw
// bytes; the record's section count says how many are in use.
struct CrossoverSections {
    std::array<BiquadSection, kMaxCrossoverSections> section{};
};

// True when the record's output, position and kind are all set.
inline bool IsAssigned(const DspChannelRecord& r) {
    return r.output != kUnassigned && r.position != kUnassigned && r.kind != kUnassigned;
}

// An identity section: b0 = a0 = 1, everything else 0.
inline BiquadSection IdentitySection(int32_t order = 2) {
    BiquadSection s{};
    s.b[0] = 1.0;
    s.a[0] = 1.0;
    s.order = order;
    return s;
}

// Copies the crossover block; with whole == 0 the destination keeps its distance, delay and trim.
// The filter sections belong to the destination's own storage: a copy never carries them (the
// section-array word stays 0 and the destination keeps its section count), and the destination is
// designed again before its sections are used.
inline void CopyCrossoverParams(CrossoverParams* dst, const CrossoverParams* src, int whole) {
    if (!dst || !src || dst == src) return;
    // Word by word: a partial copy must not even rewrite the distance, delay and trim, which
    // another thread reads under a lock the caller of a partial copy need not hold.
    const CrossoverParams from = *src;
    dst->typeMenuId = from.typeMenuId;
    dst->lpFreqMenuId = from.lpFreqMenuId;
    dst->lfSlopeMenuId = from.lfSlopeMenuId;
    dst->hpFreqMenuId = from.hpFreqMenuId;
    dst->hfSlopeMenuId = from.hfSlopeMenuId;
    dst->familyMenuId = from.familyMenuId;
    dst->FilterType = from.FilterType;
    dst->LPFreq = from.LPFreq;
    dst->LFSlope = from.LFSlope;
    dst->HPFreq = from.HPFreq;
    dst->HFSlope = from.HFSlope;
    if (whole != 0) {
        dst->distance = from.distance;
        dst->delay = from.delay;
        dst->delayTrim = from.delayTrim;
    }
    dst->FilterModel = from.FilterModel;
    dst->bXoLink = from.bXoLink;
    dst->sectionArray = 0;
    dst->bInvPhase = from.bInvPhase;
}

// One entry of an I/O configuration's output table (the wizard's result, or what the device
// reports): which speaker an output feeds.
struct OutputAssignment {
    int32_t output;    // 0..7
    int32_t position;  // 0..11
    int32_t kind;      // 0..11
    uint32_t amplifier;
    int32_t variant = 0;  // the passive crossover behind the output (0: none)
};

}  // namespace model
