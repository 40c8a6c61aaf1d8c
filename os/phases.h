// The start-up phase record: when the environment variable DARVIX_PHASES names a file, the program
// stamps the time (and, on Windows, its private bytes) of each phase of start-up, adds up the time
// and number of calls of a few costly kinds of work (skins loaded, fonts made), and writes it all to
// that file once the main window has been painted. Without the variable every call returns at once.
// Times are microseconds on the system's monotonic counter (QueryPerformanceCounter on Windows), so
// another process on the same machine can set them against its own stamps. UI thread only.
//
// File format, one record a line:
//   phase MICROSECONDS PRIVATE_BYTES GAUGE_BYTES NAME...   (the gauge: see SetPhaseGauge)
//   count NAME CALLS MICROSECONDS
//   bytes NAME BYTES
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/time.h"

namespace os {

class PhaseRecord {
public:
    struct Phase {
        int64_t micros;
        uint64_t privateBytes;
        uint64_t gaugeBytes;
        std::string name;
    };
    struct Tally {
        std::string name;
        int64_t calls = 0;
        int64_t micros = 0;
    };
    struct Amount {
        std::string name;
        uint64_t bytes;
    };

    void Mark(int64_t micros, uint64_t privateBytes, uint64_t gaugeBytes, const char* name);
    void Add(const char* tally, int64_t micros);
    void SetBytes(const char* name, uint64_t bytes);
    std::string Text() const;
    const std::vector<Phase>& Phases() const { return phases_; }

private:
    std::vector<Phase> phases_;
    std::vector<Tally> tallies_;
    std::vector<Amount> amounts_;
};

// The names under which the record counts what holds memory (ui::gdi::BitmapAccount and the
// record's amounts), shared with the start-up bench that reads them.
namespace held {
constexpr const char* kSliderBuffers = "slider-back-buffers";
constexpr const char* kProgressBars = "progress-bar-buffers";
constexpr const char* kSliderImages = "slider-track-and-thumb-images";
constexpr const char* kFaceCopies = "copies-of-faces";
constexpr const char* kImageStrips = "icon-label-and-tab-strips";
constexpr const char* kChartCanvas = "chart-plot-canvases";
constexpr const char* kChartKeptCopy = "chart-kept-copies";
}  // namespace held

// The program's record: on when DARVIX_PHASES is set (read once).
bool PhasesOn();
int64_t PhaseClockMicros();
void MarkPhase(const char* name);
// A second count of bytes each phase records beside the private bytes (the program gives the
// pixels of its live bitmaps), so that the record tells pixels from the rest.
void SetPhaseGauge(uint64_t (*gauge)());
void SetPhaseBytes(const char* name, uint64_t bytes);
// Writes the record to DARVIX_PHASES's file the first time it is called; later calls do nothing.
void WritePhases();

// Times one call of a costly kind of work into the program's record (nothing when it is off).
class PhaseTimer {
public:
    explicit PhaseTimer(const char* tally) : tally_(PhasesOn() ? tally : nullptr), start_(tally_ ? PhaseClockMicros() : 0) {}
    ~PhaseTimer();
    PhaseTimer(const PhaseTimer&) = delete;
    PhaseTimer& operator=(const PhaseTimer&) = delete;

private:
    const char* tally_;
    int64_t start_;
};

// A sleeper that adds the time each of its pauses took to a tally of the program's record.
class TalliedSleeper : public Sleeper {
public:
    TalliedSleeper(Sleeper& inner, const char* tally) : inner_(inner), tally_(tally) {}
    void SleepMs(uint32_t ms) override {
        PhaseTimer timer(tally_);
        inner_.SleepMs(ms);
    }

private:
    Sleeper& inner_;
    const char* tally_;
};

}  // namespace os
