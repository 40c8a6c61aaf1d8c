// The scenario of the simulated FTDI driver (our ftd2xx.dll): which devices are attached and how
// each behaves. Read from the file named in DARVIX_SIM_SCENARIO, which only the simulated driver
// reads; the program itself reads no configuration.
//
//   # a comment; blank lines are ignored; "key = value" per line
//   trace = C:\logs\sim-trace.txt     where the frame trace goes (default: none)
//   delivery = instant                or line-rate (38400 baud, 11 bits a character)
//
//   [device]                          one attached device per section, in the driver's list order
//   description = Darvix              what FT_OpenEx opens it by (at most 63 characters)
//   serial = DX000001                 (at most 15 characters)
//   location = 0x0011                 location id
//   firmware = 1.0.0.0                up to four numbers 0..255 (major.minor.third.fourth)
//   blank = no                        yes: a unit without firmware settings (identifies as FF FF FF FF)
//   accessory = yes                   the remote accessory that says hello and reports its version
//   remote = 5.2                      the accessory's version, major.minor
//   identify = reply                  or silent: no answer to identify
//   readback = complete               incomplete | none | bad-checksum
//   open = ok                         or fail: FT_OpenEx refuses the device
//   write = ok                        fail: FT_Write fails; stall: it succeeds writing nothing
//   write_ok_count = 0                with write = fail or stall: that many writes succeed first
//   parity = ok                       or fail: FT_SetDataCharacteristics fails
//
// Without a scenario the driver lists one healthy unit whose firmware equals the program's version.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr const char* kScenarioVariable = "DARVIX_SIM_SCENARIO";

enum class Delivery { Instant, LineRate };
enum class ReadBack { Complete, Incomplete, None, BadChecksum };
enum class WriteFault { None, Fail, Stall };

struct ScenarioDevice {
    std::string description = "Darvix";
    std::string serial;
    uint32_t location = 0;
    std::array<uint8_t, 4> firmware{};  // major, minor, third, fourth
    bool blank = false;
    bool accessory = true;
    std::array<uint8_t, 2> remote{5, 2};  // major, minor
    bool identifyReply = true;
    ReadBack readBack = ReadBack::Complete;
    bool openFails = false;
    WriteFault writeFault = WriteFault::None;
    uint32_t writeOkCount = 0;
    bool parityFails = false;
};

struct ScenarioFile {
    std::string trace;  // empty: no trace
    Delivery delivery = Delivery::Instant;
    std::vector<ScenarioDevice> devices;
};

// A device as it is listed without a scenario: healthy, with the given firmware version, serial
// "DX" and its 1-based number.
ScenarioDevice DefaultDevice(const std::array<uint8_t, 4>& firmware, size_t number = 1);

// The scenario without a file: one default device.
ScenarioFile DefaultScenario(const std::array<uint8_t, 4>& firmware);

// Parses a scenario's text; on an error returns false with "line N: reason" in error. Devices
// start from DefaultDevice(firmware, their number).
bool ParseScenario(const std::string& text, const std::array<uint8_t, 4>& firmware, ScenarioFile& out,
                   std::string& error);

// Reads and parses the file; false with the reason (naming the file) when it cannot be read or
// does not parse.
bool LoadScenario(const std::string& path, const std::array<uint8_t, 4>& firmware, ScenarioFile& out,
                  std::string& error);

}  // namespace sim
