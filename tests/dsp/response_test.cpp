// Curves of the response engine against the designed cascades' own frequency response,
// evaluated directly on the unit circle, and against a plain DFT where the block cuts a slow
// response short.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "dsp/response.h"
#include "model/tables.h"
#include "response.h"

using namespace model;
using namespace testing_response;

namespace {

constexpr double kTolerance = 1e-4;  // dB

std::vector<BiquadSection> Equaliser(const float gains[kBandCount]) {
    DspChannelRecord r{};
    for (int k = 0; k < kBandCount; ++k) r.EQGain[k] = gains[k];
    dsp::ComputeEqBands(&r);
    return std::vector<BiquadSection>(r.eqSections, r.eqSections + kBandCount);
}

// The cascade dies out inside the block, so the block's DFT is its frequency response.
void ExpectDiesOut(const std::vector<BiquadSection>& s, const std::string& what) {
    std::vector<double> h(dsp::kBlockLength);
    dsp::ResponseEngine::ImpulseResponse(s.data(), static_cast<int>(s.size()), h.data());
    double tail = 0.0;
    for (int t = dsp::kBlockLength - 256; t < dsp::kBlockLength; ++t) tail = std::max(tail, std::fabs(h[t]));
    ASSERT_LT(tail, 1e-10) << what;
}

void ExpectAnalytic(dsp::ResponseEngine& engine, const std::vector<BiquadSection>& s, const std::string& what) {
    ExpectDiesOut(s, what);
    std::vector<float> xs(dsp::kBinCount), ys(dsp::kBinCount);
    engine.ComputeSectionsResponse(s.data(), static_cast<int>(s.size()), xs.data(), ys.data());
    int checked = 0;
    for (int i = dsp::kFirstKeptBin; i <= dsp::kLastKeptBin; ++i) {
        const double f = i * dsp::kBinHz;
        const double want = Db(std::abs(CascadeResponse(s.data(), static_cast<int>(s.size()), f)));
        if (want < -60.0) continue;
        ++checked;
        ASSERT_NEAR(ys[i], want, kTolerance) << what << " at " << f << " Hz";
        ASSERT_EQ(xs[i], static_cast<float>(std::log10(f + 1e-18)));
    }
    EXPECT_GT(checked, 100) << what;
}

TEST(ResponseCurves, EqualiserBandsFollowTheirAnalyticMagnitude) {
    dsp::ResponseEngine engine;
    for (int band = 9; band < kBandCount; ++band) {
        for (float g : {12.0f, -12.0f}) {
            float gains[kBandCount] = {};
            gains[band] = g;
            ExpectAnalytic(engine, Equaliser(gains), "band " + std::to_string(band) + " " + std::to_string(g));
        }
    }
    float mixed[kBandCount] = {};
    for (int band = 9; band < kBandCount; ++band) mixed[band] = (band % 3 == 0) ? -12.0f : (band % 3 == 1 ? 7.5f : 12.0f);
    ExpectAnalytic(engine, Equaliser(mixed), "mixed bands 9..30");
}

TEST(ResponseCurves, CrossoversOfEveryFamilyTypeAndSlopeFollowTheirAnalyticMagnitude) {
    dsp::ResponseEngine engine;
    struct Edges {
        float low, high;
    };
    const Edges edges[] = {{150, 300}, {1000, 2000}, {8000, 16000}};
    int designs = 0;
    for (int family : {kLinkwitz, kButterworth}) {
        for (int type : {kLowPass, kHighPass, kBandPass}) {
            for (int n = 1; n <= 8; ++n) {
                for (const Edges& e : edges) {
                    CrossoverParams x{};
                    x.FilterType = type;
                    x.FilterModel = family;
                    x.LFSlope = x.HFSlope = 6.0f * n;
                    // Low and high passes take the edge itself; band passes an octave.
                    x.LPFreq = e.low;
                    x.HPFreq = type == kBandPass ? e.high : e.low;
                    CrossoverSections s;
                    s.section.fill(IdentitySection());
                    if (dsp::DesignCrossover(x, s) != 1) continue;
                    ++designs;
                    std::vector<BiquadSection> cascade(s.section.begin(), s.section.begin() + x.sectionCount);
                    ExpectAnalytic(engine, cascade,
                                   "family " + std::to_string(family) + " type " + std::to_string(type) +
                                       " slope " + std::to_string(6 * n) + " at " + std::to_string(e.low));
                    // The crossover form reads the same sections through the block's count.
                    std::vector<float> a(dsp::kBinCount), b(dsp::kBinCount), xs(dsp::kBinCount);
                    engine.ComputeSectionsResponse(cascade.data(), x.sectionCount, xs.data(), a.data());
                    EXPECT_EQ(engine.ComputeCrossoverResponse(x, s, xs.data(), b.data()), dsp::kBinCount);
                    EXPECT_EQ(a, b);
                }
            }
        }
    }
    EXPECT_GE(designs, 100);
}

TEST(ResponseCurves, ASlowBandCutShortByTheBlockIsTheDftOfTheFilteredBlock) {
    float gains[kBandCount] = {};
    gains[1] = 12.0f;
    const std::vector<BiquadSection> s = Equaliser(gains);

    // The block filtered by a plain recurrence, independently of the engine.
    std::vector<double> h(dsp::kBlockLength, 0.0);
    h[0] = 1.0;
    for (const BiquadSection& q : s) {
        std::vector<double> y(h.size(), 0.0);
        for (size_t t = 0; t < h.size(); ++t) {
            double acc = 0.0;
            for (int j = 0; j <= 2 && static_cast<size_t>(j) <= t; ++j) acc += q.b[j] * h[t - j];
            for (int j = 1; j <= 2 && static_cast<size_t>(j) <= t; ++j) acc -= q.a[j] * y[t - j];
            y[t] = acc / q.a[0];
        }
        h = y;
    }
    std::vector<double> c(dsp::kBlockLength), sn(dsp::kBlockLength);
    for (int t = 0; t < dsp::kBlockLength; ++t) {
        c[t] = std::cos(2.0 * dsp::kPi * t / dsp::kBlockLength);
        sn[t] = std::sin(2.0 * dsp::kPi * t / dsp::kBlockLength);
    }
    dsp::ResponseEngine engine;
    std::vector<float> xs(dsp::kBinCount), ys(dsp::kBinCount);
    engine.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), ys.data());
    double worstAnalytic = 0.0;
    for (int i = dsp::kFirstKeptBin; i <= dsp::kLastKeptBin; ++i) {
        double re = 0.0, im = 0.0;
        size_t k = 0;
        for (int t = 0; t < dsp::kBlockLength; ++t) {
            re += h[t] * c[k];
            im -= h[t] * sn[k];
            k = (k + static_cast<size_t>(i)) & (dsp::kBlockLength - 1);
        }
        ASSERT_NEAR(ys[i], Db(std::hypot(re, im)), kTolerance) << "bin " << i;
        worstAnalytic = std::max(
            worstAnalytic, std::fabs(ys[i] - Db(std::abs(CascadeResponse(s.data(), kBandCount, i * dsp::kBinHz)))));
    }
    // The block is too short for this band: the grid, not the arithmetic, sets how far it lies.
    EXPECT_GT(worstAnalytic, 0.1);
}

}  // namespace

