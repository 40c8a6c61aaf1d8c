// Our ftd2xx.dll: the simulated Darvix behind the FTDI driver's 42 entry points, so that the real
// program binds it by name and runs end to end with no hardware. A development and demonstration
// tool: it lies beside the program in the build and run folders only.
//
// The 17 entry points the link calls serve a sim::Bus; the other 25 answer FT_NOT_SUPPORTED, as
// the driver does for a call a device cannot serve. The exports carry their plain names (see
// ftd2xx.def): stdcall decoration would hide them from GetProcAddress.
//
// Nothing runs in DllMain: the bus is built from the scenario on the first call (the loader lock
// is not held then, and the scenario file can be read safely), and each open device gets a thread
// that moves its replies into the receive queue on time and signals the application's event; the
// thread starts in FT_OpenEx and is joined in FT_Close.
#include <windows.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/ftdi.h"
#include "os/time.h"
#include "os/version.h"
#include "sim/bus.h"
#include "sim/scenario_file.h"
#include "sim/firmware_store.h"
#include "sim/level_store.h"
#include "sim/source_store.h"
#include "sim/tuning_store.h"
#include "sim/wizard_store.h"
#include "sim/trace_text.h"

namespace {

using namespace devlink;

// Driver status codes beyond those the link knows.
constexpr FT_STATUS kFtInsufficientResources = 5;
constexpr FT_STATUS kFtOtherError = 18;

// The program's version (major, minor, third, fourth): the default unit's firmware, so that the
// program accepts it. The identify reply carries each number in one byte.
constexpr std::array<uint8_t, 4> ProgramVersion() {
    for (int n : os::kProgramVersion)
        if (n < 0 || n > 255) throw "a version number does not fit the identify reply";
    std::array<uint8_t, 4> v{};
    for (size_t i = 0; i < 4; ++i) v[i] = static_cast<uint8_t>(os::kProgramVersion[i]);
    return v;
}
// Evaluated here, so that a version number above 255 stops the build.
static_assert(ProgramVersion()[0] == os::kProgramVersion[0]);

// What one open device needs besides the bus: the thread that delivers its replies.
class DeviceThread {
public:
    explicit DeviceThread(class Driver& driver);
    ~DeviceThread();
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

private:
    void Run();
    class Driver& driver_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

class Driver {
public:
    Driver() : bus_(os::SystemClock()), origin_(os::SystemClock().NowMs()) {
        // A write the unit takes nothing of holds the caller for the port's write time-out, as
        // the real driver does.
        bus_.SetCallWait([](uint32_t ms) { ::Sleep(ms); });
        sim::ScenarioFile scenario = sim::DefaultScenario(ProgramVersion());
        // The process environment itself, not the C runtime's copy of it taken at start-up, so that
        // a test can choose the scenario with SetEnvironmentVariableA before it binds the driver.
        char path[MAX_PATH * 2] = {};
        DWORD n = ::GetEnvironmentVariableA(sim::kScenarioVariable, path, sizeof path);
        if (n >= sizeof path) {
            Report(std::string("ftd2xx (simulated Darvix): the path in ") + sim::kScenarioVariable +
                   " is too long; no device is attached.");
            scenario = {};
        } else if (n > 0) {
            std::string error;
            if (!sim::LoadScenario(path, ProgramVersion(), scenario, error)) {
                // A scenario that cannot be used attaches nothing rather than a unit the tester
                // did not ask for; the reason goes where a developer will look.
                Report("ftd2xx (simulated Darvix): " + error + "; no device is attached.");
                scenario = {};
            }
        }
        statePath_ = scenario.state;
        if (!statePath_.empty()) states_ = sim::LoadUnitStates(statePath_);
        for (const sim::ScenarioDevice& d : scenario.devices) {
            auto g = bus_.Lock();
            sim::ScenarioDevice device = d;
            // What an earlier run left in the unit's flash outlives the scenario's start.
            auto kept = states_.find(device.config.serial);
            if (kept != states_.end()) {
                device.config.firmware = kept->second.firmware;
                device.firmware.startInRescue = kept->second.rescue;
                if (kept->second.rescue) device.firmware.rescueFirmware = kept->second.firmware;
            }
            sim::SimUnit& unit = bus_.AddUnit(device.config);
            unit.faults() = device.faults;
            // Each unit keeps the tuning it is sent and streams it back on a read-all.
            stores_.push_back(std::make_unique<sim::TuningStore>(device.routing));
            sim::InstallTuningStore(unit, *stores_.back());
            // And takes a firmware update, whose outcome goes to the state file.
            flash_.push_back(std::make_unique<sim::FirmwareStore>(device.firmware));
            const std::string serial = device.config.serial;
            flash_.back()->SetOnStateChange([this, serial](const sim::UnitFlashState& state) { KeepState(serial, state); });
            sim::InstallFirmwareStore(unit, *flash_.back());
            // And the levels, streamed back on a read-all too.
            levelStores_.push_back(std::make_unique<sim::LevelStore>());
            sim::InstallLevelStore(unit, *levelStores_.back());
            // And the external sources, as the scenario sets them up.
            sourceStores_.push_back(std::make_unique<sim::SourceStore>(device.config.sources));
            sim::InstallSourceStore(unit, *sourceStores_.back());
            // And its dynamic equalisation, streamed back after the levels.
            dynEqStores_.push_back(std::make_unique<sim::DynEqStore>(device.dynEq, device.dynEqFault));
            sim::InstallDynEqStore(unit, *dynEqStores_.back());
            // And the wizard's side: wizard mode, the input and output set-ups, the output map;
            // an input configuration it is sent replaces the one the source store streams.
            wizardStores_.push_back(std::make_unique<sim::WizardStore>(device.wizard, sourceStores_.back().get()));
            sim::InstallWizardStore(unit, *wizardStores_.back());
        }
        tracePath_ = scenario.trace;
    }

