#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "model/tables.h"
#include "response.h"

using namespace model;
using namespace testing_response;

namespace {

CrossoverParams Params(int type, int family, float lp, float hp, float lfSlope, float hfSlope) {
    CrossoverParams x{};
    x.FilterType = type;
    x.FilterModel = family;
    x.LPFreq = lp;
    x.HPFreq = hp;
    x.LFSlope = lfSlope;
    x.HFSlope = hfSlope;
    return x;
}

struct Designed {
    int result;
    CrossoverParams x;
    CrossoverSections s;
};

Designed Design(int type, int family, float lp, float hp, float slope) {
    Designed d{0, Params(type, family, lp, hp, slope, slope), {}};
    d.s.section.fill(IdentitySection());
    d.result = dsp::DesignCrossover(d.x, d.s);
    return d;
}

double MagnitudeDb(const Designed& d, double f) {
    return Db(std::abs(CascadeResponse(d.s.section.data(), d.x.sectionCount, f)));
}

// Independent references: Butterworth magnitudes of the bilinear design on prewarped frequencies.
double ButterworthLowPass2(double f, double fc, int n) { return 1.0 / (1.0 + std::pow(W(f) / W(fc), 2 * n)); }
double ButterworthHighPass2(double f, double fc, int n) { return 1.0 / (1.0 + std::pow(W(fc) / W(f), 2 * n)); }
double ButterworthBandPass2(double f, double f1, double f2, int n) {
    const double w = W(f), w1 = W(f1), w2 = W(f2);
    const double X = (w * w - w1 * w2) / (w * (w2 - w1));
    return 1.0 / (1.0 + std::pow(X, 2 * n));
}
// The rounded fourth-order prototype s^4 + 2.613 s^3 + 3.414 s^2 + 2.613 s + 1 at s = j w.
double Prototype4(double w) {
    const std::complex<double> s(0.0, w);
    return std::abs(s * s * s * s + 2.613 * s * s * s + 3.414 * s * s + 2.613 * s + 1.0);
}

const double kProbeHz[] = {20, 45, 80, 150, 300, 499, 500, 501, 900, 1000, 1100, 2000, 4000, 5000,
                           8000, 12000, 16000, 20000};

bool IsIdentity(const BiquadSection& s) {
    if (s.b[0] != 1.0 || s.a[0] != 1.0) return false;
    for (int i = 1; i < kCoefficientCount; ++i)
        if (s.b[i] != 0.0 || s.a[i] != 0.0) return false;
    return true;
}

}  // namespace

TEST(DesignCrossover, ButterworthMatchesTheAnalyticMagnitude) {
    for (int n = 1; n <= 8; ++n) {
        const float slope = 6.0f * n;
        for (double fc : {80.0, 500.0, 1000.0, 5000.0, 16000.0}) {
            SCOPED_TRACE("n " + std::to_string(n) + " fc " + std::to_string(fc));
            const Designed lp = Design(kLowPass, kButterworth, float(fc), 100, slope);
            const Designed hp = Design(kHighPass, kButterworth, 100, float(fc), slope);
            ASSERT_EQ(lp.result, 1);
            ASSERT_EQ(hp.result, 1);
            EXPECT_EQ(lp.x.sectionCount, n / 2 + 1);
            EXPECT_EQ(hp.x.sectionCount, n / 2 + 1);
            for (double f : kProbeHz) {
                EXPECT_NEAR(MagnitudeDb(lp, f), 10 * std::log10(ButterworthLowPass2(f, fc, n)), 1e-7) << f;
                EXPECT_NEAR(MagnitudeDb(hp, f), 10 * std::log10(ButterworthHighPass2(f, fc, n)), 1e-7) << f;
            }
        }
        const Designed bp = Design(kBandPass, kButterworth, 500, 5000, slope);
        ASSERT_EQ(bp.result, 1);
        EXPECT_EQ(bp.x.sectionCount, 2 * (n / 2) + 1);
        for (double f : kProbeHz)
            EXPECT_NEAR(MagnitudeDb(bp, f), 10 * std::log10(ButterworthBandPass2(f, 500, 5000, n)), 1e-6)
                << "n " << n << " f " << f;
        EXPECT_NEAR(MagnitudeDb(bp, 500), -3.0103, 1e-4);
        EXPECT_NEAR(MagnitudeDb(bp, 5000), -3.0103, 1e-4);
    }
}

