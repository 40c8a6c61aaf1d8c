// The FFT's butterfly stages with 256-bit registers (four lanes of one stage's butterflies), for
// processors that have AVX. Built from a source file of its own compiled for AVX; the caller
// checks the processor before calling. The arithmetic per lane is the SSE2 stages' (no fused
// multiply-add), so both give the same bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dsp {
namespace avx {

// Stages of half-length h and 2h in one pass (h >= 4): c1/s1 the first stage's twiddles
// (h of them), c2/s2 the second's (2h).
void TwoStages(double* re, double* im, size_t n, size_t h, const double* c1, const double* s1, const double* c2,
               const double* s2);
// One stage of half-length h >= 4.
void OneStage(double* re, double* im, size_t n, size_t h, const double* c, const double* s);

// The first two stages of an n-point transform (n >= 32) read in bit-reversed order, as the SSE2
// gather does it: outputs 8u .. 8u + 7 from inputs r + {0, n/2, n/4, 3n/4} and r + n/8 + the
// same, u = rev[r] >> shift. Four consecutive r at a time, so that each input line is read once.
// Input t is (inRe[t], inIm[t]) (inIm null: zeros), or with interleaved, (inRe[2t], inRe[2t + 1]).
void Gather(const double* inRe, const double* inIm, bool interleaved, double* re, double* im, size_t n,
            const uint32_t* rev, int shift);

}  // namespace avx
}  // namespace dsp
