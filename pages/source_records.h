// The external sources' records: the five sources (Aux1, Aux2, S/PDIF, Optical, Phone), each with
// an equaliser, an input sensitivity and the shared master level, and the values a source starts
// with. The frames are in source_messages.h, the file bytes in source_section.h.
#pragma once

#include <array>
#include <cstdint>

#include "model/records.h"

namespace pages {

constexpr int kSourceCount = 5;
constexpr int kMasterMode = -1;      // no external source: the main inputs
constexpr int kNoPendingSource = -2;
constexpr int kSourceBands = model::kBandCount;

constexpr int kAux1 = 0, kAux2 = 1, kSpdif = 2, kOptical = 3, kPhone = 4;

// One source's record as setup files hold it (kSourceRecordSize bytes, see WriteSourceRecord).
struct ExtSourceRecord {
    std::array<float, kSourceBands> gains{};           // dB
    std::array<uint32_t, kSourceBands> bandSwitches{};  // 1 = the band is selected in the panel
    std::array<model::BiquadSection, kSourceBands> sections{};
    uint32_t eqOff = 0;
    uint32_t deviceFlag = 0;  // as the device reported it; nothing reads it
    uint32_t rangeFlag = 0;   // from the device's reply, sent back with the sensitivity
    float master = 0.0f;      // dB, the same in all five records
    float sensitivity = 0.0f; // dB
    uint32_t enabled = 0;     // 1 when the source exists
};

constexpr float kDefaultSensitivity = 11.15014f;  // 20 log10 3.61: shown as 1.00 V
constexpr float kDefaultSourceMaster = -45.0f;
constexpr float kSourceMasterMin = -60.0f, kSourceMasterMax = 0.0f;
constexpr float kSensitivityMin = -3.0f, kSensitivityMax = 21.5f;
constexpr float kPhoneSensitivityMin = -9.0f, kPhoneSensitivityMax = 15.5f;

// True when a band gain in dB has a linear value a single-precision float on the wire can carry.
bool GainFitsFrame(float dB);
// A record as the page starts: flat bands, master -45 dB, sensitivity 1.00 V, disabled.
ExtSourceRecord InitialSourceRecord();
// The 31 bands' sections designed from the record's gains.
void DesignSourceSections(ExtSourceRecord* record);
// Band k's section designed again from its gain; a gain that does not fit a frame leaves it.
void DesignSourceBand(ExtSourceRecord* record, int k);

}  // namespace pages
