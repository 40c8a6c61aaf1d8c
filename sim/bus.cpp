#include "sim/bus.h"

#include <algorithm>
#include <cstring>

#include "os/event.h"

namespace sim {
namespace {

using namespace devlink;

void CopyText(void* to, size_t size, const std::string& from) {
    if (!to) return;
    const size_t n = std::min(from.size(), size - 1);
    std::memcpy(to, from.data(), n);
    static_cast<char*>(to)[n] = '\0';
}

}  // namespace

Bus::Bus(const os::Clock& clock) : clock_(clock) {}

Bus::~Bus() = default;

SimUnit& Bus::AddUnit(UnitConfig config) {
    auto g = Lock();
    units_.push_back(std::make_unique<SimUnit>(std::move(config), clock_));
    return *units_.back();
}

std::vector<Frame> Bus::FramesFromPc(size_t unit) {
    auto g = Lock();
    return units_.at(unit)->FramesFromPc();
}

std::vector<uint8_t> Bus::ParitySwitches(size_t unit) {
    auto g = Lock();
    return units_.at(unit)->ParitySwitches();
}

std::vector<PacingViolation> Bus::PacingViolations(size_t unit) {
    auto g = Lock();
    return units_.at(unit)->pacingViolations();
}

std::vector<TraceEntry> Bus::Trace(size_t unit) {
    auto g = Lock();
    return units_.at(unit)->trace();
}

std::vector<size_t> Bus::WriteSizes(size_t unit) {
    auto g = Lock();
    return units_.at(unit)->writeSizes();
}

void Bus::ClearTraces() {
    auto g = Lock();
    for (auto& u : units_) u->ClearTrace();
}

void Bus::InjectToPc(size_t unit, const Frame& bytes) {
    auto g = Lock();
    units_.at(unit)->SendRaw(bytes, 0);
}

void Bus::Unplug(size_t unit) {
    auto g = Lock();
    units_.at(unit)->Unplug();
}

void Bus::SetCallWait(std::function<void(uint32_t)> wait) {
    auto g = Lock();
    callWait_ = std::move(wait);
}

void Bus::SetPollOnCalls(bool on) {
    auto g = Lock();
    pollOnCalls_ = on;
}

size_t Bus::Poll() {
    auto g = Lock();
    return PollLocked();
}

size_t Bus::PollLocked() {
    for (auto& u : units_) u->ReplugIfDue();
    size_t total = 0;
    for (auto& [id, open] : handles_) {
        if (!Live(open)) continue;
        const size_t moved = open.unit->Poll();
        total += moved;
        // The driver signals the event the application registered for received characters.
        if (moved > 0 && open.event && (open.eventMask & FT_EVENT_RXCHAR))
            os::SignalEventHandle(open.event);
    }
    return total;
}

std::vector<SimUnit*> Bus::Plugged() const {
    std::vector<SimUnit*> out;
    for (const auto& u : units_)
        if (u->plugged()) out.push_back(u.get());
    return out;
}

bool Bus::Live(const Open& open) {
    return open.unit->plugged() && open.generation == open.unit->plugGeneration();
}

bool Bus::IsOpen(const SimUnit* unit) const {
    // A handle from before an unplug stays in the table until the PC closes it, but holds nothing.
    for (const auto& [id, open] : handles_)
        if (open.unit == unit && Live(open)) return true;
    return false;
}

Bus::Open* Bus::Find(FT_HANDLE handle) {
    auto it = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == handles_.end() || !Live(it->second)) return nullptr;
    return &it->second;
}

FT_STATUS Bus::ListDevices(void* arg1, void* arg2, FT_DWORD flags) {
    auto g = Lock();
    if (!(flags & FT_LIST_NUMBER_ONLY) || !arg1) return FT_NOT_SUPPORTED;
    for (auto& u : units_) u->ReplugIfDue();
    *static_cast<FT_DWORD*>(arg1) = static_cast<FT_DWORD>(Plugged().size());
    return FT_OK;
}

