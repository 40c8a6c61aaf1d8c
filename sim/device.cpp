#include "sim/device.h"

#include <algorithm>

#include "link/bytes.h"
#include "link/ftdi.h"
#include "link/receive.h"

namespace sim {
namespace {

using devlink::DeviceCommand;

constexpr uint32_t kAfterAddressMs = 25;
constexpr uint32_t kAfterFrameMs = 45;
constexpr uint32_t kFirmwareDataMs = 75;

uint8_t Cmd(DeviceCommand c) { return static_cast<uint8_t>(c); }

// A firmware block other than the begin: the begin carries block number 1. (A last data block of
// 4 bytes is also 14 bytes long, so the length cannot tell them apart.)
bool IsFirmwareData(const Frame& f) {
    return f.size() >= 10 && f[4] == Cmd(DeviceCommand::FirmwareBlock) && devlink::GetU32LE(&f[5]) != 1;
}

}  // namespace

SimUnit::SimUnit(UnitConfig config, const os::Clock& clock)
    : config_(std::move(config)), clock_(clock), preset_(config_.preset), workingMode_(config_.workingMode) {
    InstallDefaultHandlers();
    if (config_.arriveAfterMs > 0) {
        // A late arrival: plugged in while the program already runs.
        plugged_ = false;
        replugPending_ = true;
        replugAt_ = clock_.NowMs() + config_.arriveAfterMs;
    }
}

Frame SimUnit::BuildReply(uint8_t sender, uint8_t command, const std::vector<uint8_t>& payload) {
    Frame f(payload.size() + 6, 0);
    f[0] = devlink::kNodePc;
    f[1] = sender;
    devlink::PutU16BE(&f[2], static_cast<uint16_t>(f.size()));
    f[4] = command;
    std::copy(payload.begin(), payload.end(), f.begin() + 5);
    f.back() = devlink::FrameChecksum(f.data(), f.size() - 1);
    return f;
}

void SimUnit::InstallDefaultHandlers() {
    SetHandler(Cmd(DeviceCommand::HelloAnswer), [](SimUnit& unit, const Frame& request) {
        if (request[0] != devlink::kNodeAccessory || !unit.config_.accessory) return;
        unit.helloAnswered_ = true;
        unit.helloLatched_ = true;
    });
    SetHandler(Cmd(DeviceCommand::RemoteVersionQuery), [](SimUnit& unit, const Frame& request) {
        if (request[0] != devlink::kNodeAccessory || !unit.config_.accessory) return;
        const uint16_t v = unit.config_.accessoryVersion;
        unit.Reply(request, BuildReply(devlink::kNodeAccessory,
                                       Cmd(DeviceCommand::RemoteVersionReply),
                                       {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}));
    });
    SetHandler(Cmd(DeviceCommand::Identify), [](SimUnit& unit, const Frame& request) {
        if (request[0] != devlink::kNodeDsp) return;
        std::vector<uint8_t> payload(8, 0);
        if (unit.config_.blank) {
            std::fill(payload.begin(), payload.begin() + 4, 0xFF);
        } else {
            std::copy(unit.config_.unitId.begin(), unit.config_.unitId.end(), payload.begin());
            const bool later = unit.config_.laterFirmwareAfter >= 0 &&
                               unit.identifyReplies_ >= unit.config_.laterFirmwareAfter;
            const auto& firmware = later ? unit.config_.laterFirmware : unit.config_.firmware;
            std::copy(firmware.begin(), firmware.end(), payload.begin() + 4);
        }
        ++unit.identifyReplies_;
        unit.Reply(request, BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::IdentifyReply),
                                       payload));
    });
    SetHandler(Cmd(DeviceCommand::ReadAllRequest), [](SimUnit& unit, const Frame& request) {
        if (request[0] != devlink::kNodeDsp) return;
        for (const auto& stream : unit.readAllStreams_)
            for (Frame& f : stream(unit)) unit.Reply(request, std::move(f));
        if (unit.ownStateInReadAll_) {
            unit.Reply(request, BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::PresetSelect), {unit.preset_}));
            unit.Reply(request, BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::WorkingMode), {unit.workingMode_}));
        }
        if (unit.config_.readAll == ReadAllOutcome::None) return;
        uint8_t complete = unit.config_.readAll == ReadAllOutcome::Complete ? 1 : 0;
        if (unit.faults_.readAllFailures > 0) {
            --unit.faults_.readAllFailures;
            complete = 0;
        }
        unit.Reply(request, BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::ReadAllDone),
                                       {complete}));
    });
    SetHandler(Cmd(DeviceCommand::Disconnect), [](SimUnit& unit, const Frame& request) {
        // The accessory forgets the PC and greets again.
        if (request[0] != devlink::kNodeAccessory) return;
        unit.helloAnswered_ = false;
        unit.helloLatched_ = false;
        unit.nextHelloAt_ = unit.clock_.NowMs() + unit.config_.helloDelayMs;
    });
    SetHandler(Cmd(DeviceCommand::Finalize), [](SimUnit& unit, const Frame& request) {
        if (request[0] != devlink::kNodeDsp) return;
        // The result word is byte 6 | byte 7 << 16 of the 9-byte reply; 1 in its low half is success.
        const uint16_t r = unit.config_.finalizeResult;
        unit.Reply(request, BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::UpdateResult),
                                       {0, static_cast<uint8_t>(r), static_cast<uint8_t>(r >> 8)}),
                   unit.config_.finalizeDelayMs);
    });
    SetHandler(Cmd(DeviceCommand::ResetSettings), [](SimUnit& unit, const Frame& request) {
        // The unit forgets its settings: from now on it identifies as blank, and it holds what a
        // unit from the factory holds.
        if (request[0] != devlink::kNodeDsp) return;
        unit.config_.blank = true;
        unit.preset_ = 0;
        unit.workingMode_ = 1;
        for (const auto& hook : unit.resetHooks_) hook();
    });
    SetHandler(Cmd(DeviceCommand::PresetSelect), [](SimUnit& unit, const Frame& request) {
        if (request[0] == devlink::kNodeDsp && request.size() == 7 && request[5] < 4) unit.preset_ = request[5];
    });
    SetHandler(Cmd(DeviceCommand::WorkingMode), [](SimUnit& unit, const Frame& request) {
        if (request[0] == devlink::kNodeDsp && request.size() == 7 && request[5] <= 1) unit.workingMode_ = request[5];
    });
    SetHandler(Cmd(DeviceCommand::DiagnosticsDump), [](SimUnit& unit, const Frame& request) {
        if (request[0] != devlink::kNodeDsp) return;
        std::vector<uint8_t> payload(802 - 6, 0);
        payload[9 - 5] = 1;                                   // SYS_mode
        payload[795 - 5] = unit.preset_;                      // current preset
        payload[797 - 5] = 0x2D;                              // master volume
        unit.Reply(request, BuildReply(devlink::kNodeDsp, Cmd(DeviceCommand::DiagnosticsDump), payload));
    });
}

