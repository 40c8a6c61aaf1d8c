#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "dsp/signal.h"

namespace {

// y[t] a0 = sum b_j x[t-j] - sum_{j>=1} a_j y[t-j], written out plainly.
std::vector<double> Recurrence(const std::vector<double>& b, const std::vector<double>& a,
                               const std::vector<double>& x) {
    std::vector<double> y(x.size(), 0.0);
    for (size_t t = 0; t < x.size(); ++t) {
        double s = 0.0;
        for (size_t j = 0; j < b.size() && j <= t; ++j) s += b[j] * x[t - j];
        for (size_t j = 1; j < a.size() && j <= t; ++j) s -= a[j] * y[t - j];
        y[t] = s / a[0];
    }
    return y;
}

std::vector<std::complex<double>> NaiveDft(const std::vector<double>& re, const std::vector<double>& im) {
    const size_t n = re.size();
    std::vector<std::complex<double>> out(n);
    for (size_t k = 0; k < n; ++k) {
        std::complex<double> s = 0;
        for (size_t t = 0; t < n; ++t) {
            const double angle = -2.0 * 3.141592653589793 * static_cast<double>((k * t) % n) / static_cast<double>(n);
            s += std::complex<double>(re[t], im[t]) * std::polar(1.0, angle);
        }
        out[k] = s;
    }
    return out;
}

// Runs check once with each butterfly kernel this processor has (the AVX one is skipped, and
// said so, where it is missing), restoring the kernel in use afterwards.
template <typename Check>
void ForEachFftKernel(Check check) {
    struct Restore {
        dsp::FftKernel kept = dsp::CurrentFftKernel();
        ~Restore() { dsp::UseFftKernel(kept); }
    } restore;
    const struct {
        dsp::FftKernel kernel;
        const char* name;
    } kernels[] = {{dsp::FftKernel::Sse2, "SSE2"}, {dsp::FftKernel::Avx, "AVX"}};
    for (const auto& k : kernels) {
        if (!dsp::UseFftKernel(k.kernel)) {
            std::printf("the %s kernel cannot run here: not checked\n", k.name);
            continue;
        }
        SCOPED_TRACE(k.name);
        check();
    }
}

TEST(Fft, TheProcessorsKernelIsTheDefaultAndAnUnavailableOneIsRefused) {
    // SSE2 runs everywhere; AVX is chosen by itself wherever it can run.
    EXPECT_TRUE(dsp::FftKernelAvailable(dsp::FftKernel::Sse2));
    const bool avx = dsp::FftKernelAvailable(dsp::FftKernel::Avx);
    EXPECT_EQ(dsp::CurrentFftKernel(), avx ? dsp::FftKernel::Avx : dsp::FftKernel::Sse2);
    EXPECT_TRUE(dsp::UseFftKernel(dsp::FftKernel::Sse2));
    EXPECT_EQ(dsp::CurrentFftKernel(), dsp::FftKernel::Sse2);
    EXPECT_EQ(dsp::UseFftKernel(dsp::FftKernel::Avx), avx);
    EXPECT_EQ(dsp::CurrentFftKernel(), avx ? dsp::FftKernel::Avx : dsp::FftKernel::Sse2);
}

TEST(Fft, ImpulseGivesExactlyOneInEveryBin) {
    ForEachFftKernel([] {
        for (int order = 1; order <= 14; ++order) {
            const size_t n = size_t{1} << order;
            std::vector<double> re(n, 0.0), im(n, 0.0);
            re[0] = 1.0;
            ASSERT_TRUE(dsp::Fft(re.data(), im.data(), order));
            for (size_t k = 0; k < n; ++k) {
                ASSERT_EQ(re[k], 1.0) << "order " << order << " bin " << k;
                ASSERT_EQ(im[k], 0.0) << "order " << order << " bin " << k;
            }
        }
    });
}

TEST(Fft, MatchesANaiveDftOnRandomData) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int order : {1, 2, 3, 5, 8, 11}) {
        const size_t n = size_t{1} << order;
        std::vector<double> re(n), im(n);
        for (size_t i = 0; i < n; ++i) {
            re[i] = u(rng);
            im[i] = u(rng);
        }
        const auto want = NaiveDft(re, im);
        ASSERT_TRUE(dsp::Fft(re.data(), im.data(), order));
        double largest = 0.0, worst = 0.0;
        for (size_t k = 0; k < n; ++k) {
            largest = std::max(largest, std::abs(want[k]));
            worst = std::max(worst, std::abs(want[k] - std::complex<double>(re[k], im[k])));
        }
        EXPECT_LT(worst, 1e-12 * largest) << "order " << order;
    }
}

