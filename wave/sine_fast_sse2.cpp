// Plain x86-64 (SSE2) code; the libmvec routine picks its own best variant for this processor.
#include <emmintrin.h>

#include "wave/sine_fast.h"

// glibc's libmvec: cos of 2 doubles (x86-64 vector function ABI, SSE variant).
extern "C" __m128d _ZGVbN2v_cos(__m128d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr int lanes = 2;

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

template <bool withReach>
void computeColumns(float *const *grid, std::uint32_t width, std::uint32_t height,
                    const Wave &wave) {
    const RowRange rows = exactRows(wave.sourceY, height);
    const __m128d two = _mm_set1_pd(2);
    const __m128d piV = _mm_set1_pd(pi);
    const __m128d lambda = _mm_set1_pd(double(wave.lambda));
    const __m128d phaseTerm = _mm_set1_pd(double(wave.phase) * double(wave.lambda));
    const __m128d reach = _mm_set1_pd(double(wave.reach));
    const __m128d one = _mm_set1_pd(1);
    const __m128d zero = _mm_setzero_pd();
    const __m128d cosLimit = _mm_set1_pd(vectorCosLimit);
    const __m128d tinyCos = _mm_set1_pd(tinyCosine);
    const __m128d tinyP = _mm_set1_pd(tinySample);
    const __m128d laneIndex = _mm_set_pd(1, 0);

    for (std::uint32_t x = 0; x < width; ++x) {
        float *column = grid[x];
        if (!exactColumn(wave.sourceX, x)) {
            for (std::uint32_t y = 0; y < height; ++y) {
                column[y] = literalSample(wave, x, y);
            }
            continue;
        }
        for (std::uint32_t y = 0; y < rows.first; ++y) {
            column[y] = literalSample(wave, x, y);
        }
        const double dx = double(wave.sourceX) - double(x);
        const __m128d dx2 = _mm_set1_pd(dx * dx);
        std::uint32_t y = rows.first;
        for (; rows.last - y >= lanes; y += lanes) {
            // Integers: the sum of squares is exact, and so is its square root rounded to float.
            const __m128d dy = _mm_sub_pd(_mm_set1_pd(double(wave.sourceY) - double(y)), laneIndex);
            const __m128d d2 = _mm_add_pd(dx2, _mm_mul_pd(dy, dy));
            const __m128d rd = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_sqrt_pd(d2)));
            // The literal order: (r * 2 * pi) / lambda - phase * lambda.
            const __m128d theta =
                _mm_sub_pd(_mm_div_pd(_mm_mul_pd(_mm_mul_pd(rd, two), piV), lambda), phaseTerm);
            const __m128d c = _ZGVbN2v_cos(theta);

            __m128d p = c;
            // cmpnle and cmpnge are true for NaN as well.
            __m128d redo = _mm_or_pd(_mm_cmpnle_pd(absolute(theta), cosLimit),
                                     _mm_cmpnge_pd(absolute(c), tinyCos));
            if constexpr (withReach) {
                const __m128d root = _mm_sqrt_pd(_mm_div_pd(rd, reach));
                __m128d a = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_sub_pd(one, root)));
                a = _mm_andnot_pd(_mm_cmpnge_pd(a, zero), a);
                p = _mm_mul_pd(c, a);
                redo = _mm_or_pd(
                    redo, _mm_and_pd(_mm_cmplt_pd(absolute(p), tinyP), _mm_cmpneq_pd(p, zero)));
            }
            const int redoLanes = _mm_movemask_pd(redo) | nearRoundingBoundary(p);

            const __m128 samples = _mm_cvtpd_ps(p);
            _mm_storel_epi64(reinterpret_cast<__m128i *>(column + y), _mm_castps_si128(samples));
            for (unsigned lanesLeft = unsigned(redoLanes); lanesLeft != 0;
                 lanesLeft &= lanesLeft - 1) {
                const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
                column[row] = literalSample(wave, x, row);
            }
        }
        for (; y < height; ++y) {
            column[y] = literalSample(wave, x, y);
        }
    }
}

}  // namespace

void computeSse2(float *const *grid, std::uint32_t width, std::uint32_t height, const Wave &wave) {
    if (wave.reach != 0) {
        computeColumns<true>(grid, width, height, wave);
    } else {
        computeColumns<false>(grid, width, height, wave);
    }
}

}  // namespace sine_fast