TEST(DesignCrossover, LinkwitzIsTheHalfOrderButterworthSquared) {
    for (int n : {2, 4, 6}) {
        const float slope = 6.0f * n;
        const int half = n / 2;
        for (double fc : {80.0, 1000.0, 5000.0}) {
            const Designed lp = Design(kLowPass, kLinkwitz, float(fc), 100, slope);
            const Designed hp = Design(kHighPass, kLinkwitz, 100, float(fc), slope);
            ASSERT_EQ(lp.result, 1);
            ASSERT_EQ(hp.result, 1);
            for (double f : kProbeHz) {
                EXPECT_NEAR(MagnitudeDb(lp, f), 20 * std::log10(ButterworthLowPass2(f, fc, half)), 1e-7)
                    << n << " " << fc << " " << f;
                EXPECT_NEAR(MagnitudeDb(hp, f), 20 * std::log10(ButterworthHighPass2(f, fc, half)), 1e-7)
                    << n << " " << fc << " " << f;
            }
            EXPECT_NEAR(MagnitudeDb(lp, fc), -6.0206, 1e-4);
        }
    }
    // Band passes of every even order, including 48 dB (exact pole angles there).
    for (int n : {2, 4, 6, 8}) {
        const Designed bp = Design(kBandPass, kLinkwitz, 500, 5000, 6.0f * n);
        ASSERT_EQ(bp.result, 1);
        EXPECT_EQ(bp.x.sectionCount, n);
        for (double f : kProbeHz)
            EXPECT_NEAR(MagnitudeDb(bp, f), 20 * std::log10(ButterworthBandPass2(f, 500, 5000, n / 2)), 1e-6)
                << n << " " << f;
        EXPECT_NEAR(MagnitudeDb(bp, 500), -6.0206, 1e-4);
        EXPECT_NEAR(MagnitudeDb(bp, 5000), -6.0206, 1e-4);
        EXPECT_NEAR(MagnitudeDb(bp, 1604.7147), 0.0, 1e-4);
    }
}

TEST(DesignCrossover, Linkwitz48FollowsTheRoundedPrototype) {
    const Designed lp = Design(kLowPass, kLinkwitz, 1000, 100, 48);
    const Designed hp = Design(kHighPass, kLinkwitz, 100, 1000, 48);
    ASSERT_EQ(lp.result, 1);
    ASSERT_EQ(hp.result, 1);
    for (double f : kProbeHz) {
        const double w = W(f) / W(1000);
        EXPECT_NEAR(MagnitudeDb(lp, f), -2 * Db(Prototype4(w)), 1e-7) << f;
        EXPECT_NEAR(MagnitudeDb(hp, f), 2 * Db(w * w * w * w / Prototype4(w)), 1e-7) << f;
    }
    // Known answers of the rounded prototype, computed independently.
    EXPECT_NEAR(MagnitudeDb(lp, 1000), -6.017976, 1e-5);
    EXPECT_NEAR(MagnitudeDb(lp, 2000), -48.496073, 1e-5);
    EXPECT_NEAR(MagnitudeDb(lp, 500), -0.032968, 1e-5);
}

TEST(DesignCrossover, LinkwitzLowAndHighPassSumFlat) {
    struct Case {
        float slope;
        double tolerance;
    } cases[] = {{12, 1e-9}, {24, 1e-9}, {48, 0.005}};
    for (const Case& c : cases)
        for (double fc : {80.0, 500.0, 5000.0}) {
            const Designed lp = Design(kLowPass, kLinkwitz, float(fc), 100, c.slope);
            const Designed hp = Design(kHighPass, kLinkwitz, 100, float(fc), c.slope);
            for (double f : kProbeHz) {
                const auto sum = CascadeResponse(lp.s.section.data(), lp.x.sectionCount, f) +
                                 (c.slope == 12 ? -1.0 : 1.0) *
                                     CascadeResponse(hp.s.section.data(), hp.x.sectionCount, f);
                EXPECT_NEAR(Db(std::abs(sum)), 0.0, c.tolerance) << c.slope << " " << fc << " " << f;
            }
        }
}

