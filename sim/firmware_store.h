// The simulated unit's side of a firmware update: a plug-in of the unit's command table that takes
// the begin message (block 1, the announced size), checks every data block as it comes (a sound
// frame, the next number from 2, 1 to 512 bytes) and keeps its bytes, and answers the end message
// after its flash delay with 0xCB: byte 6 = 1 when every block came in order and the bytes make
// the announced size, else 0 with byte 7 naming the check that failed.
//
// A completed upload restarts the unit with the new version, reported from its next open. One that
// failed or broke off leaves it in rescue: from its next open it identifies with the rescue
// version and answers only hello, identify, disconnect and a new upload. The state file keeps each
// unit's version and rescue mark between runs of the program.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/frame.h"

namespace sim {

class SimUnit;

struct FirmwareOptions {
    // Identify bytes 9..12 (fourth, third, minor, major) after a completed upload and in rescue.
    std::array<uint8_t, 4> newFirmware{0, 0, 0, 1};
    std::array<uint8_t, 4> rescueFirmware{0, 0, 0, 0};
    bool startInRescue = false;
    uint32_t flashDelayMs = 1000;  // from the end message to the result
    int damagedBlock = -1;         // this data block arrives damaged (-1: none)
    int unplugAfterBlock = -1;     // the unit vanishes after this data block (-1: never)
    int32_t backAfterMs = -1;      // and comes back, in rescue, this long after (-1: never)
};

// What the unit keeps across restarts and runs of the program.
struct UnitFlashState {
    std::array<uint8_t, 4> firmware{};  // identify bytes 9..12
    bool rescue = false;
    bool operator==(const UnitFlashState&) const = default;
};

class FirmwareStore {
public:
    // Byte 7 of a failed result: the check that failed.
    enum Check : uint8_t {
        kCompleted = 0,
        kNoBegin = 1,    // an end or a data block without a begin
        kSequence = 2,   // a block out of order
        kBadBlock = 3,   // a damaged block, or one of no or too many bytes
        kSize = 4,       // the bytes do not make the announced size
    };

    explicit FirmwareStore(FirmwareOptions options = {});

    // The command handlers (the request is a sound frame for the unit).
    void OnBlock(SimUnit& unit, const devlink::Frame& request);
    void OnEnd(SimUnit& unit, const devlink::Frame& request);
    // At each open: a pending restart takes effect.
    void OnConnect(SimUnit& unit);
    // Whether a unit in its present state acts on a command.
    bool Accepts(uint8_t command) const;

    // Called with the unit's new state whenever an update ends (to keep the state file).
    void SetOnStateChange(std::function<void(const UnitFlashState&)> hook) { onChange_ = std::move(hook); }

    // What tests look at.
    bool updating() const { return updating_; }
    bool rescue() const { return rescue_; }
    uint32_t announcedSize() const { return announced_; }
    const std::vector<uint8_t>& received() const { return received_; }
    uint8_t failure() const { return failure_; }
    int results() const { return results_; }
    const FirmwareOptions& options() const { return options_; }

private:
    void Fail(SimUnit& unit, const devlink::Frame& request, Check check);
    void Restart(SimUnit& unit, bool rescue);

    FirmwareOptions options_;
    std::function<void(const UnitFlashState&)> onChange_;
    bool updating_ = false;
    uint32_t announced_ = 0;
    uint32_t nextBlock_ = 2;
    uint8_t failure_ = kCompleted;
    std::vector<uint8_t> received_;
    int results_ = 0;
    bool rescue_ = false;
    bool restartPending_ = false;
    UnitFlashState pending_{};
};

// Plugs the store into the unit's command table (0xC8, 0xCA), its open hook and its command
// filter; a store that starts in rescue puts the unit in rescue at once. The store must live as
// long as the unit. Call it under the bus's lock when the unit is on a bus.
void InstallFirmwareStore(SimUnit& unit, FirmwareStore& store);

// The state file: one line a unit, "serial major.minor.third.fourth normal|rescue". Lines that do
// not parse are skipped; a missing file is an empty map.
std::map<std::string, UnitFlashState> LoadUnitStates(const std::string& path);
bool SaveUnitStates(const std::string& path, const std::map<std::string, UnitFlashState>& states);
std::string FormatUnitStates(const std::map<std::string, UnitFlashState>& states);
std::map<std::string, UnitFlashState> ParseUnitStates(const std::string& text);

}  // namespace sim
