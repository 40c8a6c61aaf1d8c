#include "sim/source_store.h"

#include <limits>

#include "link/bytes.h"
#include "sim/device.h"

namespace sim {

using devlink::DeviceCommand;
using devlink::Frame;

namespace {
constexpr uint8_t Cmd(DeviceCommand c) { return static_cast<uint8_t>(c); }
constexpr uint8_t kMaster = 0xFF;
}  // namespace

SourceStore::SourceStore(const SourceOptions& options) : options_(options), source_(options.source) {
    for (auto& g : gains_) g.fill(1.0f);
    // A unit from the factory: 11 dB (code 28), the program's 1.00 V to the whole decibel.
    code_.fill(28);
}

bool SourceStore::Apply(const uint8_t* f, size_t length) {
    if (!f || length < devlink::kMinFrameLength || f[0] != devlink::kNodeDsp) return false;
    if (!devlink::FrameChecksumValid(f, length - 1)) return false;
    switch (f[4]) {
        case Cmd(DeviceCommand::SourceSelect):
            if (length != 7 || (f[5] >= kSources && f[5] != kMaster)) return false;
            source_ = f[5];
            ++selectFrames_;
            return true;
        case Cmd(DeviceCommand::SourceEq):
            if (length != 136 || f[5] >= kSources) return false;
            for (int k = 0; k < kBands; ++k) gains_[f[5]][k] = devlink::GetF32LE(f + 6 + 4 * k);
            mask_[f[5]] = devlink::GetU32LE(f + 130);
            eqOff_[f[5]] = f[134];
            return true;
        case Cmd(DeviceCommand::SourceSensitivity):
            if (length != 11 || f[5] >= kSources) return false;
            range_[f[5]] = f[7];
            code_[f[5]] = f[9];
            return true;
        case Cmd(DeviceCommand::SourceFlags):
            if (length != 11) return false;
            for (int s = 0; s < kSources; ++s) options_.flags[s] = f[5 + s];
            return true;
        default: return false;
    }
}

std::vector<Frame> SourceStore::ReadAllFrames() const {
    std::vector<Frame> frames;
    const SourceFault fault = options_.fault;
    for (int s = 0; s < kSources; ++s) {
        const bool first = s == 0;
        const size_t length = first && fault == SourceFault::ShortEq ? 139 : 140;
        Frame f = devlink::NewFrame(devlink::kNodePc, DeviceCommand::SourceEq, length);
        f[1] = devlink::kNodeDsp;
        f[5] = first && fault == SourceFault::Source7 ? 7 : static_cast<uint8_t>(s);
        for (int k = 0; k < kBands; ++k) {
            float g = gains_[s][k];
            if (first && k == 0 && fault == SourceFault::ZeroGain) g = 0.0f;
            if (first && k == 0 && fault == SourceFault::NaNGain) g = std::numeric_limits<float>::quiet_NaN();
            devlink::PutF32LE(&f[6 + 4 * k], g);
        }
        devlink::PutU32LE(&f[130], mask_[s]);
        f[134] = eqOff_[s];
        if (length == 140) {
            f[135] = options_.deviceFlag;
            f[136] = range_[s];
            f[137] = code_[s];
        }
        devlink::SealFrame(f);
        frames.push_back(std::move(f));
    }
    Frame config = devlink::NewFrame(devlink::kNodePc, DeviceCommand::InputConfig,
                                     fault == SourceFault::ShortConfig ? 19 : 20);
    config[1] = devlink::kNodeDsp;
    config[5] = static_cast<uint8_t>(options_.inputType + 1);
    for (int s = 0; s < kSources; ++s) config[6 + s] = options_.flags[s];
    for (size_t i = 0; i < 8 && 11 + i + 1 < config.size(); ++i) config[11 + i] = options_.codes[i];
    devlink::SealFrame(config);
    frames.push_back(std::move(config));
    frames.push_back(SimUnit::BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::SourceSelect), {source_}));
    return frames;
}

void SourceStore::KeepInputConfig(const std::array<uint8_t, 14>& bytes) {
    // Streamed back as it came: byte 5 is the type + 1, whatever type that names.
    options_.inputType = static_cast<uint8_t>(bytes[0] - 1);
    for (size_t s = 0; s < options_.flags.size(); ++s) options_.flags[s] = bytes[1 + s];
    for (size_t i = 0; i < options_.codes.size(); ++i) options_.codes[i] = bytes[6 + i];
}

void InstallSourceStore(SimUnit& unit, SourceStore& store) {
    for (DeviceCommand c : {DeviceCommand::SourceSelect, DeviceCommand::SourceEq, DeviceCommand::SourceSensitivity,
                            DeviceCommand::SourceFlags})
        unit.SetHandler(Cmd(c), [&store](SimUnit&, const Frame& request) { store.Apply(request.data(), request.size()); });
    unit.AddReadAllStream([&store](SimUnit&) { return store.ReadAllFrames(); });
    unit.AddResetHook([&store] { store.Reset(); });
}

}  // namespace sim
