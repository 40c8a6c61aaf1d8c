#include "dsp/signal.h"

#include <cmath>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(DARVIX_FFT_AVX)
#include "dsp/signal_avx.h"
#endif

namespace dsp {
namespace {

int g_errorMode = 0;

// The twiddle factors of every radix-2 stage up to the largest order asked for so far: stage s
// (butterflies of length 2^s) uses w_j = e^(-2 pi i j / 2^s) for j < 2^(s-1), kept
// contiguously from entry 2^(s-1) - 1. The factors of a stage do not depend on the transform's
// length, so a table grown once serves every smaller order. Each entry is computed directly
// (the angle -2 pi / 2^s times j), so it is as exact as std::cos and std::sin.
struct Twiddles {
    int order = 0;
    std::vector<double> c, s;
    std::vector<uint32_t> rev;  // i with its `order` bits reversed
    const double* Cos(int stage) const { return c.data() + ((size_t{1} << (stage - 1)) - 1); }
    const double* Sin(int stage) const { return s.data() + ((size_t{1} << (stage - 1)) - 1); }
    void Grow(int wanted) {
        if (wanted <= order) return;
        c.resize((size_t{1} << wanted) - 1);
        s.resize(c.size());
        for (int stage = order + 1; stage <= wanted; ++stage) {
            const size_t half = size_t{1} << (stage - 1);
            double* wc = c.data() + (half - 1);
            double* ws = s.data() + (half - 1);
            const double step = -2.0 * 3.141592653589793238462643383279502884 / static_cast<double>(half * 2);
            for (size_t j = 0; j < half; ++j) {
                // The quarter point exactly: the first stages then multiply by 1 and -i without error.
                if (4 * j == half * 2) {
                    wc[j] = 0.0;
                    ws[j] = -1.0;
                } else {
                    wc[j] = std::cos(step * static_cast<double>(j));
                    ws[j] = std::sin(step * static_cast<double>(j));
                }
            }
            wc[0] = 1.0;
            ws[0] = 0.0;
        }
        rev.assign(size_t{1} << wanted, 0);
        for (size_t i = 1; i < rev.size(); ++i)
            rev[i] = (rev[i >> 1] >> 1) | static_cast<uint32_t>((i & 1) << (wanted - 1));
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

#if defined(__SSE2__)
using V2 = __m128d;
inline V2 Load(const double* p) { return _mm_loadu_pd(p); }
inline void Store(double* p, V2 v) { _mm_storeu_pd(p, v); }
inline V2 Add(V2 a, V2 b) { return _mm_add_pd(a, b); }
inline V2 Sub(V2 a, V2 b) { return _mm_sub_pd(a, b); }
inline V2 Mul(V2 a, V2 b) { return _mm_mul_pd(a, b); }
#else
struct V2 {
    double lo, hi;
};
inline V2 Load(const double* p) { return {p[0], p[1]}; }
inline void Store(double* p, V2 v) {
    p[0] = v.lo;
    p[1] = v.hi;
}
inline V2 Add(V2 a, V2 b) { return {a.lo + b.lo, a.hi + b.hi}; }
inline V2 Sub(V2 a, V2 b) { return {a.lo - b.lo, a.hi - b.hi}; }
inline V2 Mul(V2 a, V2 b) { return {a.lo * b.lo, a.hi * b.hi}; }
#endif

// One radix-2 butterfly on two lanes: (r0, i0) +- w (r1, i1), w = (c, s).
inline void Butterfly(V2& r0, V2& i0, V2& r1, V2& i1, V2 c, V2 s) {
    const V2 tr = Sub(Mul(c, r1), Mul(s, i1));
    const V2 ti = Add(Mul(c, i1), Mul(s, r1));
    r1 = Sub(r0, tr);
    i1 = Sub(i0, ti);
    r0 = Add(r0, tr);
    i0 = Add(i0, ti);
}

// Stages s and s + 1 (s >= 3) in one pass over the data: each group of four points, h = 2^(s-1)
// apart, goes through both stages' butterflies while in registers. The arithmetic is each
// stage's own, so the values are those of two separate passes.
void TwoStages(double* re, double* im, size_t n, int stage, const Twiddles& table) {
    const size_t h = size_t{1} << (stage - 1);
    const double* c1 = table.Cos(stage);
    const double* s1 = table.Sin(stage);
    const double* c2 = table.Cos(stage + 1);
    const double* s2 = table.Sin(stage + 1);
    for (size_t i = 0; i < n; i += 4 * h) {
        double* ra = re + i;
        double* ia = im + i;
        for (size_t j = 0; j < h; j += 2) {
            V2 ar = Load(ra + j), ai = Load(ia + j);
            V2 br = Load(ra + j + h), bi = Load(ia + j + h);
            V2 cr = Load(ra + j + 2 * h), ci = Load(ia + j + 2 * h);
            V2 dr = Load(ra + j + 3 * h), di = Load(ia + j + 3 * h);
            const V2 w1c = Load(c1 + j), w1s = Load(s1 + j);
            Butterfly(ar, ai, br, bi, w1c, w1s);
            Butterfly(cr, ci, dr, di, w1c, w1s);
            Butterfly(ar, ai, cr, ci, Load(c2 + j), Load(s2 + j));
            Butterfly(br, bi, dr, di, Load(c2 + j + h), Load(s2 + j + h));
            Store(ra + j, ar);
            Store(ia + j, ai);
            Store(ra + j + h, br);
            Store(ia + j + h, bi);
            Store(ra + j + 2 * h, cr);
            Store(ia + j + 2 * h, ci);
            Store(ra + j + 3 * h, dr);
            Store(ia + j + 3 * h, di);
        }
    }
}

// One stage s >= 3 alone.
void OneStage(double* re, double* im, size_t n, int stage, const Twiddles& table) {
    const size_t h = size_t{1} << (stage - 1);
    const double* wc = table.Cos(stage);
    const double* ws = table.Sin(stage);
    for (size_t i = 0; i < n; i += 2 * h) {
        double* ra = re + i;
        double* ia = im + i;
        for (size_t j = 0; j < h; j += 2) {
            V2 ar = Load(ra + j), ai = Load(ia + j);
            V2 br = Load(ra + j + h), bi = Load(ia + j + h);
            Butterfly(ar, ai, br, bi, Load(wc + j), Load(ws + j));
            Store(ra + j, ar);
            Store(ia + j, ai);
            Store(ra + j + h, br);
            Store(ia + j + h, bi);
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

namespace {

// One section's state in BiquadQuad, stepped one sample at a time with IirPass's sums.
struct QuadLane {
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    double Step(const Biquad& q, double in) {
        double acc = q.b0 * in + q.b1 * x1 + q.b2 * x2;
        acc -= q.a2 * y2;
        acc -= q.a1 * y1;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = acc;
        return acc;
    }
};

// The steps s of BiquadQuad in [from, to) one lane at a time: section g works on sample
// s - g * kQuadSkew when that lies in the block.
void QuadScalarSteps(const Biquad q[4], QuadLane lanes[4], const double* src, double* dst, int n, int from,
                     int to) {
    for (int s = from; s < to; ++s) {
        for (int g = 0; g < 4; ++g) {
            const int t = s - g * kQuadSkew;
            if (t < 0 || t >= n) continue;
            dst[t] = lanes[g].Step(q[g], g == 0 ? src[t] : dst[t]);
        }
    }
}

}  // namespace

void BiquadQuad(const Biquad q[4], const double* src, double* dst, int n) {
    if (!q || !src || !dst || n <= 0) return;
    constexpr int kDepth = 3 * kQuadSkew;  // the last section's lag behind the first
    QuadLane lanes[4];
    // Every step from kDepth to n - 1 has all four sections inside the block.
    const int fullFrom = kDepth, fullTo = n;
    if (fullTo <= fullFrom) {
        QuadScalarSteps(q, lanes, src, dst, n, 0, n + kDepth);
        return;
    }
    QuadScalarSteps(q, lanes, src, dst, n, 0, fullFrom);
#if defined(__SSE2__)
    // Sections 0 and 1 in register A (low and high lane), 2 and 3 in B; the same products and
    // sums per lane as QuadLane::Step.
    const __m128d b0A = _mm_set_pd(q[1].b0, q[0].b0), b1A = _mm_set_pd(q[1].b1, q[0].b1),
                  b2A = _mm_set_pd(q[1].b2, q[0].b2), a1A = _mm_set_pd(q[1].a1, q[0].a1),
                  a2A = _mm_set_pd(q[1].a2, q[0].a2);
    const __m128d b0B = _mm_set_pd(q[3].b0, q[2].b0), b1B = _mm_set_pd(q[3].b1, q[2].b1),
                  b2B = _mm_set_pd(q[3].b2, q[2].b2), a1B = _mm_set_pd(q[3].a1, q[2].a1),
                  a2B = _mm_set_pd(q[3].a2, q[2].a2);
    __m128d x1A = _mm_set_pd(lanes[1].x1, lanes[0].x1), x2A = _mm_set_pd(lanes[1].x2, lanes[0].x2);
    __m128d y1A = _mm_set_pd(lanes[1].y1, lanes[0].y1), y2A = _mm_set_pd(lanes[1].y2, lanes[0].y2);
    __m128d x1B = _mm_set_pd(lanes[3].x1, lanes[2].x1), x2B = _mm_set_pd(lanes[3].x2, lanes[2].x2);
    __m128d y1B = _mm_set_pd(lanes[3].y1, lanes[2].y1), y2B = _mm_set_pd(lanes[3].y2, lanes[2].y2);
    for (int s = fullFrom; s < fullTo; ++s) {
        double* d1 = dst + (s - kQuadSkew);
        double* d2 = dst + (s - 2 * kQuadSkew);
        double* d3 = dst + (s - 3 * kQuadSkew);
        const __m128d inA = _mm_loadh_pd(_mm_load_sd(src + s), d1);
        const __m128d inB = _mm_loadh_pd(_mm_load_sd(d2), d3);
        __m128d accA = _mm_add_pd(_mm_add_pd(_mm_mul_pd(b0A, inA), _mm_mul_pd(b1A, x1A)), _mm_mul_pd(b2A, x2A));
        __m128d accB = _mm_add_pd(_mm_add_pd(_mm_mul_pd(b0B, inB), _mm_mul_pd(b1B, x1B)), _mm_mul_pd(b2B, x2B));
        accA = _mm_sub_pd(accA, _mm_mul_pd(a2A, y2A));
        accB = _mm_sub_pd(accB, _mm_mul_pd(a2B, y2B));
        accA = _mm_sub_pd(accA, _mm_mul_pd(a1A, y1A));
        accB = _mm_sub_pd(accB, _mm_mul_pd(a1B, y1B));
        _mm_store_sd(dst + s, accA);
        _mm_storeh_pd(d1, accA);
        _mm_store_sd(d2, accB);
        _mm_storeh_pd(d3, accB);
        x2A = x1A;
        x1A = inA;
        y2A = y1A;
        y1A = accA;
        x2B = x1B;
        x1B = inB;
        y2B = y1B;
        y1B = accB;
    }
    double lo[2], hi[2];
    auto unpack = [&](__m128d a, __m128d b, double QuadLane::*field) {
        _mm_storeu_pd(lo, a);
        _mm_storeu_pd(hi, b);
        lanes[0].*field = lo[0];
        lanes[1].*field = lo[1];
        lanes[2].*field = hi[0];
        lanes[3].*field = hi[1];
    };
    unpack(x1A, x1B, &QuadLane::x1);
    unpack(x2A, x2B, &QuadLane::x2);
    unpack(y1A, y1B, &QuadLane::y1);
    unpack(y2A, y2B, &QuadLane::y2);
#else
    QuadScalarSteps(q, lanes, src, dst, n, fullFrom, fullTo);
#endif
    QuadScalarSteps(q, lanes, src, dst, n, fullTo, n + kDepth);
}

namespace {

// Stages 1 and 2 (lengths 2 and 4: they multiply by 1 and -i only) on four points already in
// bit-reversed order, written to re/im[0..3].
inline void FirstStages(double r0, double i0, double r1, double i1, double r2, double i2, double r3, double i3,
                        double* re, double* im) {
    const double ar = r0 + r1, ai = i0 + i1, br = r0 - r1, bi = i0 - i1;
    const double cr = r2 + r3, ci = i2 + i3;
    // (dr + i di) (-i) = di - i dr
    const double dr = i2 - i3, di = -(r2 - r3);
    re[0] = ar + cr;
    im[0] = ai + ci;
    re[2] = ar - cr;
    im[2] = ai - ci;
    re[1] = br + dr;
    im[1] = bi + di;
    re[3] = br - dr;
    im[3] = bi - di;
}

bool ProcessorHasAvx() {
#if defined(DARVIX_FFT_AVX)
    __builtin_cpu_init();  // may run before the runtime's own initialisation
    return __builtin_cpu_supports("avx");
#else
    return false;
#endif
}

// Chosen once from the processor; a test or the benchmark may force the SSE2 stages.
FftKernel g_kernel = ProcessorHasAvx() ? FftKernel::Avx : FftKernel::Sse2;

// Stages 3 .. order over data that has been through the first two.
void LaterStages(double* re, double* im, size_t n, int order, const Twiddles& table) {
    int stage = 3;
#if defined(DARVIX_FFT_AVX)
    if (g_kernel == FftKernel::Avx) {
        // Stage 3 has four butterflies per group: a whole register.
        for (; stage + 1 <= order; stage += 2)
            avx::TwoStages(re, im, n, size_t{1} << (stage - 1), table.Cos(stage), table.Sin(stage),
                           table.Cos(stage + 1), table.Sin(stage + 1));
        if (stage <= order) avx::OneStage(re, im, n, size_t{1} << (stage - 1), table.Cos(stage), table.Sin(stage));
        return;
    }
#endif
    for (; stage + 1 <= order; stage += 2) TwoStages(re, im, n, stage, table);
    if (stage <= order) OneStage(re, im, n, stage, table);
}

// The transform of (inRe + i inIm) (inIm null: zeros) into re, im; order 2 or more. The input
// is read in bit-reversed order straight into the first stages, so no pass reorders the data.
void Gathered(const double* inRe, const double* inIm, size_t step, double* re, double* im, int order,
              const Twiddles& table) {
    const size_t n = size_t{1} << order;
    const uint32_t* rev = table.rev.data();
    const int shift = table.order - order;
#if defined(__SSE2__)
    if (order >= 3) {
        // Outputs 8u .. 8u + 7 (two groups of four) read the inputs r + {0, n/2, n/4, 3n/4} and
        // r + n/8 + the same, where r is u with its order - 3 bits reversed. Walking r upwards
        // reads eight steady streams and writes whole groups; the butterflies are FirstStages',
        // the low lanes for the first group and the high lanes for the second.
        const size_t eighth = n / 8, quarter = n / 4, halfN = n / 2;
        const int shiftU = shift + 3;
#if defined(DARVIX_FFT_AVX)
        // Four r at a time (eighth a multiple of four); the same outputs, bit for bit.
        if (g_kernel == FftKernel::Avx && order >= 5 && (step == 1 || (step == 2 && inIm == inRe + 1))) {
            avx::Gather(inRe, inIm, step == 2, re, im, n, rev, shiftU);
            LaterStages(re, im, n, order, table);
            return;
        }
#endif
        const V2 zero = _mm_setzero_pd();
        auto pair = [&](const double* in, size_t at) {
            return in ? _mm_loadh_pd(_mm_load_sd(in + at * step), in + (at + eighth) * step) : zero;
        };
        for (size_t r = 0; r < eighth; ++r) {
            const size_t u = rev[r] >> shiftU;
            const V2 r0 = pair(inRe, r), r1 = pair(inRe, r + halfN), r2 = pair(inRe, r + quarter),
                     r3 = pair(inRe, r + quarter + halfN);
            const V2 i0 = pair(inIm, r), i1 = pair(inIm, r + halfN), i2 = pair(inIm, r + quarter),
                     i3 = pair(inIm, r + quarter + halfN);
            const V2 ar = Add(r0, r1), ai = Add(i0, i1), br = Sub(r0, r1), bi = Sub(i0, i1);
            const V2 cr = Add(r2, r3), ci = Add(i2, i3);
            const V2 dr = Sub(i2, i3), di = Sub(zero, Sub(r2, r3));
            const V2 o0r = Add(ar, cr), o0i = Add(ai, ci), o2r = Sub(ar, cr), o2i = Sub(ai, ci);
            const V2 o1r = Add(br, dr), o1i = Add(bi, di), o3r = Sub(br, dr), o3i = Sub(bi, di);
            double* ro = re + 8 * u;
            double* io = im + 8 * u;
            Store(ro, _mm_unpacklo_pd(o0r, o1r));
            Store(ro + 2, _mm_unpacklo_pd(o2r, o3r));
            Store(ro + 4, _mm_unpackhi_pd(o0r, o1r));
            Store(ro + 6, _mm_unpackhi_pd(o2r, o3r));
            Store(io, _mm_unpacklo_pd(o0i, o1i));
            Store(io + 2, _mm_unpacklo_pd(o2i, o3i));
            Store(io + 4, _mm_unpackhi_pd(o0i, o1i));
            Store(io + 6, _mm_unpackhi_pd(o2i, o3i));
        }
        LaterStages(re, im, n, order, table);
        return;
    }
#endif
    for (size_t i = 0; i < n; i += 4) {
        const size_t a = rev[i] >> shift, b = rev[i + 1] >> shift, c = rev[i + 2] >> shift, d = rev[i + 3] >> shift;
        FirstStages(inRe[a * step], inIm ? inIm[a * step] : 0.0, inRe[b * step], inIm ? inIm[b * step] : 0.0,
                    inRe[c * step], inIm ? inIm[c * step] : 0.0, inRe[d * step], inIm ? inIm[d * step] : 0.0,
                    re + i, im + i);
    }
    LaterStages(re, im, n, order, table);
}

}  // namespace

bool FftKernelAvailable(FftKernel kernel) { return kernel == FftKernel::Sse2 || ProcessorHasAvx(); }

bool UseFftKernel(FftKernel kernel) {
    if (!FftKernelAvailable(kernel)) return false;
    g_kernel = kernel;
    return true;
}

FftKernel CurrentFftKernel() { return g_kernel; }

bool Fft(double* re, double* im, int order) {
    if (!re || !im || order < 0 || order > kMaxFftOrder) return false;
    if (order == 0) return true;
    const size_t n = size_t{1} << order;
    Twiddles& table = Table();
    table.Grow(order);
    BitReverse(re, im, n);
    if (order == 1) {
        const double ar = re[0], ai = im[0], br = re[1], bi = im[1];
        re[0] = ar + br;
        im[0] = ai + bi;
        re[1] = ar - br;
        im[1] = ai - bi;
        return true;
    }
    for (size_t i = 0; i < n; i += 4)
        FirstStages(re[i], im[i], re[i + 1], im[i + 1], re[i + 2], im[i + 2], re[i + 3], im[i + 3], re + i, im + i);
    LaterStages(re, im, n, order, table);
    return true;
}

bool FftFrom(const double* inRe, const double* inIm, double* re, double* im, int order) {
    if (!inRe || !re || !im || order < 0 || order > kMaxFftOrder) return false;
    if (order < 2) {
        const size_t n = size_t{1} << order;
        for (size_t i = 0; i < n; ++i) {
            re[i] = inRe[i];
            im[i] = inIm ? inIm[i] : 0.0;
        }
        return Fft(re, im, order);
    }
    Twiddles& table = Table();
    table.Grow(order);
    Gathered(inRe, inIm, 1, re, im, order, table);
    return true;
}

bool RealFft(const double* x, double* re, double* im, int order) {
    if (!x || !re || !im || order < 1 || order > kMaxFftOrder) return false;
    const size_t half = size_t{1} << (order - 1);
    Twiddles& table = Table();
    table.Grow(order);
    // The half-length transform of the even samples as real parts and the odd ones as
    // imaginary parts.
    if (order >= 3) {
        Gathered(x, x + 1, 2, re, im, order - 1, table);
    } else {
        for (size_t k = 0; k < half; ++k) {
            re[k] = x[2 * k];
            im[k] = x[2 * k + 1];
        }
        Fft(re, im, order - 1);
    }
    const double* wc = table.Cos(order);
    const double* ws = table.Sin(order);
    // Z = the half-length transform; bin k and bin half - k come from Z[k] and Z[half - k]:
    // E = (Z[k] + conj Z[half-k]) / 2, O = (Z[k] - conj Z[half-k]) / 2i, with W = e^(-2 pi i k / N)
    // X[k] = E + W O and X[half - k] = conj(E - W O).
    const double z0r = re[0], z0i = im[0];
    re[0] = z0r + z0i;
    im[0] = 0.0;
    re[half] = z0r - z0i;
    im[half] = 0.0;
    size_t k = 1;
#if defined(__SSE2__)
    // Bins k, k + 1 and half - k, half - k - 1 together while the two pairs are apart; the same
    // operations per lane as below (the high half read and written with its lanes swapped).
    const V2 halfV = _mm_set1_pd(0.5), minusHalf = _mm_set1_pd(-0.5), sign = _mm_set1_pd(-0.0);
    for (; 2 * (k + 1) < half; k += 2) {  // k + 1 < half - (k + 1)
        const size_t m = half - k - 1;  // the pair m, m + 1 mirrors k + 1, k
        const V2 zr = Load(re + k), zi = Load(im + k);
        const V2 wr = _mm_shuffle_pd(Load(re + m), Load(re + m), 1), wi = _mm_shuffle_pd(Load(im + m), Load(im + m), 1);
        const V2 er = Mul(halfV, Add(zr, wr)), ei = Mul(halfV, Sub(zi, wi));
        const V2 orr = Mul(halfV, Add(zi, wi)), oi = Mul(minusHalf, Sub(zr, wr));
        const V2 c = Load(wc + k), sn = Load(ws + k);
        const V2 tr = Sub(Mul(c, orr), Mul(sn, oi)), ti = Add(Mul(c, oi), Mul(sn, orr));
        Store(re + k, Add(er, tr));
        Store(im + k, Add(ei, ti));
        const V2 hr = Sub(er, tr), hi = _mm_xor_pd(Sub(ei, ti), sign);
        Store(re + m, _mm_shuffle_pd(hr, hr, 1));
        Store(im + m, _mm_shuffle_pd(hi, hi, 1));
    }
#endif
    for (; k <= half / 2; ++k) {
        const size_t m = half - k;
        const double zr = re[k], zi = im[k], wr = re[m], wi = im[m];
        const double er = 0.5 * (zr + wr), ei = 0.5 * (zi - wi);
        const double orr = 0.5 * (zi + wi), oi = -0.5 * (zr - wr);
        const double c = wc[k], s = ws[k];
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
    int i = 0;
#if defined(__SSE2__)
    // Two bins at a time: the same correctly rounded products, sum and square root.
    for (; i + 2 <= n; i += 2) {
        const __m128d r = _mm_loadu_pd(re + i), m = _mm_loadu_pd(im + i);
        _mm_storeu_pd(mag + i, _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(r, r), _mm_mul_pd(m, m))));
    }
#endif
    for (; i < n; ++i) mag[i] = std::sqrt(re[i] * re[i] + im[i] * im[i]);
}

}  // namespace dsp