FT_STATUS Bus::CreateDeviceInfoList(FT_DWORD* count) {
    auto g = Lock();
    if (!count) return FT_INVALID_PARAMETER;
    for (auto& u : units_) u->ReplugIfDue();
    *count = static_cast<FT_DWORD>(Plugged().size());
    return FT_OK;
}

FT_STATUS Bus::GetDeviceInfoDetail(FT_DWORD index, FT_DWORD* flags, FT_DWORD* type, FT_DWORD* id,
                                   FT_DWORD* locationId, void* serial, void* description,
                                   FT_HANDLE* handle) {
    auto g = Lock();
    const std::vector<SimUnit*> units = Plugged();
    if (index >= units.size()) return FT_DEVICE_NOT_FOUND;
    const SimUnit* u = units[index];
    if (flags) *flags = IsOpen(u) ? FT_FLAGS_OPENED : 0;
    if (type) *type = u->config().deviceType;
    if (id) *id = u->config().deviceId;
    if (locationId) *locationId = u->config().locationId;
    // The driver's buffers: 16 bytes for the serial number, 64 for the description.
    CopyText(serial, 16, u->config().serial);
    if (description) {
        // The driver fills its 64 bytes; a 64-character description leaves no room for a terminator.
        const std::string& d = u->config().description;
        const size_t n = std::min<size_t>(d.size(), 64);
        std::memcpy(description, d.data(), n);
        if (n < 64) static_cast<char*>(description)[n] = '\0';
    }
    if (handle) {
        *handle = nullptr;
        for (const auto& [h, open] : handles_)
            if (open.unit == u && Live(open)) *handle = reinterpret_cast<FT_HANDLE>(h);
    }
    return FT_OK;
}

FT_STATUS Bus::OpenEx(void* arg, FT_DWORD flags, FT_HANDLE* handle) {
    auto g = Lock();
    if (!arg || !handle) return FT_INVALID_PARAMETER;
    *handle = nullptr;
    const std::string wanted(static_cast<const char*>(arg));
    bool matched = false;
    for (SimUnit* u : Plugged()) {
        const std::string& name =
            flags == FT_OPEN_BY_DESCRIPTION ? u->config().description : u->config().serial;
        if (name != wanted) continue;
        matched = true;
        // The first matching unit that is not open yet: a second open of an open unit fails.
        if (IsOpen(u)) continue;
        if (u->faults().openFails) return FT_DEVICE_NOT_OPENED;
        const uintptr_t h = nextHandle_;
        nextHandle_ += 0x10;
        handles_[h] = Open{u, u->plugGeneration()};
        u->Connect();
        *handle = reinterpret_cast<FT_HANDLE>(h);
        return FT_OK;
    }
    return matched ? FT_DEVICE_NOT_OPENED : FT_DEVICE_NOT_FOUND;
}

FT_STATUS Bus::Close(FT_HANDLE handle) {
    auto g = Lock();
    auto it = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == handles_.end()) return FT_INVALID_HANDLE;
    // Closing a dead handle must not cut the unit off a later open.
    if (Live(it->second)) it->second.unit->Disconnect();
    handles_.erase(it);
    return FT_OK;
}

FT_STATUS Bus::Read(FT_HANDLE handle, void* buffer, FT_DWORD toRead, FT_DWORD* read) {
    auto g = Lock();
    if (read) *read = 0;
    if (pollOnCalls_) PollLocked();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    SimUnit& u = *open->unit;
    if (u.faults().readFails.Hits(u.readCalls++)) return FT_IO_ERROR;
    if (!buffer || !read) return FT_INVALID_PARAMETER;
    std::deque<uint8_t>& rx = u.rxQueue();
    const size_t n = std::min<size_t>(toRead, rx.size());
    std::copy(rx.begin(), rx.begin() + static_cast<std::ptrdiff_t>(n),
              static_cast<uint8_t*>(buffer));
    rx.erase(rx.begin(), rx.begin() + static_cast<std::ptrdiff_t>(n));
    *read = static_cast<FT_DWORD>(n);
    return FT_OK;
}

