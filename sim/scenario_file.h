// The scenario of the simulated FTDI driver (our ftd2xx.dll): which units are attached and how each
// behaves. Read from the file named in the environment variable DARVIX_SIM_SCENARIO, which only the
// simulated driver reads; the program itself reads no configuration.
//
//   # '#' starts a comment; blank lines are ignored; one "key = value" a line
//   trace = C:\logs\sim-trace.txt     where the frame trace goes (default: nowhere)
//   state = C:\logs\units.txt        where each unit's version and rescue mark live between runs
//                                     (by serial; default: nowhere, every run starts afresh)
//   delivery = instant                or line-rate (38400 baud, 11 bits a character); the default
//                                     of every [device] below
//
//   [device]                          one attached unit per section, in the driver's list order
//   description = Darvix              what FT_OpenEx opens it by (1 to 64 characters)
//   serial = DX000001                 at most 15 characters
//   location = 0x0011                 location id
//   firmware = 1.0.0.0                major.minor.third.fourth, each 0..255 (missing ones are 0)
//   later_firmware = 1: 1.7.0.0      from identify reply 1 (0-based) on, report this firmware
//   blank = no                        yes: a unit without settings (identifies as FF FF FF FF)
//   accessory = yes                   the remote accessory (node 0x80) that says hello
//   hello = until-answered            silent-until-disconnect | never
//   remote = 5.2                      the accessory's version, major.minor
//   readback = complete               incomplete | none: the end of a read-back (0x93)
//   delivery = instant                or line-rate, for this unit
//   reply_delay = 5                   ms from the end of a request to its reply
//   finalize_result = 1               the result FINALIZE reports (1: success)
//   finalize_delay = 0                ms FINALIZE's result comes later than other replies
//   chunk = 0                         replies reach the PC in pieces of this many bytes (0: whole)
//   no_reply_to = 0xCC 0x13           request commands left unanswered
//   bad_checksum = no                 yes: every reply carries a wrong checksum
//   open = ok                         fail: FT_OpenEx refuses the unit
//   arrive_after = 0                  ms after the driver starts until the unit is plugged in
//   write = ok                        fail: FT_Write fails; stall: it succeeds writing nothing
//   write_ok_count = 0                with write = fail or stall: that many calls succeed first
//   write_from_command = 0x0F         with write = fail or stall: the fault starts once a frame of
//                                     that command has come in (a line that stalls mid-session)
//   parity = ok                       fail: FT_SetDataCharacteristics fails
//   parity_ok_count = 0               with parity = fail: that many calls succeed first
//   unplug_after_frames = 3           the unit vanishes when that many frames have come in
//   unplug_on_command = 0x7D          the unit vanishes when a frame of that command comes in
//   unplug_after_command = 0xA5 10    the unit vanishes 10 frames after the first 0xA5
//   readback_failures = 1             the first that many read-backs end incomplete
//   new_firmware = 1.0                the version after a completed firmware update (default: the
//                                     program's)
//   rescue_firmware = 0.0             the version a unit in rescue reports (default 0.0.0.0)
//   rescue = no                       yes: the unit starts in rescue (a broken-off update)
//   flash_delay = 1000                ms from the firmware end message to the unit's result
//   damaged_block = 5                 that firmware data block arrives damaged
//   unplug_after_block = 5            the unit vanishes after that firmware data block ...
//   back_after = 3000                 ... and comes back, in rescue, that many ms later
//   clip_mask = 0x05                  the outputs whose clip indicators the unit reports lit
//   preset = 2                        the current preset (0..3) the unit reports on a read-all
//   working_mode = expert             or standard: the working mode it reports on a read-all
//   source = 1                        the selected external source (0..4; master: none)
//   source_flags = 0 1 0 0 1          the external sources that exist, Aux1 first
//   input_type = low                  or high: the main inputs the unit reports; byte N: the
//                                     input configuration's type byte is N (1 low, 2 high)
//   input_codes = 0x28 0x30 0 0 0 0 0 0   the eight main inputs' routing codes
//   source_device_flag = 0            byte 135 of the source equaliser frames it streams
//   source_fault = none               short-eq | source-7 | zero-gain | nan-gain | short-config:
//                                     damage to the source frames of a read-all
//   dyn_eq = mode 1                   the unit's dynamic equalisation (repeatable): mode M,
//   dyn_eq = curve 2 29 0.5 nan       switches A B C D, curve C LEVEL GAINS.. (linear, the last
//                                     repeated), fault curve0 | curve3 | short | mode3
//   routing = 0x28 0 .. (40 numbers)  the routing the unit holds (the five arrays of an 0xA4),
//                                     streamed on a read-all as the one the PC sends later is
//   routing_length = 46               the length of the 0xA4 it streams (another: a damaged one)
//   wizard_inputs = 0 1 2             the inputs the input-level setup finishes, in order ("none":
//                                     none; default: those with a code in the input configuration)
//   wizard_outputs = 0 1 2 3 4 5      the source channels the de-equalization finishes, in order
//   wizard_delay = 300                ms from a setup's request to its first status
//   wizard_interval = 200             ms between two statuses
//   wizard_too_low = 2                that input's level is too low (on the first input setup;
//   wizard_too_low = 2 always         with "always" on every one)
//   wizard_junk = 0xC1 0x05           statuses of no meaning each setup sends first
//   wizard_bad_status = 1             that status of each setup (0-based) has a wrong checksum
//   wizard_unplug_after_status = 2    the unit vanishes just after that status of a setup
//
// Without a scenario the driver lists one healthy unit whose firmware is the program's version.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/device.h"
#include "sim/dyn_eq_store.h"
#include "sim/firmware_store.h"
#include "sim/tuning_store.h"
#include "sim/wizard_store.h"

namespace sim {

constexpr const char* kScenarioVariable = "DARVIX_SIM_SCENARIO";

struct ScenarioDevice {
    UnitConfig config;
    Faults faults;
    FirmwareOptions firmware;
    DynEqState dynEq;
    DynEqFault dynEqFault = DynEqFault::None;
    WizardOptions wizard;
    RoutingOptions routing;
};

struct ScenarioFile {
    std::string trace;  // empty: no trace
    std::string state;  // the units' state file; empty: none
    std::vector<ScenarioDevice> devices;
};

// The identify reply's version bytes (9..12: fourth, third, minor, major) of a version given as
// major, minor, third, fourth.
std::array<uint8_t, 4> FirmwareBytes(const std::array<uint8_t, 4>& version);

// A unit as it is listed without a scenario: healthy, with that version (major, minor, third,
// fourth), serial "DX" and its 1-based number, a location id of its own.
ScenarioDevice DefaultDevice(const std::array<uint8_t, 4>& version, size_t number = 1);

// The scenario without a file: one default unit.
ScenarioFile DefaultScenario(const std::array<uint8_t, 4>& version);

// Parses a scenario's text; on an error returns false with "line N: reason" in error and leaves
// out alone. Units start as DefaultDevice(version, their number).
bool ParseScenario(const std::string& text, const std::array<uint8_t, 4>& version, ScenarioFile& out,
                   std::string& error);

// Reads and parses the file; false with the reason, naming the file, when it cannot be read or
// does not parse.
bool LoadScenario(const std::string& path, const std::array<uint8_t, 4>& version, ScenarioFile& out,
                  std::string& error);

}  // namespace sim
