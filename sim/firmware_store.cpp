#include "sim/firmware_store.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "link/bytes.h"
#include "sim/device.h"

namespace sim {
namespace {

using devlink::DeviceCommand;

constexpr size_t kBeginLength = 14;
constexpr size_t kDataOverhead = 10;
constexpr size_t kMaxBlock = 512;

uint8_t Cmd(DeviceCommand c) { return static_cast<uint8_t>(c); }

devlink::Frame Result(bool completed, uint8_t check) {
    return SimUnit::BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::UpdateResult),
                              {0, static_cast<uint8_t>(completed ? 1 : 0), check});
}

}  // namespace

FirmwareStore::FirmwareStore(FirmwareOptions options) : options_(options), rescue_(options.startInRescue) {}

bool FirmwareStore::Accepts(uint8_t command) const {
    if (!rescue_) return true;
    switch (static_cast<DeviceCommand>(command)) {
        case DeviceCommand::HelloAnswer:
        case DeviceCommand::Identify:
        case DeviceCommand::Disconnect:
        case DeviceCommand::FirmwareBlock:
        case DeviceCommand::FirmwareEnd: return true;
        default: return false;
    }
}

void FirmwareStore::OnBlock(SimUnit& unit, const devlink::Frame& f) {
    if (f.size() < kDataOverhead || f[0] != devlink::kNodeDsp) return;
    const uint32_t block = devlink::GetU32LE(&f[5]);
    // The begin is told by its number: a 4-byte last block is 14 bytes long as well.
    if (block == 1 && f.size() == kBeginLength) {
        updating_ = true;
        announced_ = devlink::GetU32LE(&f[9]);
        nextBlock_ = 2;
        failure_ = kCompleted;
        received_.clear();
        return;
    }
    if (!updating_) {
        failure_ = kNoBegin;
        return;
    }
    if (failure_ != kCompleted) return;  // the update has failed; the rest is ignored
    const size_t n = f.size() - kDataOverhead;
    if (static_cast<int64_t>(block) == options_.damagedBlock || n < 1 || n > kMaxBlock) {
        Fail(unit, f, kBadBlock);
        return;
    }
    if (block != nextBlock_) {
        Fail(unit, f, kSequence);
        return;
    }
    received_.insert(received_.end(), f.begin() + 9, f.end() - 1);
    ++nextBlock_;
    if (static_cast<int64_t>(block) == options_.unplugAfterBlock) {
        // The cable is pulled mid-upload: the flash holds half an image.
        Restart(unit, true);
        updating_ = false;
        if (options_.backAfterMs >= 0) unit.UnplugFor(static_cast<uint32_t>(options_.backAfterMs));
        else unit.Unplug();
    }
}

void FirmwareStore::Fail(SimUnit& unit, const devlink::Frame& request, Check check) {
    failure_ = check;
    // The unit says so at once, while the PC is still sending (and not listening).
    unit.Reply(request, Result(false, check));
}

void FirmwareStore::OnEnd(SimUnit& unit, const devlink::Frame& request) {
    if (request[0] != devlink::kNodeDsp) return;
    uint8_t check = failure_;
    if (!updating_) check = kNoBegin;
    else if (check == kCompleted && received_.size() != announced_) check = kSize;
    const bool completed = check == kCompleted;
    ++results_;
    // Only an update that began touched the flash; a lone end leaves the unit as it is.
    if (updating_) Restart(unit, !completed);
    updating_ = false;
    failure_ = check;
    unit.Reply(request, Result(completed, check), options_.flashDelayMs);
}

void FirmwareStore::Restart(SimUnit& unit, bool rescue) {
    pending_.firmware = rescue ? options_.rescueFirmware : options_.newFirmware;
    pending_.rescue = rescue;
    restartPending_ = true;
    if (onChange_) onChange_(pending_);
}

void FirmwareStore::OnConnect(SimUnit& unit) {
    if (!restartPending_) return;
    restartPending_ = false;
    rescue_ = pending_.rescue;
    unit.config().firmware = pending_.firmware;
    unit.config().laterFirmwareAfter = -1;
}

void InstallFirmwareStore(SimUnit& unit, FirmwareStore& store) {
    unit.SetHandler(Cmd(DeviceCommand::FirmwareBlock),
                    [&store](SimUnit& u, const devlink::Frame& f) { store.OnBlock(u, f); });
    unit.SetHandler(Cmd(DeviceCommand::FirmwareEnd),
                    [&store](SimUnit& u, const devlink::Frame& f) { store.OnEnd(u, f); });
    unit.SetConnectHook([&store](SimUnit& u) { store.OnConnect(u); });
    unit.SetCommandFilter([&store](uint8_t command) { return store.Accepts(command); });
    if (store.rescue()) unit.config().firmware = store.options().rescueFirmware;
}

std::string FormatUnitStates(const std::map<std::string, UnitFlashState>& states) {
    std::string out;
    for (const auto& [serial, s] : states) {
        char line[128];
        std::snprintf(line, sizeof line, "%s %u.%u.%u.%u %s\n", serial.c_str(), s.firmware[3], s.firmware[2],
                      s.firmware[1], s.firmware[0], s.rescue ? "rescue" : "normal");
        out += line;
    }
    return out;
}

std::map<std::string, UnitFlashState> ParseUnitStates(const std::string& text) {
    std::map<std::string, UnitFlashState> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string serial, version, mark;
        if (!(words >> serial >> version >> mark)) continue;
        unsigned v[4] = {};
        char tail = 0;
        if (std::sscanf(version.c_str(), "%u.%u.%u.%u%c", &v[0], &v[1], &v[2], &v[3], &tail) != 4) continue;
        if (v[0] > 255 || v[1] > 255 || v[2] > 255 || v[3] > 255) continue;
        if (mark != "rescue" && mark != "normal") continue;
        UnitFlashState s;
        s.firmware = {static_cast<uint8_t>(v[3]), static_cast<uint8_t>(v[2]), static_cast<uint8_t>(v[1]),
                      static_cast<uint8_t>(v[0])};
        s.rescue = mark == "rescue";
        out[serial] = s;
    }
    return out;
}

std::map<std::string, UnitFlashState> LoadUnitStates(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return {};
    std::ostringstream text;
    text << f.rdbuf();
    return ParseUnitStates(text.str());
}

bool SaveUnitStates(const std::string& path, const std::map<std::string, UnitFlashState>& states) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f << FormatUnitStates(states);
    return static_cast<bool>(f);
}

}  // namespace sim
