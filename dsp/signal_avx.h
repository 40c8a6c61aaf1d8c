// The FFT's butterfly stages with 256-bit registers (four lanes of one stage's butterflies), for
// processors that have AVX. Built from a source file of its own compiled for AVX; the caller
// checks the processor before calling. The arithmetic per lane is the SSE2 stages' (no fused
// multiply-add), so both give the same bits.
#pragma once

#include <cstddef>

namespace dsp {
namespace avx {

// Stages of half-length h and 2h in one pass (h >= 4): c1/s1 the first stage's twiddles
// (h of them), c2/s2 the second's (2h).
void TwoStages(double* re, double* im, size_t n, size_t h, const double* c1, const double* s1, const double* c2,
               const double* s2);
// One stage of half-length h >= 4.
void OneStage(double* re, double* im, size_t n, size_t h, const double* c, const double* s);

}  // namespace avx
}  // namespace dsp