namespace {

// More cascades than the engine keeps, asked for again in another order: every curve equals a
// fresh engine's, bit for bit, whichever responses were kept or filtered anew.
TEST(ResponseCurves, KeptResponsesGiveTheSameBitsAsFilteringAnew) {
    std::vector<std::vector<BiquadSection>> cascades;
    for (int i = 0; i < 40; ++i) {
        float gains[kBandCount] = {};
        gains[9 + i % 22] = static_cast<float>(i % 2 ? 3 + i % 9 : -3 - i % 9);
        gains[(i * 7) % kBandCount] = 2.5f;
        cascades.push_back(Equaliser(gains));
    }
    dsp::ResponseEngine kept;
    std::vector<float> xs(dsp::kBinCount), ys(dsp::kBinCount), want(dsp::kBinCount);
    for (const auto& s : cascades) kept.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), ys.data());
    for (int round = 0; round < 2; ++round) {
        for (size_t i = cascades.size(); i-- > 0;) {
            if ((i + round) % 3 == 0) continue;
            const auto& s = cascades[i];
            const long before = kept.Passes();
            kept.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), ys.data());
            const bool filtered = kept.Passes() != before;
            dsp::ResponseEngine fresh;
            fresh.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), want.data());
            ASSERT_EQ(std::memcmp(ys.data(), want.data(), sizeof(float) * ys.size()), 0)
                << "cascade " << i << " round " << round << (filtered ? " (filtered)" : " (kept)");
        }
    }
    // A response asked for twice in a row is kept.
    const long before = kept.Passes();
    kept.ComputeSectionsResponse(cascades[5].data(), kBandCount, xs.data(), ys.data());
    kept.ComputeSectionsResponse(cascades[5].data(), kBandCount, xs.data(), ys.data());
    EXPECT_LE(kept.Passes() - before, kBandCount);
    const long known = kept.Passes();
    kept.Forget();
    kept.ComputeSectionsResponse(cascades[5].data(), kBandCount, xs.data(), ys.data());
    EXPECT_EQ(kept.Passes() - known, kBandCount);
}

}  // namespace