TEST(Fft, RefusesOrdersItCannotDo) {
    double re[2] = {1, 2}, im[2] = {3, 4};
    EXPECT_FALSE(dsp::Fft(re, im, -1));
    EXPECT_FALSE(dsp::Fft(re, im, dsp::kMaxFftOrder + 1));
    EXPECT_FALSE(dsp::Fft(nullptr, im, 1));
    EXPECT_EQ(re[0], 1.0);
    EXPECT_TRUE(dsp::Fft(re, im, 0));  // one point: itself
    EXPECT_EQ(re[0], 1.0);
    EXPECT_EQ(im[0], 3.0);
}

TEST(Magnitudes, AreTheComplexAbsoluteValues) {
    const double re[3] = {3, 0, -1e-3}, im[3] = {4, -2, 0};
    double mag[3];
    dsp::Magnitudes(re, im, mag, 3);
    EXPECT_EQ(mag[0], 5.0);
    EXPECT_EQ(mag[1], 2.0);
    EXPECT_EQ(mag[2], 1e-3);
}

TEST(Iir, FollowsTheRecurrenceWithA0NotOne) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int order : {0, 1, 2, 4, 7, 8}) {
        std::vector<double> b(order + 1), a(order + 1), x(400);
        for (double& v : b) v = u(rng);
        a[0] = 2.5;
        // Small feedback keeps every order stable.
        for (int j = 1; j <= order; ++j) a[j] = 0.2 * u(rng) / order;
        for (double& v : x) v = u(rng);
        const auto want = Recurrence(b, a, x);
        std::vector<double> y(x.size(), 99.0);
        ASSERT_TRUE(dsp::IirPass(b.data(), a.data(), order, x.data(), y.data(), static_cast<int>(x.size())));
        for (size_t t = 0; t < x.size(); ++t)
            ASSERT_NEAR(y[t], want[t], 1e-12 * (1.0 + std::fabs(want[t]))) << "order " << order << " t " << t;
        // In place gives the same.
        std::vector<double> z = x;
        ASSERT_TRUE(dsp::IirPass(b.data(), a.data(), order, z.data(), z.data(), static_cast<int>(z.size())));
        EXPECT_EQ(z, y) << "order " << order;
    }
}

TEST(Iir, EqualNumeratorAndDenominatorPassAnImpulseBitForBit) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (double a0 : {1.0, 2.5, -0.3}) {
        for (int order = 0; order <= 8; ++order) {
            std::vector<double> c(order + 1);
            c[0] = a0;
            for (int j = 1; j <= order; ++j) c[j] = u(rng);
            std::vector<double> x(300, 0.0), y(300, 7.0);
            x[0] = 1.0;
            ASSERT_TRUE(dsp::IirPass(c.data(), c.data(), order, x.data(), y.data(), 300));
            EXPECT_EQ(y, x) << "a0 " << a0 << " order " << order;
        }
    }
}

TEST(Iir, RefusedSectionsChangeNothingAndReadNothingBeyond) {
    struct Case {
        const char* what;
        int order;
        double a0;
        double bad;  // put into b[order] when the order is usable
    };
    const Case cases[] = {
        {"order 9", 9, 1.0, 0.0},         {"order 200", 200, 1.0, 0.0},
        {"order -1", -1, 1.0, 0.0},       {"a0 zero", 2, 0.0, 0.0},
        {"NaN", 2, 1.0, std::nan("")},    {"infinity", 2, 1.0, INFINITY},
    };
    for (const Case& c : cases) {
        // Exactly nine coefficients each, as a section holds: ASan sees any read past them.
        auto b = std::make_unique<double[]>(9);
        auto a = std::make_unique<double[]>(9);
        for (int j = 0; j < 9; ++j) b[j] = a[j] = 0.5;
        a[0] = c.a0;
        if (c.order >= 0 && c.order <= 8) b[c.order] = c.bad == 0.0 ? b[c.order] : c.bad;
        std::vector<double> in(64, 1.0), out(64, 3.0);
        EXPECT_FALSE(dsp::IirSectionUsable(b.get(), a.get(), c.order)) << c.what;
        EXPECT_FALSE(dsp::IirPass(b.get(), a.get(), c.order, in.data(), out.data(), 64)) << c.what;
        EXPECT_EQ(out, std::vector<double>(64, 3.0)) << c.what;
    }
}

