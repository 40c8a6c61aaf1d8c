#include "sim/level_store.h"

#include "sim/device.h"

namespace sim {

using devlink::DeviceCommand;
using devlink::Frame;

LevelStore::LevelStore() {
    for (auto& preset : attenuation_) preset.fill(6);
}

bool LevelStore::Apply(const uint8_t* f, size_t length) {
    if (!f || length < devlink::kMinFrameLength) return false;
    if (!devlink::FrameChecksumValid(f, length - 1)) return false;
    if (f[4] == static_cast<uint8_t>(DeviceCommand::ChannelLevel)) {
        if (length != 9 || f[0] != devlink::kNodeDsp || f[5] >= kPresets || f[6] >= kChannels) return false;
        attenuation_[f[5]][f[6]] = f[7];
        ++channelFrames_;
        return true;
    }
    const bool master = f[4] == static_cast<uint8_t>(DeviceCommand::MasterLevel);
    const bool extra = f[4] == static_cast<uint8_t>(DeviceCommand::ExtraLevel);
    if (!master && !extra) return false;
    if (length != 7 || f[0] != devlink::kNodeLevel) return false;
    (master ? master_ : subwoofer_) = f[5];
    return true;
}

Frame LevelStore::ReportFrame() const {
    Frame f = devlink::NewFrame(devlink::kNodePc, DeviceCommand::ChannelLevel, kReportLength);
    f[1] = devlink::kNodeDsp;
    f[5] = master_;
    f[6] = subwoofer_;
    for (int p = 0; p < kPresets; ++p)
        for (int c = 0; c < kChannels; ++c) f[7 + 8 * p + c] = attenuation_[p][c];
    devlink::SealFrame(f);
    return f;
}

Frame LevelStore::ClipReply(uint8_t mask) { return SimUnit::BuildReply(devlink::kNodeDsp, 0x7F, {mask}); }

void InstallLevelStore(SimUnit& unit, LevelStore& store) {
    for (DeviceCommand c : {DeviceCommand::ChannelLevel, DeviceCommand::MasterLevel, DeviceCommand::ExtraLevel})
        unit.SetHandler(static_cast<uint8_t>(c), [&store](SimUnit&, const Frame& request) {
            store.Apply(request.data(), request.size());
        });
    unit.SetHandler(static_cast<uint8_t>(DeviceCommand::LevelsRequest), [](SimUnit& u, const Frame& request) {
        u.Reply(request, LevelStore::ClipReply(u.config().clipMask));
    });
    unit.AddReadAllStream([&store](SimUnit&) { return std::vector<Frame>{store.ReportFrame()}; });
    unit.AddResetHook([&store] { store.Reset(); });
}

}  // namespace sim