namespace {

// A step on one band refilters only from the response kept before it (every fourth section),
// and gives the very bits of a fresh engine, wherever the band lies; the first band refilters
// everything.
TEST(ResponseCurves, AStepOnOneBandFiltersFromTheKeptResponseBeforeItWithTheSameBits) {
    float gains[kBandCount];
    for (int k = 0; k < kBandCount; ++k) gains[k] = static_cast<float>((k * 7) % 25 - 12);
    struct Case {
        int band;
        int passes;  // sections filtered by the step
    };
    const Case cases[] = {{0, 31}, {3, 31}, {4, 27}, {7, 27}, {17, 15}, {20, 11}, {27, 7}, {28, 3}, {30, 3}};
    for (const Case& c : cases) {
        dsp::ResponseEngine kept, fresh;
        std::vector<float> xs(dsp::kBinCount), ys(dsp::kBinCount), want(dsp::kBinCount);
        kept.ComputeSectionsResponse(Equaliser(gains).data(), kBandCount, xs.data(), ys.data());
        float moved[kBandCount];
        std::copy(gains, gains + kBandCount, moved);
        moved[c.band] += 3.5f;
        const std::vector<BiquadSection> s = Equaliser(moved);
        const long before = kept.Passes();
        kept.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), ys.data());
        EXPECT_EQ(kept.Passes() - before, c.passes) << "band " << c.band;
        fresh.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), want.data());
        EXPECT_EQ(std::memcmp(ys.data(), want.data(), sizeof(float) * ys.size()), 0) << "band " << c.band;
        // And back: the first cascade again, from the same kept responses.
        kept.ComputeSectionsResponse(Equaliser(gains).data(), kBandCount, xs.data(), ys.data());
        fresh.ComputeSectionsResponse(Equaliser(gains).data(), kBandCount, xs.data(), want.data());
        EXPECT_EQ(std::memcmp(ys.data(), want.data(), sizeof(float) * ys.size()), 0) << "band " << c.band;
    }
}

// Only the bins asked for are written, with the values of the whole curve.
TEST(ResponseCurves, ARangeOfBinsHoldsTheWholeCurvesValues) {
    float gains[kBandCount] = {};
    gains[12] = 6.0f;
    const std::vector<BiquadSection> s = Equaliser(gains);
    dsp::ResponseEngine engine;
    std::vector<float> xs(dsp::kBinCount), ys(dsp::kBinCount), rx(dsp::kBinCount, 5.0f), ry(dsp::kBinCount, 5.0f);
    engine.ComputeSectionsResponse(s.data(), kBandCount, xs.data(), ys.data());
    engine.ComputeSectionsResponse(s.data(), kBandCount, rx.data(), ry.data(), dsp::kKeptRange);
    for (int i = 0; i < dsp::kBinCount; ++i) {
        const bool inside = i >= dsp::kFirstKeptBin && i <= dsp::kLastKeptBin;
        ASSERT_EQ(ry[i], inside ? ys[i] : 5.0f) << "bin " << i;
        ASSERT_EQ(rx[i], inside ? xs[i] : 5.0f) << "bin " << i;
    }
}

}  // namespace

