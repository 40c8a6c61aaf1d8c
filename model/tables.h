// Constant tables of the tuning: crossover choices with their popup-menu ids and labels, the
// equaliser band centres, the device's routing codes, and the flat ids of parameters and curves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/records.h"

namespace model {

struct CrossoverChoice {
    float value;
    uint32_t id;  // popup-menu command id
    char label[64];
};
static_assert(sizeof(CrossoverChoice) == 72);

// 84 rows in four groups: family (2), filter type (4), slope (8), frequency (70).
constexpr int kChoiceCount = 84;
constexpr int kFamilyRow = 0, kFamilyRows = 2;
constexpr int kTypeRow = 2, kTypeRows = 4;
constexpr int kSlopeRow = 6, kSlopeRows = 8;
constexpr int kFrequencyRow = 14, kFrequencyRows = 70;
extern const CrossoverChoice CrossoverChoiceTable[kChoiceCount];

constexpr uint32_t kIdButterworth = 40025;
constexpr uint32_t kIdLinkwitz = 40026;
constexpr uint32_t kIdFullRange = 40013;
constexpr uint32_t kIdLowPass = 40014;
constexpr uint32_t kIdHighPass = 40015;
constexpr uint32_t kIdBandPass = 40016;
constexpr uint32_t kIdSlope6 = 40017;  // 6 dB; 12 dB is 40018 ... 48 dB is 40024

// Third-octave band centres, Hz, to five significant digits.
extern const double kBandCentreHz[kBandCount];

// Index 0..69 of the first frequency row whose value equals freq exactly (not tested when freq is
// -1.0) or whose id equals menuId (not tested when menuId is -1); -1 when none.
int FindFrequencyIndex(float freq, int32_t menuId);
// 0..3 the same way over the filter-type rows (type -1 is not tested).
int FindFilterTypeIndex(int32_t type, int32_t menuId);
// Frequency of row 0..69, else -1.0.
float GetFrequencyValue(int index);
// Menu id of row 0..69, else -1.
int32_t GetFrequencyMenuId(int index);
// The id of a slope value (6..48 in steps of 6), of a filter type, of a family; -1 when none.
int32_t SlopeMenuId(float slope);
int32_t FilterTypeMenuId(int32_t type);
int32_t FamilyMenuId(int32_t filterModel);

// Sets every menu-id word from the value beside it, by exact comparison; a value without a row
// keeps its old id. A null block is ignored.
void CrossoverToMenuIds(CrossoverParams* params);

// Flat ids of parameters and chart curves.
constexpr int kParamEq = 0;
constexpr int kParamCrossover = 1;
constexpr int kParamChannelTotal = 1024;
constexpr int kParamAcousticSum = 4096;
int32_t ParamIndex(int kind, int a, int b);
int32_t ParamIndexChannel(int32_t index);  // the b of an id of kind 0 or 1, else -1
int32_t ParamIndexSlot(int32_t index);     // the a of an id of kind 0 or 1, else -1

// Device routing codes: a base per position plus an offset per kind.
uint8_t ComposeRoutingCode(int32_t kind, int32_t position, uint32_t amplifier, int32_t variant);
constexpr int kRoutingIndexCount = 26;
uint8_t RoutingIndexToCode(int index);
// With alternate != 0 the six base codes give 18..23; otherwise a code's first index; code 0 gives
// 1024 and any other code 0.
int RoutingCodeToIndex(int code, int alternate);

}  // namespace model
