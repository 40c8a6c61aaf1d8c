// The simulated device's dynamic equalisation: the mode, the on/off switch of every preset and the
// two curves (31 linear gains and a reference level byte each) as the PC's messages set them, and
// the curves and the mode it adds to a read-all (both curves first, then the mode).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/frame.h"

namespace sim {

class SimUnit;

// What a unit holds, as a scenario may seed it.
struct DynEqState {
    uint8_t mode = 2;                          // 0 Easy, 1 Advanced, 2 off
    std::array<uint8_t, 4> switches{};         // per preset, 1 = off
    std::array<std::array<float, 31>, 2> gains;  // linear, Low-volume then High-volume
    std::array<uint8_t, 2> levels{60, 120};    // reference bytes (dB = byte / 2 - 60)
    DynEqState() {
        for (auto& g : gains) g.fill(1.0f);
    }
};

// Damaged replies a scenario may make the unit stream on a read-all, in place of its own.
enum class DynEqFault : uint8_t {
    None,
    CurveByteZero,   // the Low-volume curve names curve 0
    CurveByteThree,  // the High-volume curve names curve 3
    ShortCurve,      // the Low-volume curve is 131 bytes long
    ModeThree,       // the mode reply says 3
};

class DynEqStore {
public:
    explicit DynEqStore(const DynEqState& initial = {}, DynEqFault fault = DynEqFault::None)
        : state_(initial), fault_(fault) {}

    // Applies a frame the PC sent: 0x8A (131 bytes, curve 1 or 2), 0x8B (8), 0x94 (9) and 0x95
    // (7, kept as the switch of preset `preset`); 0x87 and 0x88 are counted. False for anything
    // else, and for a frame with a bad checksum, length or curve (the device ignores those).
    bool Apply(const uint8_t* frame, size_t length, int preset = 0);

    // The read-all's frames: the Low-volume and the High-volume curve (132 bytes), then the mode
    // with the four switches (11 bytes).
    std::vector<devlink::Frame> ReportFrames() const;
    // Back to a unit from the factory (after the PC resets its settings); a damage it streams
    // stays.
    void Reset() { state_ = DynEqState(); }

    const DynEqState& State() const { return state_; }
    int Starts() const { return starts_; }
    int Stops() const { return stops_; }

private:
    DynEqState state_;
    DynEqFault fault_;
    int starts_ = 0, stops_ = 0;
};

// Parses a scenario's "dyn_eq" value: "mode M", "switches A B C D", "curve C LEVEL G0 [G1 ...]"
// (curve 1 or 2, the level byte, then linear gains, the last repeated to band 30; "nan" allowed)
// or "fault curve0 | curve3 | short | mode3", one setting a line. False with why on an error.
bool ParseDynEqSetting(const std::string& value, DynEqState& state, DynEqFault& fault, std::string& why);

// Makes the unit keep its dynamic equalisation in the store and stream it on a read-all. Call
// under the bus's lock when the unit is on a bus.
void InstallDynEqStore(SimUnit& unit, DynEqStore& store);

}  // namespace sim
