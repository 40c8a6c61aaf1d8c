#include "sim/wizard_store.h"

#include <algorithm>

#include "link/bytes.h"
#include "sim/device.h"
#include "sim/source_store.h"

namespace sim {

using devlink::DeviceCommand;
using devlink::Frame;

namespace {

uint8_t Cmd(DeviceCommand c) { return static_cast<uint8_t>(c); }

constexpr size_t kByteMessageLength = 7;
constexpr size_t kInputConfigLength = 20;
constexpr size_t kOutputMapLength = 15;
constexpr uint8_t kChannelDone = 0x80, kTooLow = 0x40, kFinished = 0x00;

}  // namespace

WizardStore::WizardStore(const WizardOptions& options, SourceStore* sources)
    : options_(options), sources_(sources) {}

bool WizardStore::Apply(const uint8_t* f, size_t length) {
    if (!f || length < devlink::kMinFrameLength || devlink::GetU16BE(f + 2) != length) return false;
    if (!devlink::FrameChecksumValid(f, length - 1)) return false;
    switch (static_cast<DeviceCommand>(f[4])) {
        case DeviceCommand::WizardBegin:
            if (length != kByteMessageLength || f[0] != devlink::kNodeDsp) return false;
            inWizard_ = true;
            ++begins_;
            return true;
        case DeviceCommand::WizardEnd:
            if (length != kByteMessageLength || f[0] != devlink::kNodeDsp) return false;
            inWizard_ = false;
            lastEnd_ = f[5];
            return true;
        case DeviceCommand::InputConfig:
            if (length != kInputConfigLength || f[0] != devlink::kNodeDsp) return false;
            std::copy_n(f + 5, config_.size(), config_.begin());
            haveConfig_ = true;
            // What the unit streams on a read-all from now on.
            if (sources_) sources_->KeepInputConfig(config_);
            return true;
        case DeviceCommand::OutputMap:
            if (length != kOutputMapLength || f[0] != devlink::kNodeLevel) return false;
            std::copy_n(f + 5, map_.size(), map_.begin());
            haveMap_ = true;
            return true;
        default:
            return false;
    }
}

std::vector<uint8_t> WizardStore::Statuses(uint8_t request) {
    std::vector<uint8_t> out(options_.junk);
    if (request == Cmd(DeviceCommand::OutputDetect)) {
        for (uint8_t o : options_.outputs) out.push_back(static_cast<uint8_t>(kChannelDone | (o & 7)));
        out.push_back(kFinished);
        return out;
    }
    const bool tooLow = options_.tooLowInput >= 0 && (options_.tooLowAlways || inputSetups_ == 0);
    ++inputSetups_;
    std::vector<uint8_t> inputs = options_.inputs;
    if (!options_.inputsSet) {
        inputs.clear();
        const std::array<uint8_t, 8> codes = haveConfig_ || !sources_
                                                 ? std::array<uint8_t, 8>{config_[6], config_[7], config_[8],
                                                                          config_[9], config_[10], config_[11],
                                                                          config_[12], config_[13]}
                                                 : sources_->InputCodes();
        for (uint8_t i = 0; i < codes.size(); ++i)
            if (codes[i] != 0) inputs.push_back(i);
    }
    for (uint8_t i : inputs) {
        if (tooLow && i == options_.tooLowInput) break;
        out.push_back(static_cast<uint8_t>(kChannelDone | (i & 7)));
    }
    out.push_back(tooLow ? static_cast<uint8_t>(kTooLow | (options_.tooLowInput & 7)) : kFinished);
    return out;
}

void InstallWizardStore(SimUnit& unit, WizardStore& store) {
    unit.AddResetHook([&store] { store.Reset(); });
    for (DeviceCommand c : {DeviceCommand::WizardBegin, DeviceCommand::WizardEnd, DeviceCommand::InputConfig,
                            DeviceCommand::OutputMap})
        unit.SetHandler(Cmd(c), [&store](SimUnit&, const Frame& request) {
            store.Apply(request.data(), request.size());
        });
    for (DeviceCommand c : {DeviceCommand::InputDetect, DeviceCommand::OutputDetect})
        unit.SetHandler(Cmd(c), [&store](SimUnit& u, const Frame& request) {
            if (!store.InWizard() || request.size() != devlink::kMinFrameLength ||
                request[0] != devlink::kNodeDsp)
                return;
            const WizardOptions& o = store.Options();
            const uint8_t reply = static_cast<uint8_t>(request[4] + 1);
            const std::vector<uint8_t> statuses = store.Statuses(request[4]);
            for (size_t k = 0; k < statuses.size(); ++k) {
                Frame status = SimUnit::BuildReply(devlink::kNodeDsp, reply, {statuses[k]});
                if (static_cast<int>(k) == o.badChecksumStatus) status.back() = static_cast<uint8_t>(status.back() + 1);
                const uint32_t at = o.delayMs + static_cast<uint32_t>(k) * o.intervalMs;
                u.Reply(request, std::move(status), at);
                if (static_cast<int>(k) == o.unplugAfterStatus) {
                    // Gone once that status has reached the PC, before the next one is due.
                    u.UnplugAfter(u.config().replyDelayMs + at + std::max<uint32_t>(1, o.intervalMs / 2));
                    break;
                }
            }
        });
}

}  // namespace sim