    sim::Bus& bus() { return bus_; }

    // Moves the units' new trace events into the trace file (or drops them without one), so that
    // a long session does not keep them all in memory. The file is opened for each batch: the
    // driver is never destroyed, and a handle kept open would stop anyone deleting the file.
    void FlushTrace() {
        std::lock_guard<std::mutex> hold(traceLock_);
        std::string text;
        {
            auto g = bus_.Lock();
            for (size_t i = 0; i < bus_.unitCount(); ++i) {
                sim::SimUnit& unit = bus_.unit(i);
                if (!tracePath_.empty()) {
                    for (const sim::TraceEntry& e : unit.trace())
                        text += sim::TraceLine(e, i + 1, origin_) + "\r\n";
                    for (const sim::PacingViolation& v : unit.pacingViolations())
                        text += sim::PacingLine(v, i + 1, origin_) + "\r\n";
                }
                unit.ClearTrace();
            }
        }
        if (text.empty()) return;
        std::FILE* f = std::fopen(tracePath_.c_str(), "ab");
        if (!f) {
            if (!traceFailed_) Report("ftd2xx (simulated Darvix): cannot write the trace file '" + tracePath_ + "'.");
            traceFailed_ = true;
            return;
        }
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    FT_STATUS OpenEx(void* arg, FT_DWORD flags, FT_HANDLE* handle) {
        FT_STATUS status = bus_.OpenEx(arg, flags, handle);
        if (status != FT_OK) return status;
        try {
            std::lock_guard<std::mutex> hold(threadsLock_);
            threads_[*handle] = std::make_unique<DeviceThread>(*this);
        } catch (...) {
            // Without its thread the device would never answer: refuse the open instead.
            bus_.Close(*handle);
            *handle = nullptr;
            return kFtInsufficientResources;
        }
        return FT_OK;
    }

    FT_STATUS Close(FT_HANDLE handle) {
        std::unique_ptr<DeviceThread> thread;
        {
            std::lock_guard<std::mutex> hold(threadsLock_);
            auto it = threads_.find(handle);
            if (it != threads_.end()) {
                thread = std::move(it->second);
                threads_.erase(it);
            }
        }
        thread.reset();  // joined before the unit goes, so no delivery runs on a closed device
        FT_STATUS status = bus_.Close(handle);
        FlushTrace();
        return status;
    }

private:
    // Called under the bus's lock by a unit whose update ended.
    void KeepState(const std::string& serial, const sim::UnitFlashState& state) {
        states_[serial] = state;
        if (!statePath_.empty() && !sim::SaveUnitStates(statePath_, states_))
            Report("ftd2xx (simulated Darvix): cannot write the state file '" + statePath_ + "'.");
    }

    static void Report(const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        ::OutputDebugStringA((text + "\n").c_str());
    }

    sim::Bus bus_;
    std::vector<std::unique_ptr<sim::TuningStore>> stores_;
    std::vector<std::unique_ptr<sim::FirmwareStore>> flash_;
    std::string statePath_;
    std::map<std::string, sim::UnitFlashState> states_;
    std::vector<std::unique_ptr<sim::LevelStore>> levelStores_;
    std::vector<std::unique_ptr<sim::SourceStore>> sourceStores_;
    std::vector<std::unique_ptr<sim::DynEqStore>> dynEqStores_;
    std::vector<std::unique_ptr<sim::WizardStore>> wizardStores_;
    uint64_t origin_;
    std::mutex traceLock_;
    std::string tracePath_;
    bool traceFailed_ = false;
    std::mutex threadsLock_;
    std::map<FT_HANDLE, std::unique_ptr<DeviceThread>> threads_;
};

DeviceThread::DeviceThread(Driver& driver) : driver_(driver), thread_([this] { Run(); }) {}

DeviceThread::~DeviceThread() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

// The delivery thread carries a name, so that a memory account of the process can tell it (the
// simulated unit's, which in the field is the device) from the program's own threads. Bound by
// name: older systems lack the call.
constexpr wchar_t kDeliveryThreadName[] = L"simulated unit: reply delivery";

void NameThisThread() {
    using SetName = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    if (HMODULE kernel = ::GetModuleHandleA("kernel32.dll"))
        if (auto set = reinterpret_cast<SetName>(
                reinterpret_cast<void*>(::GetProcAddress(kernel, "SetThreadDescription"))))
            set(::GetCurrentThread(), kDeliveryThreadName);
}

void DeviceThread::Run() {
    NameThisThread();
    // Every millisecond: what is due reaches the receive queue and the application's event is
    // signalled (Bus::Poll does both); the trace is written a few times a second.
    std::unique_lock<std::mutex> hold(lock_);
    unsigned cycles = 0;
    while (!stop_) {
        hold.unlock();
        try {
            driver_.bus().Poll();
            if (++cycles % 100 == 0) driver_.FlushTrace();
        } catch (...) {
            // Out of memory in the simulation: the device goes quiet rather than taking the
            // program down; FT_Close still joins.
            hold.lock();
            break;
        }
        hold.lock();
        wake_.wait_for(hold, std::chrono::milliseconds(1), [this] { return stop_; });
    }
}

// Built on the first call and never destroyed: a destructor would run inside DllMain at unload,
// where joining or freeing what other threads may still use is unsafe.
Driver& TheDriver() {
    static Driver* driver = new Driver;
    return *driver;
}

// No exception may leave an exported function: the caller is C code across a DLL boundary.

template <class Fn>
FT_STATUS Guarded(Fn&& fn) {
    try {
        return fn();
    } catch (...) {
        return kFtOtherError;
    }
}

}  // namespace

// ---- The 17 entry points the link calls --------------------------------------------------------

extern "C" {

FT_STATUS FTDI_API FT_ListDevices(void* arg1, void* arg2, FT_DWORD flags) {
    return Guarded([&] { return TheDriver().bus().ListDevices(arg1, arg2, flags); });
}
FT_STATUS FTDI_API FT_CreateDeviceInfoList(FT_DWORD* count) {
    return Guarded([&] { return TheDriver().bus().CreateDeviceInfoList(count); });
}
FT_STATUS FTDI_API FT_GetDeviceInfoDetail(FT_DWORD index, FT_DWORD* flags, FT_DWORD* type, FT_DWORD* id,
                                          FT_DWORD* locationId, void* serial, void* description,
                                          FT_HANDLE* handle) {
    return Guarded([&] {
        return TheDriver().bus().GetDeviceInfoDetail(index, flags, type, id, locationId, serial,
                                                     description, handle);
    });
}
FT_STATUS FTDI_API FT_OpenEx(void* arg, FT_DWORD flags, FT_HANDLE* handle) {
    return Guarded([&] { return TheDriver().OpenEx(arg, flags, handle); });
}
FT_STATUS FTDI_API FT_Close(FT_HANDLE handle) {
    return Guarded([&] { return TheDriver().Close(handle); });
}
FT_STATUS FTDI_API FT_Read(FT_HANDLE handle, void* buffer, FT_DWORD toRead, FT_DWORD* read) {
    return Guarded([&] { return TheDriver().bus().Read(handle, buffer, toRead, read); });
}
FT_STATUS FTDI_API FT_Write(FT_HANDLE handle, void* buffer, FT_DWORD toWrite, FT_DWORD* written) {
    return Guarded([&] { return TheDriver().bus().Write(handle, buffer, toWrite, written); });
}
FT_STATUS FTDI_API FT_SetBaudRate(FT_HANDLE handle, FT_DWORD baud) {
    return Guarded([&] { return TheDriver().bus().SetBaudRate(handle, baud); });
}
FT_STATUS FTDI_API FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                             uint8_t parity) {
    return Guarded([&] { return TheDriver().bus().SetDataCharacteristics(handle, wordLength, stopBits, parity); });
}
FT_STATUS FTDI_API FT_SetFlowControl(FT_HANDLE handle, uint16_t flow, uint8_t xon, uint8_t xoff) {
    return Guarded([&] { return TheDriver().bus().SetFlowControl(handle, flow, xon, xoff); });
}
FT_STATUS FTDI_API FT_Purge(FT_HANDLE handle, FT_DWORD mask) {
    return Guarded([&] { return TheDriver().bus().Purge(handle, mask); });
}
FT_STATUS FTDI_API FT_SetTimeouts(FT_HANDLE handle, FT_DWORD readMs, FT_DWORD writeMs) {
    return Guarded([&] { return TheDriver().bus().SetTimeouts(handle, readMs, writeMs); });
}
FT_STATUS FTDI_API FT_GetStatus(FT_HANDLE handle, FT_DWORD* rx, FT_DWORD* tx, FT_DWORD* events) {
    return Guarded([&] { return TheDriver().bus().GetStatus(handle, rx, tx, events); });
}
FT_STATUS FTDI_API FT_SetEventNotification(FT_HANDLE handle, FT_DWORD mask, void* event) {
    return Guarded([&] { return TheDriver().bus().SetEventNotification(handle, mask, event); });
}
FT_STATUS FTDI_API FT_StopInTask(FT_HANDLE handle) {
    return Guarded([&] { return TheDriver().bus().StopInTask(handle); });
}
FT_STATUS FTDI_API FT_RestartInTask(FT_HANDLE handle) {
    return Guarded([&] { return TheDriver().bus().RestartInTask(handle); });
}
FT_STATUS FTDI_API FT_SetLatencyTimer(FT_HANDLE handle, uint8_t ms) {
    return Guarded([&] { return TheDriver().bus().SetLatencyTimer(handle, ms); });
}

// ---- The 25 the link never calls ----------------------------------------------------------------
// Each keeps the driver's own argument list: a stdcall callee pops its arguments, so a stand-in
// with another list would unbalance the caller's stack.

FT_STATUS FTDI_API FT_Open(int, FT_HANDLE*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_ResetDevice(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetDivisor(FT_HANDLE, uint16_t) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetDtr(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_ClrDtr(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetRts(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_ClrRts(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_GetModemStatus(FT_HANDLE, FT_DWORD*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetChars(FT_HANDLE, uint8_t, uint8_t, uint8_t, uint8_t) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_GetQueueStatus(FT_HANDLE, FT_DWORD*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetBreakOn(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetBreakOff(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_IoCtl(FT_HANDLE, FT_DWORD, void*, FT_DWORD, void*, FT_DWORD, FT_DWORD*, void*) {
    return FT_NOT_SUPPORTED;
}
FT_STATUS FTDI_API FT_SetWaitMask(FT_HANDLE, FT_DWORD) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_WaitOnMask(FT_HANDLE, FT_DWORD*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_GetDeviceInfo(FT_HANDLE, FT_DWORD*, FT_DWORD*, char*, char*, void*) {
    return FT_NOT_SUPPORTED;
}
FT_STATUS FTDI_API FT_SetResetPipeRetryCount(FT_HANDLE, FT_DWORD) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_ResetPort(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_CyclePort(FT_HANDLE) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_GetDeviceInfoList(void*, FT_DWORD*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_GetDriverVersion(FT_HANDLE, FT_DWORD*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_GetLibraryVersion(FT_DWORD*) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_SetDeadmanTimeout(FT_HANDLE, FT_DWORD) { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_Rescan() { return FT_NOT_SUPPORTED; }
FT_STATUS FTDI_API FT_Reload(uint16_t, uint16_t) { return FT_NOT_SUPPORTED; }

}  // extern "C"