TEST(ErrorMode, IsAWordKept) {
    const int before = dsp::GetErrorMode();
    dsp::SetErrorMode(2);
    EXPECT_EQ(dsp::GetErrorMode(), 2);
    dsp::SetErrorMode(before);
    EXPECT_EQ(dsp::GetErrorMode(), before);
}

}  // namespace

namespace {

TEST(Iir, APairOfSectionsGivesWhatTwoPassesGive) {
    std::mt19937_64 rng(13);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int orders : {22, 21, 12, 20, 0}) {
        const int o1 = orders / 10, o2 = orders % 10;
        double b1[3], a1[3], b2[3], a2[3];
        for (int j = 0; j < 3; ++j) {
            b1[j] = u(rng);
            b2[j] = u(rng);
            a1[j] = 0.3 * u(rng);
            a2[j] = 0.3 * u(rng);
        }
        a1[0] = 1.7;
        a2[0] = -0.8;
        std::vector<double> x(500);
        for (double& v : x) v = u(rng);
        std::vector<double> want = x;
        ASSERT_TRUE(dsp::IirPass(b1, a1, o1, want.data(), want.data(), 500));
        ASSERT_TRUE(dsp::IirPass(b2, a2, o2, want.data(), want.data(), 500));
        dsp::Biquad q1, q2;
        ASSERT_TRUE(dsp::MakeBiquad(b1, a1, o1, q1));
        ASSERT_TRUE(dsp::MakeBiquad(b2, a2, o2, q2));
        dsp::BiquadPair(q1, q2, x.data(), 500);
        EXPECT_EQ(x, want) << "orders " << o1 << " and " << o2;  // equal values (a zero's sign aside)
    }
    // Only sections whose taps above 2 are zero pair up.
    double b[9] = {1, 0.5, 0.1, 0.2}, a[9] = {1, 0.1};
    dsp::Biquad q;
    EXPECT_FALSE(dsp::MakeBiquad(b, a, 3, q));
    b[3] = 0.0;
    EXPECT_TRUE(dsp::MakeBiquad(b, a, 3, q));
}

}  // namespace

