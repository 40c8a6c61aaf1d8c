#include "pages/source_messages.h"

#include <algorithm>
#include <cmath>

#include "dsp/eq.h"
#include "dsp/gain.h"
#include "link/bytes.h"
#include "model/tables.h"

namespace pages {

using devlink::DeviceCommand;
using devlink::GetF32LE;
using devlink::GetU32LE;
using devlink::PutF32LE;
using devlink::PutU32LE;

devlink::Frame BuildSourceSelectMessage(uint8_t source) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceSelect, 7);
    f[5] = source;
    devlink::SealFrame(f);
    return f;
}

devlink::Frame BuildSourceEqMessage(uint8_t source, const ExtSourceRecord& r) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceEq, 136);
    f[5] = source;
    uint32_t mask = 0;
    for (int k = 0; k < kSourceBands; ++k) {
        // Gains the record cannot hold as a finite linear value go out flat rather than as inf.
        const float g = GainFitsFrame(r.gains[k]) ? static_cast<float>(dsp::DbToLinear(r.gains[k])) : 1.0f;
        PutF32LE(&f[6 + 4 * k], g);
        if (r.bandSwitches[k]) mask |= 1u << k;
    }
    PutU32LE(&f[130], mask);
    f[134] = static_cast<uint8_t>(r.eqOff);
    devlink::SealFrame(f);
    return f;
}

uint8_t SensitivityCode(float dB) {
    if (!std::isfinite(dB)) return 0;
    // 2 * trunc(dB + 3) kept to its low byte without an out-of-range integer conversion.
    const double steps = std::fmod(2.0 * std::trunc(static_cast<double>(dB) + 3.0), 256.0);
    return static_cast<uint8_t>(static_cast<int>(steps) & 0xFF);
}

devlink::Frame BuildSourceSensitivityMessage(uint8_t source, const ExtSourceRecord& r) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceSensitivity, 11);
    f[5] = source;
    f[7] = static_cast<uint8_t>(r.rangeFlag);
    f[9] = SensitivityCode(r.sensitivity);
    devlink::SealFrame(f);
    return f;
}

devlink::Frame BuildSourceLevelsMessage(const std::array<ExtSourceRecord, kSourceCount>& records) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceFlags, 11);
    for (int s = 0; s < kSourceCount; ++s) f[5 + s] = static_cast<uint8_t>(records[s].enabled);
    devlink::SealFrame(f);
    return f;
}

ParsedSourceReply ParseSourceReply(const uint8_t* f, size_t length) {
    ParsedSourceReply out;
    if (!f || length < 7) return out;
    if (f[4] == static_cast<uint8_t>(DeviceCommand::InputConfig)) {
        out.kind = SourceReply::Ignored;
        if (length != kInputConfigLength) return out;
        InputConfigReply& c = out.inputConfig;
        c.lowLevel = f[5] == 1;
        std::fill(std::begin(c.indexes), std::end(c.indexes), 1024);
        for (int i = 0; i < (c.lowLevel ? 6 : 8); ++i)
            c.indexes[i] = model::RoutingCodeToIndex(f[11 + i], c.lowLevel ? 1 : 0);
        if (f[5] == 1 || f[5] == 2) c.type = f[5] - 1;
        for (int s = 0; s < kSourceCount; ++s) c.flags[s] = f[6 + s];
        out.kind = SourceReply::InputConfig;
        return out;
    }
    if (f[4] != static_cast<uint8_t>(DeviceCommand::SourceEq)) return out;
    out.kind = SourceReply::Ignored;
    if (length != kSourceEqReplyLength || f[5] >= kSourceCount) return out;
    SourceEqReply& r = out.sourceEq;
    for (int k = 0; k < kSourceBands; ++k) {
        r.linear[k] = GetF32LE(f + 6 + 4 * k);
        // A gain that is no number at all makes the whole frame suspect: nothing of it is kept.
        if (!std::isfinite(r.linear[k])) return out;
    }
    r.source = f[5];
    r.eqOff = f[134];
    r.deviceFlag = f[135];
    r.rangeFlag = f[136];
    r.sensitivity = f[137] * 0.5f - 3.0f - (r.rangeFlag ? 12.0f : 0.0f);
    r.mask = GetU32LE(f + 130);
    out.kind = SourceReply::SourceEq;
    return out;
}

void ApplySourceEqReply(const SourceEqReply& reply, ExtSourceRecord* r) {
    r->eqOff = reply.eqOff;
    r->deviceFlag = reply.deviceFlag;
    r->rangeFlag = reply.rangeFlag;
    r->sensitivity = reply.sensitivity;
    for (int k = 0; k < kSourceBands; ++k) {
        r->bandSwitches[k] = (reply.mask >> k) & 1u;
        if (reply.linear[k] <= 0.0f) continue;
        r->gains[k] = static_cast<float>(dsp::LinearToDb(static_cast<double>(reply.linear[k])));
        dsp::ComputeEqBand(&r->sections[k], reply.linear[k], k);
    }
}

}  // namespace pages
