#include "sim/tuning_store.h"

#include <algorithm>
#include <cstring>

#include "link/bytes.h"
#include "sim/device.h"

namespace sim {
namespace {

using devlink::DeviceCommand;
using devlink::Frame;

constexpr size_t kEqLength = 138;
constexpr size_t kDelayLength = 16;
constexpr size_t kFlagLength = 9;
constexpr size_t kMaskLength = 12;
constexpr size_t kByteLength = 7;
constexpr size_t kRoutingLength = 46;

size_t CrossoverLength(size_t sections) { return 20 * sections + 23; }

// A frame from the DSP unit to the PC.
Frame DeviceFrame(DeviceCommand command, size_t length) {
    Frame f = devlink::NewFrame(devlink::kNodePc, command, length);
    f[1] = devlink::kNodeDsp;
    return f;
}

void PutFloat(uint8_t* p, float v) { devlink::PutF32LE(p, v); }

}  // namespace

TuningStore::TuningStore(const RoutingOptions& routing)
    : routingKept_(routing.set), routingLength_(routing.streamedLength) {
    for (auto& preset : channel_)
        for (Channel& c : preset) {
            for (int k = 0; k < kBands; ++k) PutFloat(&c.gains[4 * k], 1.0f);
            // One identity section: -a2, -a1, b2, b1, b0 = 0, 0, 0, 0, 1.
            c.sections = 1;
            PutFloat(&c.coefficients[16], 1.0f);
            // Full range, Linkwitz, 50 / 100 Hz, 12 dB per octave, not inverted, linked.
            c.crossover[0] = 0;
            c.crossover[1] = 0;
            PutFloat(&c.crossover[2], 50.0f);
            PutFloat(&c.crossover[6], 100.0f);
            c.crossover[10] = 12;
            c.crossover[11] = 12;
            c.crossover[12] = 0;
            c.crossover[13] = 1;
            c.eqLink = 1;
        }
    std::fill(routing_.begin() + 8, routing_.begin() + 24, uint8_t{0xFF});
    if (routing.set) routing_ = routing.bytes;
}

bool TuningStore::Apply(const uint8_t* f, size_t length) {
    if (!f || length < 6 || length > devlink::kMaxFrameLength) return false;
    if (f[0] != devlink::kNodeDsp || devlink::GetU16BE(f + 2) != length) return false;
    if (!devlink::FrameChecksumValid(f, length - 1)) return false;

    // The per-channel messages carry the preset at byte 5 and the channel at byte 6.
    auto channelFrame = [&](size_t expected) {
        return length == expected && f[5] < kPresets && f[6] < kChannels;
    };

    switch (static_cast<DeviceCommand>(f[4])) {
        case DeviceCommand::ChannelEq: {
            if (!channelFrame(kEqLength)) return false;
            Channel& c = At(f);
            std::memcpy(c.gains.data(), f + 7, c.gains.size());
            std::memcpy(c.bandMask.data(), f + 131, c.bandMask.size());
            c.eqOff = f[135];
            c.eqLink = f[136];
            return true;
        }
        case DeviceCommand::Crossover: {
            if (length < 8) return false;
            const size_t n = f[7];
            if (n < 1 || n > kMaxSections || !channelFrame(CrossoverLength(n))) return false;
            Channel& c = At(f);
            c.sections = static_cast<int>(n);
            std::memcpy(c.coefficients.data(), f + 8, 20 * n);
            std::memcpy(c.crossover.data(), f + 20 * n + 8, c.crossover.size());
            return true;
        }
        case DeviceCommand::Delay: {
            if (!channelFrame(kDelayLength)) return false;
            std::memcpy(At(f).delay.data(), f + 7, 8);
            return true;
        }
        case DeviceCommand::EqOff:
            if (!channelFrame(kFlagLength)) return false;
            At(f).eqOff = f[7];
            return true;
        case DeviceCommand::EqLink:
            if (!channelFrame(kFlagLength)) return false;
            At(f).eqLink = f[7];
            return true;
        case DeviceCommand::EqBandMask:
            if (!channelFrame(kMaskLength)) return false;
            std::memcpy(At(f).bandMask.data(), f + 7, 4);
            return true;
        case DeviceCommand::MuteMask:
            if (length != kByteLength) return false;
            muteMask_ = f[5];
            return true;
        case DeviceCommand::ListeningPoints:
            if (length != kByteLength) return false;
            listeningPoints_ = f[5];
            return true;
        case DeviceCommand::Routing:
            if (length != kRoutingLength) return false;
            std::memcpy(routing_.data(), f + 5, routing_.size());
            routingKept_ = true;
            return true;
        default:
            return false;
    }
}

std::vector<Frame> TuningStore::ReadAllFrames() const {
    std::vector<Frame> out;
    out.reserve(kPresets * kChannels * 3 + 2);
    for (int p = 0; p < kPresets; ++p)
        for (int ch = 0; ch < kChannels; ++ch) {
            const Channel& c = channel_[p][ch];

            Frame s = DeviceFrame(DeviceCommand::ChannelEq, kEqLength);
            s[5] = static_cast<uint8_t>(p);
            s[6] = static_cast<uint8_t>(ch);
            std::memcpy(&s[7], c.gains.data(), c.gains.size());
            std::memcpy(&s[131], c.bandMask.data(), c.bandMask.size());
            s[135] = c.eqOff;
            s[136] = c.eqLink;
            devlink::SealFrame(s);
            out.push_back(std::move(s));

            const size_t n = static_cast<size_t>(c.sections);
            Frame t = DeviceFrame(DeviceCommand::Crossover, CrossoverLength(n));
            t[5] = static_cast<uint8_t>(p);
            t[6] = static_cast<uint8_t>(ch);
            t[7] = static_cast<uint8_t>(n);
            std::memcpy(&t[8], c.coefficients.data(), 20 * n);
            std::memcpy(&t[20 * n + 8], c.crossover.data(), c.crossover.size());
            devlink::SealFrame(t);
            out.push_back(std::move(t));

            Frame u = DeviceFrame(DeviceCommand::Delay, kDelayLength);
            u[5] = static_cast<uint8_t>(p);
            u[6] = static_cast<uint8_t>(ch);
            std::memcpy(&u[7], c.delay.data(), c.delay.size());
            devlink::SealFrame(u);
            out.push_back(std::move(u));
        }
    Frame lp = DeviceFrame(DeviceCommand::ListeningPoints, kByteLength);
    lp[5] = listeningPoints_;
    devlink::SealFrame(lp);
    out.push_back(std::move(lp));
    if (routingKept_ && routingLength_ >= devlink::kMinFrameLength && routingLength_ <= devlink::kMaxFrameLength) {
        Frame a4 = DeviceFrame(DeviceCommand::Routing, routingLength_);
        std::memcpy(&a4[5], routing_.data(), std::min(routing_.size(), routingLength_ - devlink::kMinFrameLength));
        devlink::SealFrame(a4);
        out.push_back(std::move(a4));
    }
    return out;
}

float TuningStore::Gain(int preset, int channel, int band) const {
    return devlink::GetF32LE(&channel_[preset][channel].gains[4 * band]);
}

uint32_t TuningStore::BandMask(int preset, int channel) const {
    return devlink::GetU32LE(channel_[preset][channel].bandMask.data());
}

void InstallTuningStore(SimUnit& unit, TuningStore& store) {
    for (DeviceCommand c : {DeviceCommand::ChannelEq, DeviceCommand::Crossover, DeviceCommand::Delay,
                            DeviceCommand::EqOff, DeviceCommand::EqLink, DeviceCommand::EqBandMask,
                            DeviceCommand::MuteMask, DeviceCommand::ListeningPoints,
                            DeviceCommand::Routing})
        unit.SetHandler(static_cast<uint8_t>(c), [&store](SimUnit&, const Frame& request) {
            store.Apply(request.data(), request.size());
        });
    unit.AddReadAllStream([&store](SimUnit&) { return store.ReadAllFrames(); });
    unit.AddResetHook([&store] { store.Reset(); });
}

}  // namespace sim
