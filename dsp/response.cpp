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
      b_(kBlockLength), xs_(kBinCount) {
    for (int i = 0; i < kBinCount; ++i)
        xs_[i] = static_cast<float>(std::log10(i * 24000.0 / 8192.0 + kFloor));
    for (SpeakerCache& c : cache_) {
        c.response.assign(kBlockLength, 0.0);
        c.crossoverImpulse.assign(kBlockLength, 0.0);
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

void ResponseEngine::ComputeSectionsResponse(const model::BiquadSection* sections, int count,
                                             float* xs, float* ys) {
    ImpulseResponse(sections, count, re_.data());
    CountPasses(sections, count);
    std::fill(im_.begin(), im_.end(), 0.0);
    Fft(re_.data(), im_.data(), kBlockOrder);
    Magnitudes(re_.data(), im_.data(), mag_.data(), kBinCount);
    if (xs) std::copy(xs_.begin(), xs_.end(), xs);
    if (ys) Decibels(mag_.data(), ys);
}

int ResponseEngine::ComputeCrossoverResponse(const model::CrossoverParams& block,
                                             const model::CrossoverSections& sections, float* xs,
                                             float* ys) {
    ComputeSectionsResponse(sections.section.data(), UsableCrossoverCount(block), xs, ys);
    return kBinCount;
}

void ResponseEngine::ForgetSum() {
    for (SpeakerCache& c : cache_) {
        c.valid = false;
        c.crossoverValid = false;
    }
}

const std::vector<double>& ResponseEngine::SpeakerResponse(int output, SumPart part,
                                                           const model::DspChannelRecord& record,
                                                           const model::CrossoverSections& sections) {
    SpeakerCache& c = cache_[static_cast<size_t>(output)];
    const int xoCount = UsableCrossoverCount(record.crossover);
    const bool inverted = record.crossover.bInvPhase != 0;
    const bool usesCrossover = part == SumPart::kChain || part == SumPart::kCrossover;
    const bool usesEqualiser = part == SumPart::kChain || part == SumPart::kEqualiser;

    const bool same = c.valid && c.part == part &&
                      (!usesCrossover || (c.inverted == inverted && c.crossoverCount == xoCount &&
                                          SameSections(c.crossover.data(), sections.section.data(), xoCount))) &&
                      (!usesEqualiser || SameSections(c.equaliser.data(), record.eqSections, model::kBandCount));
    if (same) return c.response;

    double* h = c.response.data();
    if (usesCrossover) {
        // The crossover's own impulse response is kept apart: an equaliser edit filters only
        // the equaliser again.
        if (!c.crossoverValid || c.crossoverCount != xoCount ||
            !SameSections(c.crossover.data(), sections.section.data(), xoCount)) {
            ImpulseResponse(sections.section.data(), xoCount, c.crossoverImpulse.data());
            CountPasses(sections.section.data(), xoCount);
            std::copy(sections.section.begin(), sections.section.begin() + xoCount, c.crossover.begin());
            c.crossoverCount = xoCount;
            c.crossoverValid = true;
        }
        std::copy(c.crossoverImpulse.begin(), c.crossoverImpulse.end(), h);
        if (inverted)
            for (int t = 0; t < kBlockLength; ++t) h[t] = -h[t];
    } else {
        std::fill(h, h + kBlockLength, 0.0);
        h[0] = 1.0;
    }
    if (usesEqualiser) {
        Cascade(record.eqSections, model::kBandCount, h);
        CountPasses(record.eqSections, model::kBandCount);
        std::copy(record.eqSections, record.eqSections + model::kBandCount, c.equaliser.begin());
    }
    c.part = part;
    c.inverted = inverted;
    c.valid = true;
    return c.response;
}

void ResponseEngine::ComputeSum(const model::DspChannelRecord* records,
                                const model::CrossoverSections* sections,
                                const SumSpeaker* speakers, int count, float* xs, float* ys) {
    std::fill(a_.begin(), a_.end(), 0.0);
    std::fill(b_.begin(), b_.end(), 0.0);
    auto impulse = [](std::vector<double>& v) {
        std::fill(v.begin(), v.end(), 0.0);
        v[0] = 1.0;
    };
    for (int i = 0; records && sections && speakers && i < count; ++i) {
        const SumSpeaker& s = speakers[i];
        if (s.output < 0 || s.output >= model::kChannelCount || s.part == SumPart::kNone) continue;
        const std::vector<double>& h =
            SpeakerResponse(s.output, s.part, records[s.output], sections[s.output]);
        // A chain or an equaliser adds to A and leaves B a unit impulse; a crossover adds to B
        // and leaves A one: the product of the two is the sum of what the speakers add.
        std::vector<double>& into = s.part == SumPart::kCrossover ? b_ : a_;
        for (int t = 0; t < kBlockLength; ++t) into[t] += h[t];
        impulse(s.part == SumPart::kCrossover ? a_ : b_);
    }
    std::fill(im_.begin(), im_.end(), 0.0);
    Fft(b_.data(), im_.data(), kBlockOrder);
    Magnitudes(b_.data(), im_.data(), magB_.data(), kBinCount);
    std::fill(im_.begin(), im_.end(), 0.0);
    Fft(a_.data(), im_.data(), kBlockOrder);
    Magnitudes(a_.data(), im_.data(), mag_.data(), kBinCount);
    if (xs) std::copy(xs_.begin(), xs_.end(), xs);
    if (ys)
        for (int i = 0; i < kBinCount; ++i)
            ys[i] = static_cast<float>(20.0 * (std::log10(std::max(magB_[i], kFloor)) +
                                               std::log10(std::max(mag_[i], kFloor))));
}

}  // namespace dsp
