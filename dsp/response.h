// Frequency responses for the chart: a unit impulse through a cascade of sections, transformed
// with a 16384-point FFT at 48000 Hz and turned into decibels, and the acoustic sum of several
// speakers. The engines of one thread share one set of work arrays (made at the first curve);
// each engine keeps recent impulse responses, and those of long cascades after every fourth
// section, so that the next curve or sum filters only what changed (from the first section that
// differs) and still gives the same bits as computing everything anew.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/records.h"

namespace dsp {

constexpr int kBlockOrder = 14;
constexpr int kBlockLength = 1 << kBlockOrder;  // samples of impulse response
constexpr int kBinCount = kBlockLength / 2;     // bins computed: 0 .. 8191
constexpr double kBinHz = 24000.0 / 8192.0;     // 2.9296875 Hz
// The curves keep bins 6 .. 6826: from just below 19.69 Hz to just below 20000 Hz (both limits
// times 8192 over 24000, truncated).
constexpr int kFirstKeptBin = 161300 / 24000;         // 6 (161300.48 / 24000)
constexpr int kLastKeptBin = 163840000 / 24000;        // 6826
constexpr int kKeptBins = kLastKeptBin - kFirstKeptBin + 1;  // 6821

// The bins a caller takes, first .. last inclusive: values outside it are left as they are.
struct BinRange {
    int first = 0;
    int last = kBinCount - 1;
};
constexpr BinRange kAllBins{};
constexpr BinRange kKeptRange{kFirstKeptBin, kLastKeptBin};

// How one speaker enters the acoustic sum, from the shown flags of its three curves.
enum class SumPart : int {
    kNone = 0,       // adds nothing
    kChain = 1,      // crossover (with its polarity), then equaliser
    kEqualiser = 2,  // equaliser only
    kCrossover = 3,  // crossover only, with its polarity
};

// The speakers of a sum: the output's record and sections, and how it enters.
struct SumSpeaker {
    int output;  // 0..7; any other output adds nothing
    SumPart part;
};

class ResponseEngine {
public:
    ResponseEngine();
    ResponseEngine(const ResponseEngine&) = delete;
    ResponseEngine& operator=(const ResponseEngine&) = delete;

    // h (kBlockLength samples, as given) through the sections in order, in place. A section whose
    // order lies outside 0..8, whose a0 is 0 or whose coefficients are not all finite passes the
    // block unchanged; a null array or a count below 1 passes everything unchanged.
    static void Cascade(const model::BiquadSection* sections, int count, double* h);
    // The same from src into dst (kBlockLength samples each; src may be dst, src is left as it
    // is otherwise).
    static void CascadeFrom(const model::BiquadSection* sections, int count, const double* src,
                            double* dst);
    // A unit impulse through the sections.
    static void ImpulseResponse(const model::BiquadSection* sections, int count, double* h);

    // xs[i] = log10(i * 2.9296875 Hz), ys[i] = the level in dB, for the 8192 bins (bin 0 at
    // x = -18) or those of the range. A count of 0 gives 0 dB everywhere.
    void ComputeSectionsResponse(const model::BiquadSection* sections, int count, float* xs,
                                 float* ys, BinRange bins = kAllBins);
    // The same over the block's first sectionCount sections; a count outside 0..9 adds no
    // section. Returns 8192.
    int ComputeCrossoverResponse(const model::CrossoverParams& block,
                                 const model::CrossoverSections& sections, float* xs, float* ys,
                                 BinRange bins = kAllBins);

    // The acoustic sum: 20 log10 of the magnitude of the speakers' summed responses, per bin.
    // records and sections are the eight outputs of the current preset; a record with EQOff set
    // enters without its equaliser, as the unit plays it.
    void ComputeSum(const model::DspChannelRecord* records,
                    const model::CrossoverSections* sections, const SumSpeaker* speakers,
                    int count, float* xs, float* ys, BinRange bins = kAllBins);

    // Section passes run since construction (benchmarks and tests of the cache).
    long Passes() const { return passes_; }
    // Forgets every kept impulse response: the next curves and sum filter everything anew.
    void Forget();

    // Keeping off: the engine frees its kept responses and, after each computation, its work
    // arrays, and keeps only the last response it filtered (the same cascade asked for again is
    // not filtered again); the rest is filtered anew, to the same bits. For a chart that is not
    // on screen, whose curves are seldom asked for. On (as made): responses are kept for the
    // next curves.
    void SetKeeping(bool keep);
    bool Keeping() const { return keeping_; }

    // Bytes the engine holds: its work arrays, its kept responses and its prefix responses.
    struct Held {
        size_t work = 0, kept = 0, prefixes = 0;
    };
    Held HeldBytes() const;

private:
    // One cascade's impulse response, kept while the sections it came from stay the same, so that
    // a speaker's curves, its part of the sum and the next sum share the filtering.
    struct Kept {
        bool valid = false;
        uint64_t hash = 0;
        int firstCount = 0, secondCount = 0;
        std::vector<model::BiquadSection> from;  // the first sections, then the second ones
        std::vector<double> h;
        long used = 0;
    };
    static constexpr int kMaxKeptSections = model::kBandCount + model::kMaxCrossoverSections;

    // The intermediate responses of a long cascade after every kPrefixStep sections, so that a
    // cascade that differs from it only from some section on (a slider step on one band) is
    // filtered from the last response before that section, with the same bits.
    struct Prefix {
        bool valid = false;
        std::vector<model::BiquadSection> from;
        std::vector<double> points;  // response c (from 1) at (c - 1) * kBlockLength: 4c sections
        long used = 0;
    };
    static constexpr int kPrefixStep = 4;
    static constexpr int kMinPrefixSections = 2 * kPrefixStep;
    // A unit impulse through `first` into h, from the best kept prefix.
    void FilterWithPrefixes(const model::BiquadSection* first, int count, double* h);

    // The impulse response of `first` then `second` (counts of 0 or more, none above
    // kMaxKeptSections together), kept or filtered now: a unit impulse through `first` (itself
    // kept) and that through `second`.
    const double* Impulse(const model::BiquadSection* first, int firstCount,
                          const model::BiquadSection* second, int secondCount);
    // The magnitudes of h's bins in the range, through the real transform.
    void Spectrum(const double* h, double* mag, BinRange bins);
    void Decibels(const double* mag, float* ys, BinRange bins) const;
    // The sum's levels from its two magnitude arrays (an impulse's is 1 in every bin).
    void Decibels(bool aImpulse, bool bImpulse, float* ys, BinRange bins) const;
    void CountPasses(const model::BiquadSection* sections, int count);
    void MakeWorkArrays();
    void FreeWorkArrays();
    // h becomes a unit impulse; returns h.
    static double* UnitImpulse(double* h);
    void FreeKept();

    // The work arrays of a computation: the transform's, the magnitudes, the sum's two
    // accumulators and the bins' frequencies.
    struct WorkArrays {
        std::vector<double> re, im, mag, magB, a, b;
        std::vector<float> xs;
    };
    std::shared_ptr<WorkArrays> work_;
    std::vector<Kept> kept_;
    std::vector<Prefix> prefixes_;
    bool keeping_ = true;
    long uses_ = 0;
    long passes_ = 0;
};

// The sections of a crossover block that its curve and the sum use: the block's count when it
// lies within 0..9, else none.
int UsableCrossoverCount(const model::CrossoverParams& block);

}  // namespace dsp
