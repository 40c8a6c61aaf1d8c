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

}  // namespace avx
}  // namespace dsp