namespace {

// An engine that keeps nothing gives every curve and sum the bits of one that keeps everything,
// holds no work arrays and no prefix responses between calls and at most the last response, and
// filters a cascade asked for twice in a row only once; switched back on, it keeps again.
TEST(ResponseCurves, AnEngineKeepingNothingGivesTheSameBitsAndHoldsOnlyTheLastResponse) {
    DspChannelRecord records[kChannelCount] = {};
    CrossoverSections sections[kChannelCount];
    for (int o = 0; o < kChannelCount; ++o) {
        for (int k = 0; k < kBandCount; ++k) records[o].EQGain[k] = static_cast<float>((k * (o + 3)) % 13) - 6.0f;
        dsp::ComputeEqBands(&records[o]);
        CrossoverParams& x = records[o].crossover;
        x.FilterType = o % 2 ? kHighPass : kLowPass;
        x.FilterModel = o % 3 ? kLinkwitz : kButterworth;
        x.LPFreq = 300.0f + 400.0f * o;
        x.HPFreq = 200.0f + 300.0f * o;
        x.LFSlope = x.HFSlope = 12.0f + 6.0f * (o % 3);
        x.bInvPhase = static_cast<uint32_t>(o % 2);
        sections[o].section.fill(IdentitySection());
        dsp::DesignCrossover(x, sections[o]);
    }
    records[5].EQOff = 1;
    struct Ask {
        const char* what;
        int output;             // a curve of this output's equaliser or crossover
        bool crossover;
        std::vector<dsp::SumSpeaker> sum;  // or, when not empty, a sum
    } asks[] = {
        {"an equaliser", 0, false, {}},
        {"the same equaliser again", 0, false, {}},
        {"a crossover", 1, true, {}},
        {"another equaliser", 2, false, {}},
        {"a sum of chains, one with its equaliser off", 0, false,
         {{0, dsp::SumPart::kChain}, {3, dsp::SumPart::kChain}, {5, dsp::SumPart::kChain}}},
        {"a sum of equalisers", 0, false, {{1, dsp::SumPart::kEqualiser}, {4, dsp::SumPart::kEqualiser}}},
        {"a sum of crossovers of opposite phase", 0, false,
         {{2, dsp::SumPart::kCrossover}, {3, dsp::SumPart::kCrossover}}},
        {"the first equaliser once more", 0, false, {}},
    };
    dsp::ResponseEngine keeping, sleeping;
    sleeping.SetKeeping(false);
    std::vector<float> xs(dsp::kBinCount), want(dsp::kBinCount), got(dsp::kBinCount), xsGot(dsp::kBinCount);
    auto ask = [&](dsp::ResponseEngine& e, const Ask& a, float* x, float* y) {
        if (!a.sum.empty())
            e.ComputeSum(records, sections, a.sum.data(), static_cast<int>(a.sum.size()), x, y);
        else if (a.crossover)
            e.ComputeCrossoverResponse(records[a.output].crossover, sections[a.output], x, y);
        else
            e.ComputeSectionsResponse(records[a.output].eqSections, kBandCount, x, y);
    };
    for (int round = 0; round < 2; ++round) {
        for (const Ask& a : asks) {
            const std::string what = std::string(a.what) + (round ? ", keeping on again" : "");
            ask(keeping, a, xs.data(), want.data());
            const long before = sleeping.Passes();
            ask(sleeping, a, xsGot.data(), got.data());
            EXPECT_EQ(std::memcmp(got.data(), want.data(), sizeof(float) * got.size()), 0) << what;
            EXPECT_EQ(std::memcmp(xsGot.data(), xs.data(), sizeof(float) * xs.size()), 0) << what;
            if (round == 0) {
                const dsp::ResponseEngine::Held held = sleeping.HeldBytes();
                EXPECT_EQ(held.work, 0u) << what;
                EXPECT_EQ(held.prefixes, 0u) << what;
                EXPECT_LE(held.kept, sizeof(double) * dsp::kBlockLength) << what;
                if (std::string(a.what) == "the same equaliser again") {
                    EXPECT_EQ(sleeping.Passes(), before) << what;
                }
            }
        }
        sleeping.SetKeeping(true);
    }
    // Kept again: the first equaliser asked for twice filters nothing the second time.
    const long before = sleeping.Passes();
    ask(sleeping, asks[0], xsGot.data(), got.data());
    EXPECT_EQ(sleeping.Passes(), before);
    EXPECT_GT(sleeping.HeldBytes().kept, sizeof(double) * dsp::kBlockLength);
    EXPECT_GT(sleeping.HeldBytes().work, 0u);
    // The engines of one thread share one set of work arrays: the transform's two blocks, the
    // sum's two accumulators (16384 doubles each), two sets of 8192 magnitudes and the 8192
    // bins' frequencies (floats).
    EXPECT_EQ(keeping.HeldBytes().work + sleeping.HeldBytes().work, 4u * 16384 * 8 + 2u * 8192 * 8 + 8192u * 4);
    EXPECT_EQ(keeping.HeldBytes().work, sleeping.HeldBytes().work);
}

}  // namespace