TEST(DesignCrossover, SectionCountsOrdersAndShapes) {
    // Full Range: one identity section, whatever the family and slopes.
    for (int family : {int(kLinkwitz), int(kButterworth), 7}) {
        const Designed d = Design(kFullRange, family, 1e9f, -5, 99);
        EXPECT_EQ(d.result, 1);
        EXPECT_EQ(d.x.sectionCount, 1);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(IsIdentity(d.s.section[i]));
        EXPECT_EQ(d.s.section[0].order, 2);
    }

    struct Case {
        int type, family;
        float slope;
        int count;
        std::vector<int> orders;  // of the sections in use
        int firstIdentity;        // 1 when section 0 is the identity
    } cases[] = {
        {kLowPass, kLinkwitz, 12, 2, {2, 2}, 0},
        {kLowPass, kLinkwitz, 24, 2, {4, 4}, 0},
        {kLowPass, kLinkwitz, 36, 4, {1, 2, 1, 2}, 0},
        {kLowPass, kLinkwitz, 48, 4, {2, 2, 2, 2}, 0},
        {kHighPass, kLinkwitz, 36, 4, {1, 2, 1, 2}, 0},
        {kBandPass, kLinkwitz, 12, 2, {2, 2}, 0},
        {kBandPass, kLinkwitz, 36, 6, {2, 2, 2, 2, 2, 2}, 0},
        {kBandPass, kLinkwitz, 48, 8, {2, 2, 2, 2, 2, 2, 2, 2}, 0},
        {kLowPass, kLinkwitz, 18, 2, {3, 3}, 1},
        {kHighPass, kLinkwitz, 42, 2, {7, 7}, 1},
        {kLowPass, kLinkwitz, 20, 2, {3, 3}, 1},  // not a multiple of 6: truncates to 18
        {kLowPass, kButterworth, 24, 3, {2, 2, 2}, 1},
        {kHighPass, kButterworth, 18, 2, {2, 2}, 0},
        {kHighPass, kButterworth, 36, 4, {2, 2, 2, 2}, 1},
        {kBandPass, kButterworth, 48, 9, {2, 2, 2, 2, 2, 2, 2, 2, 2}, 1},
        {kLowPass, kButterworth, 0, 1, {2}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " family " + std::to_string(c.family) +
                     " slope " + std::to_string(c.slope));
        const Designed d = Design(c.type, c.family, 500, 5000, c.slope);
        EXPECT_EQ(d.result, 1);
        ASSERT_EQ(d.x.sectionCount, c.count);
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(d.s.section[i].order, c.orders[i]) << i;
        EXPECT_EQ(IsIdentity(d.s.section[0]), c.firstIdentity == 1);
        if (c.family == kLinkwitz && !c.firstIdentity) {
            const int half = c.count / 2;
            for (int i = 0; i < half; ++i)
                EXPECT_EQ(std::memcmp(&d.s.section[i], &d.s.section[half + i], sizeof(BiquadSection)), 0);
        }
    }

    // Butterworth 18 dB high pass: the first section is a first-order high pass (zero at DC).
    const Designed hp18 = Design(kHighPass, kButterworth, 500, 5000, 18);
    EXPECT_EQ(hp18.s.section[0].b[2], 0.0);
    EXPECT_EQ(hp18.s.section[0].b[0], -hp18.s.section[0].b[1]);
}

