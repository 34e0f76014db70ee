// Plain x86-64 (SSE2) code; the libmvec routine picks its own best variant for this processor.
#include <emmintrin.h>

#include "wave/sine_fast.h"

// glibc's libmvec: cos of 2 doubles (x86-64 vector function ABI, SSE variant).
extern "C" __m128d _ZGVbN2v_cos(__m128d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr std::uint32_t lanes = 4;

// Lanes (bits 0 and 1) whose double p lies within roundingMargin units of a float rounding
// boundary: the low 29 mantissa bits (those a float drops) within the margin of one half. Those
// bits sit in the low 32-bit half of each double, and SSE2 compares 32-bit integers.
int nearRoundingBoundary(__m128d p) {
    const __m128i low = _mm_and_si128(_mm_castpd_si128(p), _mm_set1_epi32((1 << 29) - 1));
    const __m128i offset = _mm_sub_epi32(low, _mm_set1_epi32((1 << 28) - roundingMargin));
    const __m128i near =
        _mm_and_si128(_mm_cmpgt_epi32(offset, _mm_set1_epi32(-1)),
                      _mm_cmpgt_epi32(_mm_set1_epi32(2 * roundingMargin + 1), offset));
    const int halves = _mm_movemask_ps(_mm_castsi128_ps(near));
    return (halves & 1) | ((halves >> 1) & 2);
}

__m128d absolute(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// The wave's constants, broadcast once per call.
struct Constants {
    __m128d two, pi, lambda, phaseTerm, reach, one, zero, cosLimit, tinyCos, tinyP;
};

// Samples of 2 pixels at distances r (floats widened to double) in the low half of the result,
// and in redo the lanes (bits 0 and 1) that must be recomputed with literalSample.
template <bool withReach>
__m128 samplesAt(const Constants &k, __m128d r, unsigned &redo) {
    // The literal order: (r * 2 * pi) / lambda - phase * lambda.
    const __m128d theta =
        _mm_sub_pd(_mm_div_pd(_mm_mul_pd(_mm_mul_pd(r, k.two), k.pi), k.lambda), k.phaseTerm);
    const __m128d c = _ZGVbN2v_cos(theta);
    __m128d p = c;
    // cmpnle and cmpnge are true for NaN as well.
    __m128d again = _mm_or_pd(_mm_cmpnle_pd(absolute(theta), k.cosLimit),
                              _mm_cmpnge_pd(absolute(c), k.tinyCos));
    if constexpr (withReach) {
        const __m128d root = _mm_sqrt_pd(_mm_div_pd(r, k.reach));
        __m128d a = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_sub_pd(k.one, root)));
        a = _mm_andnot_pd(_mm_cmpnge_pd(a, k.zero), a);
        p = _mm_mul_pd(c, a);
        again = _mm_or_pd(again,
                          _mm_and_pd(_mm_cmplt_pd(absolute(p), k.tinyP), _mm_cmpneq_pd(p, k.zero)));
    }
    redo = unsigned(_mm_movemask_pd(again) | nearRoundingBoundary(p));
    return _mm_cvtpd_ps(p);
}

// The samples of rows [y, y + lanes) of column x.
template <bool withReach>
void block(float *column, std::uint32_t x, std::uint32_t y, const Wave &wave, const Constants &k,
           __m128 dx2, __m128 laneIndex) {
    // Integers below 2^24: the sum of squares is exact in float, and its correctly
    // rounded square root is hypot's r.
    const __m128 dy = _mm_sub_ps(_mm_set1_ps(float(double(wave.sourceY) - double(y))), laneIndex);
    const __m128 r = _mm_sqrt_ps(_mm_add_ps(dx2, _mm_mul_ps(dy, dy)));
    unsigned redoLow, redoHigh;
    const __m128 low = samplesAt<withReach>(k, _mm_cvtps_pd(r), redoLow);
    const __m128 high = samplesAt<withReach>(k, _mm_cvtps_pd(_mm_movehl_ps(r, r)), redoHigh);
    _mm_storeu_ps(column + y, _mm_movelh_ps(low, high));
    for (unsigned lanesLeft = redoLow | redoHigh << 2; lanesLeft != 0; lanesLeft &= lanesLeft - 1) {
        const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
        column[row] = literalSample(wave, x, row);
    }
}

template <bool withReach>
void columnRows(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    if (last - first < lanes) {
        for (std::uint32_t y = first; y < last; ++y) {
            column[y] = literalSample(wave, x, y);
        }
        return;
    }
    const Constants k{_mm_set1_pd(2),
                      _mm_set1_pd(pi),
                      _mm_set1_pd(double(wave.lambda)),
                      _mm_set1_pd(double(wave.phase) * double(wave.lambda)),
                      _mm_set1_pd(double(wave.reach)),
                      _mm_set1_pd(1),
                      _mm_setzero_pd(),
                      _mm_set1_pd(vectorCosLimit),
                      _mm_set1_pd(tinyCosine),
                      _mm_set1_pd(tinySample)};
    const __m128 laneIndex = _mm_set_ps(3, 2, 1, 0);

    const double dx = double(wave.sourceX) - double(x);
    const __m128 dx2 = _mm_set1_ps(float(dx * dx));
    // A last, partial vector is done as a whole one ending at last: the rows it repeats get the
    // same bits again.
    for (std::uint32_t y = first; y < last; y += lanes) {
        block<withReach>(column, x, y + lanes <= last ? y : last - lanes, wave, k, dx2, laneIndex);
    }
}

}  // namespace

void columnSse2(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    if (wave.reach != 0) {
        columnRows<true>(column, x, first, last, wave);
    } else {
        columnRows<false>(column, x, first, last, wave);
    }
}

}  // namespace sine_fast