namespace {

// The real transform against a direct DFT for every order up to the chart's 16384 points, and
// against the complex transform of the same samples (the values before it existed), within a
// few rounding errors of the largest bin.
TEST(RealFft, MatchesADirectDftAndTheComplexTransform) {
    ForEachFftKernel([&] {
        std::mt19937_64 rng(17);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        for (int order = 1; order <= 14; ++order) {
            const size_t n = size_t{1} << order, half = n / 2;
            std::vector<double> x(n);
            for (double& v : x) v = u(rng);
            // Direct DFT of bins 0 .. n/2 with exact angles from an integer phase.
            std::vector<double> c(n), s(n);
            for (size_t t = 0; t < n; ++t) {
                c[t] = std::cos(2.0 * 3.141592653589793 * static_cast<double>(t) / static_cast<double>(n));
                s[t] = std::sin(2.0 * 3.141592653589793 * static_cast<double>(t) / static_cast<double>(n));
            }
            std::vector<std::complex<double>> want(half + 1);
            double largest = 0.0;
            for (size_t k = 0; k <= half; ++k) {
                double re = 0.0, im = 0.0;
                for (size_t t = 0, phase = 0; t < n; ++t, phase = (phase + k) & (n - 1)) {
                    re += x[t] * c[phase];
                    im -= x[t] * s[phase];
                }
                want[k] = {re, im};
                largest = std::max(largest, std::abs(want[k]));
            }
            std::vector<double> re(half + 1, 9.0), im(half + 1, 9.0), fre = x, fim(n, 0.0);
            const std::vector<double> input = x;
            ASSERT_TRUE(dsp::RealFft(x.data(), re.data(), im.data(), order));
            ASSERT_EQ(x, input);
            ASSERT_TRUE(dsp::Fft(fre.data(), fim.data(), order));
            double worstDft = 0.0, worstFft = 0.0;
            for (size_t k = 0; k <= half; ++k) {
                const std::complex<double> got(re[k], im[k]);
                worstDft = std::max(worstDft, std::abs(got - want[k]));
                worstFft = std::max(worstFft, std::abs(got - std::complex<double>(fre[k], fim[k])));
            }
            EXPECT_LT(worstDft, 1e-12 * largest) << "order " << order;
            EXPECT_LT(worstFft, 1e-13 * largest) << "order " << order;
        }
    });
}

// The real transform reads its samples interleaved; each kernel does that in its own way, to
// the same bits, for every order up to the chart's (the SSE2 values checked above).
TEST(RealFft, EveryKernelGivesTheSameBits) {
    if (!dsp::FftKernelAvailable(dsp::FftKernel::Avx)) GTEST_SKIP() << "no AVX here";
    std::mt19937_64 rng(29);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int order = 1; order <= 14; ++order) {
        const size_t n = size_t{1} << order;
        std::vector<double> x(n);
        for (double& v : x) v = u(rng);
        std::vector<double> wantRe(n / 2 + 1), wantIm(n / 2 + 1), re(n / 2 + 1), im(n / 2 + 1);
        std::vector<double> wantCr(n), wantCi(n), cr(n), ci(n);
        ForEachFftKernel([&] {
            const bool sse2 = dsp::CurrentFftKernel() == dsp::FftKernel::Sse2;
            ASSERT_TRUE(dsp::RealFft(x.data(), sse2 ? wantRe.data() : re.data(), sse2 ? wantIm.data() : im.data(), order));
            ASSERT_TRUE(dsp::FftFrom(x.data(), nullptr, sse2 ? wantCr.data() : cr.data(), sse2 ? wantCi.data() : ci.data(), order));
        });
        EXPECT_EQ(re, wantRe) << "order " << order;
        EXPECT_EQ(im, wantIm) << "order " << order;
        EXPECT_EQ(cr, wantCr) << "order " << order;
        EXPECT_EQ(ci, wantCi) << "order " << order;
    }
}

TEST(RealFft, AnImpulseIsExactlyOneAndSilenceZero) {
    for (int order = 1; order <= 14; ++order) {
        const size_t n = size_t{1} << order;
        std::vector<double> x(n, 0.0), re(n, 7.0), im(n, 7.0);
        x[0] = 1.0;
        ASSERT_TRUE(dsp::RealFft(x.data(), re.data(), im.data(), order));
        for (size_t k = 0; k <= n / 2; ++k) {
            ASSERT_EQ(re[k], 1.0) << "order " << order << " bin " << k;
            ASSERT_EQ(im[k], 0.0) << "order " << order << " bin " << k;
        }
        const std::vector<double> silence(n, 0.0);
        std::vector<double> zre(n, 7.0), zim(n, 7.0);
        ASSERT_TRUE(dsp::RealFft(silence.data(), zre.data(), zim.data(), order));
        for (size_t k = 0; k <= n / 2; ++k) ASSERT_EQ(std::hypot(zre[k], zim[k]), 0.0);
    }
    const double x[2] = {5, 6};
    double re[2] = {1, 2}, im[2] = {3, 4};
    EXPECT_FALSE(dsp::RealFft(x, re, im, 0));
    EXPECT_FALSE(dsp::RealFft(x, re, im, dsp::kMaxFftOrder + 1));
    EXPECT_FALSE(dsp::RealFft(nullptr, re, im, 1));
    EXPECT_EQ(re[0], 1.0);
    EXPECT_EQ(im[1], 4.0);
}

}  // namespace

