#include "sim/trace_text.h"

#include <cstdio>

#include "link/ftdi.h"

namespace sim {

namespace {

std::string Hex(const Frame& bytes) {
    std::string out;
    char b[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        out += b;
    }
    return out;
}

std::string Head(uint64_t timeMs, size_t unit, uint64_t originMs, const char* what) {
    char b[64];
    unsigned long long t = timeMs >= originMs ? timeMs - originMs : 0;
    std::snprintf(b, sizeof b, "%9llu ms  unit %zu  %-6s  ", t, unit, what);
    return b;
}

}  // namespace

std::string TraceLine(const TraceEntry& e, size_t unit, uint64_t originMs) {
    switch (e.kind) {
        case TraceKind::FromPc: {
            std::string line = Head(e.timeMs, unit, originMs, "PC>DEV") + Hex(e.bytes);
            if (!e.checksumOk) line += "  (checksum wrong)";
            if (!e.lengthOk) line += "  (length unexpected)";
            if (!e.note.empty()) line += "  (" + e.note + ")";
            return line;
        }
        case TraceKind::ToPc:
            return Head(e.timeMs, unit, originMs, "DEV>PC") + Hex(e.bytes);
        case TraceKind::ParitySwitch: {
            uint8_t p = e.bytes.empty() ? 0 : e.bytes[0];
            const char* name = p == devlink::FT_PARITY_MARK    ? "MARK"
                               : p == devlink::FT_PARITY_SPACE ? "SPACE"
                                                               : nullptr;
            std::string line = Head(e.timeMs, unit, originMs, "PARITY");
            if (name) return line + name;
            char b[16];
            std::snprintf(b, sizeof b, "%u", p);
            return line + b;
        }
        case TraceKind::BadInput:
            return Head(e.timeMs, unit, originMs, "BAD") + Hex(e.bytes) + "  (" + e.note + ")";
        case TraceKind::Unplugged:
            return Head(e.timeMs, unit, originMs, "GONE") + (e.note.empty() ? "unplugged" : e.note);
        case TraceKind::Opened:
            return Head(e.timeMs, unit, originMs, "OPEN") + "opened";
        case TraceKind::Closed:
            return Head(e.timeMs, unit, originMs, "CLOSE") + "closed";
    }
    return Head(e.timeMs, unit, originMs, "?");
}

std::string PacingLine(const PacingViolation& v, size_t unit, uint64_t originMs) {
    char b[96];
    std::snprintf(b, sizeof b, "%u ms where %u ms are needed, %s ", v.gapMs, v.requiredMs,
                  v.beforeData ? "before the data of" : "before the address byte of");
    return Head(v.timeMs, unit, originMs, "PACING") + b + Hex(v.frame);
}

}  // namespace sim
