// The external sources' frames: those the PC sends (all to the DSP unit, the master level to the
// level node, see BuildMasterLevelMessage) and the two the unit answers with, read into plain
// values before the page takes them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/frame.h"
#include "pages/source_records.h"

namespace pages {

constexpr uint32_t kSourceSwitchMs = 1500;  // the device needs this long to change its input
constexpr size_t kSourceEqReplyLength = 140;
constexpr size_t kInputConfigLength = 20;

devlink::Frame BuildSourceSelectMessage(uint8_t source);  // 'z': 0..4, 0xFF Master
devlink::Frame BuildSourceEqMessage(uint8_t source, const ExtSourceRecord& record);
devlink::Frame BuildSourceSensitivityMessage(uint8_t source, const ExtSourceRecord& record);
devlink::Frame BuildSourceLevelsMessage(const std::array<ExtSourceRecord, kSourceCount>& records);
// The sensitivity byte of 0x89: whole decibels above -3 dB in half-decibel units, low 8 bits.
uint8_t SensitivityCode(float dB);

// What a received frame is to the page.
enum class SourceReply {
    None,         // not the page's frame
    Ignored,      // the page's command, but damaged: taken without effect
    InputConfig,  // the input configuration
    SourceEq,     // a source's equaliser, sensitivity and flags
};

// The input configuration: the input type, the routing indexes of the inputs the map shows (1024
// for those it does not) and the five sources' enable flags.
struct InputConfigReply {
    bool lowLevel = false;
    int32_t indexes[8] = {};
    int type = -1;  // 0 high level, 1 low level, -1 neither
    uint32_t flags[kSourceCount] = {};
};

// One source's equaliser as the unit holds it: linear band gains, the band mask, EQ Off, the
// flags and the sensitivity in dB.
struct SourceEqReply {
    int source = 0;
    std::array<float, kSourceBands> linear{};
    uint32_t mask = 0;
    uint32_t eqOff = 0, deviceFlag = 0, rangeFlag = 0;
    float sensitivity = 0.0f;
};

struct ParsedSourceReply {
    SourceReply kind = SourceReply::None;
    InputConfigReply inputConfig;
    SourceEqReply sourceEq;
};

// Reads a frame from the unit. A source-equaliser frame of another length, for a source that does
// not exist, or with a gain that is no number at all is Ignored as a whole.
ParsedSourceReply ParseSourceReply(const uint8_t* frame, size_t length);
// Takes a source-equaliser reply into the record: flags, sensitivity, band switches, and each band
// whose gain is above zero (no decibel value stands for a gain of zero or below: such a band keeps
// what it had) with its section designed again.
void ApplySourceEqReply(const SourceEqReply& reply, ExtSourceRecord* record);

}  // namespace pages