void SimUnit::SetHandler(uint8_t command, CommandHandler handler) {
    handlers_[command] = std::move(handler);
}

void SimUnit::RemoveHandler(uint8_t command) { handlers_.erase(command); }

void SimUnit::SetReadAllStream(std::function<std::vector<Frame>(SimUnit&)> stream) {
    readAllStreams_.clear();
    ownStateInReadAll_ = false;
    AddReadAllStream(std::move(stream));
}

void SimUnit::AddResetHook(std::function<void()> hook) {
    if (hook) resetHooks_.push_back(std::move(hook));
}

void SimUnit::AddReadAllStream(std::function<std::vector<Frame>(SimUnit&)> stream) {
    if (stream) readAllStreams_.push_back(std::move(stream));
}

bool SimUnit::ReplyFaultApplies(uint8_t replyCommand) const {
    return faults_.replyCommand < 0 || faults_.replyCommand == replyCommand;
}

void SimUnit::Reply(const Frame& request, Frame reply, uint32_t extraDelayMs) {
    if (reply.size() < 5) return;
    const uint8_t command = reply[4];
    if (request.size() > 4 && faults_.noReplyTo.count(request[4])) return;
    uint32_t delay = config_.replyDelayMs + extraDelayMs;
    if (ReplyFaultApplies(command)) {
        if (faults_.noReplies) return;
        delay += faults_.lateReplyMs;
        if (faults_.shortenTo >= devlink::kMinFrameLength && faults_.shortenTo < reply.size()) {
            reply.resize(faults_.shortenTo);
            devlink::PutU16BE(&reply[2], static_cast<uint16_t>(reply.size()));
            reply.back() = devlink::FrameChecksum(reply.data(), reply.size() - 1);
        }
        if (faults_.badChecksum) reply.back() = static_cast<uint8_t>(reply.back() + 1);
        if (faults_.truncateTo > 0 && faults_.truncateTo < reply.size())
            reply.resize(faults_.truncateTo);
        if (!faults_.garbageBefore.empty())
            reply.insert(reply.begin(), faults_.garbageBefore.begin(), faults_.garbageBefore.end());
    }
    SendRaw(reply, delay);
}

