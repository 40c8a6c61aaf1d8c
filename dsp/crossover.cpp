#include "dsp/crossover.h"

#include <algorithm>
#include <cmath>

namespace dsp {

using model::BiquadSection;
using model::CrossoverParams;
using model::CrossoverSections;
using model::kMaxCrossoverSections;

namespace {

constexpr double kSqrt2 = 1.4142135623730951;
// The fourth-order prototype's constants, rounded as the device's own design rounds them.
constexpr double kC3 = 2.613;
constexpr double kC2 = 3.414;
constexpr double kZeroGuard = 1e-18;
constexpr double kNyquist = kSampleRate / 2.0;

double Prewarp(double f, double fs) { return std::tan(kPi * f / fs); }

void SetSection(BiquadSection* s, double b0, double b1, double b2, double a0, double a1, double a2,
                int order) {
    s->b[0] = b0;
    s->b[1] = b1;
    s->b[2] = b2;
    s->a[0] = a0;
    s->a[1] = a1;
    s->a[2] = a2;
    s->order = order;
}

// The bilinear transform s = (1 - x) / (K (1 + x)), x = z^-1, maps the low-pass prototype's factors
// to polynomials in x (the high pass, s = K (1 + x) / (1 - x), gives the same denominators):
//   s + 1          -> ((K + 1) + (K - 1) x) / (K (1 + x))
//   s^2 + d s + 1  -> ((1 + dK + K^2) + 2 (K^2 - 1) x + (1 - dK + K^2) x^2) / (K^2 (1 + x)^2)
// The designs factor the prototype in s, where its roots lie well apart, and map each factor on its
// own. Expanding the product in x first and factoring it afterwards loses most of the digits at low
// cut-offs, where all the roots crowd together near x = 1.
struct Quadratic {
    double c0, c1, c2;  // c0 + c1 x + c2 x^2
};

Quadratic MapQuadratic(double d, double K) {
    return {1.0 + d * K + K * K, 2.0 * (K * K - 1.0), 1.0 - d * K + K * K};
}

// Third order: the bilinear transform of s^3 + 2s^2 + 2s + 1 = (s + 1)(s^2 + s + 1) as a first-order
// and a second-order factor in z^-1, each with its last coefficient 1; the gain sits on the
// first-order factor. The sections keep a0 as designed.
void DesignThirdOrder(double f, double fs, bool highPass, BiquadSection* s) {
    const double K = (4.0 * f == fs) ? 1.0 : Prewarp(f, fs);
    const double K3 = K * K * K;
    const double numLast = highPass ? -1.0 : K3;
    const double n0 = highPass ? -1.0 : 1.0;  // (x - 1) or (x + 1)
    const double n1 = highPass ? -2.0 : 2.0;  // (x - 1)^2 or (x + 1)^2
    const double r0 = K + 1.0, r1 = K - 1.0;  // the first-order factor r0 + r1 x
    const Quadratic q = MapQuadratic(1.0, K);

    if (r1 == 0.0) {
        // 4f = fs: the first-order factor is a constant and the denominator only quadratic.
        SetSection(&s[0], n0, 1.0, 0.0, 1.0, 0.0, 0.0, 1);
        const double A0 = r0 * q.c0, A1 = r0 * q.c1, A2 = r0 * q.c2;
        const double g = numLast / A2;
        SetSection(&s[1], g, g * n1, g, A0 / A2, A1 / A2, 1.0, 2);
        return;
    }
    // The denominator's last coefficient A3 = r1 q.c2; the whole gain numLast / A3 on section 0.
    const double g = numLast / (r1 * q.c2);
    SetSection(&s[0], g * n0, g, 0.0, r0 / r1, 1.0, 0.0, 1);
    SetSection(&s[1], 1.0, n1, 1.0, q.c0 / q.c2, q.c1 / q.c2, 1.0, 2);
}

// Fourth order: the prototype s^4 + 2.613 s^3 + 3.414 s^2 + 2.613 s + 1 split into two quadratics
// in z^-1, both ending with a0 = 1 and the gain on the second.
void DesignFourthOrder(double f, double fs, bool highPass, BiquadSection* s) {
    // The prototype reads the same both ways, so it is (s^2 + d0 s + 1)(s^2 + d1 s + 1) with
    // d0 + d1 = 2.613 and d0 d1 = 3.414 - 2: the rounded constants factor exactly.
    const double d1 = (kC3 + std::sqrt(kC3 * kC3 - 4.0 * (kC2 - 2.0))) / 2.0;
    const double d0 = (kC2 - 2.0) / d1;
    const double K = Prewarp(f, fs), K2 = K * K;
    const double numLast = highPass ? 1.0 : K2 * K2;
    const double n1 = highPass ? -2.0 : 2.0;  // the numerator is (x -+ 1)^4 = ((x -+ 1)^2)^2
    const Quadratic q0 = MapQuadratic(d0, K), q1 = MapQuadratic(d1, K);

    // Each factor written with a0 = 1; section 0's numerator is (x -+ 1)^2 over the same a0, so
    // section 1 carries numLast / (A4 q1.c0 / q1.c2) with A4 = q0.c2 q1.c2.
    const double s0 = q0.c2 / q0.c0;
    SetSection(&s[0], s0, n1 * s0, s0, 1.0, q0.c1 / q0.c0, q0.c2 / q0.c0, 2);
    const double g = numLast / (q0.c2 * q1.c0);
    SetSection(&s[1], g, g * n1, g, 1.0, q1.c1 / q1.c0, q1.c2 / q1.c0, 2);
}

struct BandPassTerms {
    double K, c1, c2;
};

BandPassTerms BandPassTransform(double f1, double f2, double fs, bool exactQuarter) {
    const double h = (f2 - f1) / 2.0;
    const double K = (exactQuarter && 4.0 * h == fs) ? 1.0 : std::tan(kPi * h / fs);
    const double w1 = kPi * f1 / fs, w2 = kPi * f2 / fs;
    const double alpha = std::cos(w1 + w2) / std::cos(w2 - w1);
    const double k = K / std::tan(w2 - w1);
    return {K, -2.0 * alpha * k / (k + 1.0), (k - 1.0) / (k + 1.0)};
}

// The band pass between f1 and f2 is the low-pass prototype with s replaced by
//   cot(D) (1 + x^2 - 2 alpha x) / (1 - x^2),  D = pi (f2 - f1) / fs, x = z^-1,
// which is what the transformation above does to the bilinear low pass (its K cancels). Its poles
// are worked out from the prototype's poles one by one, with angles taken straight from the band
// edges: expanding the transformed quartic and factoring it loses the digits of narrow or low bands.
struct BandPassGeometry {
    double cosSum;    // cos(pi (f1 + f2) / fs)
    double cosD;      // cos D
    double sinD;      // sin D
    double sinEdges;  // sin(2 pi f1 / fs) sin(2 pi f2 / fs) = cos^2 D - cos^2(pi (f1 + f2) / fs)
};

BandPassGeometry BandPassAngles(double f1, double f2, double fs) {
    const double D = kPi * (f2 - f1) / fs;
    return {std::cos(kPi * (f1 + f2) / fs), std::cos(D), std::sin(D),
            std::sin(2.0 * kPi * f1 / fs) * std::sin(2.0 * kPi * f2 / fs)};
}

// A prototype pole P (|P| = 1) gives the factor (cos D - P sin D) z^2 - 2 cos(pi (f1 + f2) / fs) z
// + (cos D + P sin D), whose roots are two z-plane poles; returns them (the one at the higher
// frequency first) and the gain sin^2 D / |cos D - P sin D|^2 that the pair P, conj(P) brings.
double BandPassPoles(const BandPassGeometry& g, std::complex<double> P, std::complex<double>& upper,
                     std::complex<double>& lower) {
    const std::complex<double> lead = g.cosD - P * g.sinD;
    const std::complex<double> last = g.cosD + P * g.sinD;
    std::complex<double> root = std::sqrt(P * P * (g.sinD * g.sinD) - g.sinEdges);
    // The root of larger size without cancellation, the other from the product of the two.
    if (std::real(std::conj(root) * g.cosSum) < 0.0) root = -root;
    const std::complex<double> z1 = (g.cosSum + root) / lead;
    const std::complex<double> z2 = (last / lead) / z1;
    const bool firstIsUpper = std::fabs(std::arg(z1)) >= std::fabs(std::arg(z2));
    upper = firstIsUpper ? z1 : z2;
    lower = firstIsUpper ? z2 : z1;
    return g.sinD * g.sinD / std::norm(lead);
}

// The band pass of order n: the transformed first-order section for odd n (identity for even n),
// then two sections per pole pair. Returns 2 (n / 2) + 1.
int BandPassSections(double fs, double f1, double f2, int n, bool exactQuarter, Row* num,
                     Row* den) {
    const BandPassTerms t = BandPassTransform(f1, f2, fs, exactQuarter);
    const double K = t.K, c1 = t.c1, c2 = t.c2;
    const int L = n / 2;
    for (int i = 0; i <= 2 * L; ++i)
        for (int j = 0; j < 5; ++j) num[i][j] = den[i][j] = 0.0;

    if (n % 2 != 0) {
        const double a0 = (1 - c2) * K + 1 + c2;
        num[0][0] = (1 - c2) * K / a0;
        num[0][2] = (c2 - 1) * K / a0;
        den[0][0] = 1.0;
        den[0][1] = 2 * c1 / a0;
        den[0][2] = ((c2 - 1) * K + c2 + 1) / a0;
    } else {
        num[0][0] = den[0][0] = 1.0;
    }

    const BandPassGeometry g = BandPassAngles(f1, f2, fs);
    for (int i = 1; i <= L; ++i) {
        // The prototype's pole pair e^(+-j theta) becomes two conjugate pairs of z-plane poles; the
        // one nearer the upper band edge goes with the zeros at Nyquist, the other with the zeros
        // at DC and the pair's gain.
        const double theta = (2.0 * i + n - 1) * kPi / (2.0 * n);
        const std::complex<double> P = std::polar(1.0, theta);
        std::complex<double> zUpper, zLower;
        const double gain = BandPassPoles(g, P, zUpper, zLower);
        const double normUpper = std::norm(zUpper);
        Row& nA = num[2 * i - 1];
        Row& dA = den[2 * i - 1];
        nA[0] = normUpper;
        nA[1] = 2.0 * normUpper;
        nA[2] = normUpper;
        dA[0] = 1.0;
        dA[1] = -2.0 * zUpper.real();
        dA[2] = normUpper;
        const double gB = gain / normUpper;
        Row& nB = num[2 * i];
        Row& dB = den[2 * i];
        nB[0] = gB;
        nB[1] = -2.0 * gB;
        nB[2] = gB;
        dB[0] = 1.0;
        dB[1] = -2.0 * zLower.real();
        dB[2] = std::norm(zLower);
    }
    return 2 * L + 1;
}

void RowsToSections(const Row* num, const Row* den, int first, int count, BiquadSection* s) {
    for (int i = 0; i < count; ++i)
        SetSection(&s[i], num[first + i][0], num[first + i][1], num[first + i][2], den[first + i][0],
                   den[first + i][1], den[first + i][2], 2);
}

void FixedBandPass(double f1, double f2, double fs, int n, BiquadSection* s) {
    Row num[kMaxCrossoverSections], den[kMaxCrossoverSections];
    const int count = BandPassSections(fs, f1, f2, n, true, num, den);
    // An even order has no identity section in front.
    const int first = (n % 2 == 0) ? 1 : 0;
    RowsToSections(num, den, first, count - first, s);
}

bool CutoffUsable(float f) {
    return std::isfinite(f) && f > 0.0f && static_cast<double>(f) < kNyquist;
}

bool SlopeUsable(float slope) { return std::isfinite(slope) && slope >= 0.0f && slope <= 48.0f; }

}  // namespace

double PhaseAngle(double y, double x) {
    if (x == 0.0) {
        if (y > 0.0) return kPi / 2.0;
        if (y < 0.0) return -kPi / 2.0;
        return 0.0;
    }
    if (y == 0.0) return x > 0.0 ? 0.0 : kPi;
    return std::atan2(y, x);
}

int SolveCubic(double p, double q, double r, std::complex<double> roots[3]) {
    const double third = 1.0 / 3.0;
    const double Q = (p * p - 3.0 * q) / 9.0;
    const double R = (2.0 * p * p * p - 9.0 * p * q + 27.0 * r) / 54.0;
    const double shift = p * third;
    const double Q3 = Q * Q * Q;
    if (R * R < Q3) {
        const double theta = PhaseAngle(std::sqrt(Q3 - R * R), R);
        const double m = -2.0 * std::sqrt(Q);
        roots[0] = m * std::cos(theta * third) - shift;
        roots[1] = m * std::cos((theta + 2.0 * kPi) * third) - shift;
        roots[2] = m * std::cos((theta - 2.0 * kPi) * third) - shift;
        return 3;
    }
    const double A = -std::copysign(std::cbrt(std::fabs(R) + std::sqrt(R * R - Q3)), R);
    const double B = (A == 0.0) ? 0.0 : Q / A;
    const double re = -0.5 * (A + B) - shift;
    const double im = 0.5 * std::sqrt(3.0) * (A - B);
    roots[0] = A + B - shift;
    roots[1] = {re, im};
    roots[2] = {re, -im};
    return 1;
}

bool FactorQuartic(const double c[4], double p[2], double q[2]) {
    const double a = c[0], b = c[1], cc = c[2], d = c[3];
    if (std::fabs(a) < kZeroGuard && std::fabs(cc) < kZeroGuard) {
        // x^4 + b x^2 + d, a quadratic in x^2.
        const double disc = b * b - 4.0 * d;
        if (disc >= 0.0) {
            const double s = std::sqrt(disc);
            p[0] = p[1] = 0.0;
            q[0] = (b + s) / 2.0;  // x^2 - y with y = (-b -+ s) / 2
            q[1] = (b - s) / 2.0;
            return true;
        }
        if (d < 0.0) return false;
        const double t = std::sqrt(d);
        const double s2 = 2.0 * t - b;
        if (s2 < 0.0) return false;
        p[0] = std::sqrt(s2);
        p[1] = -p[0];
        q[0] = q[1] = t;
        return true;
    }
    // Ferrari: a root y of the resolvent cubic makes x^4 + ... = (x^2 + a/2 x + y/2)^2 - (m x + n)^2.
    std::complex<double> roots[3];
    const int real = SolveCubic(-b, a * cc - 4.0 * d, -(a * a * d - 4.0 * b * d + cc * cc), roots);
    // The largest real root keeps m^2 >= 0. A double root comes out of Cardano's formulas as a
    // "complex" pair with a vanishing imaginary part: count it as real.
    (void)real;
    double y = roots[0].real();
    for (int i = 1; i < 3; ++i)
        if (std::fabs(roots[i].imag()) <= 1e-9 * std::max(1.0, std::fabs(roots[i].real())))
            y = std::max(y, roots[i].real());
    const double m2 = a * a / 4.0 - b + y;
    if (m2 < -kZeroGuard) return false;
    const double m = std::sqrt(std::max(m2, 0.0));
    double n;
    if (m > kZeroGuard) {
        n = (a * y / 2.0 - cc) / (2.0 * m);
    } else {
        const double n2 = y * y / 4.0 - d;
        if (n2 < -kZeroGuard) return false;
        n = std::sqrt(std::max(n2, 0.0));
    }
    p[0] = a / 2.0 + m;
    q[0] = y / 2.0 + n;
    p[1] = a / 2.0 - m;
    q[1] = y / 2.0 - n;
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(q[0]) && std::isfinite(q[1]);
}

void DesignFirstOrderLowPass(double f, double fs, BiquadSection* s) {
    const double K = Prewarp(f, fs);
    SetSection(s, K, K, 0.0, 1.0 + K, K - 1.0, 0.0, 2);
}

void DesignFirstOrderHighPass(double f, double fs, BiquadSection* s) {
    const double K = Prewarp(f, fs);
    SetSection(s, 1.0, -1.0, 0.0, 1.0 + K, K - 1.0, 0.0, 2);
}

void DesignButterworthLowPass2(double f, double fs, BiquadSection* s) {
    const double K = Prewarp(f, fs), K2 = K * K;
    SetSection(s, K2, 2.0 * K2, K2, 1.0 + kSqrt2 * K + K2, 2.0 * K2 - 2.0, 1.0 - kSqrt2 * K + K2, 2);
}

void DesignButterworthHighPass2(double f, double fs, BiquadSection* s) {
    const double K = Prewarp(f, fs), K2 = K * K;
    SetSection(s, 1.0, -2.0, 1.0, 1.0 + kSqrt2 * K + K2, 2.0 * K2 - 2.0, 1.0 - kSqrt2 * K + K2, 2);
}

void DesignButterworthLowPass3(double f, double fs, BiquadSection* s) {
    DesignThirdOrder(f, fs, false, s);
}
void DesignButterworthHighPass3(double f, double fs, BiquadSection* s) {
    DesignThirdOrder(f, fs, true, s);
}
void DesignButterworthLowPass4(double f, double fs, BiquadSection* s) {
    DesignFourthOrder(f, fs, false, s);
}
void DesignButterworthHighPass4(double f, double fs, BiquadSection* s) {
    DesignFourthOrder(f, fs, true, s);
}

void DesignBandPass1(double f1, double f2, double fs, BiquadSection* s) {
    const BandPassTerms t = BandPassTransform(f1, f2, fs, false);
    const double K = t.K, c1 = t.c1, c2 = t.c2;
    SetSection(s, K - K * c2, 0.0, K * c2 - K, K + 1 - c2 * K + c2, 2 * c1, c2 * K + c2 - K + 1, 2);
}
void DesignBandPass2(double f1, double f2, double fs, BiquadSection* s) {
    FixedBandPass(f1, f2, fs, 2, s);
}
void DesignBandPass3(double f1, double f2, double fs, BiquadSection* s) {
    FixedBandPass(f1, f2, fs, 3, s);
}
void DesignBandPass4(double f1, double f2, double fs, BiquadSection* s) {
    FixedBandPass(f1, f2, fs, 4, s);
}

int DesignButterworthLowPass(double fs, double f, int n, Row* num, Row* den) {
    if (n < 0) return 0;
    const double K = Prewarp(f, fs);
    const int L = n / 2;
    for (int i = 0; i <= L; ++i)
        for (int j = 0; j < 5; ++j) num[i][j] = den[i][j] = 0.0;
    if (n % 2 != 0) {
        const double g = K / (K + 1.0);
        num[0][0] = num[0][1] = g;
        den[0][0] = 1.0;
        den[0][1] = 2.0 * g - 1.0;
    } else {
        num[0][0] = den[0][0] = 1.0;
    }
    for (int i = 1; i <= L; ++i) {
        const double c = std::cos((2.0 * i + n - 1) * kPi / (2.0 * n));
        const double D = K * K - 2.0 * K * c + 1.0;
        num[i][0] = K * K / D;
        num[i][1] = 2.0 * K * K / D;
        num[i][2] = K * K / D;
        den[i][0] = 1.0;
        den[i][1] = 2.0 * (K * K - 1.0) / D;
        den[i][2] = (K * K + 1.0 + 2.0 * K * c) / D;
    }
    return L + 1;
}

int DesignButterworthHighPass(double fs, double f, int n, Row* num, Row* den) {
    if (n < 0) return 0;
    const double C = 1.0 / Prewarp(f, fs);
    const int L = n / 2;
    for (int i = 0; i <= L; ++i)
        for (int j = 0; j < 5; ++j) num[i][j] = den[i][j] = 0.0;
    if (n % 2 != 0) {
        const double g = C / (1.0 + C);
        num[0][0] = g;
        num[0][1] = -g;
        den[0][0] = 1.0;
        den[0][1] = -(2.0 * g - 1.0);
    } else {
        num[0][0] = den[0][0] = 1.0;
    }
    for (int i = 1; i <= L; ++i) {
        const double c = std::cos((2.0 * i + n - 1) * kPi / (2.0 * n));
        const double D = C * C - 2.0 * C * c + 1.0;
        num[i][0] = C * C / D;
        num[i][1] = -2.0 * C * C / D;
        num[i][2] = C * C / D;
        den[i][0] = 1.0;
        den[i][1] = -2.0 * (C * C - 1.0) / D;
        den[i][2] = (C * C + 1.0 + 2.0 * C * c) / D;
    }
    return L + 1;
}

int DesignButterworthBandPass(double fs, double f1, double f2, int n, Row* num, Row* den) {
    if (n < 0) return 0;
    return BandPassSections(fs, f1, f2, n, false, num, den);
}

bool SectionIsStable(const BiquadSection& s) {
    for (int i = 0; i < model::kCoefficientCount; ++i)
        if (!std::isfinite(s.b[i]) || !std::isfinite(s.a[i])) return false;
    if (s.a[0] == 0.0) return false;
    // Poles of a0 z^2 + a1 z + a2, by the second-order stability triangle.
    const double a1 = s.a[1] / s.a[0], a2 = s.a[2] / s.a[0];
    return std::fabs(a2) < 1.0 && std::fabs(a1) < 1.0 + a2;
}

int DesignCrossover(CrossoverParams& x, CrossoverSections& out) {
    const BiquadSection identity = model::IdentitySection(2);

    if (x.FilterType == model::kFullRange) {
        out.section.fill(identity);
        x.sectionCount = 1;
        return 1;
    }

    const bool lowPass = x.FilterType == model::kLowPass;
    const bool highPass = x.FilterType == model::kHighPass;
    const bool bandPass = x.FilterType == model::kBandPass;
    const bool knownType = lowPass || highPass || bandPass;
    if (x.FilterModel != model::kLinkwitz && x.FilterModel != model::kButterworth) return 0;

    // Values the panel never offers may come from a file or the device: refuse what cannot give
    // a sound filter instead of sending it on.
    if (knownType) {
        const float slope = highPass ? x.HFSlope : x.LFSlope;
        if (!SlopeUsable(slope)) return 0;
        if ((lowPass || bandPass) && !CutoffUsable(x.LPFreq)) return 0;
        if ((highPass || bandPass) && !CutoffUsable(x.HPFreq)) return 0;
        if (bandPass && !(x.LPFreq < x.HPFreq)) return 0;
    }
    const int n = !knownType ? -1 : static_cast<int>((highPass ? x.HFSlope : x.LFSlope) / 6.0f);
    const double lp = x.LPFreq, hp = x.HPFreq;

    CrossoverSections design;
    design.section.fill(identity);
    int count = 0;

    if (x.FilterModel == model::kLinkwitz) {
        for (int i = 0; i < 4; ++i) design.section[i].order = n;
        if (n <= 0) {
            // Nothing to design: identity sections, count 0, and the caller marks nothing dirty.
            out = design;
            x.sectionCount = 0;
            return 0;
        }
        BiquadSection* s = design.section.data();
        int designed = 0;
        switch (n) {
            case 2:
                designed = 1;
                if (lowPass) DesignFirstOrderLowPass(lp, kSampleRate, s);
                else if (highPass) DesignFirstOrderHighPass(hp, kSampleRate, s);
                else DesignBandPass1(lp, hp, kSampleRate, s);
                if (!bandPass) s[0].order = n;
                break;
            case 4:
                if (lowPass) DesignButterworthLowPass2(lp, kSampleRate, s);
                else if (highPass) DesignButterworthHighPass2(hp, kSampleRate, s);
                else DesignBandPass2(lp, hp, kSampleRate, s);
                designed = bandPass ? 2 : 1;
                if (!bandPass) s[0].order = n;
                break;
            case 6:
                if (lowPass) DesignButterworthLowPass3(lp, kSampleRate, s);
                else if (highPass) DesignButterworthHighPass3(hp, kSampleRate, s);
                else DesignBandPass3(lp, hp, kSampleRate, s);
                designed = bandPass ? 3 : 2;
                break;
            case 8:
                if (lowPass) DesignButterworthLowPass4(lp, kSampleRate, s);
                else if (highPass) DesignButterworthHighPass4(hp, kSampleRate, s);
                else DesignBandPass4(lp, hp, kSampleRate, s);
                designed = bandPass ? 4 : 2;
                break;
            default:
                // Odd orders have no Linkwitz-Riley form: the filter passes everything.
                designed = 0;
                break;
        }
        if (designed == 0) {
            count = 2;
        } else {
            // A Linkwitz-Riley filter is the Butterworth filter of half its order, squared.
            for (int i = 0; i < designed; ++i) {
                BiquadSection& copy = s[designed + i];
                const int taps = std::clamp(s[i].order + 1, 0, model::kCoefficientCount);
                for (int j = 0; j < taps; ++j) {
                    copy.b[j] = s[i].b[j];
                    copy.a[j] = s[i].a[j];
                }
                copy.order = s[i].order;
            }
            count = 2 * designed;
        }
    } else {
        Row num[kMaxCrossoverSections], den[kMaxCrossoverSections];
        if (lowPass) count = DesignButterworthLowPass(kSampleRate, lp, n, num, den);
        else if (highPass) count = DesignButterworthHighPass(kSampleRate, hp, n, num, den);
        else if (bandPass) count = DesignButterworthBandPass(kSampleRate, lp, hp, n, num, den);
        if (count < 1) return 0;
        RowsToSections(num, den, 0, count, design.section.data());
    }

    for (int i = 0; i < count; ++i)
        if (!SectionIsStable(design.section[i])) return 0;
    out = design;
    x.sectionCount = count;
    return 1;
}

}  // namespace dsp
