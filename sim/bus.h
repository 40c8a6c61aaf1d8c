// The simulated FTDI bridge with its attached units: the driver's view of them (device list, open
// by description, handles, line settings, queues) behind the same 17 operations the link calls,
// with the driver's status codes. The D2XX-shaped entry points (d2xx.h) and the replacement
// ftd2xx.dll are thin layers over this class.
//
// Thread-safe: one lock serialises the driver calls, the time steps and the tests' looks.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "link/ftdi.h"
#include "os/time.h"
#include "sim/device.h"

namespace sim {

using devlink::FT_DWORD;
using devlink::FT_HANDLE;
using devlink::FT_STATUS;

class Bus {
public:
    explicit Bus(const os::Clock& clock);
    ~Bus();

    // Adds a unit at the end of the device list. The reference stays valid for the bus's life.
    SimUnit& AddUnit(UnitConfig config = {});
    SimUnit& unit(size_t i) { return *units_.at(i); }
    size_t unitCount() const { return units_.size(); }
    const os::Clock& clock() const { return clock_; }

    // Every look at or change of a unit from outside the driver calls takes this lock, e.g.
    //   { auto g = bus.Lock(); bus.unit(0).faults().noReplies = true; }
    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(lock_); }
    // Convenience under the lock.
    std::vector<Frame> FramesFromPc(size_t unit);
    std::vector<uint8_t> ParitySwitches(size_t unit);
    std::vector<PacingViolation> PacingViolations(size_t unit);
    std::vector<TraceEntry> Trace(size_t unit);
    std::vector<size_t> WriteSizes(size_t unit);
    void ClearTraces();
    // Bytes straight to the PC on an open unit, readable at once (a test's garbage or flood).
    void InjectToPc(size_t unit, const Frame& bytes);
    void Unplug(size_t unit);

    // Moves what is due into the receive queues and signals the receive events. Returns the
    // number of bytes that became readable.
    size_t Poll();
    // When set (the default), every driver call first runs Poll(), as a real-time driver would.
    // A test that steps a manual clock turns it off, so that only its steps move bytes.
    void SetPollOnCalls(bool on);
    // How a driver call that waits out a time-out spends it: a write that a stalled unit takes
    // nothing of holds its caller for the port's write time-out, as the driver does. Unset, it
    // returns at once. The replacement DLL sleeps; a test on a manual clock steps the clock.
    void SetCallWait(std::function<void(uint32_t ms)> wait);

    // --- the driver's operations ---
    FT_STATUS ListDevices(void* arg1, void* arg2, FT_DWORD flags);
    FT_STATUS CreateDeviceInfoList(FT_DWORD* count);
    FT_STATUS GetDeviceInfoDetail(FT_DWORD index, FT_DWORD* flags, FT_DWORD* type, FT_DWORD* id,
                                  FT_DWORD* locationId, void* serial, void* description,
                                  FT_HANDLE* handle);
    FT_STATUS OpenEx(void* arg, FT_DWORD flags, FT_HANDLE* handle);
    FT_STATUS Close(FT_HANDLE handle);
    FT_STATUS Read(FT_HANDLE handle, void* buffer, FT_DWORD toRead, FT_DWORD* read);
    FT_STATUS Write(FT_HANDLE handle, const void* buffer, FT_DWORD toWrite, FT_DWORD* written);
    FT_STATUS SetBaudRate(FT_HANDLE handle, FT_DWORD baud);
    FT_STATUS SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                     uint8_t parity);
    FT_STATUS SetFlowControl(FT_HANDLE handle, uint16_t flow, uint8_t xon, uint8_t xoff);
    FT_STATUS Purge(FT_HANDLE handle, FT_DWORD mask);
    FT_STATUS SetTimeouts(FT_HANDLE handle, FT_DWORD readMs, FT_DWORD writeMs);
    FT_STATUS GetStatus(FT_HANDLE handle, FT_DWORD* rx, FT_DWORD* tx, FT_DWORD* events);
    FT_STATUS SetEventNotification(FT_HANDLE handle, FT_DWORD mask, void* event);
    FT_STATUS StopInTask(FT_HANDLE handle);
    FT_STATUS RestartInTask(FT_HANDLE handle);
    FT_STATUS SetLatencyTimer(FT_HANDLE handle, uint8_t ms);

private:
    struct Open {
        SimUnit* unit;
        uint32_t generation = 0;  // the unit's plug generation at the open
        void* event = nullptr;
        FT_DWORD eventMask = 0;
    };
    std::vector<SimUnit*> Plugged() const;
    Open* Find(FT_HANDLE handle);  // a live handle on a plugged unit, else null
    bool IsOpen(const SimUnit* unit) const;  // a live handle is open on it
    static bool Live(const Open& open);
    size_t PollLocked();

    const os::Clock& clock_;
    mutable std::recursive_mutex lock_;
    std::vector<std::unique_ptr<SimUnit>> units_;
    std::map<uintptr_t, Open> handles_;
    uintptr_t nextHandle_ = 0x1000;
    bool pollOnCalls_ = true;
    std::function<void(uint32_t)> callWait_;
};

}  // namespace sim