TEST(DesignCrossover, KnownSections) {
    // Linkwitz 12 dB low pass at 1000 Hz: two first-order sections {K, K} / {1 + K, K - 1}.
    const double K = std::tan(dsp::kPi / 48.0);
    EXPECT_NEAR(K, 0.065543462815238221, 1e-16);
    const Designed lr12 = Design(kLowPass, kLinkwitz, 1000, 100, 12);
    for (int i = 0; i < 2; ++i) {
        const BiquadSection& s = lr12.s.section[i];
        EXPECT_NEAR(s.b[0], K, 1e-15);
        EXPECT_NEAR(s.b[1], K, 1e-15);
        EXPECT_EQ(s.b[2], 0.0);
        EXPECT_NEAR(s.a[0], 1 + K, 1e-15);
        EXPECT_NEAR(s.a[1], K - 1, 1e-15);
        EXPECT_EQ(s.a[2], 0.0);
    }

    // Third order at a quarter of the sample rate: K = 1 exactly and exact sections.
    struct Third {
        void (*build)(double, double, BiquadSection*);
        double b0[3], a0[3], b1[3], a1[3];
    } thirds[] = {
        {dsp::DesignButterworthLowPass3, {1, 1, 0}, {1, 0, 0}, {0.5, 1, 0.5}, {3, 0, 1}},
        {dsp::DesignButterworthHighPass3, {-1, 1, 0}, {1, 0, 0}, {-0.5, 1, -0.5}, {3, 0, 1}},
    };
    for (const Third& t : thirds) {
        BiquadSection s[2] = {IdentitySection(), IdentitySection()};
        t.build(12000.0, dsp::kSampleRate, s);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(s[0].b[i], t.b0[i]) << i;
            EXPECT_EQ(s[0].a[i], t.a0[i]) << i;
            EXPECT_EQ(s[1].b[i], t.b1[i]) << i;
            EXPECT_EQ(s[1].a[i], t.a1[i]) << i;
        }
        EXPECT_EQ(s[0].order, 1);
        EXPECT_EQ(s[1].order, 2);
        EXPECT_NEAR(Db(std::abs(CascadeResponse(s, 2, 12000.0))), -3.0103, 1e-4);
    }

    // Third order at 1000 Hz keeps a0 as designed (values computed independently).
    BiquadSection s[2] = {IdentitySection(), IdentitySection()};
    dsp::DesignButterworthLowPass3(1000.0, dsp::kSampleRate, s);
    EXPECT_NEAR(s[0].b[0], -3.2097998e-4, 1e-11);
    EXPECT_NEAR(s[0].a[0], -1.1402815, 1e-7);
    EXPECT_EQ(s[0].a[1], 1.0);
    EXPECT_NEAR(s[1].a[0], 1.1396395, 1e-7);
    EXPECT_NEAR(s[1].a[1], -2.1213346, 1e-7);
    EXPECT_EQ(s[1].a[2], 1.0);

    // Fourth-order and band-pass sections end with a0 = 1.
    const Designed lr48 = Design(kBandPass, kLinkwitz, 300, 4000, 48);
    const Designed lp48 = Design(kLowPass, kLinkwitz, 300, 4000, 48);
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(lr48.s.section[i].a[0], 1.0, 1e-15);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(lp48.s.section[i].a[0], 1.0, 1e-15);
}

TEST(DesignCrossover, LinkwitzWithoutAnOrderLeavesIdentityAndCountZero) {
    for (float slope : {0.0f, 5.9f}) {
        Designed d = Design(kLowPass, kLinkwitz, 500, 80, slope);
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(d.x.sectionCount, 0);
        for (int i = 0; i < 8; ++i) EXPECT_TRUE(IsIdentity(d.s.section[i])) << i;
        EXPECT_EQ(d.s.section[0].order, 0);
    }
    // A type the design does not know: order -1 on the identity sections.
    Designed d = Design(9, kLinkwitz, 500, 80, 12);
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.x.sectionCount, 0);
    EXPECT_EQ(d.s.section[3].order, -1);
}