namespace {

// The plain radix-2 decimation in time, one stage after the other, every butterfly with its
// twiddle e^(-2 pi i j / L) taken as cos and sin of (-2 pi / L) j (the quarter turn exactly).
void PlainRadix2(std::vector<double>& re, std::vector<double>& im) {
    const size_t n = re.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    for (size_t len = 2; len <= n; len *= 2) {
        const size_t half = len / 2;
        const double step = -2.0 * 3.141592653589793238462643383279502884 / static_cast<double>(len);
        for (size_t j = 0; j < half; ++j) {
            double c = std::cos(step * static_cast<double>(j)), s = std::sin(step * static_cast<double>(j));
            if (j == 0) c = 1.0, s = 0.0;
            if (4 * j == len) c = 0.0, s = -1.0;
            for (size_t i = j; i < n; i += len) {
                const double tr = c * re[i + half] - s * im[i + half];
                const double ti = c * im[i + half] + s * re[i + half];
                re[i + half] = re[i] - tr;
                im[i + half] = im[i] - ti;
                re[i] += tr;
                im[i] += ti;
            }
        }
    }
}

// The stages run fused in pairs and two or four butterflies at a time (SSE2 or AVX), with the
// very same arithmetic: the values are the plain algorithm's, bit for bit (the sign of a zero
// aside), with either kernel.
TEST(Fft, GivesThePlainRadix2ValuesBitForBit) {
    ForEachFftKernel([&] {
        std::mt19937_64 rng(23);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        for (int order = 1; order <= 14; ++order) {
            const size_t n = size_t{1} << order;
            std::vector<double> re(n), im(n);
            for (size_t i = 0; i < n; ++i) {
                re[i] = u(rng);
                im[i] = order % 2 ? 0.0 : u(rng);
            }
            std::vector<double> wantRe = re, wantIm = im;
            PlainRadix2(wantRe, wantIm);
            // Out of place too, reading the input in bit-reversed order (with and without its
            // imaginary parts given).
            std::vector<double> outRe(n, 5.0), outIm(n, 5.0);
            ASSERT_TRUE(dsp::FftFrom(re.data(), order % 2 ? nullptr : im.data(), outRe.data(), outIm.data(), order));
            ASSERT_TRUE(dsp::Fft(re.data(), im.data(), order));
            for (size_t k = 0; k < n; ++k) {
                ASSERT_EQ(re[k], wantRe[k]) << "order " << order << " bin " << k;
                ASSERT_EQ(im[k], wantIm[k]) << "order " << order << " bin " << k;
                ASSERT_EQ(outRe[k], wantRe[k]) << "order " << order << " bin " << k;
                ASSERT_EQ(outIm[k], wantIm[k]) << "order " << order << " bin " << k;
            }
        }
    });
}

}  // namespace

namespace {

// Four sections overlapped in two registers, each lagging the one before: every sample as four
// plain passes give it, at block lengths shorter than, equal to and beyond the pipeline's depth,
// in place and from another block.
TEST(Iir, FourOverlappedSectionsGiveWhatFourPassesGive) {
    std::mt19937_64 rng(29);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    const int depth = 3 * dsp::kQuadSkew;
    for (int n : {1, 2, depth - 1, depth, depth + 1, 2 * depth + 3, 500}) {
        for (bool inPlace : {true, false}) {
            double b[4][3], a[4][3];
            dsp::Biquad q[4];
            for (int s = 0; s < 4; ++s) {
                for (int j = 0; j < 3; ++j) {
                    b[s][j] = u(rng);
                    a[s][j] = 0.3 * u(rng);
                }
                a[s][0] = 1.0 + 0.5 * s;
                ASSERT_TRUE(dsp::MakeBiquad(b[s], a[s], 2, q[s]));
            }
            std::vector<double> x(static_cast<size_t>(n));
            for (double& v : x) v = u(rng);
            std::vector<double> want = x;
            for (int s = 0; s < 4; ++s) ASSERT_TRUE(dsp::IirPass(b[s], a[s], 2, want.data(), want.data(), n));
            std::vector<double> got(static_cast<size_t>(n), 7.0);
            const std::vector<double> input = x;
            if (inPlace) {
                got = x;
                dsp::BiquadQuad(q, got.data(), got.data(), n);
            } else {
                dsp::BiquadQuad(q, x.data(), got.data(), n);
                EXPECT_EQ(x, input);
            }
            EXPECT_EQ(got, want) << "n " << n << (inPlace ? " in place" : " from another block");
        }
    }
}

}  // namespace
