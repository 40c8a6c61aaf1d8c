#include "model/tuning_messages.h"

#include <cmath>
#include <vector>

#include "dsp/gain.h"
#include "link/bytes.h"
#include "model/tables.h"

namespace model {
namespace {

using devlink::DeviceCommand;
using devlink::Frame;
using devlink::kNodeDsp;

constexpr int kMaxRoutedIndex = 11;

Frame NewDspFrame(DeviceCommand command, size_t length, int preset, int channel) {
    Frame f = devlink::NewFrame(kNodeDsp, command, length);
    f[5] = static_cast<uint8_t>(preset);
    f[6] = static_cast<uint8_t>(channel);
    return f;
}

Frame BuildFlagMessage(DeviceCommand command, int channel, uint32_t flag, int preset) {
    Frame f = NewDspFrame(command, kEqFlagMessageLength, preset, channel);
    f[7] = flag != 0 ? 1 : 0;
    devlink::SealFrame(f);
    return f;
}

}  // namespace

uint32_t BandMask(const uint32_t switches[kBandCount]) {
    uint32_t mask = 0;
    for (int k = 0; k < kBandCount; ++k)
        if (switches[k] != 0) mask |= uint32_t{1} << k;
    return mask;
}

uint8_t PackListeningPoints(const int32_t points[kPresetCount]) {
    // A point from a file may be anything; packing it unmasked would spill into the next
    // preset's bits.
    unsigned packed = 0;
    for (int p = 0; p < kPresetCount; ++p) {
        const unsigned point = points[p] >= 0 && points[p] <= 3 ? static_cast<unsigned>(points[p]) : 0;
        packed |= point << (2 * p);
    }
    return static_cast<uint8_t>(packed);
}

Frame BuildEqMessage(int channel, const DspChannelRecord& record, int preset) {
    Frame f = NewDspFrame(DeviceCommand::ChannelEq, kEqMessageLength, preset, channel);
    for (int k = 0; k < kBandCount; ++k) {
        // The device takes linear factors; the power is taken in double and rounded once.
        const float gain = static_cast<float>(dsp::DbToLinear(static_cast<double>(record.EQGain[k])));
        // A gain that no float holds (a damaged file) must not reach the device.
        if (!std::isfinite(gain)) return {};
        devlink::PutF32LE(&f[7 + 4 * k], gain);
    }
    devlink::PutU32LE(&f[131], BandMask(record.btmskSel));
    f[135] = static_cast<uint8_t>(record.EQOff);
    f[136] = static_cast<uint8_t>(record.EQLink);
    devlink::SealFrame(f);
    return f;
}

Frame BuildCrossoverMessage(int channel, int preset, const CrossoverParams& block,
                            const CrossoverSections& sections) {
    const int n = block.sectionCount;
    // The count may come from a file that has not been designed again; never read past the
    // sections the model holds.
    if (n < 1 || n > kMaxCrossoverSections) return {};

    Frame f = NewDspFrame(DeviceCommand::Crossover, CrossoverMessageLength(n), preset, channel);
    f[7] = static_cast<uint8_t>(n);
    for (int k = 0; k < n; ++k) {
        const BiquadSection& s = sections.section[k];
        // Inverting the polarity of the whole cascade needs only the numerator of its first
        // section negated.
        const double sign = (k == 0 && block.bInvPhase != 0) ? -1.0 : 1.0;
        const double r = 1.0 / s.a[0];
        const float c[5] = {
            static_cast<float>(-s.a[2] * r),       static_cast<float>(-s.a[1] * r),
            static_cast<float>(sign * s.b[2] * r), static_cast<float>(sign * s.b[1] * r),
            static_cast<float>(sign * s.b[0] * r),
        };
        for (int i = 0; i < 5; ++i) {
            // A degenerate section (a0 = 0, or a design gone wrong) must not reach the device.
            if (!std::isfinite(c[i])) return {};
            devlink::PutF32LE(&f[8 + kCrossoverSectionBytes * k + 4 * i], c[i]);
        }
    }
    const size_t t = kCrossoverSectionBytes * static_cast<size_t>(n) + 8;
    f[t] = static_cast<uint8_t>(block.FilterType);
    f[t + 1] = static_cast<uint8_t>(block.FilterModel);
    devlink::PutF32LE(&f[t + 2], block.LPFreq);
    devlink::PutF32LE(&f[t + 6], block.HPFreq);
    // Slopes travel as whole dB per octave, truncated toward zero. A value no byte can hold
    // (only a damaged file gives one) is sent as 0 rather than converted undefinedly.
    auto slopeByte = [](float slope) -> uint8_t {
        return std::isfinite(slope) && slope > -1.0f && slope < 256.0f
                   ? static_cast<uint8_t>(static_cast<int>(slope))
                   : 0;
    };
    f[t + 10] = slopeByte(block.LFSlope);
    f[t + 11] = slopeByte(block.HFSlope);
    f[t + 12] = static_cast<uint8_t>(block.bInvPhase);
    f[t + 13] = static_cast<uint8_t>(block.bXoLink);
    devlink::SealFrame(f);
    return f;
}

Frame BuildDelayMessage(int channel, const CrossoverParams& block, int preset) {
    Frame f = NewDspFrame(DeviceCommand::Delay, kDelayMessageLength, preset, channel);
    devlink::PutU16BE(&f[7], static_cast<uint16_t>(block.delay));
    devlink::PutU16BE(&f[9], static_cast<uint16_t>(block.distance));
    devlink::PutU32BE(&f[11], static_cast<uint32_t>(block.delayTrim));
    devlink::SealFrame(f);
    return f;
}

Frame BuildEqOffMessage(int channel, uint32_t eqOff, int preset) {
    return BuildFlagMessage(DeviceCommand::EqOff, channel, eqOff, preset);
}

Frame BuildEqLinkMessage(int channel, uint32_t eqLink, int preset) {
    return BuildFlagMessage(DeviceCommand::EqLink, channel, eqLink, preset);
}

Frame BuildEqBandMaskMessage(int channel, const uint32_t switches[kBandCount], int preset) {
    Frame f = NewDspFrame(DeviceCommand::EqBandMask, kBandMaskMessageLength, preset, channel);
    devlink::PutU32LE(&f[7], BandMask(switches));
    devlink::SealFrame(f);
    return f;
}

Frame BuildMuteMaskMessage(const uint32_t mutes[kChannelCount]) {
    Frame f = devlink::NewFrame(kNodeDsp, DeviceCommand::MuteMask, kMuteMaskMessageLength);
    unsigned mask = 0;
    for (int o = 0; o < kChannelCount; ++o)
        if (mutes[o] != 0) mask |= 1u << o;
    f[5] = static_cast<uint8_t>(mask);
    devlink::SealFrame(f);
    return f;
}

Frame BuildListeningPointsMessage(uint8_t packed) {
    Frame f = devlink::NewFrame(kNodeDsp, DeviceCommand::ListeningPoints,
                                kListeningPointsMessageLength);
    f[5] = packed;
    devlink::SealFrame(f);
    return f;
}

namespace {
bool Routable(const OutputAssignment& a) {
    return a.output >= 0 && a.output < kChannelCount && a.kind >= 0 && a.kind <= kMaxRoutedIndex &&
           a.position >= 0 && a.position <= kMaxRoutedIndex;
}
uint8_t RoutingCodeOf(const OutputAssignment& a) {
    return ComposeRoutingCode(a.kind, a.position, a.amplifier, a.variant);
}
}  // namespace

Frame BuildRoutingMessage(std::span<const OutputAssignment> assignments) {
    Frame f = devlink::NewFrame(kNodeDsp, DeviceCommand::Routing, kRoutingMessageLength);
    constexpr size_t kCode = 5, kPosition = 13, kKind = 21, kVariant = 29, kAmplifier = 37;
    for (int o = 0; o < kChannelCount; ++o) {
        f[kPosition + o] = 0xFF;
        f[kKind + o] = 0xFF;
    }
    for (const OutputAssignment& a : assignments) {
        if (!Routable(a)) continue;
        const size_t o = static_cast<size_t>(a.output);
        f[kCode + o] = RoutingCodeOf(a);
        f[kPosition + o] = static_cast<uint8_t>(a.position);
        f[kKind + o] = static_cast<uint8_t>(a.kind);
        f[kVariant + o] = static_cast<uint8_t>(a.variant);
        f[kAmplifier + o] = static_cast<uint8_t>(a.amplifier);
    }
    devlink::SealFrame(f);
    return f;
}

Frame BuildRoutingMessage(const DspPreset& preset) {
    std::vector<OutputAssignment> assignments;
    for (const DspChannelRecord& r : preset.channel)
        assignments.push_back({r.output, r.position, r.kind, r.amplifier, r.passiveVariant});
    return BuildRoutingMessage(assignments);
}

Frame BuildOutputMapMessage(std::span<const OutputAssignment> assignments) {
    Frame f = devlink::NewFrame(devlink::kNodeLevel, DeviceCommand::OutputMap, kOutputMapMessageLength);
    constexpr size_t kCode = 5, kMask = 13;
    for (const OutputAssignment& a : assignments) {
        if (!Routable(a)) continue;
        const size_t o = static_cast<size_t>(a.output);
        f[kCode + o] = RoutingCodeOf(a);
        // A later speaker on the output decides its bit as it decides its code.
        const uint8_t bit = static_cast<uint8_t>(1u << o);
        f[kMask] = static_cast<uint8_t>(a.amplifier != 0 ? f[kMask] | bit : f[kMask] & ~bit);
    }
    devlink::SealFrame(f);
    return f;
}

}  // namespace model