TEST(DesignCrossover, RefusesWhatCannotGiveASoundFilter) {
    const float nan = std::nanf(""), inf = INFINITY;
    struct Case {
        const char* what;
        int type, family;
        float lp, hp, lf, hf;
    } cases[] = {
        {"unknown family", kLowPass, 2, 500, 80, 12, 12},
        {"NaN slope", kLowPass, kLinkwitz, 500, 80, nan, 12},
        {"infinite slope", kBandPass, kButterworth, 500, 5000, inf, 12},
        {"negative slope", kLowPass, kButterworth, 500, 80, -6, 12},
        {"slope above 48", kHighPass, kLinkwitz, 500, 80, 12, 54},
        {"huge slope", kLowPass, kButterworth, 500, 80, 1e30f, 12},
        {"zero cut-off", kLowPass, kLinkwitz, 0, 80, 12, 12},
        {"negative cut-off", kHighPass, kButterworth, 500, -80, 12, 12},
        {"NaN cut-off", kLowPass, kButterworth, nan, 80, 12, 12},
        {"cut-off at Nyquist", kHighPass, kLinkwitz, 500, 24000, 12, 12},
        {"cut-off above Nyquist", kLowPass, kLinkwitz, 30000, 80, 24, 12},
        {"band edges equal", kBandPass, kLinkwitz, 5000, 5000, 12, 12},
        {"band edges crossed", kBandPass, kButterworth, 5000, 500, 24, 12},
        {"band edge infinite", kBandPass, kLinkwitz, 500, inf, 12, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CrossoverParams x = Params(c.type, c.family, c.lp, c.hp, c.lf, c.hf);
        x.sectionCount = 3;
        CrossoverSections s;
        for (auto& sec : s.section) {
            sec = IdentitySection();
            sec.b[1] = 0.125;  // a marker that must survive
        }
        const CrossoverSections before = s;
        EXPECT_EQ(dsp::DesignCrossover(x, s), 0);
        EXPECT_EQ(x.sectionCount, 3);
        EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);
    }
    // The frequency a type does not use may hold anything.
    EXPECT_EQ(Design(kLowPass, kLinkwitz, 500, nan, 12).result, 1);
    EXPECT_EQ(Design(kHighPass, kButterworth, -1, 500, 12).result, 1);
}

// The analytic magnitude (in dB) of what a design must give: the prototype's magnitude at the
// prewarped frequency; a Linkwitz filter is its half-order Butterworth squared, the 48 dB low and
// high pass the rounded fourth-order prototype squared.
double ReferenceDb(int type, int family, double f1, double f2, int n, double f) {
    const double w = W(f);
    double X = 0.0;
    if (type == kLowPass) X = w / W(f1);
    else if (type == kHighPass) X = W(f2) / w;
    else X = (w * w - W(f1) * W(f2)) / (w * (W(f2) - W(f1)));
    if (family == kButterworth) return -10.0 * std::log10(1.0 + std::pow(X * X, n));
    if (n == 8 && type != kBandPass) return -2.0 * Db(Prototype4(std::fabs(X)));
    return -20.0 * std::log10(1.0 + std::pow(X * X, n / 2));
}