FT_STATUS Bus::Write(FT_HANDLE handle, const void* buffer, FT_DWORD toWrite, FT_DWORD* written) {
    uint32_t stallMs = 0;
    std::function<void(uint32_t)> wait;
    const FT_STATUS status = [&] {
        auto g = Lock();
        if (written) *written = 0;
        if (pollOnCalls_) PollLocked();
        Open* open = Find(handle);
        if (!open) return FT_IO_ERROR;
        SimUnit& u = *open->unit;
        const uint64_t call = u.writeCalls++;
        u.writeSizes().push_back(toWrite);
        if (!buffer || !written) return FT_INVALID_PARAMETER;
        if (u.WriteFaultArmed() && u.faults().writeFails.Hits(call)) return FT_IO_ERROR;
        if (u.WriteFaultArmed() && u.faults().writeTakesNothing.Hits(call)) {
            // A unit that takes nothing holds the call until the port's write time-out passes.
            stallMs = u.line().writeTimeoutMs;
            wait = callWait_;
            return FT_OK;
        }
        FT_DWORD n = toWrite;
        if (u.faults().writeLimit > 0) n = std::min<FT_DWORD>(n, u.faults().writeLimit);
        u.ReceiveFromPc(static_cast<const uint8_t*>(buffer), n);
        *written = n;
        return FT_OK;
    }();
    // Outside the lock: the unit's deliveries go on meanwhile, as on a real bridge.
    if (stallMs > 0 && wait) wait(stallMs);
    return status;
}

FT_STATUS Bus::SetBaudRate(FT_HANDLE handle, FT_DWORD baud) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->unit->line().baud = baud;
    return FT_OK;
}

FT_STATUS Bus::SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                      uint8_t parity) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    SimUnit& u = *open->unit;
    if (u.faults().parityFails.Hits(u.parityCalls++)) return FT_IO_ERROR;
    u.line().wordLength = wordLength;
    u.line().stopBits = stopBits;
    u.line().parity = parity;
    u.SetParity(parity);
    return FT_OK;
}

FT_STATUS Bus::SetFlowControl(FT_HANDLE handle, uint16_t flow, uint8_t, uint8_t) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->unit->line().flow = flow;
    return FT_OK;
}

FT_STATUS Bus::Purge(FT_HANDLE handle, FT_DWORD mask) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    if (mask & FT_PURGE_RX) open->unit->PurgeToPc();
    return FT_OK;
}

FT_STATUS Bus::SetTimeouts(FT_HANDLE handle, FT_DWORD readMs, FT_DWORD writeMs) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->unit->line().readTimeoutMs = readMs;
    open->unit->line().writeTimeoutMs = writeMs;
    return FT_OK;
}

FT_STATUS Bus::GetStatus(FT_HANDLE handle, FT_DWORD* rx, FT_DWORD* tx, FT_DWORD* events) {
    auto g = Lock();
    if (pollOnCalls_) PollLocked();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    SimUnit& u = *open->unit;
    if (u.faults().statusFails.Hits(u.statusCalls++)) return FT_IO_ERROR;
    if (rx) *rx = static_cast<FT_DWORD>(u.rxQueue().size());
    if (tx) *tx = 0;
    if (events) *events = 0;
    return FT_OK;
}

FT_STATUS Bus::SetEventNotification(FT_HANDLE handle, FT_DWORD mask, void* event) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->event = event;
    open->eventMask = mask;
    open->unit->line().eventMask = mask;
    return FT_OK;
}

FT_STATUS Bus::StopInTask(FT_HANDLE handle) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->unit->line().inTaskStopped = true;
    return FT_OK;
}

FT_STATUS Bus::RestartInTask(FT_HANDLE handle) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->unit->line().inTaskStopped = false;
    return FT_OK;
}

FT_STATUS Bus::SetLatencyTimer(FT_HANDLE handle, uint8_t ms) {
    auto g = Lock();
    Open* open = Find(handle);
    if (!open) return FT_IO_ERROR;
    open->unit->line().latencyMs = ms;
    return FT_OK;
}

}  // namespace sim
