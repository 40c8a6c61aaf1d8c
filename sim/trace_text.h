// The simulated driver's frame trace as text, one line an event:
//
//      1234 ms  unit 1  PC>DEV  46 5A 00 06 CC 72
//      1240 ms  unit 1  DEV>PC  5A 46 00 0E CD 01 02 03 04 00 00 00 01 31
//      1300 ms  unit 1  PARITY  MARK
//      1310 ms  unit 1  BAD     46 5A  (frame cut short)
//      1320 ms  unit 1  PACING  10 ms where 25 ms are needed, before the data of 46 5A 00 06 92 38
//
// A frame from the PC whose checksum or length is wrong says so at the end of its line.
#pragma once

#include <cstdint>
#include <string>

#include "sim/device.h"

namespace sim {

// Times are printed from `originMs` on.
std::string TraceLine(const TraceEntry& entry, size_t unitNumber, uint64_t originMs);
std::string PacingLine(const PacingViolation& violation, size_t unitNumber, uint64_t originMs);

}  // namespace sim