// Every choice the crossover panel offers — both families, the eight slopes, low and high pass at
// each table frequency and band pass at every pair f1 < f2 — is designed, and its cascade follows
// the analytic magnitude within 1e-6 dB from 10 Hz to 23 kHz. Deep in the stop band (below -150 dB)
// the linear magnitudes are compared with a relative tolerance instead.
TEST(DesignCrossover, EveryOfferedChoiceFollowsItsPrototype) {
    std::vector<float> freqs;
    for (int i = 0; i < kFrequencyRows; ++i) freqs.push_back(GetFrequencyValue(i));
    std::vector<double> probes;
    constexpr int kProbes = 64;
    for (int i = 0; i < kProbes; ++i) probes.push_back(10.0 * std::pow(23000.0 / 10.0, i / (kProbes - 1.0)));

    int designs = 0, failures = 0;
    double worstDb = 0.0, worstRelative = 0.0;
    std::string worstCase;
    auto check = [&](int type, int family, float f1, float f2, float slope) {
        ++designs;
        const Designed d = Design(type, family, f1, f2, slope);
        const int n = int(slope / 6);
        std::string what = std::string(type == kLowPass ? "LP" : type == kHighPass ? "HP" : "BP") +
                           (family == kLinkwitz ? " Linkwitz " : " Butterworth ") +
                           std::to_string(int(slope)) + " dB " + std::to_string(f1) + ".." +
                           std::to_string(f2);
        if (d.result != 1) {
            if (++failures < 20) ADD_FAILURE() << what << ": refused";
            return;
        }
        if (family == kLinkwitz && n % 2 != 0) {
            // No Linkwitz-Riley form of an odd order: two identity sections pass everything.
            if (d.x.sectionCount != 2 || !IsIdentity(d.s.section[0]) || !IsIdentity(d.s.section[1]))
                if (++failures < 20) ADD_FAILURE() << what << ": not two identity sections";
            return;
        }
        for (double f : probes) {
            const double ref = ReferenceDb(type, family, type == kHighPass ? 0 : f1,
                                           type == kLowPass ? 0 : f2, n, f);
            const double got = MagnitudeDb(d, f);
            bool bad;
            if (ref >= -150.0) {
                const double dev = std::fabs(got - ref);
                if (dev > worstDb) { worstDb = dev; worstCase = what + " at " + std::to_string(f); }
                bad = !(dev <= 1e-6);
            } else {
                const double rel = std::fabs(std::pow(10.0, (got - ref) / 20.0) - 1.0);
                worstRelative = std::max(worstRelative, rel);
                bad = !(rel <= 1e-6);
            }
            if (bad && ++failures < 20)
                ADD_FAILURE() << what << " at " << f << " Hz: " << got << " dB, expected " << ref;
        }
    };
    for (int family : {int(kLinkwitz), int(kButterworth)})
        for (int n = 1; n <= 8; ++n) {
            const float slope = 6.0f * n;
            for (float f : freqs) {
                check(kLowPass, family, f, 100, slope);
                check(kHighPass, family, 100, f, slope);
            }
            for (size_t i = 0; i < freqs.size(); ++i)
                for (size_t j = i + 1; j < freqs.size(); ++j) check(kBandPass, family, freqs[i], freqs[j], slope);
        }
    EXPECT_EQ(designs, 40880);
    EXPECT_EQ(failures, 0);
    std::printf("offered choices: %d designs, worst deviation %.3g dB (worst case %s), "
                "worst relative deviation below -150 dB %.3g\n",
                designs, worstDb, worstCase.c_str(), worstRelative);
}

TEST(Factoring, CubicAndQuarticRebuildTheirPolynomials) {
    // (x - 2)(x^2 + 2x + 5): one real root and a complex pair.
    std::complex<double> r[3];
    EXPECT_EQ(dsp::SolveCubic(0.0, 1.0, -10.0, r), 1);
    EXPECT_NEAR(r[0].real(), 2.0, 1e-12);
    EXPECT_NEAR(r[1].real(), -1.0, 1e-12);
    EXPECT_NEAR(std::fabs(r[1].imag()), 2.0, 1e-12);
    // (x - 1)(x - 2)(x - 3): three real roots.
    EXPECT_EQ(dsp::SolveCubic(-6.0, 11.0, -6.0, r), 3);
    std::vector<double> roots{r[0].real(), r[1].real(), r[2].real()};
    std::sort(roots.begin(), roots.end());
    EXPECT_NEAR(roots[0], 1.0, 1e-12);
    EXPECT_NEAR(roots[1], 2.0, 1e-12);
    EXPECT_NEAR(roots[2], 3.0, 1e-12);

    // Quartics with and without odd terms.
    const double quartics[][4] = {{2.0, 3.0, 2.0, 1.0}, {0.0, 3.0, 0.0, 2.0}, {0.0, 0.0, 0.0, 4.0},
                                  {-1.0, 0.5, 0.25, 3.0}};
    for (const auto& c : quartics) {
        double p[2], q[2];
        ASSERT_TRUE(dsp::FactorQuartic(c, p, q));
        const double rebuilt[4] = {p[0] + p[1], q[0] + q[1] + p[0] * p[1], p[0] * q[1] + p[1] * q[0],
                                   q[0] * q[1]};
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(rebuilt[i], c[i], 1e-12) << i;
    }

    struct Angle {
        double y, x, expected;
    } angles[] = {{1, 0, dsp::kPi / 2}, {-1, 0, -dsp::kPi / 2}, {0, 0, 0}, {0, 2, 0}, {0, -2, dsp::kPi},
                  {1, 1, dsp::kPi / 4}};
    for (const Angle& a : angles) EXPECT_EQ(dsp::PhaseAngle(a.y, a.x), a.expected);
}
