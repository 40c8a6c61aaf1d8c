#include "os/phases.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif

namespace os {

void PhaseRecord::Mark(int64_t micros, uint64_t privateBytes, uint64_t gaugeBytes, const char* name) {
    phases_.push_back({micros, privateBytes, gaugeBytes, name ? name : ""});
}

void PhaseRecord::Add(const char* tally, int64_t micros) {
    for (Tally& t : tallies_)
        if (t.name == tally) {
            ++t.calls;
            t.micros += micros;
            return;
        }
    tallies_.push_back({tally, 1, micros});
}

void PhaseRecord::SetBytes(const char* name, uint64_t bytes) {
    for (Amount& a : amounts_)
        if (a.name == name) {
            a.bytes = bytes;
            return;
        }
    amounts_.push_back({name, bytes});
}

std::string PhaseRecord::Text() const {
    std::string out;
    char line[512];
    for (const Phase& p : phases_) {
        std::snprintf(line, sizeof line, "phase %" PRId64 " %" PRIu64 " %" PRIu64 " %s\n", p.micros, p.privateBytes,
                      p.gaugeBytes, p.name.c_str());
        out += line;
    }
    for (const Tally& t : tallies_) {
        std::snprintf(line, sizeof line, "count %s %" PRId64 " %" PRId64 "\n", t.name.c_str(), t.calls, t.micros);
        out += line;
    }
    for (const Amount& a : amounts_) {
        std::snprintf(line, sizeof line, "bytes %s %" PRIu64 "\n", a.name.c_str(), a.bytes);
        out += line;
    }
    return out;
}

namespace {

struct ProgramRecord {
    std::string path;
    uint64_t (*gauge)() = nullptr;
    bool written = false;
    PhaseRecord record;
};

ProgramRecord* Program() {
    static ProgramRecord* program = [] () -> ProgramRecord* {
        const char* path = std::getenv("DARVIX_PHASES");
        if (!path || !*path) return nullptr;
        auto* p = new ProgramRecord;  // lives as long as the process
        p->path = path;
        return p;
    }();
    return program;
}

uint64_t PrivateBytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters))
        return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
#endif
    return 0;
}

}  // namespace

bool PhasesOn() { return Program() != nullptr; }

int64_t PhaseClockMicros() {
#ifdef _WIN32
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<int64_t>(static_cast<long double>(now.QuadPart) * 1000000.0L / frequency.QuadPart);
#else
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
#endif
}

void MarkPhase(const char* name) {
    if (ProgramRecord* p = Program())
        p->record.Mark(PhaseClockMicros(), PrivateBytes(), p->gauge ? p->gauge() : 0, name);
}

void SetPhaseGauge(uint64_t (*gauge)()) {
    if (ProgramRecord* p = Program()) p->gauge = gauge;
}

void SetPhaseBytes(const char* name, uint64_t bytes) {
    if (ProgramRecord* p = Program()) p->record.SetBytes(name, bytes);
}

void WritePhases() {
    ProgramRecord* p = Program();
    if (!p || p->written) return;
    p->written = true;
    if (std::FILE* f = std::fopen(p->path.c_str(), "wb")) {
        const std::string text = p->record.Text();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

PhaseTimer::~PhaseTimer() {
    if (!tally_) return;
    if (ProgramRecord* p = Program()) p->record.Add(tally_, PhaseClockMicros() - start_);
}

}  // namespace os