void SimUnit::SendRaw(const Frame& bytes, uint32_t delayMs) {
    if (!connected_ || !plugged_ || bytes.empty()) return;
    const uint64_t at = clock_.NowMs() + delayMs;
    Schedule(bytes, at);
    trace_.push_back({at, TraceKind::ToPc, bytes, true, true, {}});
}

void SimUnit::Schedule(const Frame& bytes, uint64_t at) {
    // One line: a frame starts when the one before it has gone out.
    const uint64_t start = std::max(at, lineFreeAt_);
    uint64_t ready = start;
    for (size_t k = 0; k < bytes.size(); ++k) {
        ready = start;
        if (config_.delivery == Delivery::LineRate)
            ready = start + ((k + 1) * 11 * 1000 + 38399) / 38400;
        if (config_.chunkSize > 0)
            ready = std::max(ready, start + (k / config_.chunkSize) * config_.chunkGapMs);
        // Bytes readable at the same time travel together.
        if (pending_.empty() || pending_.back().readyAt != ready ||
            (config_.chunkSize > 0 && k % config_.chunkSize == 0))
            pending_.push_back({ready, {}});
        pending_.back().bytes.push_back(bytes[k]);
    }
    lineFreeAt_ = ready;
}

void SimUnit::Note(TraceKind kind, Frame bytes, std::string note) {
    trace_.push_back({clock_.NowMs(), kind, std::move(bytes), true, true, std::move(note)});
}

void SimUnit::Connect() {
    connected_ = true;
    rx_.clear();
    pending_.clear();
    incoming_.clear();
    haveLastFrame_ = false;
    helloAnswered_ = false;
    parity_ = 0;
    line_ = {};
    lineFreeAt_ = clock_.NowMs();
    nextHelloAt_ = clock_.NowMs() + config_.helloDelayMs;
    Note(TraceKind::Opened, {}, "opened");
    if (connectHook_) connectHook_(*this);
}

void SimUnit::Disconnect() {
    if (connected_) Note(TraceKind::Closed, {}, "closed");
    connected_ = false;
    pending_.clear();
    rx_.clear();
    incoming_.clear();
}

void SimUnit::Unplug() {
    if (!plugged_) return;
    plugged_ = false;
    ++plugGeneration_;
    pending_.clear();
    rx_.clear();
    incoming_.clear();
    Note(TraceKind::Unplugged, {}, "unplugged");
}

void SimUnit::UnplugFor(uint32_t ms) {
    Unplug();
    replugPending_ = true;
    replugAt_ = clock_.NowMs() + ms;
}

void SimUnit::UnplugAfter(uint32_t ms) {
    unplugPending_ = true;
    unplugAt_ = clock_.NowMs() + ms;
}

void SimUnit::ReplugIfDue() {
    if (unplugPending_ && clock_.NowMs() >= unplugAt_) {
        unplugPending_ = false;
        Unplug();
    }
    if (!replugPending_ || clock_.NowMs() < replugAt_) return;
    replugPending_ = false;
    plugged_ = true;
    Note(TraceKind::Unplugged, {}, "plugged in");
}

void SimUnit::SetParity(uint8_t parity) {
    if (parity != parity_) Note(TraceKind::ParitySwitch, {parity}, {});
    parity_ = parity;
}

void SimUnit::ReceiveFromPc(const uint8_t* bytes, size_t n) {
    const uint64_t now = clock_.NowMs();
    const bool address = parity_ == devlink::FT_PARITY_MARK;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = bytes[i];
        if (address) {
            if (!incoming_.empty()) Note(TraceKind::BadInput, incoming_, "frame cut short");
            incoming_.assign(1, b);
            addressAt_ = now;
            haveData_ = false;
            continue;
        }
        if (incoming_.empty()) {
            if (!trace_.empty() && trace_.back().kind == TraceKind::BadInput &&
                trace_.back().note == "data without an address byte" &&
                trace_.back().timeMs == now)
                trace_.back().bytes.push_back(b);
            else
                Note(TraceKind::BadInput, {b}, "data without an address byte");
            continue;
        }
        if (!haveData_) {
            dataAt_ = now;
            haveData_ = true;
        }
        incoming_.push_back(b);
        if (incoming_.size() >= 4) {
            const size_t length = devlink::GetU16BE(&incoming_[2]);
            if (length < devlink::kMinFrameLength) {
                Note(TraceKind::BadInput, incoming_, "length below 6");
                incoming_.clear();
            } else if (incoming_.size() == length) {
                FrameComplete();
            }
        }
        if (!plugged_) return;
    }
}

