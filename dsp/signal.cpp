#include "dsp/signal.h"

#include <cmath>
#include <vector>

namespace dsp {
namespace {

int g_errorMode = 0;

// cos and sin of -2 pi k / N for k < N / 2 of the largest N asked for so far; a smaller transform
// reads every (N / size)-th entry. Each entry is computed directly, so the table is as exact as
// std::cos and std::sin whatever its size.
struct Twiddles {
    int order = -1;
    std::vector<double> c, s;
    void Grow(int wanted) {
        if (wanted <= order) return;
        const size_t half = size_t{1} << (wanted > 0 ? wanted - 1 : 0);
        c.resize(half);
        s.resize(half);
        const double step = -2.0 * 3.141592653589793238462643383279502884 / static_cast<double>(half * 2);
        for (size_t k = 0; k < half; ++k) {
            // The quarter points exactly: the first stages then multiply by 1 and -i without error.
            if (4 * k == half * 2) {
                c[k] = 0.0;
                s[k] = -1.0;
            } else {
                c[k] = std::cos(step * static_cast<double>(k));
                s[k] = std::sin(step * static_cast<double>(k));
            }
        }
        c[0] = 1.0;
        s[0] = 0.0;
        order = wanted;
    }
};

Twiddles& Table() {
    thread_local Twiddles table;
    return table;
}

void BitReverse(double* re, double* im, size_t n) {
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
}

}  // namespace

int GetErrorMode() { return g_errorMode; }
void SetErrorMode(int mode) { g_errorMode = mode; }

bool IirSectionUsable(const double* b, const double* a, int order) {
    if (!b || !a || order < 0 || order > kMaxIirOrder) return false;
    if (a[0] == 0.0) return false;
    for (int j = 0; j <= order; ++j)
        if (!std::isfinite(b[j]) || !std::isfinite(a[j])) return false;
    return true;
}

bool IirPass(const double* b, const double* a, int order, const double* in, double* out, int n) {
    if (!in || !out || n < 0 || !IirSectionUsable(b, a, order)) return false;
    // Coefficients divided by a0 once; a section whose b equals its a then passes an impulse
    // bit for bit (every later sample is an exact difference of equal products).
    double nb[kMaxIirOrder + 1], na[kMaxIirOrder + 1];
    for (int j = 0; j <= order; ++j) {
        nb[j] = b[j] / a[0];
        na[j] = a[j] / a[0];
    }
    // Every order sums the same way: the feed-forward terms from j = 0 up, then the feedback
    // terms subtracted from the highest down, so that y[t-1]'s product comes last (the shortest
    // dependency from one sample to the next).
    if (order == 2) {
        const double b0 = nb[0], b1 = nb[1], b2 = nb[2], a1 = na[1], a2 = na[2];
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
        for (int t = 0; t < n; ++t) {
            const double x0 = in[t];
            double acc = b0 * x0 + b1 * x1 + b2 * x2;
            acc -= a2 * y2;
            acc -= a1 * y1;
            out[t] = acc;
            x2 = x1;
            x1 = x0;
            y2 = y1;
            y1 = acc;
        }
        return true;
    }
    if (order == 1) {
        const double b0 = nb[0], b1 = nb[1], a1 = na[1];
        double x1 = 0.0, y1 = 0.0;
        for (int t = 0; t < n; ++t) {
            const double x0 = in[t];
            double acc = b0 * x0 + b1 * x1;
            acc -= a1 * y1;
            out[t] = acc;
            x1 = x0;
            y1 = acc;
        }
        return true;
    }
    // x[j] and y[j] hold the input and output j samples back (index 0 unused for y).
    double x[kMaxIirOrder + 1] = {}, y[kMaxIirOrder + 1] = {};
    for (int t = 0; t < n; ++t) {
        for (int j = order; j > 0; --j) x[j] = x[j - 1];
        x[0] = in[t];
        double acc = nb[0] * x[0];
        for (int j = 1; j <= order; ++j) acc += nb[j] * x[j];
        for (int j = order; j >= 1; --j) acc -= na[j] * y[j];
        out[t] = acc;
        for (int j = order; j > 1; --j) y[j] = y[j - 1];
        if (order >= 1) y[1] = acc;
    }
    return true;
}

bool MakeBiquad(const double* b, const double* a, int order, Biquad& q) {
    if (!IirSectionUsable(b, a, order)) return false;
    for (int j = 3; j <= order; ++j)
        if (b[j] != 0.0 || a[j] != 0.0) return false;
    const double a0 = a[0];
    q.b0 = b[0] / a0;
    q.b1 = order >= 1 ? b[1] / a0 : 0.0;
    q.b2 = order >= 2 ? b[2] / a0 : 0.0;
    q.a1 = order >= 1 ? a[1] / a0 : 0.0;
    q.a2 = order >= 2 ? a[2] / a0 : 0.0;
    return true;
}

void BiquadPair(const Biquad& f, const Biquad& s, double* x, int n) {
    if (!x || n <= 0) return;
    // The same sums as IirPass's second order, for both sections.
    double fx1 = 0.0, fx2 = 0.0, fy1 = 0.0, fy2 = 0.0;
    double sx1 = 0.0, sx2 = 0.0, sy1 = 0.0, sy2 = 0.0;
    double pending = 0.0;  // the first section's output one sample back
    for (int t = 0; t < n; ++t) {
        const double in = x[t];
        double fa = f.b0 * in + f.b1 * fx1 + f.b2 * fx2;
        fa -= f.a2 * fy2;
        fa -= f.a1 * fy1;
        fx2 = fx1;
        fx1 = in;
        fy2 = fy1;
        fy1 = fa;
        if (t > 0) {
            double sa = s.b0 * pending + s.b1 * sx1 + s.b2 * sx2;
            sa -= s.a2 * sy2;
            sa -= s.a1 * sy1;
            sx2 = sx1;
            sx1 = pending;
            sy2 = sy1;
            sy1 = sa;
            x[t - 1] = sa;
        }
        pending = fa;
    }
    double sa = s.b0 * pending + s.b1 * sx1 + s.b2 * sx2;
    sa -= s.a2 * sy2;
    sa -= s.a1 * sy1;
    x[n - 1] = sa;
}

bool Fft(double* re, double* im, int order) {
    if (!re || !im || order < 0 || order > kMaxFftOrder) return false;
    if (order == 0) return true;
    const size_t n = size_t{1} << order;
    Twiddles& table = Table();
    table.Grow(order);
    BitReverse(re, im, n);

    // Lengths 2 and 4 multiply by 1 and -i only.
    for (size_t i = 0; i < n; i += 2) {
        const double ar = re[i], ai = im[i], br = re[i + 1], bi = im[i + 1];
        re[i] = ar + br;
        im[i] = ai + bi;
        re[i + 1] = ar - br;
        im[i + 1] = ai - bi;
    }
    if (order >= 2) {
        for (size_t i = 0; i < n; i += 4) {
            double ar = re[i], ai = im[i], br = re[i + 2], bi = im[i + 2];
            re[i] = ar + br;
            im[i] = ai + bi;
            re[i + 2] = ar - br;
            im[i + 2] = ai - bi;
            // (br + i bi) (-i) = bi - i br
            ar = re[i + 1];
            ai = im[i + 1];
            br = im[i + 3];
            bi = -re[i + 3];
            re[i + 1] = ar + br;
            im[i + 1] = ai + bi;
            re[i + 3] = ar - br;
            im[i + 3] = ai - bi;
        }
    }
    const double* wc = table.c.data();
    const double* ws = table.s.data();
    for (int stage = 3; stage <= order; ++stage) {
        const size_t len = size_t{1} << stage, half = len >> 1;
        const size_t stride = size_t{1} << (table.order - stage);
        for (size_t i = 0; i < n; i += len) {
            double* r0 = re + i;
            double* i0 = im + i;
            double* r1 = r0 + half;
            double* i1 = i0 + half;
            for (size_t j = 0; j < half; ++j) {
                const double c = wc[j * stride], s = ws[j * stride];
                const double tr = c * r1[j] - s * i1[j];
                const double ti = c * i1[j] + s * r1[j];
                r1[j] = r0[j] - tr;
                i1[j] = i0[j] - ti;
                r0[j] += tr;
                i0[j] += ti;
            }
        }
    }
    return true;
}

bool RealFft(double* re, double* im, int order) {
    if (!re || !im || order < 1 || order > kMaxFftOrder) return false;
    const size_t half = size_t{1} << (order - 1);
    // Even samples as the real parts, odd ones as the imaginary parts.
    for (size_t k = 0; k < half; ++k) {
        im[k] = re[2 * k + 1];
        re[k] = re[2 * k];
    }
    Fft(re, im, order - 1);
    Twiddles& table = Table();
    table.Grow(order);
    const size_t stride = size_t{1} << (table.order - order);
    // Z = the half-length transform; bin k and bin half - k come from Z[k] and Z[half - k]:
    // E = (Z[k] + conj Z[half-k]) / 2, O = (Z[k] - conj Z[half-k]) / 2i, with W = e^(-2 pi i k / N)
    // X[k] = E + W O and X[half - k] = conj(E - W O).
    const double z0r = re[0], z0i = im[0];
    re[0] = z0r + z0i;
    im[0] = 0.0;
    re[half] = z0r - z0i;
    im[half] = 0.0;
    for (size_t k = 1; k <= half / 2; ++k) {
        const size_t m = half - k;
        const double zr = re[k], zi = im[k], wr = re[m], wi = im[m];
        const double er = 0.5 * (zr + wr), ei = 0.5 * (zi - wi);
        const double orr = 0.5 * (zi + wi), oi = -0.5 * (zr - wr);
        const double c = table.c[k * stride], s = table.s[k * stride];
        const double tr = c * orr - s * oi, ti = c * oi + s * orr;
        re[k] = er + tr;
        im[k] = ei + ti;
        re[m] = er - tr;
        im[m] = -(ei - ti);
    }
    return true;
}

void Magnitudes(const double* re, const double* im, double* mag, int n) {
    if (!re || !im || !mag) return;
    for (int i = 0; i < n; ++i) mag[i] = std::sqrt(re[i] * re[i] + im[i] * im[i]);
}

}  // namespace dsp
