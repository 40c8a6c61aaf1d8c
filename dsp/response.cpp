#include "dsp/response.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "dsp/signal.h"

namespace dsp {
namespace {

constexpr double kFloor = 1e-18;

// The highest order at which a section still has a nonzero coefficient: a crossover section
// that carries its cascade's order over zero taps runs as the short section it is.
int EffectiveOrder(const model::BiquadSection& s) {
    int order = s.order;
    while (order > 0 && s.b[order] == 0.0 && s.a[order] == 0.0) --order;
    return order;
}

bool SameSections(const model::BiquadSection* a, const model::BiquadSection* b, int count) {
    return count <= 0 || std::memcmp(a, b, sizeof(model::BiquadSection) * static_cast<size_t>(count)) == 0;
}

// A range within the bins (an empty or reversed one: all of them).
BinRange Clamped(BinRange bins) {
    bins.first = std::max(bins.first, 0);
    bins.last = std::min(bins.last, kBinCount - 1);
    return bins.first <= bins.last ? bins : kAllBins;
}

}  // namespace

int UsableCrossoverCount(const model::CrossoverParams& block) {
    return block.sectionCount >= 0 && block.sectionCount <= model::kMaxCrossoverSections
               ? block.sectionCount
               : 0;
}

ResponseEngine::ResponseEngine() : kept_(3 * model::kChannelCount), prefixes_(model::kChannelCount) {
    // Each output's equaliser, crossover and chain stay kept; an entry's response is made when it
    // is first filled (a chart that shows a few curves holds a few).
    for (Kept& k : kept_) k.from.reserve(kMaxKeptSections);
    // The prefixes' responses are made when a long cascade first needs them, then kept.
    for (Prefix& p : prefixes_) p.from.reserve(kMaxKeptSections);
}

void ResponseEngine::MakeWorkArrays() {
    // Made with the first curve: a chart that is never shown computes nothing and holds none.
    // The engines of one thread (the charts of the user interface) use one set: each call fills
    // what it reads before reading it.
    if (work_) return;
    static thread_local std::weak_ptr<WorkArrays> shared;
    work_ = shared.lock();
    if (work_) return;
    work_ = std::make_shared<WorkArrays>();
    work_->re.assign(kBlockLength, 0.0);
    work_->im.assign(kBlockLength, 0.0);
    work_->mag.assign(kBinCount, 0.0);
    work_->magB.assign(kBinCount, 0.0);
    work_->a.assign(kBlockLength, 0.0);
    work_->b.assign(kBlockLength, 0.0);
    work_->xs.resize(kBinCount);
    for (int i = 0; i < kBinCount; ++i)
        work_->xs[i] = static_cast<float>(std::log10(i * 24000.0 / 8192.0 + kFloor));
    shared = work_;
}

void ResponseEngine::FreeWorkArrays() { work_.reset(); }

double* ResponseEngine::UnitImpulse(double* h) {
    std::fill(h, h + kBlockLength, 0.0);
    h[0] = 1.0;
    return h;
}

void ResponseEngine::FreeKept() {
    for (Kept& k : kept_) {
        k.valid = false;
        std::vector<double>().swap(k.h);
    }
    for (Prefix& p : prefixes_) {
        p.valid = false;
        std::vector<double>().swap(p.points);
    }
}

void ResponseEngine::SetKeeping(bool keep) {
    if (keeping_ == keep) return;
    keeping_ = keep;
    if (!keep) {
        FreeKept();
        FreeWorkArrays();
    }
}

void ResponseEngine::Cascade(const model::BiquadSection* sections, int count, double* h) {
    CascadeFrom(sections, count, h, h);
}

void ResponseEngine::CascadeFrom(const model::BiquadSection* sections, int count, const double* src,
                                 double* dst) {
    if (!src || !dst) return;
    // Second-order sections go four at a time (their recurrences overlap), a remainder of two
    // as a pair; a section of a higher order runs alone. A refused section passes the block as
    // it is. Whatever the grouping, each section's samples are those of its own IirPass.
    Biquad waiting[4];
    int haveWaiting = 0;
    const double* from = src;
    // Brings the block to dst when nothing has been written there yet.
    auto toDst = [&]() {
        if (from != dst) std::copy(from, from + kBlockLength, dst);
        from = dst;
    };
    auto flush = [&]() {
        if (haveWaiting == 0) return;
        if (haveWaiting == 4 || haveWaiting == 3) {
            // Three sections with an identity in the fourth lane (its samples pass unchanged).
            if (haveWaiting == 3) waiting[3] = Biquad{1.0, 0.0, 0.0, 0.0, 0.0};
            BiquadQuad(waiting, from, dst, kBlockLength);
            from = dst;
        } else if (haveWaiting == 2) {
            toDst();
            BiquadPair(waiting[0], waiting[1], dst, kBlockLength);
        } else {
            toDst();
            const double b[3] = {waiting[0].b0, waiting[0].b1, waiting[0].b2},
                         a[3] = {1.0, waiting[0].a1, waiting[0].a2};
            IirPass(b, a, 2, dst, dst, kBlockLength);
        }
        haveWaiting = 0;
    };
    for (int i = 0; sections && i < count; ++i) {
        const model::BiquadSection& s = sections[i];
        if (s.order < 0 || s.order > kMaxIirOrder) continue;
        const int order = EffectiveOrder(s);
        if (!IirSectionUsable(s.b, s.a, order)) continue;
        Biquad q;
        if (MakeBiquad(s.b, s.a, order, q)) {
            waiting[haveWaiting++] = q;
            if (haveWaiting == 4) flush();
            continue;
        }
        flush();
        toDst();
        IirPass(s.b, s.a, order, dst, dst, kBlockLength);
    }
    flush();
    toDst();
}

void ResponseEngine::ImpulseResponse(const model::BiquadSection* sections, int count, double* h) {
    if (!h) return;
    std::fill(h, h + kBlockLength, 0.0);
    h[0] = 1.0;
    Cascade(sections, count, h);
}

void ResponseEngine::CountPasses(const model::BiquadSection* sections, int count) {
    if (sections && count > 0) passes_ += count;
}

void ResponseEngine::Decibels(const double* mag, float* ys, BinRange bins) const {
    for (int i = bins.first; i <= bins.last; ++i)
        ys[i] = static_cast<float>(20.0 * std::log10(std::fabs(mag[i]) + kFloor));
}

namespace {

uint64_t Hash(uint64_t h, const model::BiquadSection* s, int count) {
    // FNV-1a over the sections' 64-bit words.
    for (int i = 0; i < count; ++i) {
        uint64_t words[sizeof(model::BiquadSection) / 8];
        std::memcpy(words, &s[i], sizeof words);
        for (uint64_t w : words) h = (h ^ w) * 1099511628211ull;
    }
    return h;
}

}  // namespace

const double* ResponseEngine::Impulse(const model::BiquadSection* first, int firstCount,
                                      const model::BiquadSection* second, int secondCount) {
    if (!first) firstCount = 0;
    if (!second) secondCount = 0;
    const uint64_t hash = Hash(Hash(14695981039346656037ull ^ static_cast<uint64_t>(firstCount * 64 + secondCount),
                                    first, firstCount),
                               second, secondCount);
    for (Kept& k : kept_) {
        if (k.valid && k.hash == hash && k.firstCount == firstCount && k.secondCount == secondCount &&
            SameSections(k.from.data(), first, firstCount) &&
            SameSections(k.from.data() + firstCount, second, secondCount)) {
            k.used = ++uses_;
            return k.h.data();
        }
    }
    // Filtered now, into a free entry or the one used longest ago. The response of `first`
    // alone is found or made before the choice, so it has just been used and is never the
    // entry overwritten. Without keeping, the first entry alone holds the last response.
    const double* head = keeping_ && secondCount > 0 ? Impulse(first, firstCount, nullptr, 0) : nullptr;
    Kept* oldest = &kept_.front();
    for (Kept& k : kept_)
        if (keeping_ && (!k.valid || (oldest->valid && k.used < oldest->used))) oldest = &k;
    Kept& k = *oldest;
    k.valid = false;
    if (k.h.size() != static_cast<size_t>(kBlockLength)) k.h.assign(kBlockLength, 0.0);
    double* h = k.h.data();
    if (!keeping_) {
        CascadeFrom(first, firstCount, UnitImpulse(h), h);
        CascadeFrom(second, secondCount, h, h);
        CountPasses(first, firstCount);
        CountPasses(second, secondCount);
    } else if (head) {
        CascadeFrom(second, secondCount, head, h);
        CountPasses(second, secondCount);
    } else if (firstCount >= kMinPrefixSections) {
        FilterWithPrefixes(first, firstCount, h);
    } else {
        CascadeFrom(first, firstCount, UnitImpulse(h), h);
        CountPasses(first, firstCount);
    }
    k.from.assign(first, first + firstCount);
    k.from.insert(k.from.end(), second, second + secondCount);
    k.hash = hash;
    k.firstCount = firstCount;
    k.secondCount = secondCount;
    k.used = ++uses_;
    k.valid = true;
    return h;
}

void ResponseEngine::FilterWithPrefixes(const model::BiquadSection* first, int count, double* h) {
    // The kept prefix that shares the most of its responses with this cascade; without one, the
    // one used longest ago starts afresh.
    Prefix* best = nullptr;
    int bestStart = 0;  // responses of `best` that serve this cascade
    for (Prefix& p : prefixes_) {
        if (!p.valid) continue;
        const int kept = (static_cast<int>(p.from.size()) - 1) / kPrefixStep;
        const int most = std::min(kept, (count - 1) / kPrefixStep);
        int same = 0;
        while (same < most && SameSections(p.from.data() + same * kPrefixStep, first + same * kPrefixStep,
                                           kPrefixStep))
            ++same;
        if (!best || same > bestStart || (same == bestStart && p.used > best->used)) {
            best = &p;
            bestStart = same;
        }
    }
    if (!best || bestStart == 0) {
        best = &prefixes_.front();
        for (Prefix& p : prefixes_)
            if (!p.valid || (best->valid && p.used < best->used)) best = &p;
        bestStart = 0;
    }
    Prefix& p = *best;
    const int responses = (count - 1) / kPrefixStep;
    if (p.points.size() < static_cast<size_t>(responses) * kBlockLength)
        p.points.resize(static_cast<size_t>(responses) * kBlockLength);  // once per prefix, at most
    const double* from = bestStart > 0 ? p.points.data() + static_cast<size_t>(bestStart - 1) * kBlockLength
                                       : nullptr;
    for (int c = bestStart + 1; c <= responses + 1; ++c) {
        const int begin = (c - 1) * kPrefixStep, end = std::min(count, c * kPrefixStep);
        double* to = c <= responses ? p.points.data() + static_cast<size_t>(c - 1) * kBlockLength : h;
        CascadeFrom(first + begin, end - begin, from ? from : UnitImpulse(to), to);
        from = to;
    }
    CountPasses(first + bestStart * kPrefixStep, count - bestStart * kPrefixStep);
    p.from.assign(first, first + count);
    p.used = ++uses_;
    p.valid = true;
}

ResponseEngine::Held ResponseEngine::HeldBytes() const {
    Held held;
    if (work_) {
        // The engines that share the set each count their share.
        for (const std::vector<double>* v : {&work_->re, &work_->im, &work_->mag, &work_->magB, &work_->a, &work_->b})
            held.work += v->capacity() * sizeof(double);
        held.work += work_->xs.capacity() * sizeof(float);
        held.work /= static_cast<size_t>(work_.use_count());
    }
    for (const Kept& k : kept_) held.kept += k.h.capacity() * sizeof(double);
    for (const Prefix& p : prefixes_) held.prefixes += p.points.capacity() * sizeof(double);
    return held;
}

void ResponseEngine::Forget() {
    for (Kept& k : kept_) k.valid = false;
    for (Prefix& p : prefixes_) p.valid = false;
}

void ResponseEngine::Spectrum(const double* h, double* mag, BinRange bins) {
    RealFft(h, work_->re.data(), work_->im.data(), kBlockOrder);
    Magnitudes(work_->re.data() + bins.first, work_->im.data() + bins.first, mag + bins.first, bins.last - bins.first + 1);
}

void ResponseEngine::ComputeSectionsResponse(const model::BiquadSection* sections, int count,
                                             float* xs, float* ys, BinRange bins) {
    MakeWorkArrays();
    bins = Clamped(bins);
    if (!sections || count < 0) count = 0;
    if (count <= kMaxKeptSections) {
        Spectrum(Impulse(sections, count, nullptr, 0), work_->mag.data(), bins);
    } else {
        ImpulseResponse(sections, count, work_->a.data());
        CountPasses(sections, count);
        Spectrum(work_->a.data(), work_->mag.data(), bins);
    }
    if (xs) std::copy(work_->xs.begin() + bins.first, work_->xs.begin() + bins.last + 1, xs + bins.first);
    if (ys) Decibels(work_->mag.data(), ys, bins);
    if (!keeping_) FreeWorkArrays();
}

int ResponseEngine::ComputeCrossoverResponse(const model::CrossoverParams& block,
                                             const model::CrossoverSections& sections, float* xs,
                                             float* ys, BinRange bins) {
    ComputeSectionsResponse(sections.section.data(), UsableCrossoverCount(block), xs, ys, bins);
    return kBinCount;
}

void ResponseEngine::ComputeSum(const model::DspChannelRecord* records,
                                const model::CrossoverSections* sections,
                                const SumSpeaker* speakers, int count, float* xs, float* ys,
                                BinRange bins) {
    MakeWorkArrays();
    bins = Clamped(bins);
    // A chain or an equaliser adds to A and leaves B a unit impulse; a crossover adds to B and
    // leaves A one: the product of the two is the sum of what the speakers add. Both start as
    // zeros; an accumulator that is zeros or an impulse is only written when something is added
    // to it (a copy of the first response instead of a sum with zeros: the same values).
    enum class Held { kZeros, kImpulse, kSamples };
    Held aHeld = Held::kZeros, bHeld = Held::kZeros;
    for (int i = 0; records && sections && speakers && i < count; ++i) {
        const SumSpeaker& s = speakers[i];
        if (s.output < 0 || s.output >= model::kChannelCount || s.part == SumPart::kNone) continue;
        const model::DspChannelRecord& record = records[s.output];
        const model::BiquadSection* crossover = sections[s.output].section.data();
        const int xoCount = UsableCrossoverCount(record.crossover);
        // The chain: the equaliser's response through the crossover (the same cascade in the
        // other order), so that the equaliser's kept response serves both its curve and the sum.
        // A channel with its equaliser off plays without it: flat in the equaliser.
        const int eqCount = record.EQOff ? 0 : model::kBandCount;
        const double* h = nullptr;
        if (s.part == SumPart::kChain)
            h = Impulse(record.eqSections, eqCount, crossover, xoCount);
        else if (s.part == SumPart::kEqualiser)
            h = Impulse(record.eqSections, eqCount, nullptr, 0);
        else
            h = Impulse(crossover, xoCount, nullptr, 0);
        const bool crossoverOnly = s.part == SumPart::kCrossover;
        std::vector<double>& into = crossoverOnly ? work_->b : work_->a;
        Held& held = crossoverOnly ? bHeld : aHeld;
        const bool negate = s.part != SumPart::kEqualiser && record.crossover.bInvPhase != 0;
        if (held == Held::kZeros) {
            if (negate)
                for (int t = 0; t < kBlockLength; ++t) into[t] = -h[t];
            else
                std::copy(h, h + kBlockLength, into.begin());
        } else {
            if (held == Held::kImpulse) {
                std::fill(into.begin(), into.end(), 0.0);
                into[0] = 1.0;
            }
            if (negate)
                for (int t = 0; t < kBlockLength; ++t) into[t] -= h[t];
            else
                for (int t = 0; t < kBlockLength; ++t) into[t] += h[t];
        }
        held = Held::kSamples;
        (crossoverOnly ? aHeld : bHeld) = Held::kImpulse;
    }
    const bool aImpulse = aHeld == Held::kImpulse, bImpulse = bHeld == Held::kImpulse;
    if (aHeld == Held::kZeros) std::fill(work_->a.begin(), work_->a.end(), 0.0);
    if (bHeld == Held::kZeros) std::fill(work_->b.begin(), work_->b.end(), 0.0);
    // A unit impulse's transform is exactly 1 in every bin: it is not transformed.
    if (!bImpulse) Spectrum(work_->b.data(), work_->magB.data(), bins);
    if (!aImpulse) Spectrum(work_->a.data(), work_->mag.data(), bins);
    if (xs) std::copy(work_->xs.begin() + bins.first, work_->xs.begin() + bins.last + 1, xs + bins.first);
    if (ys) Decibels(aImpulse, bImpulse, ys, bins);
    if (!keeping_) FreeWorkArrays();
}

void ResponseEngine::Decibels(bool aImpulse, bool bImpulse, float* ys, BinRange bins) const {
    // log10 of a unit impulse's bins is exactly 0: the other factor alone.
    if (bImpulse)
        for (int i = bins.first; i <= bins.last; ++i)
            ys[i] = static_cast<float>(20.0 * std::log10(std::max(work_->mag[i], kFloor)));
    else if (aImpulse)
        for (int i = bins.first; i <= bins.last; ++i) ys[i] = static_cast<float>(20.0 * std::log10(std::max(work_->magB[i], kFloor)));
    else
        for (int i = bins.first; i <= bins.last; ++i)
            ys[i] = static_cast<float>(20.0 * (std::log10(std::max(work_->magB[i], kFloor)) +
                                               std::log10(std::max(work_->mag[i], kFloor))));
}

}  // namespace dsp
