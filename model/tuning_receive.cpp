// Received tuning frames into the model. Everything here comes from the device and is checked
// before use: lengths, indices and every number the model would compute with.
#include "model/tuning_receive.h"

#include <cmath>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "dsp/gain.h"
#include "link/bytes.h"
#include "link/frame.h"
#include "model/tables.h"
#include "model/tuning_messages.h"

namespace model {
namespace {

using devlink::DeviceCommand;

constexpr float kMaxSlope = 48.0f;

bool InRange(int channel, int preset) {
    return channel >= 0 && channel < kChannelCount && preset >= 0 && preset < kPresetCount;
}

bool UsableFrequency(float hz) { return hz > 0.0f && hz < kMaxReceivedFrequencyHz; }

bool UsableSlope(float slope) { return slope >= 0.0f && slope <= kMaxSlope; }

void ParseEq(TuningModel& m, const uint8_t* f) {
    float gains[kBandCount];
    for (int k = 0; k < kBandCount; ++k) gains[k] = devlink::GetF32LE(f + 7 + 4 * k);
    m.SetEqFromDevice(f[6], f[5], gains, devlink::GetU32LE(f + 131), f[135], f[136]);
}

void ParseCrossover(TuningModel& m, const uint8_t* f, size_t length) {
    // The sections the device sends are not read: the model designs its own from the fields.
    const size_t n = f[7];
    const size_t k = kCrossoverSectionBytes * n + 8;
    if (length < k + 14) return;  // the fields after the sections lie outside the frame
    m.SetCrossoverFromDevice(f[6], f[5], f[k], f[k + 1], devlink::GetF32LE(f + k + 2),
                             devlink::GetF32LE(f + k + 6), static_cast<float>(f[k + 10]),
                             static_cast<float>(f[k + 11]), f[k + 12], f[k + 13]);
}

void ParseDelay(TuningModel& m, const uint8_t* f) {
    const auto delay = static_cast<int16_t>(devlink::GetU16BE(f + 7));
    const auto distance = static_cast<int16_t>(devlink::GetU16BE(f + 9));
    const auto trim = static_cast<int32_t>(devlink::GetU32BE(f + 11));
    m.SetDelayFromDevice(f[6], f[5], delay, distance, trim);
}

void ParseListeningPoints(TuningModel& m, const uint8_t* f) {
    std::lock_guard<std::mutex> guard(m.Lock(kLockListening));
    for (int p = 0; p < kPresetCount; ++p) m.SetListeningPointValue(p, (f[5] >> (2 * p)) & 3);
}

}  // namespace

int ParseTuningMessage(TuningModel& m, const uint8_t* frame, size_t length) {
    if (!frame || length < 7) return 0;
    switch (static_cast<DeviceCommand>(frame[4])) {
        case DeviceCommand::ChannelEq:
            if (length == kEqMessageLength) ParseEq(m, frame);
            return 1;
        case DeviceCommand::Crossover:
            // The live equaliser curve shares the command byte; it is applied elsewhere.
            if (length != devlink::kLiveEqCurveLength && length >= CrossoverMessageLength(1))
                ParseCrossover(m, frame, length);
            return 1;
        case DeviceCommand::Delay:
            if (length == kDelayMessageLength) ParseDelay(m, frame);
            return 1;
        case DeviceCommand::ListeningPoints:
            if (length == kListeningPointsMessageLength) ParseListeningPoints(m, frame);
            return 1;
        case DeviceCommand::InputConfig:
            // Read by the wizard and the external-source page; nothing of the tuning.
            return 1;
        default:
            return 0;
    }
}

void TuningModel::SetEqFromDevice(int channel, int preset, const float gains[kBandCount],
                                  uint32_t bandMask, uint32_t eqOff, uint32_t eqLink) {
    if (!gains || !InRange(channel, preset)) return;
    for (int k = 0; k < kBandCount; ++k)
        if (!std::isfinite(gains[k])) return;

    DspChannelRecord& r = presets_[preset].channel[channel];
    // Each word under its own group's lock, the one its message is sent under.
    {
        std::lock_guard<std::mutex> guard(locks_[kLockEqOff]);
        r.EQOff = eqOff;
    }
    {
        std::lock_guard<std::mutex> guard(locks_[kLockEqLink]);
        r.EQLink = eqLink;
    }
    {
        std::lock_guard<std::mutex> guard(locks_[kLockBandMask]);
        for (int k = 0; k < kBandCount; ++k) r.btmskSel[k] = (bandMask >> k) & 1u;
    }
    std::lock_guard<std::mutex> guard(locks_[kLockEqGains]);
    for (int k = 0; k < kBandCount; ++k) {
        // A factor of 0 or below has no level in dB (minus infinity or NaN): that band keeps its
        // gain rather than poisoning its filter and the slider.
        if (gains[k] > 0.0f) r.EQGain[k] = dsp::LinearToDb(gains[k]);
    }
    dsp::ComputeEqBands(&r);
}

void TuningModel::SetCrossoverFromDevice(int channel, int preset, int32_t filterType,
                                         int32_t filterModel, float lpFreq, float hpFreq,
                                         float lfSlope, float hfSlope, uint32_t invPhase,
                                         uint32_t xoLink) {
    if (!InRange(channel, preset)) return;
    if (!std::isfinite(lpFreq) || !std::isfinite(hpFreq) || !UsableSlope(lfSlope) ||
        !UsableSlope(hfSlope))
        return;
    // The frequency a filter type does not use is kept as it comes (switching the type back
    // restores it); one it uses must be one a filter can have.
    const bool usesLp = filterType == kLowPass || filterType == kBandPass;
    const bool usesHp = filterType == kHighPass || filterType == kBandPass;
    if ((usesLp && !UsableFrequency(lpFreq)) || (usesHp && !UsableFrequency(hpFreq))) return;

    std::lock_guard<std::mutex> guard(locks_[kLockCrossover]);
    CrossoverParams& x = presets_[preset].channel[channel].crossover;
    x.FilterType = filterType;
    x.FilterModel = filterModel;
    x.LPFreq = lpFreq;
    x.HPFreq = hpFreq;
    x.LFSlope = lfSlope;
    x.HFSlope = hfSlope;
    x.bInvPhase = invPhase;
    x.bXoLink = xoLink;
    CrossoverToMenuIds(&x);
    // What the design refuses (crossing band-pass edges, an unknown type or family) keeps the
    // sections and count it had; the received values stay, as on the device.
    dsp::DesignCrossover(x, sections_[preset][channel]);
}

void TuningModel::SetDelayFromDevice(int channel, int preset, int32_t delay, int32_t distance,
                                     int32_t delayTrim) {
    if (!InRange(channel, preset)) return;
    std::lock_guard<std::mutex> guard(locks_[kLockDelay]);
    CrossoverParams& x = presets_[preset].channel[channel].crossover;
    x.delay = delay;
    x.distance = distance;
    x.delayTrim = delayTrim;
}

int ReceiveTuningFrame(TuningModel& m, const uint8_t* frame, size_t length) {
    const int taken = ParseTuningMessage(m, frame, length);
    // A live equaliser curve is taken by the parser above and shown here.
    if (frame && length == devlink::kLiveEqCurveLength) m.ApplyEqCurve({frame, length});
    return taken;
}

}  // namespace model
