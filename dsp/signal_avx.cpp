#include "dsp/signal_avx.h"

#include <immintrin.h>

namespace dsp {
namespace avx {
namespace {

// Only unaligned loads and stores of the caller's arrays; the Windows build also has the
// assembler turn any aligned move the compiler emits for a register spill into an unaligned one
// (its stack is aligned to 16 bytes only).
using V4 = __m256d;
inline V4 Load(const double* p) { return _mm256_loadu_pd(p); }
inline void Store(double* p, V4 v) { _mm256_storeu_pd(p, v); }

// (r0, i0) +- w (r1, i1), w = (c, s): the products and sums of the SSE2 butterfly, per lane.
inline void Butterfly(V4& r0, V4& i0, V4& r1, V4& i1, V4 c, V4 s) {
    const V4 tr = _mm256_sub_pd(_mm256_mul_pd(c, r1), _mm256_mul_pd(s, i1));
    const V4 ti = _mm256_add_pd(_mm256_mul_pd(c, i1), _mm256_mul_pd(s, r1));
    r1 = _mm256_sub_pd(r0, tr);
    i1 = _mm256_sub_pd(i0, ti);
    r0 = _mm256_add_pd(r0, tr);
    i0 = _mm256_add_pd(i0, ti);
}

}  // namespace

void TwoStages(double* re, double* im, size_t n, size_t h, const double* c1, const double* s1, const double* c2,
               const double* s2) {
    for (size_t i = 0; i < n; i += 4 * h) {
        double* ra = re + i;
        double* ia = im + i;
        for (size_t j = 0; j < h; j += 4) {
            V4 ar = Load(ra + j), ai = Load(ia + j);
            V4 br = Load(ra + j + h), bi = Load(ia + j + h);
            V4 cr = Load(ra + j + 2 * h), ci = Load(ia + j + 2 * h);
            V4 dr = Load(ra + j + 3 * h), di = Load(ia + j + 3 * h);
            const V4 w1c = Load(c1 + j), w1s = Load(s1 + j);
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

void OneStage(double* re, double* im, size_t n, size_t h, const double* c, const double* s) {
    for (size_t i = 0; i < n; i += 2 * h) {
        double* ra = re + i;
        double* ia = im + i;
        for (size_t j = 0; j < h; j += 4) {
            V4 ar = Load(ra + j), ai = Load(ia + j);
            V4 br = Load(ra + j + h), bi = Load(ia + j + h);
            Butterfly(ar, ai, br, bi, Load(c + j), Load(s + j));
            Store(ra + j, ar);
            Store(ia + j, ai);
            Store(ra + j + h, br);
            Store(ia + j + h, bi);
        }
    }
}

namespace {

// Inputs at .. at + 3 into re and im lanes; the lanes hold at + order[lane].
inline void Read(const double* inRe, const double* inIm, bool interleaved, size_t at, V4& re, V4& im) {
    if (interleaved) {
        // [x0 x1 x2 x3] and [x4 x5 x6 x7]: lanes at, at + 2, at + 1, at + 3.
        const V4 a = Load(inRe + 2 * at), b = Load(inRe + 2 * at + 4);
        re = _mm256_unpacklo_pd(a, b);
        im = _mm256_unpackhi_pd(a, b);
    } else {
        re = Load(inRe + at);
        im = inIm ? Load(inIm + at) : _mm256_setzero_pd();
    }
}

// Lanes [a b c d] of four registers w, x, y, z turned into four registers per lane, each
// [w x y z] of that lane.
inline void Transpose(V4 w, V4 x, V4 y, V4 z, V4 out[4]) {
    const V4 t0 = _mm256_unpacklo_pd(w, x), t1 = _mm256_unpackhi_pd(w, x);
    const V4 t2 = _mm256_unpacklo_pd(y, z), t3 = _mm256_unpackhi_pd(y, z);
    out[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    out[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    out[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    out[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// Stages 1 and 2 on four points per lane, with the SSE2 gather's operations; outputs o0..o3.
inline void FirstStages(V4 r0, V4 i0, V4 r1, V4 i1, V4 r2, V4 i2, V4 r3, V4 i3, V4 outR[4], V4 outI[4]) {
    const V4 zero = _mm256_setzero_pd();
    const V4 ar = _mm256_add_pd(r0, r1), ai = _mm256_add_pd(i0, i1), br = _mm256_sub_pd(r0, r1),
             bi = _mm256_sub_pd(i0, i1);
    const V4 cr = _mm256_add_pd(r2, r3), ci = _mm256_add_pd(i2, i3);
    const V4 dr = _mm256_sub_pd(i2, i3), di = _mm256_sub_pd(zero, _mm256_sub_pd(r2, r3));
    Transpose(_mm256_add_pd(ar, cr), _mm256_add_pd(br, dr), _mm256_sub_pd(ar, cr), _mm256_sub_pd(br, dr), outR);
    Transpose(_mm256_add_pd(ai, ci), _mm256_add_pd(bi, di), _mm256_sub_pd(ai, ci), _mm256_sub_pd(bi, di), outI);
}

}  // namespace

void Gather(const double* inRe, const double* inIm, bool interleaved, double* re, double* im, size_t n,
            const uint32_t* rev, int shift) {
    const size_t eighth = n / 8, quarter = n / 4, halfN = n / 2;
    const size_t lane[4] = {0, interleaved ? 2u : 1u, interleaved ? 1u : 2u, 3};
    for (size_t r = 0; r < eighth; r += 4) {
        V4 aR[4], aI[4], bR[4], bI[4];
        {
            V4 r0, i0, r1, i1, r2, i2, r3, i3;
            Read(inRe, inIm, interleaved, r, r0, i0);
            Read(inRe, inIm, interleaved, r + halfN, r1, i1);
            Read(inRe, inIm, interleaved, r + quarter, r2, i2);
            Read(inRe, inIm, interleaved, r + quarter + halfN, r3, i3);
            FirstStages(r0, i0, r1, i1, r2, i2, r3, i3, aR, aI);
        }
        {
            V4 r0, i0, r1, i1, r2, i2, r3, i3;
            Read(inRe, inIm, interleaved, r + eighth, r0, i0);
            Read(inRe, inIm, interleaved, r + eighth + halfN, r1, i1);
            Read(inRe, inIm, interleaved, r + eighth + quarter, r2, i2);
            Read(inRe, inIm, interleaved, r + eighth + quarter + halfN, r3, i3);
            FirstStages(r0, i0, r1, i1, r2, i2, r3, i3, bR, bI);
        }
        for (int l = 0; l < 4; ++l) {
            const size_t at = 8 * static_cast<size_t>(rev[r + lane[l]] >> shift);
            Store(re + at, aR[l]);
            Store(re + at + 4, bR[l]);
            Store(im + at, aI[l]);
            Store(im + at + 4, bI[l]);
        }
    }
}

}  // namespace avx
}  // namespace dsp