void SimUnit::FrameComplete() {
    const uint64_t now = clock_.NowMs();
    Frame f;
    f.swap(incoming_);
    const size_t length = f.size();
    TraceEntry entry{now, TraceKind::FromPc, f, true, true, {}};
    entry.checksumOk = devlink::FrameChecksumValid(f.data(), length - 1);
    const devlink::CommandInfo* info = devlink::FindCommand(f[4]);
    const bool ourNode = f[0] == devlink::kNodeDsp || f[0] == devlink::kNodeAccessory ||
                         f[0] == devlink::kNodeLevel;
    entry.lengthOk = info && devlink::LengthAllowed(info->out, length);
    if (!info) entry.note = "unknown command";
    else if (!ourNode) entry.note = "no such node";
    else if (f[1] != devlink::kNodePc) entry.note = "source is not the PC";

    // The device needs its pauses: 25 ms between the address byte and the rest, 45 ms after a
    // frame; 75 ms for both around each data block of a firmware upload.
    const bool firmwareData = IsFirmwareData(f);
    const uint32_t tolerance = config_.pacingToleranceMs;
    const uint32_t needData = firmwareData ? kFirmwareDataMs : kAfterAddressMs;
    const uint64_t dataGap = dataAt_ - addressAt_;
    if (dataGap + tolerance < needData)
        pacing_.push_back({now, static_cast<uint32_t>(dataGap), needData, true, f});
    if (haveLastFrame_) {
        const uint32_t needAddress = lastWasFirmwareData_ ? kFirmwareDataMs : kAfterFrameMs;
        const uint64_t gap = addressAt_ - lastFrameEndAt_;
        if (gap + tolerance < needAddress)
            pacing_.push_back({addressAt_, static_cast<uint32_t>(gap), needAddress, false, f});
    }
    lastFrameEndAt_ = now;
    haveLastFrame_ = true;
    lastWasFirmwareData_ = firmwareData;
    trace_.push_back(entry);

    ++framesReceived_;
    if (faults_.writeFaultAfterCommand >= 0 && f.size() > 4 && f[4] == faults_.writeFaultAfterCommand)
        writeFaultArmed_ = true;
    if (faults_.unplugAfterCommand >= 0) {
        if (unplugCountdown_ < 0 && f.size() > 4 && f[4] == faults_.unplugAfterCommand)
            unplugCountdown_ = faults_.unplugAfterCount;
        else if (unplugCountdown_ > 0)
            --unplugCountdown_;
        if (unplugCountdown_ == 0) {
            unplugCountdown_ = -1;
            Unplug();
            return;
        }
    }
    if ((faults_.unplugAfterFrames >= 0 && framesReceived_ >= faults_.unplugAfterFrames) ||
        (faults_.unplugOnCommand >= 0 && f.size() > 4 && f[4] == faults_.unplugOnCommand)) {
        Unplug();
        return;
    }
    // A unit acts only on sound frames for its own nodes.
    if (!entry.checksumOk || !ourNode) return;
    if (accept_ && !accept_(f[4])) return;
    auto it = handlers_.find(f[4]);
    if (it != handlers_.end()) it->second(*this, f);
}

size_t SimUnit::Poll() {
    if (!connected_ || !plugged_) return 0;
    const uint64_t now = clock_.NowMs();
    const bool helloDue = config_.accessory && config_.hello != HelloMode::Never &&
                          !helloAnswered_ &&
                          !(config_.hello == HelloMode::SilentUntilDisconnect && helloLatched_) &&
                          now >= nextHelloAt_;
    if (helloDue) {
        SendRaw(Frame(std::begin(devlink::kHelloFrame), std::end(devlink::kHelloFrame)));
        nextHelloAt_ = now + config_.helloRepeatMs;
    }
    size_t moved = 0;
    while (!pending_.empty() && pending_.front().readyAt <= now) {
        const Frame& b = pending_.front().bytes;
        rx_.insert(rx_.end(), b.begin(), b.end());
        moved += b.size();
        pending_.pop_front();
    }
    return moved;
}

std::vector<Frame> SimUnit::FramesFromPc() const {
    std::vector<Frame> out;
    for (const TraceEntry& e : trace_)
        if (e.kind == TraceKind::FromPc) out.push_back(e.bytes);
    return out;
}

std::vector<uint8_t> SimUnit::ParitySwitches() const {
    std::vector<uint8_t> out;
    for (const TraceEntry& e : trace_)
        if (e.kind == TraceKind::ParitySwitch) out.push_back(e.bytes[0]);
    return out;
}

void SimUnit::ClearTrace() {
    trace_.clear();
    pacing_.clear();
    writeSizes_.clear();
}

}  // namespace sim
