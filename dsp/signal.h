// The response chart's signal layer: a direct-form IIR pass, a complex FFT and magnitudes, all in
// double precision. Portable and allocation-free on the caller's buffers.
#pragma once

#include <cstdint>

namespace dsp {

// The chart's error-mode word. The chart sets 2 (report nothing, carry on) while it exists and
// restores the previous word when it goes; the signal functions never fail loudly whatever it is.
int GetErrorMode();
void SetErrorMode(int mode);

constexpr int kMaxIirOrder = 8;

// True when a section of this order and these coefficients (b[0..order], a[0..order]) can be run:
// 0 <= order <= kMaxIirOrder, a[0] != 0 and every coefficient finite.
bool IirSectionUsable(const double* b, const double* a, int order);

// One IIR section over n samples from zero initial state:
//   y[t] * a0 = sum_{j=0..order} b[j] x[t-j] - sum_{j=1..order} a[j] y[t-j].
// in and out may be the same block. A section that is not usable (see above), null blocks or a
// negative n leave out untouched and return false.
bool IirPass(const double* b, const double* a, int order, const double* in, double* out, int n);

// One section as IirPass runs it: coefficients divided by a0, order 0..2 (higher taps zero).
struct Biquad {
    double b0, b1, b2, a1, a2;
};
// False (and q unchanged) for a section IirPass refuses or one with a nonzero tap above 2.
bool MakeBiquad(const double* b, const double* a, int order, Biquad& q);
// Two such sections one after the other over the block, in place, as two IirPass calls give it
// (up to the sign of zero samples): the second runs one sample behind the first, so that the
// two recurrences overlap.
void BiquadPair(const Biquad& first, const Biquad& second, double* x, int n);
// Four such sections one after the other, from src into dst (src may be dst), as four IirPass
// calls give it (up to the sign of zero samples). Each section runs kQuadSkew samples behind the
// one before it and two sections share an SSE2 register, so that four recurrences overlap.
constexpr int kQuadSkew = 4;
void BiquadQuad(const Biquad q[4], const double* src, double* dst, int n);

// Forward complex FFT of 2^order points, in place, unscaled: X[k] = sum x[t] e^(-2 pi i k t / N).
// Orders 0..kMaxFftOrder; false (and nothing changed) otherwise.
constexpr int kMaxFftOrder = 24;
bool Fft(double* re, double* im, int order);

// The butterfly code the transforms run: the SSE2 stages everywhere, or the AVX ones where the
// processor has AVX (the default there). Both give the same bits. UseFftKernel returns false,
// and keeps the kernel, when this processor or build cannot run the one asked for.
enum class FftKernel { Sse2, Avx };
bool FftKernelAvailable(FftKernel kernel);
bool UseFftKernel(FftKernel kernel);
FftKernel CurrentFftKernel();

// The same transform of inRe + i inIm (inIm null: zeros) into re and im, leaving the input as
// it is (no array may be another's).
bool FftFrom(const double* inRe, const double* inIm, double* re, double* im, int order);

// The transform of 2^order real samples x (order 1..kMaxFftOrder) through one complex transform
// of half the length: re[k] + i im[k] is bin k for k = 0 .. 2^(order-1) (the bins above mirror
// these); re and im need 2^(order-1) + 1 entries and must not be x. False (and nothing
// changed) for other orders or null arrays.
bool RealFft(const double* x, double* re, double* im, int order);

// mag[i] = sqrt(re[i]^2 + im[i]^2) for i < n.
void Magnitudes(const double* re, const double* im, double* mag, int n);

}  // namespace dsp
