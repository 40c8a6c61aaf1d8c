#include "dsp/response.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

}  // namespace

int UsableCrossoverCount(const model::CrossoverParams& block) {
    return block.sectionCount >= 0 && block.sectionCount <= model::kMaxCrossoverSections
               ? block.sectionCount
               : 0;
}

ResponseEngine::ResponseEngine()
    : re_(kBlockLength), im_(kBlockLength), mag_(kBinCount), magB_(kBinCount), a_(kBlockLength),
      b_(kBlockLength), xs_(kBinCount), kept_(3 * model::kChannelCount) {
    for (int i = 0; i < kBinCount; ++i)
        xs_[i] = static_cast<float>(std::log10(i * 24000.0 / 8192.0 + kFloor));
    // Each output's equaliser, crossover and chain stay kept.
    for (Kept& k : kept_) {
        k.from.reserve(kMaxKeptSections);
        k.h.assign(kBlockLength, 0.0);
    }
}

void ResponseEngine::Cascade(const model::BiquadSection* sections, int count, double* h) {
    if (!sections || !h) return;
    // Second-order sections go two at a time (their recurrences overlap); a section of a higher
    // order runs alone. A refused section passes the block as it is.
    Biquad waiting{};
    bool haveWaiting = false;
    for (int i = 0; i < count; ++i) {
        const model::BiquadSection& s = sections[i];
        if (s.order < 0 || s.order > kMaxIirOrder) continue;
        const int order = EffectiveOrder(s);
        if (!IirSectionUsable(s.b, s.a, order)) continue;
        Biquad q;
        if (MakeBiquad(s.b, s.a, order, q)) {
            if (haveWaiting) {
                BiquadPair(waiting, q, h, kBlockLength);
                haveWaiting = false;
            } else {
                waiting = q;
                haveWaiting = true;
            }
            continue;
        }
        if (haveWaiting) {
            const double b[3] = {waiting.b0, waiting.b1, waiting.b2}, a[3] = {1.0, waiting.a1, waiting.a2};
            IirPass(b, a, 2, h, h, kBlockLength);
            haveWaiting = false;
        }
        IirPass(s.b, s.a, order, h, h, kBlockLength);
    }
    if (haveWaiting) {
        const double b[3] = {waiting.b0, waiting.b1, waiting.b2}, a[3] = {1.0, waiting.a1, waiting.a2};
        IirPass(b, a, 2, h, h, kBlockLength);
    }
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

void ResponseEngine::Decibels(const double* mag, float* ys) const {
    for (int i = 0; i < kBinCount; ++i)
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
    // entry overwritten.
    const double* head = secondCount > 0 ? Impulse(first, firstCount, nullptr, 0) : nullptr;
    Kept* oldest = &kept_.front();
    for (Kept& k : kept_)
        if (!k.valid || (oldest->valid && k.used < oldest->used)) oldest = &k;
    Kept& k = *oldest;
    k.valid = false;
    double* h = k.h.data();
    if (head) {
        std::copy(head, head + kBlockLength, h);
        Cascade(second, secondCount, h);
        CountPasses(second, secondCount);
    } else {
        ImpulseResponse(first, firstCount, h);
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

void ResponseEngine::Forget() {
    for (Kept& k : kept_) k.valid = false;
}

void ResponseEngine::Spectrum(const double* h, double* mag) {
    RealFft(h, re_.data(), im_.data(), kBlockOrder);
    Magnitudes(re_.data(), im_.data(), mag, kBinCount);
}

void ResponseEngine::ComputeSectionsResponse(const model::BiquadSection* sections, int count,
                                             float* xs, float* ys) {
    if (!sections || count < 0) count = 0;
    if (count <= kMaxKeptSections) {
        Spectrum(Impulse(sections, count, nullptr, 0), mag_.data());
    } else {
        ImpulseResponse(sections, count, a_.data());
        CountPasses(sections, count);
        Spectrum(a_.data(), mag_.data());
    }
    if (xs) std::copy(xs_.begin(), xs_.end(), xs);
    if (ys) Decibels(mag_.data(), ys);
}

int ResponseEngine::ComputeCrossoverResponse(const model::CrossoverParams& block,
                                             const model::CrossoverSections& sections, float* xs,
                                             float* ys) {
    ComputeSectionsResponse(sections.section.data(), UsableCrossoverCount(block), xs, ys);
    return kBinCount;
}

void ResponseEngine::ComputeSum(const model::DspChannelRecord* records,
                                const model::CrossoverSections* sections,
                                const SumSpeaker* speakers, int count, float* xs, float* ys) {
    std::fill(a_.begin(), a_.end(), 0.0);
    std::fill(b_.begin(), b_.end(), 0.0);
    // A chain or an equaliser adds to A and leaves B a unit impulse; a crossover adds to B and
    // leaves A one: the product of the two is the sum of what the speakers add.
    bool aImpulse = false, bImpulse = false;  // both start as zeros
    auto impulse = [](std::vector<double>& v) {
        std::fill(v.begin(), v.end(), 0.0);
        v[0] = 1.0;
    };
    for (int i = 0; records && sections && speakers && i < count; ++i) {
        const SumSpeaker& s = speakers[i];
        if (s.output < 0 || s.output >= model::kChannelCount || s.part == SumPart::kNone) continue;
        const model::DspChannelRecord& record = records[s.output];
        const model::BiquadSection* crossover = sections[s.output].section.data();
        const int xoCount = UsableCrossoverCount(record.crossover);
        // The chain: the equaliser's response through the crossover (the same cascade in the
        // other order), so that the equaliser's kept response serves both its curve and the sum.
        const double* h = nullptr;
        if (s.part == SumPart::kChain)
            h = Impulse(record.eqSections, model::kBandCount, crossover, xoCount);
        else if (s.part == SumPart::kEqualiser)
            h = Impulse(record.eqSections, model::kBandCount, nullptr, 0);
        else
            h = Impulse(crossover, xoCount, nullptr, 0);
        const bool crossoverOnly = s.part == SumPart::kCrossover;
        std::vector<double>& into = crossoverOnly ? b_ : a_;
        if (s.part != SumPart::kEqualiser && record.crossover.bInvPhase != 0)
            for (int t = 0; t < kBlockLength; ++t) into[t] -= h[t];
        else
            for (int t = 0; t < kBlockLength; ++t) into[t] += h[t];
        impulse(crossoverOnly ? a_ : b_);
        aImpulse = crossoverOnly;
        bImpulse = !crossoverOnly;
    }
    // A unit impulse's transform is exactly 1 in every bin: it is not transformed.
    if (!bImpulse) Spectrum(b_.data(), magB_.data());
    if (!aImpulse) Spectrum(a_.data(), mag_.data());
    if (xs) std::copy(xs_.begin(), xs_.end(), xs);
    if (!ys) return;
    // log10 of a unit impulse's bins is exactly 0: the other factor alone.
    if (bImpulse)
        for (int i = 0; i < kBinCount; ++i) ys[i] = static_cast<float>(20.0 * std::log10(std::max(mag_[i], kFloor)));
    else if (aImpulse)
        for (int i = 0; i < kBinCount; ++i) ys[i] = static_cast<float>(20.0 * std::log10(std::max(magB_[i], kFloor)));
    else
        for (int i = 0; i < kBinCount; ++i)
            ys[i] = static_cast<float>(20.0 * (std::log10(std::max(magB_[i], kFloor)) +
                                               std::log10(std::max(mag_[i], kFloor))));
}

}  // namespace dsp
