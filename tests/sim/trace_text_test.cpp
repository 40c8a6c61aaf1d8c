// The simulated driver's trace lines: what a developer reads to see what went over the line.
#include <gtest/gtest.h>

#include "link/ftdi.h"
#include "sim/trace_text.h"

namespace {

using sim::TraceEntry;
using sim::TraceKind;

TraceEntry Entry(uint64_t timeMs, TraceKind kind, devlink::Frame bytes, bool checksumOk = true,
                 bool lengthOk = true, std::string note = {}) {
    TraceEntry e;
    e.timeMs = timeMs;
    e.kind = kind;
    e.bytes = std::move(bytes);
    e.checksumOk = checksumOk;
    e.lengthOk = lengthOk;
    e.note = std::move(note);
    return e;
}

TEST(TraceText, Lines) {
    struct Case {
        TraceEntry entry;
        const char* line;
        uint64_t origin = 0;
    };
    const Case cases[] = {
        {Entry(1234, TraceKind::FromPc, {0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72}),
         "     1234 ms  unit 2  PC>DEV  46 5A 00 06 CC 72"},
        {Entry(1000, TraceKind::FromPc, {0x46, 0x5A, 0x00, 0x06, 0xCC, 0x73}, false, false, "unknown command"),
         "     1000 ms  unit 2  PC>DEV  46 5A 00 06 CC 73  (checksum wrong)  (length unexpected)  (unknown command)"},
        {Entry(1240, TraceKind::ToPc, {0x5A, 0x80, 0x00, 0x06, 0x11, 0xF1}),
         "     1240 ms  unit 2  DEV>PC  5A 80 00 06 11 F1"},
        {Entry(1300, TraceKind::ParitySwitch, {devlink::FT_PARITY_MARK}), "     1300 ms  unit 2  PARITY  MARK"},
        {Entry(1300, TraceKind::ParitySwitch, {devlink::FT_PARITY_SPACE}), "     1300 ms  unit 2  PARITY  SPACE"},
        {Entry(1300, TraceKind::ParitySwitch, {0}), "     1300 ms  unit 2  PARITY  0"},
        {Entry(1310, TraceKind::BadInput, {0x46, 0x5A}, true, true, "frame cut short"),
         "     1310 ms  unit 2  BAD     46 5A  (frame cut short)"},
        {Entry(1400, TraceKind::Unplugged, {}), "     1400 ms  unit 2  GONE    unplugged"},
        {Entry(1500, TraceKind::ToPc, {0x01}), "      500 ms  unit 2  DEV>PC  01", 1000},
        {Entry(500, TraceKind::ToPc, {0x01}), "        0 ms  unit 2  DEV>PC  01", 1000},  // before the origin
    };
    for (const Case& c : cases) EXPECT_EQ(sim::TraceLine(c.entry, 2, c.origin), c.line);
}

TEST(TraceText, PacingLines) {
    sim::PacingViolation before_data{1320, 10, 25, true, {0x46, 0x5A, 0x00, 0x06, 0x92, 0x38}};
    EXPECT_EQ(sim::PacingLine(before_data, 1, 20),
              "     1300 ms  unit 1  PACING  10 ms where 25 ms are needed, before the data of 46 5A 00 06 92 38");
    sim::PacingViolation before_address{100, 30, 45, false, {0x46, 0x5A, 0x00, 0x06, 0xA6, 0x4C}};
    EXPECT_EQ(sim::PacingLine(before_address, 1, 0),
              "      100 ms  unit 1  PACING  30 ms where 45 ms are needed, before the address byte of 46 5A 00 06 A6 4C");
}

}  // namespace
